// Blocks: INSERT entities, the block definitions they name, and the ENTITIES
// section read as one block.
#include <algorithm>
#include <cmath>

#include "content/kqelmesh.h"
#include "formats/dxf/kqelreaderdxf_impl.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

using dxf_detail::EntityValues;
using dxf_detail::MeshLists;
using dxf_detail::PairReader;

namespace {

const int kInsertCodes[] = {2, 10, 20, 30, 41, 42, 43, 50};
const int kBlockHeaderCodes[] = {10, 20, 30, 70};

// Insertion point x, y, z (file axes), scale factors x, y, z, angle in
// degrees.
enum { eInsertX, eInsertY, eInsertZ, eScaleX, eScaleY, eScaleZ, eAngle, eInsertCount };
const double kNeutralInsert[eInsertCount] = {0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 0.0};

const double kPi = 3.14159265358979323846;

}  // namespace

bool KQelReaderDxf::ReadEntitiesAsBlock(KQelNode* pParent, const char* pName)
{
    return ReadBlock(pParent, pName, kNeutralInsert, true);
}

bool KQelReaderDxf::ReadBlock(KQelNode* pParent, const char* pName, const double* pInsert, bool pInsertsToParent)
{
    // Only the section read as a block sends its INSERTs to the parent; every
    // other block is an INSERT's copy and counts against the limits.
    const bool copy = !pInsertsToParent;
    if (copy) {
        const long long limit = std::min<long long>(kMaxBlockNodes, kBlockNodesPerEntity * mState->mEntityCount);
        if (++mState->mBlockNodes > limit) {
            Abort((KString("Reading stopped: the INSERTs would make more than ") + static_cast<int>(limit) +
                   " block nodes")
                      .Buffer());
            return false;
        }
    }
    KQelNode* node = mManager.CreateKQelNode(pName);
    if (!node)
        return false;
    MeshLists lists(mWeldVertices);
    SectionTarget target(SectionTarget::eMeshPerBlock, node, pInsertsToParent ? pParent : node);
    target.mLists = &lists;
    if (!ReadSection(target)) {
        mManager.DestroyKQelNode(node, true);
        return false;
    }
    if (target.mHasGeometry) {
        if (KQelMesh* mesh = CreateMeshFromArrays(lists)) {
            node->SetNodeAttribute(mesh);
            if (copy && (mState->mBlockPoints += mesh->GetControlPointsCount()) > kMaxBlockControlPoints) {
                mManager.DestroyKQelNode(node, true);
                Abort((KString("Reading stopped: the INSERTs would copy more than ") +
                       static_cast<int>(kMaxBlockControlPoints) + " control points")
                          .Buffer());
                return false;
            }
        }
    } else if (!target.mHasInserts) {
        mManager.DestroyKQelNode(node, true);
        return true;
    }

    const double* scale = pInsert + eScaleX;
    if (scale[0] != 1.0 || scale[1] != 1.0 || scale[2] != 1.0)
        node->SetDefaultS(KQelVector4(scale[0], scale[2], scale[1], 0.0));
    // A turn about the file's vertical axis is one about the scene's.
    if (pInsert[eAngle] != 0.0)
        node->SetDefaultR(KQelVector4(0.0, pInsert[eAngle], 0.0, 0.0));
    const double* point = pInsert + eInsertX;
    if (point[0] != 0.0 || point[1] != 0.0 || point[2] != 0.0)
        node->SetDefaultT(KQelVector4(point[0], point[2], -point[1], 0.0));
    pParent->AddChild(node);
    return true;
}

