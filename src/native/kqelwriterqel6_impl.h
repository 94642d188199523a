// Private helpers of the version-6 writer's sections.
#ifndef QELSDK_NATIVE_KQELWRITERQEL6_IMPL_H
#define QELSDK_NATIVE_KQELWRITERQEL6_IMPL_H

#include <vector>

#include "file/kqel.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

class KQelGeometry;
class KQelGlobalCameraSettings;

namespace writer6_detail {

// Whether the writer puts a faulty element of the geometry in its file, for
// native_detail::FindRefusedGeometry: only the elements WriteKQelGeometry
// writes, and of those not an index to direct entries of materials and
// textures that names no entry (written as -1, none), nor textures without
// indices (the reader leaves them out). True for a link.
bool IsFaultWritten(KQelGeometry& pGeometry, const native_detail::GeometryFault& pFault);

// Calls pVisit on every node below pRoot, depth first, each node before its
// children and children in their order. Works from its own stack, so a tree
// of any depth is walked.
template <class Visit>
void ForEachNodeBelow(KQelNode& pRoot, Visit pVisit)
{
    std::vector<KQelNode*> pending;
    auto pushChildren = [&pending](KQelNode& pNode) {
        for (int i = pNode.GetChildCount(false) - 1; i >= 0; --i) {
            if (KQelNode* child = pNode.GetChild(i))
                pending.push_back(child);
        }
    };
    pushChildren(pRoot);
    while (!pending.empty()) {
        KQelNode* node = pending.back();
        pending.pop_back();
        pVisit(*node);
        pushChildren(*node);
    }
}

// Values of the open field gathered and handed to the file in blocks
// (doubles or ints); the rest goes when it is destroyed.
template <class T>
class BlockWriter {
public:
    explicit BlockWriter(KQel& pFile) : mFile(pFile) {}
    ~BlockWriter() { Flush(); }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;
    void Add(T pValue)
    {
        mValues[mCount++] = pValue;
        if (mCount == kSize)
            Flush();
    }
    // N values, handed on where single adds would hand them: the blocks,
    // and so the file, stay the same.
    template <unsigned int N>
    void Add(const T (&pValues)[N])
    {
        if (mCount + N < kSize) {
            for (unsigned int i = 0; i < N; ++i)
                mValues[mCount + i] = pValues[i];
            mCount += N;
            return;
        }
        for (unsigned int i = 0; i < N; ++i)
            Add(pValues[i]);
    }
    // Room for pCount values at the end of the current block, null when
    // they would fill it: written there, they are taken by Commit(pCount).
    T* Room(unsigned int pCount) { return mCount + pCount < kSize ? mValues + mCount : nullptr; }
    void Commit(unsigned int pCount) { mCount += pCount; }
    void Flush()
    {
        Write(mValues, mCount);
        mCount = 0;
    }

private:
    static const unsigned int kSize = 4096;
    void Write(const double* pValues, unsigned int pCount) { mFile.FieldWriteDn(pValues, pCount); }
    void Write(const int* pValues, unsigned int pCount) { mFile.FieldWriteIn(pValues, pCount); }
    KQel& mFile;
    T mValues[kSize];
    unsigned int mCount = 0;
};

// The seven producer camera nodes in file order: perspective, top, bottom,
// front, back, right, left. Missing ones are null.
const int kProducerCameraCount = 7;
void GetProducerCameraNodes(const KQelGlobalCameraSettings* pSettings, KQelNode* pNodes[kProducerCameraCount]);

}  // namespace writer6_detail

}  // namespace qelsdk_600

#endif
