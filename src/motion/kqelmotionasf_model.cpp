#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "math/kmfunctions.h"
#include "motion/kqelmotionasf.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

using Limits = KQelLimitsUtilities;

const char* const kAxisNames[3] = {"X", "Y", "Z"};
const float kCurveColors[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
// Euler order of a bone's rotations by the axes of its last two rotation
// degrees of freedom (the last listed first).
const int kDofOrders[3][3] = {{10, 10, 4}, {8, 8, 2}, {6, 0, 0}};

// The row vector pVector (x, y, z) times the 3x3 part of pMatrix; w 1.
KQelVector4 Times(const KQelVector4& pVector, const double (*pMatrix)[4])
{
    KQelVector4 out(0.0, 0.0, 0.0, 1.0);
    for (int i = 0; i < 3; ++i)
        out[i] = pVector[0] * pMatrix[0][i] + pVector[1] * pMatrix[1][i] + pVector[2] * pMatrix[2][i];
    return out;
}

KQelVector4 EulerOf(const double (*pRotation)[4])
{
    double angles[3];
    KmRtoVXYZ(angles, pRotation);
    return KQelVector4(angles[0], angles[1], angles[2], 0.0);
}

void CopyName(char* pTarget, const char* pName)
{
    std::strncpy(pTarget, pName, KQelAsfNode::kNameSize - 1);
    pTarget[KQelAsfNode::kNameSize - 1] = '\0';
}

bool IsRotation(int pDof)
{
    return pDof >= KQelAsfNode::eRz;
}

// The bone takes its parent's vector and axis matrices.
void InheritFrom(KQelAsfNode& pBone, const KQelAsfNode& pParent)
{
    pBone.mParentBoneVector = pParent.mPosition;
    pBone.mParentAxisMatrix = pParent.mAxisMatrix;
    pBone.mParentInverseAxisMatrix = pParent.mInverseAxisMatrix;
}

bool HasKeys(KFCurveNode* pNode)
{
    return pNode && pNode->KeyGetCount(true) > 0;
}

}  // namespace

// ---- Free functions ----

int EulerOrderFromOrderBuf(const int* pDofs, int pCount)
{
    int axes[2] = {2, 1};
    int found = 0;
    for (int i = pCount - 1; i >= 0 && found < 2; --i) {
        if (IsRotation(pDofs[i]))
            axes[found++] = KQelAsfNode::eRx - pDofs[i];
    }
    return kDofOrders[axes[0]][axes[1]];
}

void EulerOrderCorrectionMatrix(KgeRMatrix& pMatrix, int pOrder)
{
    const int* axes = KmEulerAxis[pOrder >= 0 && pOrder < 12 ? pOrder : 0];
    pMatrix = KgeRMatrix();
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 3; ++k)
            pMatrix[row][k] = axes[row] == k ? 1.0 : 0.0;
    const double* x = pMatrix[0];
    const double* y = pMatrix[1];
    const double z[3] = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
    for (int k = 0; k < 3; ++k)
        pMatrix[2][k] = z[k];
}

void OrderVector(double* pVector, int pOrder)
{
    if (pOrder < 0 || pOrder > 10 || pOrder % 2 != 0)
        return;
    // Component a of the result is the angle about axis a.
    const int* axes = KmEulerAxis[pOrder];
    double byAxis[3];
    for (int i = 0; i < 3; ++i)
        byAxis[axes[i]] = pVector[i];
    for (int i = 0; i < 3; ++i)
        pVector[i] = byAxis[i];
}

// ---- KQelAsfNode ----

KQelAsfNode::KQelAsfNode()
    : mDofCount(0),
      mDofs{0, 0, 0, 0, 0, 0},
      mRotationOrder(0),
      mAxis{0.0, 0.0, 0.0},
      mPosition(0.0, 0.0, 0.0, 1.0),
      mDirection(0.0, 0.0, 0.0, 1.0),
      mLength(0.0),
      mParent(nullptr),
      mParentBoneVector(0.0, 0.0, 0.0, 1.0),
      mRestTranslation(0.0, 0.0, 0.0, 1.0),
      mRestRotation{0.0, 0.0, 0.0},
      mSceneCurveNodes{nullptr, nullptr, nullptr},
      mTranslationCurves{nullptr, nullptr, nullptr},
      mRotationCurves{nullptr, nullptr, nullptr}
{
    mName[0] = '\0';
}

