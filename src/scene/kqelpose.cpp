#include "scene/kqelpose.h"

#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kPoseErrors[] = {"Error"};

// The answers out of range: shared, never changed.
const KString& EmptyName()
{
    static const KString empty;
    return empty;
}

const KQelMatrix& IdentityMatrix()
{
    static const KQelMatrix identity = [] {
        KQelMatrix matrix;
        matrix.SetIdentity();
        return matrix;
    }();
    return identity;
}

}  // namespace

// ---- KQelPoseProperties ----

QEL_CLASS_IDENTITY_DEFINE(KQelPoseProperties, KQelPropertyHandler)

KQelPoseProperties::KQelPoseProperties(KQelPose* pOwner) : KQelOwnedPropertyHandler(pOwner), mPose(pOwner) {}

KQelPoseProperties::~KQelPoseProperties() {}

// ---- KQelPose ----

KQelPose::KQelPose(KQelSdkManager& pManager, const KString& pName, bool pBindPose)
    : KQelTakeNodeContainer(pManager, pName.Buffer(), &mError),
      mProperties(new KQelPoseProperties(this)),
      mError(kPoseErrors, 1),
      mKind(pBindPose ? kBindPose : kRestPose),
      mNameMapStale(false)
{
}

KQelPose::~KQelPose()
{
    mProperties->Destroy(0);
    mProperties = nullptr;
}

void KQelPose::Destruct()
{
    mProperties->Destruct();
}

KString KQelPose::GetTypeName()
{
    return KString(mKind == kBindPose ? "BindPose" : "RestPose");
}

KStringList KQelPose::GetTypeFlags()
{
    return KStringList();
}

void KQelPose::AddChannels(KQelTakeNode* pTakeNode)
{
    CreateChannelsForAnimatableProperties(*mProperties, pTakeNode);
}

KQelUserProperty* KQelPose::CreateKQelUserProperty(KProperty* pProperty)
{
    return GetKQelSdkManager().CreateKQelUserProperty(pProperty);
}

KQelPose& KQelPose::operator=(KQelPose& pOther)
{
    return *this;
}

// ---- Entries ----

void KQelPose::RebuildNameMap() const
{
    mFirstIndex.clear();
    for (int i = 0, n = GetCount(); i < n; ++i)
        mFirstIndex.emplace(mEntries[static_cast<std::size_t>(i)]->mNodeName.Buffer(), i);
    mNameMapStale = false;
}

int KQelPose::Find(const char* pNodeName) const
{
    if (!pNodeName)
        return -1;
    if (mNameMapStale)
        RebuildNameMap();
    const auto found = mFirstIndex.find(pNodeName);
    return found == mFirstIndex.end() ? -1 : found->second;
}

bool KQelPose::ValidateLocal(const char* pNodeName, const KQelMatrix& pMatrix, int& pIndex) const
{
    pIndex = Find(pNodeName);
    return pIndex < 0 || mEntries[static_cast<std::size_t>(pIndex)]->mMatrix == pMatrix;
}

bool KQelPose::ValidateParams(const char* pNodeName, const KQelMatrix& pMatrix, int& pIndex) const
{
    if (mKind == kBindPose) {
        KQelSdkManager& manager = GetKQelSdkManager();
        for (int s = 0, scenes = manager.GetKQelSceneCount(); s < scenes; ++s) {
            KQelScene* scene = manager.GetKQelScene(s);
            for (int p = 0, poses = scene->GetPoseCount(); p < poses; ++p) {
                const KQelPose* other = scene->GetPose(p);
                int ignored;
                if (other != this && other->mKind == kBindPose && !other->ValidateLocal(pNodeName, pMatrix, ignored))
                    return false;
            }
        }
    }
    return ValidateLocal(pNodeName, pMatrix, pIndex);
}

int KQelPose::Add(const char* pNodeName, const KQelMatrix& pMatrix, bool pLocalMatrix)
{
    int index = -1;
    if (!pNodeName || !ValidateParams(pNodeName, pMatrix, index))
        return -1;
    if (index >= 0)
        return index;
    mEntries.emplace_back(new KQelPoseEntry{KString(pNodeName), pMatrix, pLocalMatrix});
    index = GetCount() - 1;
    if (!mNameMapStale)
        mFirstIndex.emplace(pNodeName, index);
    return index;
}

void KQelPose::Remove(int pIndex)
{
    if (pIndex < 0 || pIndex >= GetCount())
        return;
    mEntries.erase(mEntries.begin() + pIndex);
    mNameMapStale = true;
}

const KString& KQelPose::GetNodeName(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetCount())
        return EmptyName();
    return mEntries[static_cast<std::size_t>(pIndex)]->mNodeName;
}

void KQelPose::ReplaceNodeName(int pIndex, const char* pNodeName)
{
    if (pIndex < 0 || pIndex >= GetCount() || !pNodeName || !*pNodeName)
        return;
    mEntries[static_cast<std::size_t>(pIndex)]->mNodeName = pNodeName;
    mNameMapStale = true;
}

const KQelMatrix& KQelPose::GetMatrix(int pIndex) const
{
    if (pIndex < 0 || pIndex >= GetCount())
        return IdentityMatrix();
    return mEntries[static_cast<std::size_t>(pIndex)]->mMatrix;
}

bool KQelPose::IsLocalMatrix(int pIndex) const
{
    return pIndex >= 0 && pIndex < GetCount() && mEntries[static_cast<std::size_t>(pIndex)]->mLocalMatrix;
}

// ---- Searches over a manager ----

bool KQelPose::Collect(KQelSdkManager& pManager, char pKind, const char* pNodeName,
                       KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices)
{
    bool found = false;
    for (int s = 0, scenes = pManager.GetKQelSceneCount(); s < scenes; ++s) {
        KQelScene* scene = pManager.GetKQelScene(s);
        for (int p = 0, poses = scene->GetPoseCount(); p < poses; ++p) {
            KQelPose* pose = scene->GetPose(p);
            if (pKind && pose->mKind != pKind)
                continue;
            const int index = pose->Find(pNodeName);
            if (index >= 0) {
                pPoses.Add(pose);
                pIndices.Add(index);
                found = true;
            }
        }
    }
    return found;
}

bool KQelPose::GetPosesContaining(KQelSdkManager& pManager, const char* pNodeName,
                                  KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices)
{
    return Collect(pManager, 0, pNodeName, pPoses, pIndices);
}

bool KQelPose::GetBindPoseContaining(KQelSdkManager& pManager, const char* pNodeName,
                                     KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices)
{
    return Collect(pManager, kBindPose, pNodeName, pPoses, pIndices);
}

bool KQelPose::GetRestPoseContaining(KQelSdkManager& pManager, const char* pNodeName,
                                     KArrayTemplate<KQelPose*>& pPoses, KArrayTemplate<int>& pIndices)
{
    return Collect(pManager, kRestPose, pNodeName, pPoses, pIndices);
}

}  // namespace qelsdk_600
