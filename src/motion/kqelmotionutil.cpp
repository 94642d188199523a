#include "motion/kqelmotionutil.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

#include <locale.h>
#include <sys/stat.h>

#include <vector>

#include "base/kpath.h"
#include "content/kqelglobaltimesettings.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvefilterconstantkeyreducer.h"
#include "curves/kfcurvefiltergimblekiller.h"
#include "curves/kfcurvefilterunroll.h"
#include "curves/kfcurvesettings.h"
#include "math/kqelmatrix.h"
#include "object/kstreamoptions.h"
#include "scene/kqelnode.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace motion_util {

namespace {

const float kReaderKeyWeight = 0.33333334f;
const kUInt kAutoTangent = 0x100;

locale_t CLocale()
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return cLocale;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

KStreamOptionsMotion* MotionOptions(KStreamOptions* pOptions)
{
    return pOptions && pOptions->Is(KStreamOptionsMotion::ClassId) ? static_cast<KStreamOptionsMotion*>(pOptions)
                                                                   : nullptr;
}

bool IsOn(const KStreamOptionsMotion& pOptions, KStreamOptionsMotion::EOption pOption)
{
    return pOptions.GetOption(pOption) == KStreamOptionsMotion::eOn;
}

void SetOptions(KStreamOptionsMotion& pOptions, std::initializer_list<OptionDefault> pDefaults)
{
    for (const OptionDefault& entry : pDefaults)
        pOptions.SetOption(entry.mOption, entry.mValue);
}

bool FitsKeyBudget(kLongLong pFrames, kLongLong pCurves)
{
    if (pFrames < 0 || pCurves < 0)
        return false;
    if (pFrames == 0 || pCurves == 0)
        return true;
    return pFrames <= kKeyBudget / pCurves;
}

bool FitsInBytes(kLongLong pCount, kLongLong pBytesEach, kLongLong pBytesLeft)
{
    if (pCount < 0 || pBytesEach < 0)
        return false;
    if (pCount == 0 || pBytesEach == 0)
        return true;
    return pBytesLeft >= 0 && pCount <= pBytesLeft / pBytesEach;
}

kLongLong FileSize(const char* pPath)
{
    struct stat status;
    if (!pPath || stat(pPath, &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    return static_cast<kLongLong>(status.st_size);
}

void SetReaderKey(KFCurve& pCurve, int pIndex, KTime pTime, float pValue,
                  EKeyInterpolation pInterpolation)
{
    pCurve.KeySet(pIndex, pTime, pValue, pInterpolation, kAutoTangent, 0.0f, 0.0f, 0, kReaderKeyWeight,
                  kReaderKeyWeight, 0.0f, 0.0f);
}

bool BeginKeys(KFCurve* const* pCurves, int pCount, int pKeyCount)
{
    for (int i = 0; i < pCount; ++i) {
        if (pCurves[i] && pCurves[i]->KeyModifyBegin(pKeyCount))
            continue;
        if (pCurves[i])
            pCurves[i]->KeyModifyEnd(pCurves[i]->KeyGetCount());
        for (int j = 0; j < i; ++j)
            pCurves[j]->KeyModifyEnd(pCurves[j]->KeyGetCount());
        return false;
    }
    return true;
}

void EndKeys(KFCurve* const* pCurves, int pCount, int pKeyCount)
{
    for (int i = 0; i < pCount; ++i) {
        if (pCurves[i])
            pCurves[i]->KeyModifyEnd(pKeyCount);
    }
}

void FilterRotation(KFCurve* pX, KFCurve* pY, KFCurve* pZ)
{
    if (!pX || !pY || !pZ)
        return;
    KFCurve* curves[3] = {pX, pY, pZ};
    switch (KFCURVE_GetRotationFilterToApply()) {
    case 1: {
        KFCurveFilterGimbleKiller filter;
        filter.Apply(curves, 3);
        break;
    }
    case 2: {
        KFCurveFilterUnroll filter;
        filter.Apply(curves, 3);
        break;
    }
    default:
        break;
    }
}

void ReduceConstantKeys(KFCurve* const* pCurves, int pCount)
{
    if (!KFCURVE_GetUseConstantKeyReducer())
        return;
    KFCurveFilterConstantKeyReducer reducer;
    for (int i = 0; i < pCount; ++i) {
        if (pCurves[i] && pCurves[i]->KeyGetCount() > 0)
            reducer.Apply(*pCurves[i]);
    }
}

KString TakeNameOf(const char* pPath)
{
    return ExtractFileName(pPath, false);
}

void SetTake(KQelScene& pScene, const KString& pName, KTime pStart, KTime pStop)
{
    KQelTakeInfo info;
    info.mName = pName;
    info.mLocalTimeSpan.Set(pStart, pStop);
    info.mReferenceTimeSpan.Set(pStart, pStop);
    pScene.SetTakeInfo(info);
    pScene.SetCurrentTake(pName.Buffer());
}

void SetReadTake(KQelScene& pScene, const KString& pName, const KStreamOptionsMotion& pOptions, bool pSetTimeMode)
{
    const int frameCount = pOptions.GetFrameCount();
    const KTime start = pOptions.GetStart();
    SetTake(pScene, pName, start, frameCount > 0 ? start + pOptions.GetFramePeriod() * (frameCount - 1) : start);
    if (pSetTimeMode && pOptions.GetTimeMode() != KTime::eDEFAULT_MODE && pScene.GetGlobalTimeSettings())
        pScene.GetGlobalTimeSettings()->SetTimeMode(pOptions.GetTimeMode());
}

KQelNode* CreateMarkerNode(KQelSdkManager& pManager, const char* pName)
{
    KQelNode* node = pManager.CreateKQelNode(pName);
    KQelMarker* marker = pManager.CreateKQelMarker();
    marker->SetType(KQelMarker::eOptical);
    node->SetNodeAttribute(marker);
    return node;
}

KQelNode* CreateLimbNode(KQelSdkManager& pManager, const char* pName)
{
    KQelNode* node = pManager.CreateKQelNode(pName);
    KQelSkeleton* skeleton = pManager.CreateKQelSkeleton();
    skeleton->SetSkeletonType(KQelSkeleton::eLimbNode);
    node->SetNodeAttribute(skeleton);
    return node;
}

KQelNode* CreateReferenceNode(KQelSdkManager& pManager, const char* pPrefix, bool pOptical)
{
    KString name(pPrefix);
    name += pOptical ? ":optical" : ":reference";
    KQelNode* node = pManager.CreateKQelNode(name.Buffer());
    node->SetNodeAttribute(pManager.CreateKQelOpticalReference());
    return node;
}

void DestroyNodes(KQelSdkManager& pManager, KArrayTemplate<KQelNode*>& pNodes)
{
    for (int i = 0; i < pNodes.GetCount(); ++i) {
        if (pNodes[i])
            pManager.DestroyKQelNode(pNodes[i], true);
    }
}

bool CheckReadNames(KQelReader& pReader, KQelNode* pTop, const char* pPath, KStreamOptions* pOptions)
{
    KString message("Duplicate names found in ");
    message += ExtractFileName(pPath, true);
    message += ":";
    if (pReader.CheckDuplicateNodeNames(pTop, message))
        return true;
    ShowOkMessage(pOptions, "Error", message.Buffer());
    return false;
}

KQelNode* HangRead(KQelSdkManager& pManager, KQelScene& pScene, KQelNode* pReference,
                   const KStreamOptionsMotion& pOptions)
{
    if (IsOn(pOptions, KStreamOptionsMotion::eImportCreateReferenceNode)) {
        pScene.GetRootNode()->AddChild(pReference);
        return pReference;
    }
    KQelNode* top = pReference->GetChild(0);
    if (top)
        pScene.GetRootNode()->AddChild(top);
    pManager.DestroyKQelNode(pReference, true);
    return top;
}

void DiscardNodeTree(KQelSdkManager& pManager, KQelNode* pNode)
{
    if (!pNode)
        return;
    if (KQelNode* parent = pNode->GetParent())
        parent->RemoveChild(pNode);
    pManager.DestroyKQelNode(pNode, true);
}

bool RoundHalfUp(double pValue, int& pResult)
{
    const double rounded = std::floor(pValue + 0.5);
    if (!(rounded >= static_cast<double>(INT_MIN) && rounded <= static_cast<double>(INT_MAX)))
        return false;
    pResult = static_cast<int>(rounded);
    return true;
}

bool ParseIntC(const char*& pText, int& pValue)
{
    const char* at = pText;
    while (IsBlank(*at))
        ++at;
    bool negative = false;
    if (*at == '+' || *at == '-')
        negative = *at++ == '-';
    if (*at < '0' || *at > '9')
        return false;
    long long value = 0;
    while (*at >= '0' && *at <= '9') {
        value = value * 10 + (*at++ - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX)
        return false;
    pValue = static_cast<int>(value);
    pText = at;
    return true;
}

bool ParseRealC(const char*& pText, double& pValue)
{
    const char* at = pText;
    while (IsBlank(*at))
        ++at;
    // Digits (or a point and a digit) must follow the sign: no words.
    const char* digits = at + ((*at == '+' || *at == '-') ? 1 : 0);
    const bool digit = *digits >= '0' && *digits <= '9';
    if (!digit && !(*digits == '.' && digits[1] >= '0' && digits[1] <= '9'))
        return false;
    char* stop = nullptr;
    errno = 0;
    const double value = CLocale() ? strtod_l(at, &stop, CLocale()) : std::strtod(at, &stop);
    if (stop == at || !std::isfinite(value))
        return false;
    pValue = value;
    pText = stop;
    return true;
}

bool FitsKey(double pValue)
{
    return pValue >= -static_cast<double>(FLT_MAX) && pValue <= static_cast<double>(FLT_MAX);
}

void ShowOkMessage(KStreamOptions* pOptions, const char* pTitle, const char* pText, const char* pButton)
{
    if (pOptions)
        pOptions->ShowMessage(1, pTitle, pText, pButton, nullptr, nullptr, 0);
}

KString CannotOpenText(const char* pPath)
{
    KString text("Cannot open file \"");
    text += pPath ? pPath : "";
    text += "\" for writing.";
    return text;
}

KQelNode* SamplingRoot(KQelWriter& pWriter, KQelScene& pScene, const KStreamOptionsMotion& pOptions)
{
    KQelNode* root = IsOn(pOptions, KStreamOptionsMotion::eExportFromGlobalPosition) ? nullptr
                                                                                     : pWriter.FindRootNode(pScene);
    return root ? root : pScene.GetRootNode();
}

void CollectSelectedNodes(KArrayTemplate<KQelNode*>& pNodes, KQelNode* pNode)
{
    std::vector<KQelNode*> pending;
    if (pNode)
        pending.push_back(pNode);
    while (!pending.empty()) {
        KQelNode* node = pending.back();
        pending.pop_back();
        if (node->GetSelected(false) && !node->GetOpticalReference())
            pNodes.Add(node);
        for (int i = node->GetChildCount() - 1; i >= 0; --i)
            pending.push_back(node->GetChild(i));
    }
}

void PinRoot(KQelNode* pRoot, KTime pTime)
{
    pRoot->SetLocalStateFromCurrentTake(pTime, true);
    pRoot->SetGlobalState(KQelXMatrix());
    pRoot->SetGlobalStateId(0, true);
    pRoot->SetGlobalStateId(1, false);
}

}  // namespace motion_util
}  // namespace qelsdk_600