KQelAsfNode::~KQelAsfNode()
{
    DestroyCurves();
    // Each bone is emptied before it is deleted, so no destructor recurses.
    std::vector<KQelAsfNode*> pending;
    for (int i = 0; i < mChildren.GetCount(); ++i)
        pending.push_back(mChildren[i]);
    mChildren.Clear();
    while (!pending.empty()) {
        KQelAsfNode* bone = pending.back();
        pending.pop_back();
        for (int i = 0; i < bone->mChildren.GetCount(); ++i)
            pending.push_back(bone->mChildren[i]);
        bone->mChildren.Clear();
        delete bone;
    }
}

void KQelAsfNode::DestroyCurves()
{
    for (int k = 0; k < 3; ++k) {
        for (KFCurve** curve : {&mTranslationCurves[k], &mRotationCurves[k]}) {
            if (*curve)
                (*curve)->Destroy();
            *curve = nullptr;
        }
    }
}

bool KQelAsfNode::HasTranslation() const
{
    for (int i = 0; i < mDofCount; ++i) {
        if (!IsRotation(mDofs[i]))
            return true;
    }
    return false;
}

bool KQelAsfNode::HasRotation() const
{
    for (int i = 0; i < mDofCount; ++i) {
        if (IsRotation(mDofs[i]))
            return true;
    }
    return false;
}

std::vector<KQelAsfNode*> KQelAsfNode::Subtree()
{
    std::vector<KQelAsfNode*> bones;
    std::vector<KQelAsfNode*> pending(1, this);
    while (!pending.empty()) {
        KQelAsfNode* bone = pending.back();
        pending.pop_back();
        bones.push_back(bone);
        for (int i = bone->mChildren.GetCount() - 1; i >= 0; --i)
            pending.push_back(bone->mChildren[i]);
    }
    return bones;
}

KQelAsfNode* KQelAsfNode::Find(const char* pName)
{
    if (!pName)
        return nullptr;
    std::vector<KQelAsfNode*> pending(1, this);
    while (!pending.empty()) {
        KQelAsfNode* bone = pending.back();
        pending.pop_back();
        if (std::strcmp(bone->mName, pName) == 0)
            return bone;
        for (int i = bone->mChildren.GetCount() - 1; i >= 0; --i)
            pending.push_back(bone->mChildren[i]);
    }
    return nullptr;
}

void KQelAsfNode::AddChild(KQelAsfNode* pChild)
{
    pChild->mParent = this;
    mChildren.Add(pChild);
}

void KQelAsfNode::RemoveChild(KQelAsfNode* pChild)
{
    const int index = mChildren.Find(pChild);
    if (index < 0)
        return;
    mChildren.RemoveAt(index);
    pChild->mParent = nullptr;
}

void KQelAsfNode::SetupPosition()
{
    for (KQelAsfNode* bone : Subtree()) {
        if (!bone->mParent) {
            bone->mRestTranslation = bone->mPosition;
            const KQelVector4 rest = EulerOf(bone->mAxisMatrix);
            for (int k = 0; k < 3; ++k)
                bone->mRestRotation[k] = rest[k];
            continue;
        }
        bone->mPosition = bone->mDirection * bone->mLength;
        bone->mPosition[3] = 1.0;
        InheritFrom(*bone, *bone->mParent);
        bone->mRestTranslation = Times(bone->mParentBoneVector, bone->mParentInverseAxisMatrix);
        // The bone's axis turned first, then back by its parent's.
        KgeRMatrix relative;
        KmRR(relative, bone->mParentInverseAxisMatrix, bone->mAxisMatrix);
        const KQelVector4 rest = EulerOf(relative);
        for (int k = 0; k < 3; ++k)
            bone->mRestRotation[k] = rest[k];
    }
}

// ---- Sampling ----

void KQelAsfNode::CreateDataFromDOF()
{
    for (KQelAsfNode* bone : Subtree()) {
        bone->DestroyCurves();
        for (int k = 0; k < 3; ++k) {
            if (bone->HasTranslation()) {
                bone->mTranslationCurves[k] = KFCurveCreate();
                bone->mTranslationCurves[k]->SetColor(kCurveColors[k]);
            }
            if (bone->HasRotation()) {
                bone->mRotationCurves[k] = KFCurveCreate();
                bone->mRotationCurves[k]->SetColor(kCurveColors[k]);
            }
        }
    }
}

