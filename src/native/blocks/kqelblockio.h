// Field helpers shared by the native reader, the older-layout writer and the
// block units: scoped blocks, one-value fields, a tree walk and a name index.
// Internal to src/native/.
#ifndef QELSDK_NATIVE_BLOCKS_KQELBLOCKIO_H
#define QELSDK_NATIVE_BLOCKS_KQELBLOCKIO_H

#include <string>
#include <unordered_map>
#include <vector>

#include "base/kstring.h"
#include "base/ktime.h"
#include "file/kqel.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {
namespace native_detail {

// Opens the next field of that name at the current level and enters its
// block; the destructor leaves the block and closes the field, whichever of
// them opened. A field without a block is closed at once by the destructor,
// as the blocks expect. pValue, when given, receives the field's first text
// value before the block is entered.
class ReadBlock {
public:
    ReadBlock(KQel& pFile, const char* pName, KString* pValue = nullptr)
        : mFile(pFile), mField(pFile.FieldReadBegin(pName)), mBlock(false)
    {
        if (mField && pValue)
            *pValue = pFile.FieldReadC();
        mBlock = mField && pFile.FieldReadBlockBegin();
    }
    ~ReadBlock()
    {
        if (mBlock)
            mFile.FieldReadBlockEnd();
        if (mField)
            mFile.FieldReadEnd();
    }
    ReadBlock(const ReadBlock&) = delete;
    ReadBlock& operator=(const ReadBlock&) = delete;

    // The field exists (block or not).
    bool HasField() const { return mField; }
    // Its block is entered.
    bool IsOpen() const { return mBlock; }

private:
    KQel& mFile;
    bool mField;
    bool mBlock;
};

// Opens a field with an optional text value and its block; the destructor
// closes both.
class WriteBlock {
public:
    WriteBlock(KQel& pFile, const char* pName, const char* pValue = nullptr) : mFile(pFile)
    {
        pFile.FieldWriteBegin(pName);
        if (pValue)
            pFile.FieldWriteC(pValue);
        pFile.FieldWriteBlockBegin();
    }
    ~WriteBlock()
    {
        mFile.FieldWriteBlockEnd();
        mFile.FieldWriteEnd();
    }
    WriteBlock(const WriteBlock&) = delete;
    WriteBlock& operator=(const WriteBlock&) = delete;

private:
    KQel& mFile;
};

// A field with one value.
inline void WriteFieldI(KQel& pFile, const char* pName, int pValue)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteI(pValue);
    pFile.FieldWriteEnd();
}
inline void WriteFieldD(KQel& pFile, const char* pName, double pValue)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteD(pValue);
    pFile.FieldWriteEnd();
}
inline void WriteFieldC(KQel& pFile, const char* pName, const char* pValue)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteC(pValue);
    pFile.FieldWriteEnd();
}
inline void WriteFieldT(KQel& pFile, const char* pName, KTime pValue)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteT(pValue);
    pFile.FieldWriteEnd();
}
inline void WriteFieldTS(KQel& pFile, const char* pName, KTimeSpan pValue)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteTS(pValue);
    pFile.FieldWriteEnd();
}
// A field of several doubles.
inline void WriteFieldDn(KQel& pFile, const char* pName, const double* pValues, int pCount)
{
    pFile.FieldWriteBegin(pName);
    for (int i = 0; i < pCount; ++i)
        pFile.FieldWriteD(pValues[i]);
    pFile.FieldWriteEnd();
}

// Visits the nodes below pRoot (pRoot itself excluded) depth first, a node
// before its children, children in order, on an explicit stack: a deep chain
// cannot exhaust the call stack. pVisit(KQelNode*) answers false to stop.
template <class F>
void WalkBelow(KQelNode& pRoot, F pVisit)
{
    struct Frame {
        KQelNode* mNode;
        int mNext;
    };
    std::vector<Frame> stack{Frame{&pRoot, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        KQelNode* child = top.mNode->GetChild(top.mNext++);
        if (!child) {
            stack.pop_back();
            continue;
        }
        if (!pVisit(child))
            return;
        stack.push_back(Frame{child, 0});
    }
}

// Name → node for every node below a root, keeping the first node in
// depth-first order, so that Find answers as KQelNode::FindChild(name, true,
// false) does, in constant time. Valid until the tree or a name changes.
class NodeNameIndex {
public:
    void Build(KQelNode& pRoot)
    {
        mNodes.clear();
        WalkBelow(pRoot, [this](KQelNode* pNode) {
            mNodes.emplace(pNode->GetName(), pNode);
            return true;
        });
    }
    // The node named pName, the "Model::" prefix applied as FindChild does;
    // null when none.
    KQelNode* Find(const char* pName) const;

private:
    std::unordered_map<std::string, KQelNode*> mNodes;
};

}  // namespace native_detail
}  // namespace qelsdk_600

#endif