bool KQelReaderDxf::ReadInsert(KQelNode* pParent)
{
    EntityValues values;
    if (!ReadGroups(kInsertCodes, sizeof(kInsertCodes) / sizeof(int), values, true))
        return false;
    // The caller goes on with the pair that ended the INSERT.
    const std::int64_t resume = mFile->Tell();
    const std::string& name = values.mName;
    double base[3];
    int flags;
    if (name.empty()) {
        // Nothing to insert.
    } else if (std::find(mState->mInserting.begin(), mState->mInserting.end(), name) != mState->mInserting.end()) {
        NoteSkippedInsert(name, "the block inserts itself");
    } else if (static_cast<int>(mState->mInserting.size()) >= kMaxBlockNesting) {
        NoteSkippedInsert(name, "blocks nested deeper than 64");
    } else if (FindBlock(name) && ReadBlockHeader(base[0], base[1], base[2], flags)) {
        KName nodeName(name.c_str());
        mRenaming.Rename(nodeName);
        // The block's base point lands on the insertion point: the
        // translation is the insertion point less the base point scaled and
        // turned about the file's Z axis.
        const double angle = values.mAngle * kPi / 180.0;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        const double bx = values.mScale[0] * base[0];
        const double by = values.mScale[1] * base[1];
        const double bz = values.mScale[2] * base[2];
        const double* at = values.mPoint[0];
        const double insert[eInsertCount] = {
            at[0] - (c * bx - s * by), at[1] - (s * bx + c * by), at[2] - bz,
            values.mScale[0], values.mScale[1], values.mScale[2], values.mAngle,
        };
        mState->mInserting.push_back(name);
        ReadBlock(pParent, nodeName.GetCurrentName(), insert, false);
        mState->mInserting.pop_back();
    }
    mFile->Seek(resume);
    return true;
}

bool KQelReaderDxf::FindBlock(const std::string& pName)
{
    if (!mState->mBlocksIndexed)
        IndexBlocks();
    auto found = mState->mBlocks.find(pName);
    return found != mState->mBlocks.end() && mFile->Seek(found->second);
}

bool KQelReaderDxf::ReadBlockHeader(double& pX, double& pY, double& pZ, int& pFlags)
{
    EntityValues values;
    if (!ReadGroups(kBlockHeaderCodes, sizeof(kBlockHeaderCodes) / sizeof(int), values, true))
        return false;
    pX = values.mPoint[0][0];
    pY = values.mPoint[0][1];
    pZ = values.mPoint[0][2];
    pFlags = values.mFlags;
    return true;
}

void KQelReaderDxf::IndexBlocks()
{
    ReadState& state = *mState;
    state.mBlocksIndexed = true;
    const std::int64_t resume = mFile->Tell();
    // The search starts at the BLOCKS section when it was met, else at the
    // first one after the current position.
    const bool known = mBlocksPosition != 0;
    const std::int64_t from = known ? mBlocksPosition : resume;
    enum { eWait, eFindSection, eSectionName, eBlocks, eHeader, eDone } step = eWait;
    const PairReader& pair = *mFile;
    long long groupZeros = 0;
    mFile->Seek(0);
    for (;;) {
        const std::int64_t at = mFile->Tell();
        if (!GetLine())
            break;
        if (pair.Code() == 0)
            ++groupZeros;
        if (step == eWait && at >= from)
            step = known ? eBlocks : eFindSection;
        switch (step) {
        case eFindSection:
            if (pair.Is(0, "SECTION"))
                step = eSectionName;
            break;
        case eSectionName:
            step = pair.Is(2, "BLOCKS") ? eBlocks : pair.Is(0, "SECTION") ? eSectionName : eFindSection;
            break;
        case eBlocks:
            if (pair.Is(0, "EOF"))
                step = eDone;
            else if (pair.Is(0, "BLOCK"))
                step = eHeader;
            break;
        case eHeader:
            // The first group 2 of a header names the block; the first
            // definition of a name wins.
            if (pair.Code() == 2) {
                state.mBlocks.emplace(pair.Value(), mFile->Tell());
                step = eBlocks;
            } else if (pair.Is(0, "ENDSEC")) {
                step = eDone;
            } else if (pair.Code() == 0) {
                step = eBlocks;
            }
            break;
        case eWait:
        case eDone:
            break;
        }
    }
    state.mEntityCount = groupZeros;
    mFile->Seek(resume);
}

void KQelReaderDxf::Abort(const char* pWhy)
{
    mState->mAborted = true;
    mMessage += pWhy;
    mMessage += "\n";
}

void KQelReaderDxf::NoteSkippedInsert(const std::string& pBlock, const char* pWhy)
{
    if (!mState->mReported.emplace(pWhy, pBlock).second)
        return;
    mMessage += "INSERT of block \"";
    mMessage += pBlock.c_str();
    mMessage += "\" skipped: ";
    mMessage += pWhy;
    mMessage += "\n";
}

}  // namespace qelsdk_600