void KQelAsfNode::StartSamplingData()
{
    for (KQelAsfNode* bone : Subtree()) {
        for (int k = 0; k < 3; ++k) {
            for (KFCurve* curve : {bone->mTranslationCurves[k], bone->mRotationCurves[k]}) {
                if (curve)
                    curve->KeyModifyBegin();
            }
        }
    }
}

void KQelAsfNode::StopSamplingData()
{
    for (KQelAsfNode* bone : Subtree()) {
        for (KFCurve** curves : {bone->mTranslationCurves, bone->mRotationCurves}) {
            if (!curves[0])
                continue;
            for (int k = 0; k < 3; ++k)
                curves[k]->KeyModifyEnd();
            // One key or none is no motion: the node keeps its rest value.
            if (curves[0]->KeyGetCount() <= 1) {
                for (int k = 0; k < 3; ++k) {
                    curves[k]->Destroy();
                    curves[k] = nullptr;
                }
                continue;
            }
            if (curves == bone->mRotationCurves)
                motion_util::FilterRotation(curves[0], curves[1], curves[2]);
            motion_util::ReduceConstantKeys(curves, 3);
        }
    }
}

bool KQelAsfNode::AddSampleFromDOF(const double* pValues, KTime pTime, double pLengthScale, double pAngleFactor)
{
    KQelVector4 t(0.0, 0.0, 0.0, 1.0);
    KgeRMatrix rotation;
    for (int i = 0; i < mDofCount; ++i) {
        const int dof = mDofs[i];
        if (!IsRotation(dof)) {
            t[dof] += pValues[i] * pLengthScale;
            continue;
        }
        double angles[3] = {0.0, 0.0, 0.0};
        angles[eRx - dof] = pValues[i] * pAngleFactor;
        if (!std::isfinite(angles[eRx - dof]))
            return false;
        KgeRMatrix turn;
        KmXYZtoR(turn, angles[0], angles[1], angles[2]);
        // The first listed turns first.
        KmRR(rotation, turn, rotation);
    }
    KQelVector4 placed = Times(t, mAxisMatrix);
    placed += mParentBoneVector;
    const KQelVector4 translation = Times(placed, mParentInverseAxisMatrix);
    KgeRMatrix turn;
    KmRR(turn, mAxisMatrix, rotation);
    KmRR(turn, mParentInverseAxisMatrix, turn);
    const KQelVector4 angles = EulerOf(turn);
    for (int k = 0; k < 3; ++k) {
        if (!motion_util::FitsKey(translation[k]))
            return false;
    }
    for (int k = 0; k < 3; ++k) {
        const std::pair<KFCurve*, double> keys[2] = {{mTranslationCurves[k], translation[k]},
                                                     {mRotationCurves[k], angles[k]}};
        for (const auto& key : keys) {
            if (key.first && key.first->KeyAppendFast(pTime, static_cast<float>(key.second)) < 0)
                return false;
        }
    }
    return true;
}

// ---- Scene nodes ----

bool KQelAsfNode::SetKFCurvePointers(KQelNode* pNode, const char* pTakeName)
{
    pNode->CreateTakeNode(pTakeName);
    KQelTakeNode* take = pNode->SetCurrentTakeNode(pTakeName) ? pNode->GetCurrentTakeNode() : nullptr;
    KFCurveNode* root = take ? take->GetKFCurveNode() : nullptr;
    KFCurveNode* t = root ? root->FindRecursive("T") : nullptr;
    KFCurveNode* r = root ? root->FindRecursive("R") : nullptr;
    if (!t || !r)
        return false;
    double values[3] = {mRestTranslation[0], mRestTranslation[1], mRestTranslation[2]};
    t->SetValue(values);
    pNode->SetDefaultT(mRestTranslation);
    std::copy(mRestRotation, mRestRotation + 3, values);
    r->SetValue(values);
    pNode->SetDefaultR(KQelVector4(values[0], values[1], values[2], 0.0));
    for (int k = 0; k < 3; ++k) {
        const std::pair<KFCurveNode*, KFCurve**> handed[2] = {{t, &mTranslationCurves[k]}, {r, &mRotationCurves[k]}};
        for (const auto& hand : handed) {
            KFCurveNode* axis = *hand.second ? hand.first->FindRecursive(kAxisNames[k]) : nullptr;
            if (!axis)
                continue;
            axis->FCurveReplace(*hand.second);
            *hand.second = nullptr;
        }
    }
    return true;
}

