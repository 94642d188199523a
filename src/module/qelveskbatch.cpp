// "QELBatchDialog" and "QELSetUserParams": the defaults of imports and
// exports run without their dialogs.
#include "module/qelveskcommands.h"
#include "module/qelveskdialogpieces.h"
#include "plugin/qelveskscript.h"
#include "plugin/qelveskuserparams.h"

using namespace qelsdk_600;

namespace {

const char* const kWindow = "QELBATCHUIWINDOW";

} // namespace

void* CommandBatchDialog::creator()
{
    return new CommandBatchDialog;
}

MStatus CommandBatchDialog::doIt(const MArgList&)
{
    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    QelVeskRun("commandEcho -st false");
    QelVeskDeleteWindow(kWindow);
    QelVeskRun("\t\twindow -rtf true -s false -t \"QEL Batch Import/Export Settings Dialog\" QELBATCHUIWINDOW;"
               "\t\tcolumnLayout -w 350 -co \"both\" 10 -rs 5 QELCOLUMNLAYOUT;");
    QelVeskRun("text -al \"left\" -label \"QEL Import Settings\"");
    QelVeskRun("separator -w 280 -st \"single\"");
    KString lText("checkBox -h 20 -label \"Batch Import Mode (No dialog on import QEL)\" -al \"left\"");
    lText += lParams->GetBoolParam(QelVeskUserParams::kImportShowUI) ? "-v false" : "-v true";
    lText += " QELIMPORTUI";
    QelVeskRun(lText);
    QelVeskRunLoadMode(kQelVeskBatchModes, lParams->GetImportType());
    QelVeskRun("separator -hr true -st \"none\"");
    QelVeskRun("separator -hr true -st \"none\"");
    QelVeskRun("text -al \"left\" -label \"QEL Export Settings\"");
    QelVeskRun("separator -w 280 -st \"single\"");
    lText = "checkBox -h 20 -label \"Batch Export Mode (No dialog on export QEL)\" -al \"left\"";
    lText += lParams->GetBoolParam(QelVeskUserParams::kExportShowUI) ? "-v false" : "-v true";
    lText += " QELEXPORTUI";
    QelVeskRun(lText);
    lText = "checkBox -h 20 -label \"Apply constant key reducer filtering\" -al \"left\" ";
    lText += QelVeskValueFlag(lParams->GetBoolParam(QelVeskUserParams::kExportApplyCstKeyRed));
    lText += " QELAPPLYCONSTANTKEYREDUCER";
    QelVeskRun(lText);
    QelVeskRun("separator -hr true -st \"none\"");
    QelVeskRun("separator -hr true -st \"none\"");
    QelVeskRun("separator -w 280 -st \"single\"");
    QelVeskRunRateRow(kWindow, lParams->GetResamplingRate(false));
    QelVeskRun("separator -p QELBATCHUIWINDOW -hr true -st \"none\"");
    QelVeskRunButtonRow(kWindow);
    QelVeskRun("separator -st \"none\"");
    QelVeskRun("string $QELOKButtonCommand = \"QELSetUserParams -caller \\\"QELCommandBatchDialog\\\"\"");
    QelVeskRun("button -rs false -label \"   Store as Defaults   \" -c $QELOKButtonCommand  QELVESKBUTTON");
    QelVeskRun("separator -st \"none\"");
    QelVeskRun("setParent ..;");
    QelVeskRun("separator -p QELBATCHUIWINDOW -st \"none\"");
    QelVeskRunBanner(kWindow);
    QelVeskRun("showWindow QELBATCHUIWINDOW");
    return MStatus::kSuccess;
}

void* CommandSetUserParams::creator()
{
    return new CommandSetUserParams;
}

MStatus CommandSetUserParams::doIt(const MArgList& pArgs)
{
    QelVeskRun("commandEcho -st false");
    if (pArgs.length() != 2 || !(pArgs.asString(0) == "-caller"))
        return MStatus::kSuccess;
    const MString lWho = pArgs.asString(1);
    if (!(lWho == "QELCommandBatchDialog") && !(lWho == "QELVeskTranslator"))
        return MStatus::kSuccess;

    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    // A query that fails (no window) leaves its setting as it is.
    bool lOk = false;
    int lValue = QelVeskCheckBoxValue("QELIMPORTUI", &lOk);
    if (lOk)
        lParams->SetBoolParam(QelVeskUserParams::kImportShowUI, lValue == 0);
    KString lQuery("radioButton -q -sl ");
    lQuery += kQelVeskBatchModes.exclusiveMerge;
    QelVeskQueryInt(lQuery.Buffer(), &lOk);
    if (lOk)
        lParams->SetImportType(QelVeskReadLoadMode(kQelVeskBatchModes));
    lValue = QelVeskCheckBoxValue("QELEXPORTUI", &lOk);
    if (lOk)
        lParams->SetBoolParam(QelVeskUserParams::kExportShowUI, lValue == 0);
    lValue = QelVeskCheckBoxValue("QELAPPLYCONSTANTKEYREDUCER", &lOk);
    if (lOk)
        lParams->SetBoolParam(QelVeskUserParams::kExportApplyCstKeyRed, lValue != 0);
    QelVeskReadRate(false);
    QelVeskRun("window -e -vis false QELBATCHUIWINDOW");
    lParams->Save();
    return MStatus::kSuccess;
}
