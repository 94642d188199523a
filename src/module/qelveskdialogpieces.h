// Script pieces the import, export and batch windows share.
#ifndef QELVESK_MODULE_QELVESKDIALOGPIECES_H
#define QELVESK_MODULE_QELVESKDIALOGPIECES_H

#include "base/kstring.h"
#include "plugin/qelveskuserparams.h"

// The radio-button variables of one window's load-mode choice.
struct QelVeskLoadModeVariables {
    const char* collection;
    const char* exclusiveMerge;
    const char* addToNewScene;
    const char* merge;
};
// Those of the import dialog, and the batch window's own.
extern const QelVeskLoadModeVariables kQelVeskImportDialogModes;
extern const QelVeskLoadModeVariables kQelVeskBatchModes;

// "text -al "left" -label "File : <name>"": a name of more than 48
// characters shown as its first 3, "..." and its last 42.
qelsdk_600::KString QelVeskFileLine(const char* pPath);
// Runs the two texts of a side's unit description, split at its first line
// break, each shown with one leading blank.
void QelVeskRunUnitLines(bool pImport);
// Runs the load-mode piece: the collection, three radio buttons and the
// selection of the import type (none for a type outside 0 to 2).
void QelVeskRunLoadMode(const QelVeskLoadModeVariables& pVars, int pImportType);
// Reads the load mode back: exclusive merge, add to a new scene, else merge.
QelVeskUserParams::ELoadMode QelVeskReadLoadMode(const QelVeskLoadModeVariables& pVars);
// Runs the two-column row of the rate: the label and the float field
// QELFRAMERATEFIELD showing the rate.
void QelVeskRunRateRow(const char* pWindow, double pRate);
// Reads QELFRAMERATEFIELD into both resampling rates, the import rate first
// when pImportFirst; a failed query or a refused rate changes neither.
void QelVeskReadRate(bool pImportFirst);
// Runs the start of the four-column button row in the window.
void QelVeskRunButtonRow(const char* pWindow);
// Runs the left-aligned banner text in the window.
void QelVeskRunBanner(const char* pWindow);
// "string $<variable> = <literal>": a command held in a script variable,
// the path inside it quoted, the whole quoted again as the literal.
qelsdk_600::KString QelVeskButtonCommand(const char* pVariable, const char* pCommand, const char* pPath,
                                         const char* pCaller);
// "checkBox ... -v true|false ..." pieces: the value flag by a setting.
qelsdk_600::KString QelVeskValueFlag(bool pValue);
// Reads a check box: its value, and whether the query gave one.
int QelVeskCheckBoxValue(const char* pName, bool* pOk = nullptr);
// The window title: what, the plug-in version, the blanks and the host.
qelsdk_600::KString QelVeskTitle(const char* pWhat, const char* pBlanks);

#endif