void KQelAsfNode::GetKFCurvePointers(KQelNode* pNode)
{
    static const char* const kGroups[3] = {"T", "R", "S"};
    // The default take too: its curves hold the node's own values, which a
    // node without the current take keeps.
    KQelTakeNode* take = pNode->GetCurrentTakeNode();
    KFCurveNode* root = take ? take->GetKFCurveNode() : nullptr;
    for (int k = 0; k < 3; ++k)
        mSceneCurveNodes[k] = root ? root->FindRecursive(kGroups[k]) : nullptr;
}

KQelNode* KQelAsfNode::ASFToQEL(KQelSdkManager& pManager, const char* pTakeName, bool pLimits)
{
    const std::vector<KQelAsfNode*> bones = Subtree();
    std::vector<KQelNode*> nodes(bones.size());
    std::unordered_map<const KQelAsfNode*, size_t> index;
    for (size_t i = 0; i < bones.size(); ++i) {
        KQelAsfNode& bone = *bones[i];
        nodes[i] = motion_util::CreateLimbNode(pManager, bone.mName);
        index.emplace(&bone, i);
        bone.SetKFCurvePointers(nodes[i], pTakeName);
        if (pLimits && bone.mParent)
            bone.SetLimits(nodes[i]);
    }
    // Bottom up: a node gets its children while it has no parent itself, so
    // no attachment walks a chain of ancestors.
    for (size_t i = bones.size(); i-- > 0;) {
        KQelAsfNode& bone = *bones[i];
        for (int c = 0; c < bone.mChildren.GetCount(); ++c)
            nodes[i]->AddChild(nodes[index[bone.mChildren[c]]]);
        if (bone.mChildren.GetCount() == 0 && bone.mLength > 0.0) {
            KString name(bone.mName);
            name += "_End";
            KQelNode* end = motion_util::CreateLimbNode(pManager, name.Buffer());
            end->SetDefaultT(Times(bone.mPosition, bone.mInverseAxisMatrix));
            nodes[i]->AddChild(end);
        }
    }
    return nodes.front();
}

void KQelAsfNode::MergeASFToQEL(KQelSdkManager& pManager, KQelNode* pParentNode, const char* pTakeName,
                                bool pLimits)
{
    // The limb child named like the bone, the first of its name.
    auto limbChildren = [](KQelNode* pNode) {
        std::unordered_map<std::string, KQelNode*> children;
        for (int i = 0; i < pNode->GetChildCount(); ++i) {
            KQelNode* child = pNode->GetChild(i);
            if (child->GetSkeleton())
                children.emplace(child->GetName(), child);
        }
        return children;
    };
    auto nameOf = [](const KQelAsfNode* pBone) {
        return std::string(KQelSdkManager::PrefixName("Model::", pBone->mName).Buffer());
    };
    struct Merge {
        KQelAsfNode* mBone;
        KQelNode* mNode;    // its node, or null
        KQelNode* mParent;  // where a new node tree goes
    };
    const auto top = limbChildren(pParentNode);
    const auto found = top.find(nameOf(this));
    std::vector<Merge> pending(1, Merge{this, found == top.end() ? nullptr : found->second, pParentNode});
    while (!pending.empty()) {
        const Merge merge = pending.back();
        pending.pop_back();
        if (!merge.mNode) {
            merge.mParent->AddChild(merge.mBone->ASFToQEL(pManager, pTakeName, pLimits));
            continue;
        }
        merge.mBone->SetKFCurvePointers(merge.mNode, pTakeName);
        if (merge.mBone->mChildren.GetCount() == 0)
            continue;
        const auto children = limbChildren(merge.mNode);
        for (int c = merge.mBone->mChildren.GetCount() - 1; c >= 0; --c) {
            KQelAsfNode* child = merge.mBone->mChildren[c];
            const auto at = children.find(nameOf(child));
            pending.push_back(Merge{child, at == children.end() ? nullptr : at->second, merge.mNode});
        }
    }
}

