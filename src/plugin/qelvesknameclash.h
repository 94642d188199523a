// Containers sorted by name (strcmp order, case-sensitive) that tell which
// names several nodes share: sorted arrays of SDK nodes and of host DAG
// paths, and name-clash tables over an SDK tree and over the host DAG.
#ifndef QELVESK_PLUGIN_QELVESKNAMECLASH_H
#define QELVESK_PLUGIN_QELVESKNAMECLASH_H

#include <vector>

#include <vesk/MDagPath.h>
#include <vesk/MFn.h>

#include "base/karraytemplate.h"
#include "base/kstring.h"

namespace qelsdk_600 {
class KQelNode;
}

// SDK nodes sorted by their names without kind prefix; a node added after
// others of an equal name goes after them. The nodes are not owned.
class QelVeskKQelNodeSortedArray {
public:
    void Add(qelsdk_600::KQelNode* pNode);
    // A node of that name (one of them when several), null when none.
    qelsdk_600::KQelNode* Find(const char* pName) const;
    int GetCount() const { return static_cast<int>(mItems.size()); }
    // Null out of range.
    qelsdk_600::KQelNode* GetAt(int pIndex) const;

private:
    struct Item {
        qelsdk_600::KString mKey;
        qelsdk_600::KQelNode* mNode;
    };
    std::vector<Item> mItems;
};

// Records of a name and a copy of a host DAG path, sorted by the name
// (equal names in order of adding); owns the records.
class QelVeskDagPathSortedArray {
public:
    void Add(const char* pName, const MDagPath& pPath);
    // The path of a record with that name, null when none; valid until the
    // next Add.
    MDagPath* Find(const char* pName);
    int GetCount() const { return static_cast<int>(mItems.size()); }

private:
    struct Record {
        qelsdk_600::KString mName;
        MDagPath mPath;
    };
    std::vector<Record> mItems;
};

// Clash records kept sorted by their mName; owns the records (a derived
// table ends what they hold).
template <class Record>
class QelSortedClashList {
public:
    QelSortedClashList() = default;
    QelSortedClashList(const QelSortedClashList&) = delete;
    QelSortedClashList& operator=(const QelSortedClashList&) = delete;

    // Takes the record, inserted at its sorted place (after equal names).
    void Add(Record* pClash);
    // The record of that name, null when none.
    Record* Find(const char* pName) const;
    int GetCount() const { return static_cast<int>(mClashes.size()); }
    // Null out of range.
    Record* GetAt(int pIndex) const;

protected:
    ~QelSortedClashList();
    // Sorts records made in walk order by name.
    void SortByName();

    std::vector<Record*> mClashes;
};

struct QelNameClash {
    qelsdk_600::KString mName;
    // Not owned.
    qelsdk_600::KArrayTemplate<qelsdk_600::KQelNode*> mNodes;
};

struct QelVeskNameClash {
    qelsdk_600::KString mName;
    // Owned copies.
    qelsdk_600::KArrayTemplate<MDagPath*> mPaths;
};

// The names that two or more nodes of an SDK tree share, each with those
// nodes in depth-first order (a node before its children).
class QelNameClashTable : public QelSortedClashList<QelNameClash> {
public:
    typedef QelNameClash Clash;

    // The table of the tree under pRoot (names without kind prefix); null
    // gives an empty table. Linear in the number of nodes, whatever the
    // tree's depth.
    explicit QelNameClashTable(qelsdk_600::KQelNode* pRoot);
};

// The names (namespace included) that two or more host DAG nodes of one
// function type share, each with copies of their paths in the order of a
// depth-first walk of the DAG.
class QelVeskNameClashTable : public QelSortedClashList<QelVeskNameClash> {
public:
    typedef QelVeskNameClash Clash;

    // Walks the host DAG once, filtered by pType (kInvalid: every node).
    explicit QelVeskNameClashTable(MFn::Type pType);
    // Deletes every path copy.
    ~QelVeskNameClashTable();
};

#endif
