#include "plugin/qelveskscript.h"

#include <vesk/MGlobal.h>
#include <vesk/MStringArray.h>

MStatus QelVeskRun(const char* pText)
{
    MStringArray lResult;
    return MGlobal::executeCommand(MString(pText), lResult, false, false);
}

int QelVeskQueryInt(const char* pText, bool* pOk)
{
    int lValue = 0;
    const MStatus lStatus = MGlobal::executeCommand(MString(pText), lValue, false, false);
    if (pOk)
        *pOk = static_cast<bool>(lStatus);
    return lStatus ? lValue : 0;
}

double QelVeskQueryDouble(const char* pText, bool* pOk)
{
    double lValue = 0.0;
    const MStatus lStatus = MGlobal::executeCommand(MString(pText), lValue, false, false);
    if (pOk)
        *pOk = static_cast<bool>(lStatus);
    return lStatus ? lValue : 0.0;
}

MString QelVeskQueryString(const char* pText, bool* pOk)
{
    MString lValue;
    const MStatus lStatus = MGlobal::executeCommand(MString(pText), lValue, false, false);
    if (pOk)
        *pOk = static_cast<bool>(lStatus);
    return lStatus ? lValue : MString();
}

bool QelVeskWindowExists(const char* pName)
{
    qelsdk_600::KString lText("window -ex ");
    lText += pName;
    return QelVeskQueryInt(lText.Buffer()) != 0;
}

void QelVeskDeleteWindow(const char* pName)
{
    if (!QelVeskWindowExists(pName))
        return;
    qelsdk_600::KString lText("deleteUI ");
    lText += pName;
    QelVeskRun(lText);
}
