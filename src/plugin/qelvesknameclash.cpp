#include "plugin/qelvesknameclash.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include <vesk/MFnDagNode.h>
#include <vesk/MItDag.h>

#include "scene/kqelnode.h"

using namespace qelsdk_600;

namespace {

struct KeyLess {
    bool operator()(const char* pA, const char* pB) const { return std::strcmp(pA, pB) < 0; }
};

// Position after every item whose key sorts at or before pKey, so that equal
// keys stay in order of insertion.
template <class Items, class KeyOf>
size_t InsertPosition(const Items& pItems, const char* pKey, KeyOf pKeyOf)
{
    size_t low = 0, high = pItems.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (std::strcmp(pKey, pKeyOf(pItems[middle])) < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// Index of the first item whose key equals pKey, or -1.
template <class Items, class KeyOf>
int FindIndex(const Items& pItems, const char* pKey, KeyOf pKeyOf)
{
    if (!pKey)
        return -1;
    size_t low = 0, high = pItems.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (std::strcmp(pKeyOf(pItems[middle]), pKey) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low < pItems.size() && std::strcmp(pKeyOf(pItems[low]), pKey) == 0 ? static_cast<int>(low) : -1;
}

} // namespace

// ---- QelVeskKQelNodeSortedArray ----

void QelVeskKQelNodeSortedArray::Add(KQelNode* pNode)
{
    Item item{pNode->GetNameWithoutNameSpacePrefix(), pNode};
    const size_t at = InsertPosition(mItems, item.mKey.Buffer(), [](const Item& i) { return i.mKey.Buffer(); });
    mItems.insert(mItems.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
}

KQelNode* QelVeskKQelNodeSortedArray::Find(const char* pName) const
{
    const int at = FindIndex(mItems, pName, [](const Item& i) { return i.mKey.Buffer(); });
    return at < 0 ? nullptr : mItems[static_cast<size_t>(at)].mNode;
}

KQelNode* QelVeskKQelNodeSortedArray::GetAt(int pIndex) const
{
    return pIndex >= 0 && pIndex < GetCount() ? mItems[static_cast<size_t>(pIndex)].mNode : nullptr;
}

// ---- QelVeskDagPathSortedArray ----

void QelVeskDagPathSortedArray::Add(const char* pName, const MDagPath& pPath)
{
    Record record{KString(pName), pPath};
    const size_t at =
        InsertPosition(mItems, record.mName.Buffer(), [](const Record& r) { return r.mName.Buffer(); });
    mItems.insert(mItems.begin() + static_cast<std::ptrdiff_t>(at), std::move(record));
}

MDagPath* QelVeskDagPathSortedArray::Find(const char* pName)
{
    const int at = FindIndex(mItems, pName, [](const Record& r) { return r.mName.Buffer(); });
    return at < 0 ? nullptr : &mItems[static_cast<size_t>(at)].mPath;
}

// ---- QelSortedClashList ----

template <class Record>
QelSortedClashList<Record>::~QelSortedClashList()
{
    for (size_t i = mClashes.size(); i > 0; --i)
        delete mClashes[i - 1];
}

template <class Record>
void QelSortedClashList<Record>::Add(Record* pClash)
{
    const size_t at = InsertPosition(mClashes, pClash->mName.Buffer(), [](Record* r) { return r->mName.Buffer(); });
    mClashes.insert(mClashes.begin() + static_cast<std::ptrdiff_t>(at), pClash);
}

template <class Record>
Record* QelSortedClashList<Record>::Find(const char* pName) const
{
    const int at = FindIndex(mClashes, pName, [](Record* r) { return r->mName.Buffer(); });
    return at < 0 ? nullptr : mClashes[static_cast<size_t>(at)];
}

template <class Record>
Record* QelSortedClashList<Record>::GetAt(int pIndex) const
{
    return pIndex >= 0 && pIndex < GetCount() ? mClashes[static_cast<size_t>(pIndex)] : nullptr;
}

template <class Record>
void QelSortedClashList<Record>::SortByName()
{
    // A name has one record, so name order alone decides.
    std::sort(mClashes.begin(), mClashes.end(),
              [](Record* pA, Record* pB) { return std::strcmp(pA->mName.Buffer(), pB->mName.Buffer()) < 0; });
}

template class QelSortedClashList<QelNameClash>;
template class QelSortedClashList<QelVeskNameClash>;

// ---- QelNameClashTable ----

QelNameClashTable::QelNameClashTable(KQelNode* pRoot)
{
    if (!pRoot)
        return;
    // Per name: the first node bearing it, then its record once a second
    // node shows up.
    struct Seen {
        KQelNode* mFirst;
        Clash* mClash;
    };
    std::unordered_map<std::string, Seen> seen;
    std::vector<KQelNode*> stack{pRoot};
    while (!stack.empty()) {
        KQelNode* node = stack.back();
        stack.pop_back();
        const KString name = node->GetNameWithoutNameSpacePrefix();
        auto found = seen.emplace(std::string(name.Buffer(), static_cast<size_t>(name.GetLen())), Seen{node, nullptr});
        if (!found.second) {
            Seen& s = found.first->second;
            if (!s.mClash) {
                s.mClash = new Clash{name, KArrayTemplate<KQelNode*>(16)};
                s.mClash->mNodes.Add(s.mFirst);
                mClashes.push_back(s.mClash);
            }
            s.mClash->mNodes.Add(node);
        }
        // Children pushed last to first so the first is visited first.
        for (int i = node->GetChildCount(false) - 1; i >= 0; --i)
            if (KQelNode* child = node->GetChild(i))
                stack.push_back(child);
    }
    SortByName();
}

// ---- QelVeskNameClashTable ----

QelVeskNameClashTable::QelVeskNameClashTable(MFn::Type pType)
{
    struct Seen {
        MDagPath mFirst;
        Clash* mClash;
    };
    std::unordered_map<std::string, Seen> seen;
    MItDag it(MItDag::kDepthFirst, pType);
    for (; !it.isDone(); it.next()) {
        MDagPath path;
        if (!it.getPath(path))
            continue;
        const MString name = MFnDagNode(path).name();
        auto found = seen.emplace(std::string(name.asChar()), Seen{path, nullptr});
        if (found.second)
            continue;
        Seen& s = found.first->second;
        if (!s.mClash) {
            s.mClash = new Clash{KString(name.asChar()), KArrayTemplate<MDagPath*>(16)};
            s.mClash->mPaths.Add(new MDagPath(s.mFirst));
            s.mClash->mPaths.Add(new MDagPath(path));
            mClashes.push_back(s.mClash);
        } else {
            s.mClash->mPaths.Add(new MDagPath(path));
        }
    }
    SortByName();
}

QelVeskNameClashTable::~QelVeskNameClashTable()
{
    for (Clash* clash : mClashes)
        DeleteAndClear(clash->mPaths);
}

