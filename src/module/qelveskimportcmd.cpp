// "QELImport" and its dialog.
#include "import/qelveskimport.h"
#include "io/kqelimporter.h"
#include "module/qelveskcommands.h"
#include "module/qelveskdialogpieces.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskscript.h"
#include "plugin/qelveskuserparams.h"
#include "scene/kqeltakeinfo.h"

using namespace qelsdk_600;

namespace {

const char* const kUsage = "Use syntax: QELImport -f \"filename\" [-t take_index_zero_based]";
const char* const kTakeNotFound = "QELImport error: take not found.";
const char* const kWindow = "QELIMPORTWINDOW";

enum Caller { eNoCaller, eTranslator, eDialog };

MStatus Fail(const char* pMessage, MStatus::MStatusCode pCode)
{
    MPxCommand::displayError(pMessage);
    return pCode;
}

} // namespace

QelVeskImport* CommandImportBase::smImporter = nullptr;
KString CommandImportBase::smFileName;

void CommandImportBase::DropImporter()
{
    delete smImporter;
    smImporter = nullptr;
}

void* CommandImport::creator()
{
    return new CommandImport;
}

MStatus CommandImport::doIt(const MArgList& pArgs)
{
    Caller lCaller = eNoCaller;
    MString lPath;
    int lTake = -1;
    const unsigned int lCount = pArgs.length();
    for (unsigned int i = 0; i < lCount; ++i) {
        const MString lArg = pArgs.asString(i);
        const bool lHasValue = i + 1 < lCount;
        if (lArg == "-caller" && lHasValue) {
            const MString lWho = pArgs.asString(i + 1);
            if (lWho == "QELVeskTranslator") {
                lCaller = eTranslator;
                break;
            }
            if (lWho == "QELImportDialog")
                lCaller = eDialog;
        } else if ((lArg == "-f" || lArg == "-file") && lHasValue) {
            lPath = pArgs.asString(i + 1);
        } else if ((lArg == "-t" || lArg == "-take") && lHasValue) {
            MStatus lStatus;
            lTake = pArgs.asInt(i + 1, &lStatus);
            if (!lStatus)
                return Fail(kUsage, MStatus::kFailure);
        }
    }

    if (lCaller == eDialog)
        return FromDialog(lPath);

    if (lPath.length() == 0) {
        DropImporter();
        return Fail(kUsage, MStatus::kFailure);
    }
    if (smImporter && !(smFileName == lPath.asChar()))
        DropImporter();
    if (!smImporter) {
        smImporter = new QelVeskImport;
        smFileName = lPath.asChar();
        const MStatus lStatus = smImporter->OpenProject(lPath);
        if (!lStatus) {
            displayError(lStatus.statusCode() == MStatus::kNotFound ? "QELImport error: file not found." : kUsage);
            DropImporter();
            return lStatus;
        }
    }
    const int lTakeCount = smImporter->GetImporter()->GetTakeCount();
    if (lTake >= lTakeCount)
        return Fail(kTakeNotFound, MStatus::kNotFound);
    if (lTake < 0)
        lTake = lTakeCount >= 2 ? 0 : -1;
    if (QelVeskUserParams::Instance()->GetBoolParam(QelVeskUserParams::kImportShowUI))
        return DisplayImportDialog(lPath);
    const MStatus lStatus = ImportFile(lTake);
    if (lStatus)
        setResult(MString("Success"));
    return lStatus;
}

