#include "module/qelveskdialogpieces.h"

#include <cstdio>

#include "plugin/qelveskquote.h"
#include "plugin/qelveskscript.h"

using qelsdk_600::KString;

const QelVeskLoadModeVariables kQelVeskImportDialogModes = {"$collection1", "$rb1_ExclusiveMerge",
                                                            "$rb2_AddToNewScene", "$rb3_Merge"};
const QelVeskLoadModeVariables kQelVeskBatchModes = {"$QELBatchCollection", "$QELBatchExclusiveMerge",
                                                     "$QELBatchAddToNewScene", "$QELBatchMerge"};

KString QelVeskFileLine(const char* pPath)
{
    KString lName(pPath);
    if (lName.GetLen() > 48) {
        KString lShort = lName.Left(3);
        lShort += "...";
        lShort += lName.Right(42);
        lName = lShort;
    }
    KString lLabel("File : ");
    lLabel += lName;
    KString lText("text -al \"left\" -label ");
    lText += QelVeskQuote(lLabel.Buffer());
    return lText;
}

void QelVeskRunUnitLines(bool pImport)
{
    const KString lUnit = QelVeskUserParams::Instance()->GetMasterUnitStr(pImport);
    const int lBreak = lUnit.Find("\n", 0);
    const KString lParts[2] = {lBreak < 0 ? lUnit : lUnit.Left(static_cast<unsigned int>(lBreak)),
                               lBreak < 0 ? KString("") : lUnit.Mid(static_cast<unsigned int>(lBreak + 1))};
    for (const KString& lPart : lParts) {
        KString lLabel(" ");
        lLabel += lPart;
        KString lText("text -al \"left\" -label ");
        lText += QelVeskQuote(lLabel.Buffer());
        lText += " ";
        QelVeskRun(lText);
    }
}

void QelVeskRunLoadMode(const QelVeskLoadModeVariables& pVars, int pImportType)
{
    KString lText("string ");
    lText += pVars.collection;
    lText += " = `radioCollection`;string ";
    lText += pVars.exclusiveMerge;
    lText += " = `radioButton -label \"Exclusive Merge\"`;string ";
    lText += pVars.addToNewScene;
    lText += " = `radioButton -label \"Add to new scene\"`;string ";
    lText += pVars.merge;
    lText += " = `radioButton -label \"Merge\"`;setParent ..; setParent ..;";
    const char* lChosen = pImportType == 0 ? pVars.exclusiveMerge
                          : pImportType == 1 ? pVars.merge
                          : pImportType == 2 ? pVars.addToNewScene
                                             : nullptr;
    if (lChosen) {
        lText += "\tradioCollection -edit -select ";
        lText += lChosen;
        lText += " ";
        lText += pVars.collection;
        lText += ";";
    }
    QelVeskRun(lText);
}

QelVeskUserParams::ELoadMode QelVeskReadLoadMode(const QelVeskLoadModeVariables& pVars)
{
    KString lQuery("radioButton -q -sl ");
    lQuery += pVars.exclusiveMerge;
    if (QelVeskQueryInt(lQuery.Buffer()) != 0)
        return QelVeskUserParams::eExclusiveMerge;
    lQuery = "radioButton -q -sl ";
    lQuery += pVars.addToNewScene;
    if (QelVeskQueryInt(lQuery.Buffer()) != 0)
        return QelVeskUserParams::eCreate;
    return QelVeskUserParams::eMerge;
}

void QelVeskRunRateRow(const char* pWindow, double pRate)
{
    KString lText("row -p ");
    lText += pWindow;
    lText += " -columns 2 -width 1 150 -width 2 50 -align 1 \"left\" -align 2 \"left\""
             " -attach 1 \"both\" 0 -attach 2 \"both\" 0";
    QelVeskRun(lText);
    QelVeskRun("text -label \"Resampling frame rate (fps)\"");
    lText = "floatField -v ";
    lText += KString(static_cast<float>(pRate));
    lText += " -precision 3 -step 1 QELFRAMERATEFIELD";
    QelVeskRun(lText);
    QelVeskRun("setParent ..");
}

void QelVeskReadRate(bool pImportFirst)
{
    bool lOk = false;
    const double lRate = QelVeskQueryDouble("floatField -q -v QELFRAMERATEFIELD", &lOk);
    if (!lOk)
        return;
    QelVeskUserParams* lParams = QelVeskUserParams::Instance();
    lParams->SetResamplingRate(lRate, pImportFirst);
    lParams->SetResamplingRate(lRate, !pImportFirst);
}

void QelVeskRunButtonRow(const char* pWindow)
{
    KString lText("row -p ");
    lText += pWindow;
    lText += " -columns 4 -width 1 65 -width 2 75 -width 3 5 -width 4 75 -align 2 \"center\" -align 4 \"center\""
             " -attach 2 \"both\" 0 -attach 4 \"both\" 0";
    QelVeskRun(lText);
}

void QelVeskRunBanner(const char* pWindow)
{
    KString lText("text -p ");
    lText += pWindow;
    lText += " -al \"left\" -label \"QEL-Vesk import/export plugin.\\nCopyright Tovik. All rights reserved.\\n"
             "Build number: 20050511\"";
    QelVeskRun(lText);
}

KString QelVeskButtonCommand(const char* pVariable, const char* pCommand, const char* pPath, const char* pCaller)
{
    KString lInner(pCommand);
    lInner += " -f ";
    lInner += QelVeskQuote(pPath);
    lInner += " -caller ";
    lInner += QelVeskQuote(pCaller);
    KString lText("string $");
    lText += pVariable;
    lText += " = ";
    lText += QelVeskQuote(lInner.Buffer());
    return lText;
}

KString QelVeskValueFlag(bool pValue)
{
    KString lText("-v ");
    lText += QelVeskBoolText(pValue);
    lText += " ";
    return lText;
}

int QelVeskCheckBoxValue(const char* pName, bool* pOk)
{
    KString lQuery("checkBox -q -v ");
    lQuery += pName;
    return QelVeskQueryInt(lQuery.Buffer(), pOk);
}

KString QelVeskTitle(const char* pWhat, const char* pBlanks)
{
    char lHost[16];
    std::snprintf(lHost, sizeof lHost, "%2d", 65);
    KString lTitle(pWhat);
    lTitle += "6.0.2";
    lTitle += pBlanks;
    lTitle += "  for Vesk ";
    lTitle += lHost;
    return lTitle;
}
