// The fifteen option commands: one table walked by shared code. None saves
// the settings; a changed setting reaches the file at the next save.
#include "module/qelveskcommands.h"
#include "plugin/qelveskuserparams.h"

namespace {

enum OptionKind {
    eBoolOption,     // -v true|false into a bool setting
    eModeOption,     // -v exmerge|merge|add into the import type
    eRateOption,     // -v number into both resampling rates
    eObsoleteOption, // always fails with its message
    eNoOption        // accepts anything, changes nothing
};

struct OptionRow {
    const char* name;
    OptionKind kind;
    unsigned int index;
    // The usage text, or the obsolete message.
    const char* message;
};

typedef QelVeskUserParams P;

const OptionRow kOptions[] = {
    {"QELImportShowUI", eBoolOption, P::kImportShowUI, "Use syntax: QELImportShowUI -v true|false"},
    {"QELImportMode", eModeOption, 0, "Use syntax: QELImportMode -v exmerge | add | merge"},
    {"QELImportMerge", eObsoleteOption, 0, "QELImportMerge: obsolete command. Use QELImportMode instead."},
    {"QELImportMergeAnimationOnly", eObsoleteOption, 0,
     "QELImportMergeAnimationOnly: obsolete command. Use QELImportMode instead."},
    {"QELImportMergeBackNullPivots", eBoolOption, P::kImportNullsToPivot,
     "Use syntax: QELImportMergeBackNullPivots -v true|false"},
    {"QELImportConvertDeformingNullsToJoint", eBoolOption, P::kImportDeformNullsAsJoints,
     "Use syntax: QELImportConvertDeformingNullsToJoint -v true|false"},
    {"QELImportHardEdges", eBoolOption, P::kImportHardEdges, "Use syntax: QELImportHardEdges -v true|false"},
    {"QELImportProtectDrivenKeys", eBoolOption, P::kProtectDrivenKeys,
     "Use syntax: QELImportProtectDrivenKeys -v true|false"},
    {"QELExportShowUI", eBoolOption, P::kExportShowUI, "Use syntax: QELExportShowUI -v true|false"},
    {"QELExportApplyConstantKeyReducer", eBoolOption, P::kExportApplyCstKeyRed,
     "Use syntax: QELExportApplyConstantKeyReducer -v true|false"},
    {"QELExportReplacePivotsByNulls", eNoOption, 0, ""},
    {"QELResamplingRate", eRateOption, 0, "Use syntax: QELResamplingRate -v float"},
    {"QELExportEmbeddedTextures", eBoolOption, P::kExportEmbedTextures,
     "Use syntax: QELExportEmbeddedTextures -v true|false"},
    {"QELExportConvert2Tif", eBoolOption, P::kExportConvert_2Tiff, "Use syntax: QELExportConvert2Tif -v true|false"},
    {"QELExportHardEdges", eBoolOption, P::kExportHardEdges, "Use syntax: QELExportHardEdges -v true|false"},
};

// Exactly "-v value" or "-value value" (case-sensitive flag).
bool WellFormed(const MArgList& pArgs)
{
    if (pArgs.length() != 2)
        return false;
    const MString lFlag = pArgs.asString(0);
    return lFlag == "-v" || lFlag == "-value";
}

MStatus Fail(const char* pMessage)
{
    MPxCommand::displayError(pMessage);
    return MStatus::kFailure;
}

} // namespace

MStatus QelVeskRunOption(int pRow, MPxCommand& pCommand, const MArgList& pArgs)
{
    const OptionRow& lRow = kOptions[pRow];
    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    switch (lRow.kind) {
    case eObsoleteOption:
        return Fail(lRow.message);
    case eNoOption:
        break;
    case eBoolOption: {
        if (!WellFormed(pArgs))
            return Fail(lRow.message);
        MStatus lStatus;
        const bool lValue = pArgs.asBool(1, &lStatus);
        if (!lStatus)
            return Fail(lRow.message);
        lParams->SetBoolParam(lRow.index, lValue);
        break;
    }
    case eModeOption: {
        if (!WellFormed(pArgs))
            return Fail(lRow.message);
        const MString lWord = pArgs.asString(1).toLowerCase();
        if (lWord == "merge")
            lParams->SetImportType(P::eMerge);
        else if (lWord == "add")
            lParams->SetImportType(P::eCreate);
        else if (lWord == "exmerge")
            lParams->SetImportType(P::eExclusiveMerge);
        else
            return Fail(lRow.message);
        break;
    }
    case eRateOption: {
        if (!WellFormed(pArgs))
            return Fail(lRow.message);
        MStatus lStatus;
        const double lRate = pArgs.asDouble(1, &lStatus);
        if (!lStatus || !P::IsValidRate(lRate))
            return Fail(lRow.message);
        lParams->SetResamplingRate(lRate, false);
        lParams->SetResamplingRate(lRate, true);
        break;
    }
    }
    pCommand.setResult(MString("Success"));
    return MStatus::kSuccess;
}

const QelVeskCommandEntry* QelVeskCommands(int& pCount)
{
    static const QelVeskCommandEntry kCommands[] = {
        {"QELImport", CommandImport::creator},
        {"QELExport", CommandExport::creator},
        {"QELBatchDialog", CommandBatchDialog::creator},
        {"QELSetUserParams", CommandSetUserParams::creator},
        {kOptions[0].name, CommandImportShowUI::creator},
        {kOptions[1].name, CommandImportMode::creator},
        {kOptions[2].name, CommandImportMerge::creator},
        {kOptions[3].name, CommandImportMergeAnimationOnly::creator},
        {kOptions[4].name, CommandImportMergeBackNullPivots::creator},
        {kOptions[5].name, CommandImportConvertDeformingNullsToJoint::creator},
        {kOptions[6].name, CommandImportHardEdges::creator},
        {kOptions[7].name, CommandImportProtectDrivenKeys::creator},
        {kOptions[8].name, CommandExportShowUI::creator},
        {kOptions[9].name, CommandExportApplyConstantKeyReducer::creator},
        {kOptions[10].name, CommandExportReplacePivotsByNulls::creator},
        {kOptions[11].name, CommandResamplingRate::creator},
        {kOptions[12].name, CommandExportEmbeddedTextures::creator},
        {kOptions[13].name, CommandExportConvert2Tif::creator},
        {kOptions[14].name, CommandExportHardEdges::creator},
        {"QELRead", CommandRead::creator},
        {"QELGetTakeCount", CommandGetTakeCount::creator},
        {"QELGetTakeIndex", CommandGetTakeIndex::creator},
        {"QELGetTakeName", CommandGetTakeName::creator},
        {"QELGetTakeComment", CommandGetTakeComment::creator},
        {"QELGetTakeLocalTimeSpan", CommandGetTakeLocalTimeSpan::creator},
        {"QELGetTakeReferenceTimeSpan", CommandGetTakeReferenceTimeSpan::creator},
    };
    pCount = static_cast<int>(sizeof kCommands / sizeof kCommands[0]);
    return kCommands;
}
