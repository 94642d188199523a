// Running command-language texts for the module's windows and queries:
// every text runs with display and undo off.
#ifndef QELVESK_PLUGIN_QELVESKSCRIPT_H
#define QELVESK_PLUGIN_QELVESKSCRIPT_H

#include <vesk/MStatus.h>
#include <vesk/MString.h>

#include "base/kstring.h"

// Runs one piece; its result is not looked at.
MStatus QelVeskRun(const char* pText);
inline MStatus QelVeskRun(const qelsdk_600::KString& pText)
{
    return QelVeskRun(pText.Buffer());
}
// Runs a query for an integer, a double or a text; pOk (when given) tells
// whether the query succeeded. A failed query gives 0, 0.0 or "".
int QelVeskQueryInt(const char* pText, bool* pOk = nullptr);
double QelVeskQueryDouble(const char* pText, bool* pOk = nullptr);
MString QelVeskQueryString(const char* pText, bool* pOk = nullptr);
// Whether a window of the name exists.
bool QelVeskWindowExists(const char* pName);
// Deletes the window of the name when it exists.
void QelVeskDeleteWindow(const char* pName);

// "true" or "false" for a check box's value flag.
inline const char* QelVeskBoolText(bool pValue)
{
    return pValue ? "true" : "false";
}

#endif