MStatus CommandImport::FromDialog(const MString& pPath)
{
    // A stale window would import another file than its own.
    if (!smImporter || !(smFileName == pPath.asChar()))
        return Fail(kUsage, MStatus::kFailure);
    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    KQelImporter* lImporter = smImporter->GetImporter();

    QelVeskRun("text -e -label \"Importing...\" QELVESKSTATUS");
    const QelVeskUserParams::ELoadMode lMode = QelVeskReadLoadMode(kQelVeskImportDialogModes);
    const int lPosition = QelVeskQueryInt("textScrollList -q -sii QELTAKELIST");
    if (lPosition < 1 || lPosition - 2 >= lImporter->GetTakeCount())
        return Fail(kTakeNotFound, MStatus::kNotFound);
    const int lTake = lPosition >= 2 ? lPosition - 2 : -1;

    lParams->SetImportType(lMode);
    lParams->SetBoolParam(QelVeskUserParams::kImportForceWeightNormalize,
                          QelVeskCheckBoxValue("QELIMPORTFORCEWEIGHTNORMALIZE") == 1);
    lParams->SetBoolParam(QelVeskUserParams::kImportDeformNullsAsJoints,
                          QelVeskCheckBoxValue("QELCONVERTDEFORMINGNULLTOJOINT") == 1);
    lParams->SetBoolParam(QelVeskUserParams::kImportNullsToPivot,
                          lMode != QelVeskUserParams::eCreate || QelVeskCheckBoxValue("QELREPLACENULLBYPIVOTS") == 1);
    QelVeskReadRate(true);
    lParams->SetBoolParam(QelVeskUserParams::kImportHardEdges, QelVeskCheckBoxValue("QELEXPORTHARDEDGES") == 1);
    lParams->SetBoolParam(QelVeskUserParams::kProtectDrivenKeys,
                          QelVeskCheckBoxValue("QELIMPORTPROTECTDRIVENKEYS") == 1);

    const MStatus lStatus = ImportFile(lTake);
    if (lStatus)
        setResult(MString("Success"));
    QelVeskDeleteWindow(kWindow);
    lParams->Save();
    return lStatus;
}

MStatus CommandImport::ImportFile(int pTakeIndex)
{
    KQelImporter* lImporter = smImporter->GetImporter();
    KString lLabel;
    if (pTakeIndex >= 0) {
        const int lCount = lImporter->GetTakeCount();
        for (int i = 0; i < lCount; ++i)
            if (KQelTakeInfo* lInfo = lImporter->GetTakeInfo(i))
                lInfo->mSelect = i == pTakeIndex;
        const KQelTakeInfo* lTake = lImporter->GetTakeInfo(pTakeIndex);
        const KString lName = lTake ? lTake->mName : KString("");
        smImporter->SetTakeName(lName.Buffer());
        lLabel = "Importing take ";
        lLabel += lName;
    } else {
        lImporter->SetState(KQelImporter::eAnimation, false);
    }
    QelVeskProgressMeter::Reset(QelVeskUserParams::Instance()->GetBoolParam(QelVeskUserParams::kImportShowUI),
                                kWindow);
    QelVeskProgressMeter::Label(lLabel.Buffer());
    const MStatus lStatus = smImporter->Import();
    DropImporter();
    return lStatus;
}

