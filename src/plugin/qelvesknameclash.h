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

// The names that two or more nodes of an SDK tree share, each with those
// nodes in depth-first order (a node before its children).
class QelNameClashTable {
public:
    struct Clash {
        qelsdk_600::KString mName;
        // Not owned.
        qelsdk_600::KArrayTemplate<qelsdk_600::KQelNode*> mNodes;
    };

    // The table of the tree under pRoot (names without kind prefix); null
    // gives an empty table. Linear in the number of nodes, whatever the
    // tree's depth.
    explicit QelNameClashTable(qelsdk_600::KQelNode* pRoot);
    ~QelNameClashTable();
    QelNameClashTable(const QelNameClashTable&) = delete;
    QelNameClashTable& operator=(const QelNameClashTable&) = delete;

    // Takes the record, inserted at its sorted place.
    void Add(Clash* pClash);
    // The record of that name, null when none.
    Clash* Find(const char* pName) const;
    int GetCount() const { return static_cast<int>(mClashes.size()); }
    Clash* GetAt(int pIndex) const;

private:
    std::vector<Clash*> mClashes;
};

// The names (namespace included) that two or more host DAG nodes of one
// function type share, each with copies of their paths in the order of a
// depth-first walk of the DAG.
class QelVeskNameClashTable {
public:
    struct Clash {
        qelsdk_600::KString mName;
        // Owned copies.
        qelsdk_600::KArrayTemplate<MDagPath*> mPaths;
    };

    // Walks the host DAG once, filtered by pType (kInvalid: every node).
    explicit QelVeskNameClashTable(MFn::Type pType);
    ~QelVeskNameClashTable();
    QelVeskNameClashTable(const QelVeskNameClashTable&) = delete;
    QelVeskNameClashTable& operator=(const QelVeskNameClashTable&) = delete;

    void Add(Clash* pClash);
    Clash* Find(const char* pName) const;
    int GetCount() const { return static_cast<int>(mClashes.size()); }
    Clash* GetAt(int pIndex) const;

private:
    std::vector<Clash*> mClashes;
};

#endif
