// The module's host commands. Each run is a new object made by the class's
// creator (the host owns and deletes it); a command object holds nothing.
#ifndef QELVESK_MODULE_QELVESKCOMMANDS_H
#define QELVESK_MODULE_QELVESKCOMMANDS_H

#include <vesk/MFnPlugin.h>
#include <vesk/MPxCommand.h>

#include "base/kstring.h"

class QelVeskImport;

// ---- Import, file read and take queries ----

// Base of "QELImport", "QELRead" and the take queries: the importer they
// share, held between commands, and the path it was opened for.
class CommandImportBase : public MPxCommand {
public:
    // The held importer, or null.
    static QelVeskImport* smImporter;
    // The path smImporter was made for; kept after it ends.
    static qelsdk_600::KString smFileName;

    // Destroys the held importer, if any.
    static void DropImporter();
};

// "QELImport -f path [-t take] [-caller who]": opens the file (or reuses the
// importer held for the same path), checks the take, then shows the import
// dialog (kImportShowUI) or imports. Run by the dialog's button with
// "-caller QELImportDialog", it reads the dialog back, imports, deletes the
// window and saves the settings.
class CommandImport : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
    // Imports the held importer's file with the take (-1: no animation take)
    // and then ends the importer.
    MStatus ImportFile(int pTakeIndex);
    // Builds and shows the import dialog for the held importer; success.
    MStatus DisplayImportDialog(const MString& pPath);

private:
    MStatus FromDialog(const MString& pPath);
};

// "QELRead -f path": opens the file and holds its importer for the queries.
class CommandRead : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};

// Queries on the held importer's takes. Failures show their usage text,
// "No QEL file to query. Use command QELRead first." or "No such take."
// and return status 1 with no result.
class CommandGetTakeCount : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};
class CommandGetTakeIndex : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};
class CommandGetTakeName : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};
class CommandGetTakeComment : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};
// Start and stop in the host's UI time unit.
class CommandGetTakeLocalTimeSpan : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};
class CommandGetTakeReferenceTimeSpan : public CommandImportBase {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};

// ---- Export ----

// "QELExport -f path [-caller who]": shows the export dialog
// (kExportShowUI) or exports. Run by the dialog's button with "-caller
// QELExportDialog", it reads the dialog back, exports, deletes the window
// and saves the settings.
class CommandExport : public MPxCommand {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
    MStatus ExportFile(const MString& pPath);
    // Builds and shows the export dialog; success.
    MStatus DisplayExportDialog(const MString& pPath);
};

// ---- Batch settings ----

// "QELBatchDialog": (re)builds and shows the batch settings window.
class CommandBatchDialog : public MPxCommand {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};

// "QELSetUserParams -caller QELCommandBatchDialog|QELVeskTranslator": reads
// the batch window back, hides it and saves the settings; any other
// arguments do nothing. Always succeeds.
class CommandSetUserParams : public MPxCommand {
public:
    static void* creator();
    MStatus doIt(const MArgList& pArgs) override;
};

// ---- Option commands ----

// One small command per setting, all alike: a row of the option table
// (qelveskoptions.cpp) gives its name, kind, setting and usage text.
template <int Row>
class CommandOption : public MPxCommand {
public:
    static void* creator() { return new CommandOption<Row>; }
    MStatus doIt(const MArgList& pArgs) override;
};

typedef CommandOption<0> CommandImportShowUI;
typedef CommandOption<1> CommandImportMode;
typedef CommandOption<2> CommandImportMerge;
typedef CommandOption<3> CommandImportMergeAnimationOnly;
typedef CommandOption<4> CommandImportMergeBackNullPivots;
typedef CommandOption<5> CommandImportConvertDeformingNullsToJoint;
typedef CommandOption<6> CommandImportHardEdges;
typedef CommandOption<7> CommandImportProtectDrivenKeys;
typedef CommandOption<8> CommandExportShowUI;
typedef CommandOption<9> CommandExportApplyConstantKeyReducer;
typedef CommandOption<10> CommandExportReplacePivotsByNulls;
typedef CommandOption<11> CommandResamplingRate;
typedef CommandOption<12> CommandExportEmbeddedTextures;
typedef CommandOption<13> CommandExportConvert2Tif;
typedef CommandOption<14> CommandExportHardEdges;

// Runs option row pRow on the arguments, reporting through pCommand.
MStatus QelVeskRunOption(int pRow, MPxCommand& pCommand, const MArgList& pArgs);

template <int Row>
MStatus CommandOption<Row>::doIt(const MArgList& pArgs)
{
    return QelVeskRunOption(Row, *this, pArgs);
}

// ---- Registration ----

struct QelVeskCommandEntry {
    const char* name;
    MCreatorFunction creator;
};
// The 26 commands in registration order.
const QelVeskCommandEntry* QelVeskCommands(int& pCount);

#endif