MStatus CommandImport::DisplayImportDialog(const MString& pPath)
{
    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    KQelImporter* lImporter = smImporter->GetImporter();
    const int lTakeCount = lImporter->GetTakeCount();
    int lMajor = 0, lMinor = 0, lRevision = 0;
    lImporter->GetFileVersion(lMajor, lMinor, lRevision);
    const int lImportType = lParams->GetImportType();

    QelVeskRun("commandEcho -st false");
    QelVeskDeleteWindow(kWindow);
    KString lText("window -rtf true -s false -t ");
    lText += QelVeskQuote(QelVeskTitle("QEL Importer ", "  ").Buffer());
    lText += "  QELIMPORTWINDOW";
    QelVeskRun(lText);
    QelVeskRun("columnLayout -p QELIMPORTWINDOW -w 300 -co \"both\" 10 -rs 5 QELCOLUMNLAYOUT");
    lText = QelVeskFileLine(pPath.asChar());
    lText += " ";
    QelVeskRun(lText);
    QelVeskRun("separator -hr true -st \"none\"");
    QelVeskRun("text -label \"Choose the animation take to import\" -al \"left\"");

    lText = "textScrollList -w 280 -p QELIMPORTWINDOW -h 64  -allowMultiSelection false -append \"No Animation.\"";
    for (int i = 0; i < lTakeCount; ++i) {
        const KQelTakeInfo* lTake = lImporter->GetTakeInfo(i);
        lText += " -append ";
        lText += QelVeskQuote(lTake ? lTake->mName.Buffer() : "");
    }
    lText += " -selectIndexedItem ";
    lText += lTakeCount + 1;
    lText += " QELTAKELIST";
    QelVeskRun(lText);
    QelVeskRun("separator -w 280;");
    QelVeskRunLoadMode(kQelVeskImportDialogModes, lImportType);
    QelVeskRun("separator -w 280;");
    lParams->ResetImport();
    QelVeskRun("setParent ..");
    QelVeskRunUnitLines(true);
    QelVeskRun("separator -w 280;");

    struct Box {
        const char* label;
        unsigned int index;
        const char* name;
    };
    static const Box kFirstBoxes[] = {
        {"Pre-normalize weights", QelVeskUserParams::kImportForceWeightNormalize, "QELIMPORTFORCEWEIGHTNORMALIZE"},
        {"Convert incoming deforming Nulls to Joints", QelVeskUserParams::kImportDeformNullsAsJoints,
         "QELCONVERTDEFORMINGNULLTOJOINT"},
    };
    static const Box kLastBoxes[] = {
        {"Import Hard Edges ", QelVeskUserParams::kImportHardEdges, "QELEXPORTHARDEDGES"},
        {"Protect Driven Keys ", QelVeskUserParams::kProtectDrivenKeys, "QELIMPORTPROTECTDRIVENKEYS"},
    };
    auto lRunBox = [&](const Box& pBox) {
        KString lBox("checkBox -p QELIMPORTWINDOW -h 20 -label \"");
        lBox += pBox.label;
        lBox += "\" -al \"left\" ";
        lBox += QelVeskValueFlag(lParams->GetBoolParam(pBox.index));
        lBox += " ";
        lBox += pBox.name;
        QelVeskRun(lBox);
    };
    for (const Box& lBox : kFirstBoxes)
        lRunBox(lBox);

    lText = "checkBox -p QELIMPORTWINDOW -h 20 -label \"Merge pivot nodes as rotate axis and joint orient\" -al \"left\" ";
    if (lMajor > 5)
        lText += "-en false -v false";
    else if (lImportType == 0 || lImportType == 1)
        lText += "-en false -v true";
    else
        lText += QelVeskValueFlag(lParams->GetBoolParam(QelVeskUserParams::kImportNullsToPivot));
    lText += " QELREPLACENULLBYPIVOTS";
    QelVeskRun(lText);
    if (lMajor <= 5) {
        lText = "radioButton -edit -cc \"checkBox -e -en false -v true QELREPLACENULLBYPIVOTS\" ";
        lText += kQelVeskImportDialogModes.exclusiveMerge;
        QelVeskRun(lText);
        lText = "radioButton -edit -cc \"checkBox -e -en true QELREPLACENULLBYPIVOTS\" ";
        lText += kQelVeskImportDialogModes.addToNewScene;
        QelVeskRun(lText);
        lText = "radioButton -edit -cc \"checkBox -e -en false -v true QELREPLACENULLBYPIVOTS\" ";
        lText += kQelVeskImportDialogModes.merge;
        QelVeskRun(lText);
    }
    for (const Box& lBox : kLastBoxes)
        lRunBox(lBox);

    QelVeskRunRateRow(kWindow, lParams->GetResamplingRate(true));
    QelVeskRun("separator -p QELIMPORTWINDOW -hr true -st \"none\"");
    QelVeskRun(QelVeskButtonCommand("QELImportButtonCommand", "QELImport", pPath.asChar(), "QELImportDialog"));
    QelVeskRunButtonRow(kWindow);
    QelVeskRun("separator -st \"none\"");
    QelVeskRun("button -rs false -label \"Import\" -c $QELImportButtonCommand  QELVESKBUTTON");
    QelVeskRun("separator -st \"none\"");
    QelVeskRun("string $QELCancelButtonCommand = \"window -e -vis false QELIMPORTWINDOW\"");
    QelVeskRun("button -rs false -label \"Cancel\" -c $QELCancelButtonCommand QELCANCELBUTTON");
    QelVeskRun("setParent ..;");
    QelVeskRun("separator -w 280 -st \"single\";");
    QelVeskRun("text -p QELIMPORTWINDOW -label \" \" -al \"center\" QELVESKSTATUS");
    QelVeskRun("text -p QELIMPORTWINDOW -label \" \" -al \"center\" QELVESKPROGRESSMETER");
    QelVeskRun("separator -w 280 -st \"single\";");
    QelVeskRunBanner(kWindow);
    QelVeskRun("showWindow QELIMPORTWINDOW");
    return MStatus::kSuccess;
}
