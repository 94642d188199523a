// "QELExport" and its dialog.
#include "export/qelveskexport.h"
#include "module/qelveskcommands.h"
#include "module/qelveskdialogpieces.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelveskscript.h"
#include "plugin/qelveskuserparams.h"

using namespace qelsdk_600;

namespace {

const char* const kUsage = "Use syntax: QELExport -f \"filename\"";
const char* const kWindow = "QELEXPORTWINDOW";

} // namespace

void* CommandExport::creator()
{
    return new CommandExport;
}

MStatus CommandExport::doIt(const MArgList& pArgs)
{
    const unsigned int lCount = pArgs.length();
    bool lFromTranslator = false, lFromDialog = false;
    for (unsigned int i = 0; i + 1 < lCount; ++i) {
        if (!(pArgs.asString(i) == "-caller"))
            continue;
        const MString lWho = pArgs.asString(i + 1);
        lFromTranslator = lWho == "QELVeskTranslator";
        lFromDialog = lWho == "QELExportDialog";
        if (lFromTranslator || lFromDialog)
            break;
    }
    MString lPath;
    for (unsigned int i = 0; i + 1 < lCount; ++i) {
        const MString lArg = pArgs.asString(i);
        if (lArg == "-f" || lArg == "-file") {
            lPath = pArgs.asString(i + 1);
            break;
        }
    }
    if (lPath.length() == 0) {
        displayError(kUsage);
        return MStatus::kFailure;
    }

    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    if (!lFromDialog) {
        if (lParams->GetBoolParam(QelVeskUserParams::kExportShowUI))
            return DisplayExportDialog(lPath);
        const MStatus lStatus = ExportFile(lPath);
        if (lStatus)
            setResult(MString("Success"));
        return lStatus;
    }

    lParams->SetBoolParam(QelVeskUserParams::kExportApplyCstKeyRed,
                          QelVeskCheckBoxValue("QELAPPLYCONSTANTKEYREDUCER") != 0);
    QelVeskReadRate(false);
    lParams->SetBoolParam(QelVeskUserParams::kExportHardEdges, QelVeskCheckBoxValue("QELEXPORTHARDEDGES") == 1);
    lParams->SetBoolParam(QelVeskUserParams::kExportEmbedTextures,
                          QelVeskCheckBoxValue("QELEXPORTEMBEDTEXTURES") == 1);
    lParams->SetBoolParam(QelVeskUserParams::kExportConvert_2Tiff, QelVeskCheckBoxValue("QELEXPORTCONVERT2TIF") == 1);
    const MStatus lStatus = ExportFile(lPath);
    if (lStatus)
        setResult(MString("Success"));
    QelVeskDeleteWindow(kWindow);
    lParams->Save();
    return lStatus;
}

MStatus CommandExport::ExportFile(const MString& pPath)
{
    QelVeskExport lExport;
    QelVeskProgressMeter::Reset(QelVeskUserParams::Instance()->GetBoolParam(QelVeskUserParams::kExportShowUI),
                                kWindow);
    QelVeskProgressMeter::Label("Exporting...");
    return lExport.Export(pPath.asChar());
}

MStatus CommandExport::DisplayExportDialog(const MString& pPath)
{
    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    QelVeskRun("commandEcho -st false");
    QelVeskDeleteWindow(kWindow);
    KString lText("window -rtf true -s false -t ");
    lText += QelVeskQuote(QelVeskTitle("QEL Exporter ", "").Buffer());
    lText += "  QELEXPORTWINDOW";
    QelVeskRun(lText);
    QelVeskRun("columnLayout -p QELEXPORTWINDOW -w 300 -co \"both\" 10 -rs 5 QELCOLUMNLAYOUT");
    QelVeskRun(QelVeskFileLine(pPath.asChar()));
    QelVeskRun("separator -hr true -st \"none\"");
    QelVeskRun("separator -w 280;");
    lParams->ResetExport();
    QelVeskRun("setParent ..");
    QelVeskRunUnitLines(false);
    QelVeskRun("separator -w 280;");

    lText = "checkBox -h 20 -label \"Apply constant key reducer filtering\" -al \"left\" ";
    lText += QelVeskValueFlag(lParams->GetBoolParam(QelVeskUserParams::kExportApplyCstKeyRed));
    lText += " QELAPPLYCONSTANTKEYREDUCER";
    QelVeskRun(lText);
    QelVeskRunRateRow(kWindow, lParams->GetResamplingRate(false));

    const bool lEmbed = lParams->GetBoolParam(QelVeskUserParams::kExportEmbedTextures);
    lText = "checkBox -p QELEXPORTWINDOW -h 20 -label \"Export Hard Edges\" -al \"left\" ";
    lText += QelVeskValueFlag(lParams->GetBoolParam(QelVeskUserParams::kExportHardEdges));
    lText += " QELEXPORTHARDEDGES";
    QelVeskRun(lText);
    lText = "checkBox -p QELEXPORTWINDOW -h 20 -label \"Embed Textures\" -al \"left\" ";
    lText += QelVeskValueFlag(lEmbed);
    lText += "-en true  QELEXPORTEMBEDTEXTURES";
    QelVeskRun(lText);
    lText = "checkBox -p QELEXPORTWINDOW -h 20 -label \"Portable format (TIFF)\" -al \"left\" ";
    if (!lEmbed)
        lText += "-en false ";
    lText += QelVeskValueFlag(lParams->GetBoolParam(QelVeskUserParams::kExportConvert_2Tiff));
    lText += " QELEXPORTCONVERT2TIF";
    QelVeskRun(lText);
    QelVeskRun("checkBox -edit -cc \"checkBox -e -en `checkBox -q -v QELEXPORTEMBEDTEXTURES` QELEXPORTCONVERT2TIF\" "
               "QELEXPORTEMBEDTEXTURES");
    QelVeskRun("separator -p QELEXPORTWINDOW -hr true -st \"none\"");

    QelVeskRunButtonRow(kWindow);
    QelVeskRun("separator -st \"none\"");
    QelVeskRun(QelVeskButtonCommand("QELExportButtonCommand", "QELExport", pPath.asChar(), "QELExportDialog"));
    QelVeskRun("button -rs false -label \"Export\" -c $QELExportButtonCommand  QELVESKBUTTON");
    QelVeskRun("separator -st \"none\"");
    QelVeskRun("button -rs false -label \"Cancel\" -c \"window -e -vis false QELEXPORTWINDOW\" QELCANCELBUTTON");
    QelVeskRun("setParent ..;");
    QelVeskRun("separator -w 280 -st \"single\";");
    QelVeskRun("text -p QELEXPORTWINDOW -label \" \" -al \"center\" QELVESKSTATUS");
    QelVeskRun("text -p QELEXPORTWINDOW -label \" \" -al \"center\" QELVESKPROGRESSMETER");
    QelVeskRun("separator -w 280 -st \"single\";");
    QelVeskRun("separator -p QELEXPORTWINDOW -st \"none\"");
    QelVeskRunBanner(kWindow);
    QelVeskRun("showWindow QELEXPORTWINDOW");
    return MStatus::kSuccess;
}