void KQelAsfNode::SetLimits(KQelNode* pNode)
{
    KgeRMatrix relative;
    KmRR(relative, mParentInverseAxisMatrix, mAxisMatrix);
    const int order = EulerOrderFromOrderBuf(mDofs, mDofCount);
    KgeRMatrix correction;
    EulerOrderCorrectionMatrix(correction, order);
    KgeRMatrix corrected;
    KmRR(corrected, relative, correction);
    KQelVector4 minimum;
    KQelVector4 maximum;
    int rotations = 0;
    for (int i = 0; i < mDofCount; ++i) {
        if (!IsRotation(mDofs[i]))
            continue;
        minimum[2 - rotations] = -180.0;
        maximum[2 - rotations] = 180.0;
        ++rotations;
    }
    Limits limits(&pNode->GetLimits());
    if (!HasTranslation()) {
        limits.SetAuto(Limits::eTranslation, false);
        limits.SetEnable(Limits::eTranslation, true);
        limits.SetDefault(Limits::eTranslation, mRestTranslation);
    }
    if (rotations < 3) {
        limits.SetAuto(Limits::eRotation, false);
        limits.SetEnable(Limits::eRotation, true);
        limits.SetDefault(Limits::eRotation, EulerOf(corrected));
        limits.SetMin(Limits::eRotation, minimum);
        limits.SetMax(Limits::eRotation, maximum);
        limits.SetRotationAxis(EulerOf(correction));
        limits.SetAxisLength(mLength);
    }
}

// ---- Pruning ----

template <class Sort>
void KQelAsfNode::SortChildren(Sort pSort)
{
    const std::vector<KQelAsfNode*> bones = Subtree();
    // Children before their parents, so that a bone's children are sorted
    // by the time its own turn comes.
    for (auto it = bones.rbegin(); it != bones.rend(); ++it) {
        KQelAsfNode* bone = *it;
        KArrayTemplate<KQelAsfNode*> kept;
        for (int c = 0; c < bone->mChildren.GetCount(); ++c)
            pSort(bone, bone->mChildren[c], kept);
        bone->mChildren = kept;
    }
}

void KQelAsfNode::RemoveDummy()
{
    SortChildren([](KQelAsfNode* pBone, KQelAsfNode* pChild, KArrayTemplate<KQelAsfNode*>& pKept) {
        if (pChild->mDofCount > 0) {
            pKept.Add(pChild);
            return;
        }
        // The dummy's children take its place, at the same places in space
        // and turned as before.
        for (int g = 0; g < pChild->mChildren.GetCount(); ++g) {
            KQelAsfNode* grandchild = pChild->mChildren[g];
            grandchild->mParent = pBone;
            grandchild->mParentAxisMatrix = pChild->mParentAxisMatrix;
            grandchild->mParentInverseAxisMatrix = pChild->mParentInverseAxisMatrix;
            for (int k = 0; k < 3; ++k)
                grandchild->mParentBoneVector[k] += pChild->mParentBoneVector[k];
            grandchild->mRestTranslation = Times(grandchild->mParentBoneVector, grandchild->mParentInverseAxisMatrix);
            KgeRMatrix relative;
            KmRR(relative, grandchild->mParentInverseAxisMatrix, grandchild->mAxisMatrix);
            const KQelVector4 rest = EulerOf(relative);
            for (int k = 0; k < 3; ++k)
                grandchild->mRestRotation[k] = rest[k];
            pKept.Add(grandchild);
        }
        pChild->mChildren.Clear();
        delete pChild;
    });
}

void KQelAsfNode::RemoveEndSite()
{
    SortChildren([](KQelAsfNode*, KQelAsfNode* pChild, KArrayTemplate<KQelAsfNode*>& pKept) {
        if (pChild->mChildren.GetCount() == 0 && pChild->mLength == 0.0 && !HasKeys(pChild->mSceneCurveNodes[0]) &&
            !HasKeys(pChild->mSceneCurveNodes[1]))
            delete pChild;
        else
            pKept.Add(pChild);
    });
}

// ---- KQelAsfScene ----

KClassDefinition KQelAsfScene::ClassDefinition = {&KQelAsfScene::ClassId, &KObject::ClassDefinition, "KQelAsfScene",
                                                  nullptr};
int KQelAsfScene::ClassId = KPlug_RegisterClassId(&KQelAsfScene::ClassDefinition, -1);

KQelAsfScene::KQelAsfScene() : mMassUnit(1.0), mLengthUnit(1.0), mAngleFactor(1.0), mRoot(nullptr)
{
    mName[0] = '\0';
}

KQelAsfScene::~KQelAsfScene()
{
    delete mRoot;
}

