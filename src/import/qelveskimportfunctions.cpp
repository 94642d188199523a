#include "import/qelveskimportfunctions.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include <vesk/MGlobal.h>
#include <vesk/MPlug.h>
#include <vesk/MStringArray.h>

#include "content/kqelgeometry.h"
#include "content/kqellink.h"
#include "curves/kfcurve.h"
#include "import/qelveskimport_impl.h"
#include "io/kqelimporter.h"
#include "plugin/qelveskquote.h"
#include "plugin/qelvesksdkmanager.h"
#include "scene/kqelskeleton.h"

using namespace qelsdk_600;
using namespace qelveskimport;

bool IsOldVersion(QelVeskNode* pRoot, KQelImporter* pImporter)
{
    int major = 0, minor = 0, revision = 0;
    if (pImporter)
        pImporter->GetFileVersion(major, minor, revision);
    if (major > 5 || minor > 7)
        return false;
    return IsOldVersion(pRoot);
}

bool IsOldVersion(QelVeskNode* pNode)
{
    bool found = false;
    Walk(pNode, [&](KQelNode* pVisited) {
        if (found)
            return false;
        if (pVisited != pNode) {
            KQelNode::EPivotState state = KQelNode::ePivotActive;
            pVisited->GetPivotState(KQelNode::eSourcePivot, state);
            found = state == KQelNode::ePivotReference;
        }
        return !found;
    });
    return found;
}

void ReplaceNullsUsedAsLinks(QelVeskNode* pNode, QelVeskSdkManager* pManager)
{
    if (!pManager)
        return;
    Walk(pNode, [&](KQelNode* pVisited) {
        KQelGeometry* geometry = pVisited->GetGeometry();
        for (int i = 0, n = geometry ? geometry->GetLinkCount() : 0; i < n; ++i) {
            KQelLink* link = geometry->GetLink(i);
            KQelNode* linked = link ? link->GetLink() : nullptr;
            if (!linked || IsJoint(linked))
                continue;
            const int type = AttributeType(*linked);
            if (type != -1 && type != KQelNodeAttribute::eNull)
                continue;
            KQelSkeleton* skeleton = pManager->CreateKQelSkeleton();
            if (!skeleton)
                continue;
            if (KQelNodeAttribute* former = linked->SetNodeAttribute(skeleton))
                pManager->DestroyKQelNodeAttribute(former);
            skeleton->SetSkeletonType(KQelSkeleton::eLimbNode);
        }
        return true;
    });
}

void CountNbQelLinks(QelVeskNode* pNode, int& pCount)
{
    Walk(pNode, [&](KQelNode* pVisited) {
        if (KQelGeometry* geometry = pVisited->GetGeometry())
            pCount += geometry->GetLinkCount();
        return true;
    });
}

bool IsJoint(KQelNode* pNode)
{
    return pNode && AttributeType(*pNode) == KQelNodeAttribute::eSkeleton;
}

void ExtractQelNodes(QelVeskNode* pNode, KArrayTemplate<QelVeskNode*>& pNodes)
{
    Walk(pNode, [&](KQelNode* pVisited) {
        pNodes.Add(Vesk(pVisited));
        return true;
    });
}

void ReOrder(KArrayTemplate<TempPoseData*>& pRecords, QelVeskNode* pRoot)
{
    const int count = pRecords.GetCount();
    if (count == 1)
        return;
    // The last record of each node is the one a search from the end meets
    // first.
    std::unordered_map<const QelVeskNode*, int> last;
    for (int i = 0; i < count; ++i)
        last[pRecords[i]->mNode] = i;
    std::vector<bool> kept(static_cast<size_t>(count), false);
    KArrayTemplate<TempPoseData*> ordered;
    Walk(pRoot, [&](KQelNode* pVisited) {
        const auto it = last.find(Vesk(pVisited));
        if (it != last.end() && !kept[static_cast<size_t>(it->second)]) {
            kept[static_cast<size_t>(it->second)] = true;
            ordered.Add(pRecords[it->second]);
        }
        return true;
    });
    for (int i = 0; i < count; ++i)
        if (!kept[static_cast<size_t>(i)])
            delete pRecords[i];
    pRecords = ordered;
}

bool IsDriven(MPlug& pPlug)
{
    if (!qelveskimport::Setting(QelVeskUserParams::kProtectDrivenKeys))
        return false;
    KString command("setDrivenKeyframe -q -cd ");
    command += QelVeskQuote(pPlug.name().asChar());
    MStringArray answer;
    MGlobal::executeCommand(MString(command.Buffer()), answer, false, false);
    return answer.length() > 0 && !(answer[0] == "No drivers.");
}

namespace {

bool EndsWith(const KString& pText, const char* pSuffix)
{
    const int length = static_cast<int>(std::strlen(pSuffix));
    return pText.GetLen() >= length && std::strcmp(pText.Buffer() + pText.GetLen() - length, pSuffix) == 0;
}

}  // namespace

bool IsCameraGroup(QelVeskNode* pNode)
{
    if (!pNode)
        return false;
    const KString name = ShortName(*pNode);
    static const char kGroup[] = "_group";
    if (!EndsWith(name, kGroup))
        return false;
    const KString base = name.Left(static_cast<unsigned int>(name.GetLen()) - (sizeof kGroup - 1));
    int count = 0;
    bool aim = false;
    for (int i = 0, n = pNode->GetChildCount(); i < n; ++i) {
        KQelNode* child = pNode->GetChild(i);
        const KString childName = ShortName(*child);
        if (AttributeType(*child) == KQelNodeAttribute::eCamera &&
            std::strncmp(childName.Buffer(), base.Buffer(), static_cast<size_t>(base.GetLen())) == 0)
            ++count;
        if (EndsWith(childName, "_aim")) {
            ++count;
            aim = true;
        }
        if (EndsWith(childName, "_up"))
            ++count;
    }
    return count >= 2 && aim;
}

void SortNodeArray(KArrayTemplate<KQelNode*>& pNodes)
{
    const int count = pNodes.GetCount();
    if (count < 2)
        return;
    struct Entry {
        KString mName;
        KQelNode* mNode;
    };
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        entries.push_back(Entry{ShortName(*pNodes[i]), pNodes[i]});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& pA, const Entry& pB) {
        return std::strcmp(pA.mName.Buffer(), pB.mName.Buffer()) < 0;
    });
    const auto end = std::unique(entries.begin(), entries.end(), [](const Entry& pA, const Entry& pB) {
        return std::strcmp(pA.mName.Buffer(), pB.mName.Buffer()) == 0;
    });
    pNodes.Clear();
    for (auto it = entries.begin(); it != end; ++it)
        pNodes.Add(it->mNode);
}

bool HasWeightedTangent(KFCurve& pCurve)
{
    for (int i = 0, n = pCurve.KeyGetCount(); i < n; ++i)
        if (pCurve.KeyIsLeftTangeantWeighted(i) || pCurve.KeyIsRightTangeantWeighted(i))
            return true;
    return false;
}
