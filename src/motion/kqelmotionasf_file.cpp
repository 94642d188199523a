#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>

#include "math/kanrotationorder.h"
#include "math/kmfunctions.h"
#include "motion/kqelmotionasf.h"

namespace qelsdk_600 {

namespace {

const char kDel[] = " \t, ()\r\n";
const char kCom[] = "#";
// Names in the file hold at most this many characters.
const int kFileNameSize = 51;

enum ESection {
    eVersion = 0, eName, eUnitsSection, eDocumentation, eRootSection, eBoneDataSection, eHierarchySection,
    eSkin, eOtherSection, eSectionCount
};
enum EUnit { eMass = 0, eLengthUnit, eAngle };
enum ERootKey { eRootAxis = 0, eRootOrder, ePosition, eOrientation };
enum EGroup { eBegin = 0, eEnd };
enum EBoneKey { eId = 0, eBoneName, eDirection, eLength, eBoneAxis, eDofKey, eLimits, eBodyMass, eCofMass };
// The "l" entry of the degree-of-freedom table.
const int kLengthDof = 6;

// Euler order (KANRotationOrder) of each axis keyword.
const int kAxisOrders[] = {10, 6, 2, 8, 4, 0};
const double kAngleFactors[] = {1.0, 57.29577951308232};
const char* const kDofNames[KQelAsfNode::kMaxDofs] = {"tx", "ty", "tz", "rz", "ry", "rx"};

}  // namespace

// A bone of ":bonedata" while its block is read.
struct AsfBoneDraft {
    std::unique_ptr<KQelAsfNode> mBone;
    bool mNamed = false;
    bool mDirected = false;
    bool mMeasured = false;
};

KToken KQelFileAcclaimAsf::mMain[] = {{":version", 0},   {":name", 0},     {":units", 0},
                                      {":documentation", 0}, {":root", 0}, {":bonedata", 0},
                                      {":hierarchy", 0}, {":skin", 0},     {":", 0},
                                      {"", 0}};
KToken KQelFileAcclaimAsf::mUnits[] = {{"mass", 0}, {"length", 0}, {"angle", 0}, {"", 0}};
KToken KQelFileAcclaimAsf::mRoot[] = {{"axis", 0}, {"order", 0}, {"position", 0}, {"orientation", 0}, {"", 0}};
KToken KQelFileAcclaimAsf::mGroup[] = {{"begin", 0}, {"end", 0}, {"", 0}};
KToken KQelFileAcclaimAsf::mBoneData[] = {{"id", 0},   {"name", 0},   {"direction", 0},
                                          {"length", 0}, {"axis", 0}, {"dof", 0},
                                          {"limits", 0}, {"bodymass", 0}, {"cofmass", 0},
                                          {"", 0}};
KToken KQelFileAcclaimAsf::mAngle[] = {{"deg", 0}, {"rad", 0}, {"", 0}};
KToken KQelFileAcclaimAsf::mAxis[] = {{"zyx", 0}, {"xzy", 0}, {"yxz", 0}, {"yzx", 0}, {"zxy", 0}, {"xyz", 0}, {"", 0}};
KToken KQelFileAcclaimAsf::mOrder[] = {{"tx", 0}, {"ty", 0}, {"tz", 0}, {"rz", 0}, {"ry", 0}, {"rx", 0}, {"", 0}};
KToken KQelFileAcclaimAsf::mDof[] = {{"tx", 0}, {"ty", 0}, {"tz", 0}, {"rz", 0},
                                     {"ry", 0}, {"rx", 0}, {"l", 0},  {"", 0}};

KQelFileAcclaimAsf::KQelFileAcclaimAsf(bool pReport)
    : KTextFile("ASF", kDel, kCom, true, pReport), mScene(nullptr), mRootMoved(false)
{
}

bool KQelFileAcclaimAsf::Fail(const char* pMessage)
{
    Error("%s", pMessage);
    return false;
}

bool KQelFileAcclaimAsf::NextSectionLine()
{
    while (NextLine()) {
        if (AtSection())
            return true;
    }
    return false;
}

// ---- Reading ----

bool KQelFileAcclaimAsf::Read(KQelAsfScene& pScene, bool pRemoveDummy)
{
    static const SectionReader kReaders[] = {
        &KQelFileAcclaimAsf::ReadVersion,       &KQelFileAcclaimAsf::ReadName,
        &KQelFileAcclaimAsf::ReadUnits,         &KQelFileAcclaimAsf::ReadDocumentation,
        &KQelFileAcclaimAsf::ReadRoot,          &KQelFileAcclaimAsf::ReadBoneData,
        &KQelFileAcclaimAsf::ReadHierarchy,     &KQelFileAcclaimAsf::ReadSkin,
    };
    mScene = &pScene;
    mBones.clear();
    mBonesByName.clear();
    mBoneIndex.clear();
    mSets.clear();
    mRootMoved = false;
    bool ok = FirstLine();
    while (ok && !IsEOF()) {
        const int section = Handle(mMain);
        if (section >= 0 && section < eOtherSection) {
            ok = (this->*kReaders[section])();
            continue;
        }
        KString token;
        GetString(token);
        Warning("Ignoring unknown keyword (:%s)\n", token.Buffer());
        NextSectionLine();
    }
    ok = ok && pScene.mRoot;
    if (ok) {
        pScene.mRoot->SetupPosition();
        if (pRemoveDummy)
            pScene.mRoot->RemoveDummy();
    }
    mScene = nullptr;
    mBones.clear();
    mBonesByName.clear();
    mBoneIndex.clear();
    mSets.clear();
    return ok;
}

bool KQelFileAcclaimAsf::ReadVersion()
{
    double version = 0.0;
    if (GetDouble(version)) {
        if (std::trunc(version * 100.0) != 110.0)
            Warning("Bad File format version (%f), trying 1.10\n", version);
    } else {
        KString token;
        GetString(token);
        Warning("Can't read file format version (%s), trying version 1.10\n", token.Buffer());
    }
    return NextSectionLine();
}

bool KQelFileAcclaimAsf::ReadName()
{
    char name[kFileNameSize];
    if (!GetString(name, sizeof(name))) {
        std::strcpy(name, "Untitled");
        Warning("Can't read skeleton name, using \"%s\"\n", name);
    }
    std::strcpy(mScene->mName, name);
    return ReadUnitLines();
}

bool KQelFileAcclaimAsf::ReadUnits()
{
    return ReadUnitLines();
}

bool KQelFileAcclaimAsf::ReadUnitLines()
{
    while (NextLine()) {
        if (AtSection())
            return true;
        double value = 0.0;
        const int unit = Handle(mUnits);
        switch (unit) {
        case eMass:
        case eLengthUnit: {
            double& kept = unit == eMass ? mScene->mMassUnit : mScene->mLengthUnit;
            if (GetDouble(value) && std::isfinite(value))
                kept = value;
            else
                Warning(unit == eMass ? "Can't read mass unit, using %f\n" : "Can't read length unit, using %f\n",
                        kept);
            break;
        }
        case eAngle: {
            const int angle = Handle(mAngle);
            if (angle >= 0)
                mScene->mAngleFactor = kAngleFactors[angle];
            else
                Warning("Unknown angle unit, using default (deg)\n");
            break;
        }
        default:
            Warning("Unknown unit token\n");
            break;
        }
    }
    return false;
}

bool KQelFileAcclaimAsf::ReadDocumentation()
{
    return NextSectionLine();
}

bool KQelFileAcclaimAsf::ReadDofList(KQelAsfNode& pBone, KToken* pTable)
{
    pBone.mDofCount = 0;
    for (int dof = Handle(pTable); dof >= 0; dof = Handle(pTable)) {
        if (dof == kLengthDof) {
            Warning("Unknown degree of freedom (%s)\n", pTable[dof].mKeyword);
            continue;
        }
        if (pBone.mDofCount == KQelAsfNode::kMaxDofs)
            return Fail("Too many degrees of freedom\n");
        pBone.mDofs[pBone.mDofCount++] = dof;
    }
    return true;
}

bool KQelFileAcclaimAsf::ReadRoot()
{
    // A second root would orphan the bones of the first.
    if (mScene->mRoot)
        return Fail("Root already defined\n");
    std::unique_ptr<KQelAsfNode> root(new KQelAsfNode());
    std::strcpy(root->mName, "root");
    while (NextLine()) {
        if (AtSection()) {
            KANRotationOrder(root->mRotationOrder).V2M(root->mAxisMatrix, KgeRVector(root->mAxis[0], root->mAxis[1],
                                                                                     root->mAxis[2]));
            KmRi(root->mInverseAxisMatrix, root->mAxisMatrix);
            mScene->mRoot = root.release();
            return true;
        }
        double values[3];
        switch (Handle(mRoot)) {
        case eRootAxis: {
            const int order = Handle(mAxis);
            if (order < 0)
                return Fail("Unknown rotation order\n");
            root->mRotationOrder = kAxisOrders[order];
            break;
        }
        case eRootOrder:
            if (!ReadDofList(*root, mOrder))
                return false;
            break;
        case ePosition:
            if (GetVector(values))
                root->mPosition.Set(values[0], values[1], values[2], 1.0);
            else
                Warning("Can't read position, using 0.0 0.0 0.0\n");
            break;
        case eOrientation:
            if (GetVector(values))
                std::copy(values, values + 3, root->mAxis);
            else
                Warning("Can't read orientation, using 0.0 0.0 0.0\n");
            break;
        default: {
            KString token;
            GetString(token);
            Warning("Unknown %s token (%s)\n", ":root", token.Buffer());
            break;
        }
        }
    }
    return false;
}

bool KQelFileAcclaimAsf::ReadBoneData()
{
    if (!mScene->mRoot)
        return Fail("Bone data before the root\n");
    AsfBoneDraft draft;
    bool inBlock = false;
    while (NextLine()) {
        if (!inBlock && AtSection())
            return true;
        const int group = Handle(mGroup);
        if (group >= 0) {
            if (inBlock && !FinishBone(draft))
                return false;
            inBlock = group == eBegin;
            if (inBlock)
                draft = AsfBoneDraft{std::unique_ptr<KQelAsfNode>(new KQelAsfNode())};
            continue;
        }
        if (!inBlock) {
            Warning("Begin/End keyword expected\n");
            continue;
        }
        if (!ReadBoneLine(draft))
            return false;
    }
    return false;
}

bool KQelFileAcclaimAsf::ReadBoneLine(AsfBoneDraft& pDraft)
{
    KQelAsfNode& bone = *pDraft.mBone;
    double values[3];
    double value = 0.0;
    int id = 0;
    switch (Handle(mBoneData)) {
    case eId:
        if (!GetInteger(id))
            Warning("Can't read bone id value\n");
        break;
    case eBoneName: {
        char name[kFileNameSize];
        if (!GetString(name, sizeof(name)))
            return Fail("Can't read bone name\n");
        if (std::strcmp(name, "root") == 0)
            return Fail("Forbidden bone name\n");
        std::strcpy(bone.mName, name);
        pDraft.mNamed = true;
        break;
    }
    case eDirection: {
        if (!GetVector(values))
            return Fail("Can't read bone direction\n");
        KQelVector4 direction(values[0], values[1], values[2], 0.0);
        const double length = direction.Length();
        if (length > 0.0)
            direction /= length;
        bone.mDirection.Set(direction[0], direction[1], direction[2], 1.0);
        pDraft.mDirected = true;
        break;
    }
    case eLength:
        if (!GetDouble(value) || !std::isfinite(value))
            return Fail("Can't read bone length\n");
        if (mScene->mLengthUnit > 0.0)
            value *= 2.54 / mScene->mLengthUnit;
        if (!motion_util::FitsKey(value))
            return Fail("Can't read bone length\n");
        bone.mLength = value;
        pDraft.mMeasured = true;
        break;
    case eBoneAxis: {
        if (!GetVector(values))
            return Fail("Can't read bone local coordinate system\n");
        const int order = Handle(mAxis);
        if (order < 0)
            return Fail("Unknown rotation order\n");
        std::copy(values, values + 3, bone.mAxis);
        bone.mRotationOrder = kAxisOrders[order];
        break;
    }
    case eDofKey:
        return ReadDofList(bone, mDof);
    case eLimits:
        // A pair per degree of freedom, on as many lines as it takes; read
        // and not kept.
        for (int i = 0; i < bone.mDofCount; ++i) {
            if (GetPair(values))
                continue;
            if (*GetCursor() != '\0' || !NextLine() || !GetPair(values))
                return Fail("Can't read dof limits\n");
        }
        break;
    case eBodyMass:
        if (!GetDouble(value, mScene->mMassUnit))
            Warning("Can't read bodymass value\n");
        break;
    case eCofMass:
        if (!GetDouble(value))
            Warning("Can't read cofmass value\n");
        break;
    default:
        Warning("Unknown bonedata token\n");
        break;
    }
    return true;
}

bool KQelFileAcclaimAsf::FinishBone(AsfBoneDraft& pDraft)
{
    if (!pDraft.mNamed)
        return Fail("Bone has no name\n");
    if (!pDraft.mDirected)
        return Fail("Bone has no direction\n");
    if (!pDraft.mMeasured)
        return Fail("Bone has no length\n");
    KQelAsfNode* bone = pDraft.mBone.release();
    KANRotationOrder(bone->mRotationOrder)
        .V2M(bone->mAxisMatrix, KgeRVector(bone->mAxis[0], bone->mAxis[1], bone->mAxis[2]));
    KmRi(bone->mInverseAxisMatrix, bone->mAxisMatrix);
    mScene->mRoot->AddChild(bone);
    const int index = static_cast<int>(mBones.size());
    mBones.push_back(bone);
    mBonesByName[bone->mName].push_back(index);
    mBoneIndex.emplace(bone, index);
    mSets.push_back(index);
    return true;
}

// ---- Hierarchy ----

int KQelFileAcclaimAsf::FindSet(int pBone)
{
    int root = pBone;
    while (mSets[static_cast<size_t>(root)] != root)
        root = mSets[static_cast<size_t>(root)];
    while (mSets[static_cast<size_t>(pBone)] != root) {
        const int next = mSets[static_cast<size_t>(pBone)];
        mSets[static_cast<size_t>(pBone)] = root;
        pBone = next;
    }
    return root;
}

KQelAsfNode* KQelFileAcclaimAsf::FindBone(const char* pName)
{
    KQelAsfNode* root = mScene->mRoot;
    if (!root)
        return nullptr;
    if (std::strcmp(root->mName, pName) == 0)
        return root;
    const auto named = mBonesByName.find(pName);
    if (named == mBonesByName.end())
        return nullptr;
    if (named->second.size() == 1)
        return mBones[static_cast<size_t>(named->second.front())];
    // A repeated name: the first depth first, as the skeleton stands now.
    CompactRoot();
    return root->Find(pName);
}

bool KQelFileAcclaimAsf::MoveUnder(KQelAsfNode* pParent, KQelAsfNode* pChild)
{
    // pChild hangs from the root, so its subtree is the set it heads: the
    // move would close a cycle when pParent lies in that set.
    const int child = mBoneIndex[pChild];
    const int parent = mBoneIndex[pParent];
    if (FindSet(parent) == FindSet(child))
        return false;
    // The root's list is put right once the section ends.
    pChild->mParent = pParent;
    pParent->mChildren.Add(pChild);
    mSets[static_cast<size_t>(FindSet(child))] = FindSet(parent);
    mRootMoved = true;
    return true;
}

void KQelFileAcclaimAsf::CompactRoot()
{
    KQelAsfNode* root = mScene->mRoot;
    if (!root || !mRootMoved)
        return;
    KArrayTemplate<KQelAsfNode*> kept;
    for (int c = 0; c < root->mChildren.GetCount(); ++c) {
        if (root->mChildren[c]->mParent == root)
            kept.Add(root->mChildren[c]);
    }
    root->mChildren = kept;
    mRootMoved = false;
}

bool KQelFileAcclaimAsf::ReadHierarchy()
{
    bool inGroup = false;
    bool ok = true;
    while (ok && NextLine()) {
        if (AtSection())
            break;
        const int group = Handle(mGroup);
        if (group >= 0) {
            inGroup = group == eBegin;
            continue;
        }
        if (!inGroup) {
            Warning("Begin/End keyword expected\n");
            continue;
        }
        char name[kFileNameSize];
        if (!GetString(name, sizeof(name))) {
            Warning("Can't read parent bone name\n");
            continue;
        }
        // Every bone starts below the root.
        if (std::strcmp(name, "root") == 0)
            continue;
        KQelAsfNode* parent = FindBone(name);
        if (!parent) {
            Error("Unknown parent bone name (%s)\n", name);
            ok = false;
        }
        while (ok && GetString(name, sizeof(name))) {
            KQelAsfNode* child = FindBone(name);
            if (!child) {
                Error("Unknown child bone name (%s)\n", name);
                ok = false;
            } else if (child->mParent == mScene->mRoot && !MoveUnder(parent, child)) {
                Error("Bone %s cannot be a child of its own descendant\n", name);
                ok = false;
            }
        }
    }
    CompactRoot();
    return ok;
}

bool KQelFileAcclaimAsf::ReadSkin()
{
    // Up to three tokens dropped, the first from the ":skin" line, each of
    // the others opening the next line; a section line is no skin token.
    char token[1025];
    for (int i = 0; i < 3; ++i) {
        if ((i > 0 && AtSection()) || !GetString(token, sizeof(token)) || !NextLine())
            break;
    }
    if (!IsEOF() && !AtSection())
        NextSectionLine();
    return true;
}

// ---- Writing ----

bool KQelFileAcclaimAsf::Write(KQelAsfScene& pScene)
{
    using motion_util::PrintedValue;
    KQelAsfNode* root = pScene.mRoot;
    if (!root)
        return false;
    bool ok = Print(0, "%s 1.10\n", ":version");
    ok = Print(0, "%s %s\n", ":name", pScene.mName) && ok;
    ok = Print(0, ":units\n") && Print(1, "mass %g\n", 1.0) && Print(1, "length %g\n", pScene.mLengthUnit) &&
         Print(1, "angle deg\n") && ok;
    ok = Print(0, ":documentation\n") && Print(1, "ASF file generated by Sorvinn\n") && ok;
    ok = Print(0, ":root\n") && Print(1, "axis xyz\n") && Print(1, "%s ", "order") && ok;
    for (int i = 0; i < root->mDofCount; ++i)
        ok = Print(0, " %s", kDofNames[root->mDofs[i]]) && ok;
    ok = Print(0, "\n") && Print(1, "position 0 0 0\n") && Print(1, "orientation 0 0 0\n") && ok;

    ok = Print(0, ":bonedata\n") && ok;
    int id = 0;
    std::vector<KQelAsfNode*> pending;
    for (int c = root->mChildren.GetCount() - 1; c >= 0; --c)
        pending.push_back(root->mChildren[c]);
    while (!pending.empty()) {
        const KQelAsfNode* bone = pending.back();
        pending.pop_back();
        const KQelVector4& d = bone->mDirection;
        ok = Print(1, "begin\n") && Print(2, "id %d\n", ++id) && Print(2, "name %s\n", bone->mName) &&
             Print(2, "direction %g %g %g\n", PrintedValue(d[0]), PrintedValue(d[1]), PrintedValue(d[2])) &&
             Print(2, "length %g\n", PrintedValue(bone->mLength)) &&
             Print(2, "%s %g %g %g %s\n", "axis", PrintedValue(bone->mAxis[0]), PrintedValue(bone->mAxis[1]),
                   PrintedValue(bone->mAxis[2]), "xyz") &&
             ok;
        if (bone->mDofCount > 0) {
            ok = Print(2, "dof") && ok;
            for (int i = 0; i < bone->mDofCount; ++i)
                ok = Print(0, " %s", kDofNames[bone->mDofs[i]]) && ok;
            ok = Print(0, "\n") && ok;
        }
        ok = Print(1, "end\n") && ok;
        for (int c = bone->mChildren.GetCount() - 1; c >= 0; --c)
            pending.push_back(bone->mChildren[c]);
    }

    ok = Print(0, ":hierarchy\n") && Print(1, "begin\n") && ok;
    pending.assign(1, root);
    while (!pending.empty()) {
        const KQelAsfNode* bone = pending.back();
        pending.pop_back();
        if (bone->mChildren.GetCount() == 0)
            continue;
        ok = Print(2, "%s", bone->mName) && ok;
        for (int c = 0; c < bone->mChildren.GetCount(); ++c)
            ok = Print(0, " %s", bone->mChildren[c]->mName) && ok;
        ok = Print(0, "\n") && ok;
        for (int c = bone->mChildren.GetCount() - 1; c >= 0; --c)
            pending.push_back(bone->mChildren[c]);
    }
    return Print(1, "end\n") && ok && Flush();
}

}  // namespace qelsdk_600