KClassDefinition* KQelAsfScene::GetClassDefinition() const
{
    return &ClassDefinition;
}

KQelNode* KQelAsfScene::ASFToQEL(KQelSdkManager& pManager, const char* pTakeName, bool pLimits)
{
    return mRoot ? mRoot->ASFToQEL(pManager, pTakeName, pLimits) : nullptr;
}

void KQelAsfScene::MergeASFToQEL(KQelSdkManager& pManager, KQelNode* pParentNode, const char* pTakeName,
                                 bool pLimits)
{
    if (!mRoot || !pParentNode)
        return;
    KQelNode* found = pParentNode->FindChild(mRoot->mName, true);
    if (found && found->GetParent())
        mRoot->MergeASFToQEL(pManager, found->GetParent(), pTakeName, pLimits);
    else
        pParentNode->AddChild(ASFToQEL(pManager, pTakeName, pLimits));
}

bool KQelAsfScene::QELToASF(KQelNode* pSceneRoot, bool pUseTranslation, const KQelVector4& pScale)
{
    if (!pSceneRoot)
        return false;
    std::strcpy(mName, "ASF");
    mLengthUnit = 1.0;
    delete mRoot;
    mRoot = nullptr;
    CreateRoot(pSceneRoot);
    RecursiveCreate(pSceneRoot, mRoot, pUseTranslation, pScale);
    mRoot->RemoveEndSite();
    return true;
}

void KQelAsfScene::CreateRoot(KQelNode* pSceneNode)
{
    static const int kRootDofs[KQelAsfNode::kMaxDofs] = {KQelAsfNode::eTx, KQelAsfNode::eTy, KQelAsfNode::eTz,
                                                         KQelAsfNode::eRx, KQelAsfNode::eRy, KQelAsfNode::eRz};
    KQelAsfNode* root = new KQelAsfNode();
    std::strcpy(root->mName, "root");
    root->mDofCount = KQelAsfNode::kMaxDofs;
    std::copy(kRootDofs, kRootDofs + KQelAsfNode::kMaxDofs, root->mDofs);
    root->GetKFCurvePointers(pSceneNode);
    delete mRoot;
    mRoot = root;
}

void KQelAsfScene::SetupNode(KQelAsfNode* pBone, const KQelVector4& pTranslation, const KQelVector4& pRotation,
                             const KQelVector4& pScale)
{
    KgeRMatrix own;
    KmXYZtoR(own, pRotation[0], pRotation[1], pRotation[2]);
    KmRR(pBone->mAxisMatrix, pBone->mParentAxisMatrix, own);
    KmRi(pBone->mInverseAxisMatrix, pBone->mAxisMatrix);
    const KQelVector4 axis = EulerOf(pBone->mAxisMatrix);
    std::copy(&axis[0], &axis[0] + 3, pBone->mAxis);
    KQelVector4 translation = pTranslation;
    translation *= pScale;
    pBone->mPosition = Times(translation, pBone->mAxisMatrix);
    const double length = pBone->mPosition.Length();
    pBone->mLength = length * mLengthUnit / 2.54;
    pBone->mDirection = length > 0.0 ? pBone->mPosition / length : KQelVector4();
    pBone->mDirection[3] = 1.0;
}

void KQelAsfScene::RecursiveCreate(KQelNode* pSceneNode, KQelAsfNode* pBone, bool pUseTranslation,
                                   const KQelVector4& pScale)
{
    static const int kRotations[3] = {KQelAsfNode::eRx, KQelAsfNode::eRy, KQelAsfNode::eRz};
    struct Create {
        KQelNode* mNode;
        KQelAsfNode* mBone;
        KQelVector4 mScale;
    };
    std::vector<Create> pending(1, Create{pSceneNode, pBone, pScale});
    while (!pending.empty()) {
        const Create create = pending.back();
        pending.pop_back();
        KQelNode* node = create.mNode;
        KQelAsfNode* bone = create.mBone;
        KQelVector4 scale;
        node->GetDefaultS(scale);
        scale *= create.mScale;
        const int count = node->GetChildCount();
        if (count == 0)
            continue;
        KQelVector4 first;
        node->GetChild(0)->GetDefaultT(first);
        // Children apart from one another (or the root's only child away
        // from it) hang from offset bones of their own.
        bool offsets = count == 1 && bone == mRoot && first.Length() > 0.0;
        for (int c = 1; c < count && !offsets; ++c) {
            KQelVector4 other;
            offsets = node->GetChild(c)->GetDefaultT(other) != first;
        }
        KQelVector4 rotation;
        if (bone != mRoot)
            node->GetDefaultR(rotation);
        SetupNode(bone, offsets ? KQelVector4() : first, rotation, scale);
        for (int c = 0; c < count; ++c) {
            KQelNode* child = node->GetChild(c);
            const KString name = child->GetNameWithoutNameSpacePrefix();
            KQelAsfNode* holder = bone;
            if (offsets) {
                KQelAsfNode* offset = new KQelAsfNode();
                KString offsetName = name;
                offsetName += "Dummy";
                CopyName(offset->mName, offsetName.Buffer());
                holder->AddChild(offset);
                InheritFrom(*offset, *holder);
                KQelVector4 translation;
                SetupNode(offset, child->GetDefaultT(translation), KQelVector4(), scale);
                holder = offset;
            }
            KQelAsfNode* made = new KQelAsfNode();
            CopyName(made->mName, name.Buffer());
            holder->AddChild(made);
            InheritFrom(*made, *holder);
            made->GetKFCurvePointers(child);
            for (int k = 0; k < 3 && pUseTranslation; ++k)
                made->mDofs[made->mDofCount++] = KQelAsfNode::eTx + k;
            for (int dof : kRotations)
                made->mDofs[made->mDofCount++] = dof;
            pending.push_back(Create{child, made, scale});
        }
    }
}

bool KQelAsfScene::MergeQELToASF(KQelNode* pSceneRoot)
{
    if (!mRoot || !pSceneRoot)
        return false;
    mRoot->GetKFCurvePointers(pSceneRoot);
    RecursiveMerge(pSceneRoot, mRoot, mRoot);
    return true;
}

void KQelAsfScene::RecursiveMerge(KQelNode* pSceneNode, KQelAsfNode* pBone, KQelAsfNode* pAxisSource)
{
    // The nodes below pSceneNode depth first, each with the end of its
    // subtree in that order, and the positions of each name: the first node
    // of a name below a node is then a search among that name's positions.
    std::vector<KQelNode*> order;
    std::vector<size_t> ends;
    std::unordered_map<const KQelNode*, size_t> position;
    std::unordered_map<std::string, std::vector<size_t>> byName;
    {
        std::vector<std::pair<KQelNode*, bool>> pending(1, {pSceneNode, false});
        while (!pending.empty()) {
            const auto at = pending.back();
            pending.pop_back();
            if (at.second) {
                ends[position[at.first]] = order.size();
                continue;
            }
            position.emplace(at.first, order.size());
            byName[at.first->GetName()].push_back(order.size());
            order.push_back(at.first);
            ends.push_back(0);
            pending.emplace_back(at.first, true);
            for (int c = at.first->GetChildCount() - 1; c >= 0; --c)
                pending.emplace_back(at.first->GetChild(c), false);
        }
    }
    auto findBelow = [&](KQelNode* pNode, const char* pName) -> KQelNode* {
        const auto named = byName.find(KQelSdkManager::PrefixName("Model::", pName).Buffer());
        if (named == byName.end())
            return nullptr;
        const size_t from = position[pNode];
        const auto next = std::upper_bound(named->second.begin(), named->second.end(), from);
        return next != named->second.end() && *next < ends[from] ? order[*next] : nullptr;
    };
    struct Merge {
        KQelNode* mNode;
        KQelAsfNode* mBone;
        KQelAsfNode* mAxisSource;
    };
    std::vector<Merge> pending(1, Merge{pSceneNode, pBone, pAxisSource});
    while (!pending.empty()) {
        const Merge merge = pending.back();
        pending.pop_back();
        for (int c = merge.mBone->mChildren.GetCount() - 1; c >= 0; --c) {
            KQelAsfNode* child = merge.mBone->mChildren[c];
            KQelNode* found = findBelow(merge.mNode, child->mName);
            if (!found) {
                pending.push_back(Merge{merge.mNode, child, merge.mAxisSource});
                continue;
            }
            child->mParentAxisMatrix = merge.mAxisSource->mAxisMatrix;
            child->mParentInverseAxisMatrix = merge.mAxisSource->mInverseAxisMatrix;
            child->GetKFCurvePointers(found);
            pending.push_back(Merge{found, child, child});
        }
    }
}

}  // namespace qelsdk_600
