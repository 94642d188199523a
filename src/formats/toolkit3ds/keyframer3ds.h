// Keyframer nodes: building node chunks and tracks, finding nodes by name
// and kind, and the node hierarchy. In the file a node names its parent by
// the parent's NODE_ID; in memory by name, in a PARENT_NAME child of its
// NODE_HDR ("name.instance" for an object node with an instance name).
// AssignParentNames turns ids into names after a read, ComputeNodeIds names
// into ids before a write; both use the global node list.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_KEYFRAMER3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_KEYFRAMER3DS_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// The node kinds of the hierarchy, in this order, then 0 (the ambient node
// is not among them).
extern const std::uint32_t nodeTags[];
// Whether a tag is in nodeTags.
bool IsNode3ds(std::uint32_t tag);

// ---- Building nodes

// The KFDATA among the top chunk's children, made when absent.
void kfGetKfSeg(chunk3ds* top, chunk3ds** kfdata);
// A new chunk of the tag inserted in order under the parent; none after an
// error.
chunk3ds* kfPutGenericNode(std::uint32_t tag, chunk3ds* parent);
// Adds a NODE_ID of -1 (0xFFFF) to the node.
void kfPutNodeId(chunk3ds* node);
// Adds a NODE_HDR with the name, the flag words and no parent id, and the
// parent's name (kfAddParentName).
void kfPutNodeHeader(const char* name, std::uint16_t flags1, std::uint16_t flags2, const char* parentname,
                     chunk3ds* node);
// Adds a PARENT_NAME with a copy of the name under a NODE_HDR; nothing for
// none or an empty name.
void kfAddParentName(chunk3ds* header, const char* name);
// Copies the header's parent name into a buffer of `size` bytes, cut and
// terminated; empty when it has none.
void kfGetParentName(chunk3ds* header, char* buffer, std::size_t size);
// Adds a track with copies of keycount keys and values when the count is
// not 0 and both arrays are given (the roll track is added even for 0 keys).
void kfPutPosTrack(std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys, const point3ds* points,
                   chunk3ds* node);
void kfPutColorTrack(std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys,
                     const fcolor3ds* colors, chunk3ds* node);
void kfPutRollTrack(std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys, const float* rolls,
                    chunk3ds* node);
// Adds a target node to KFDATA (TARGET_NODE_TAG for a camera, else
// L_TARGET_NODE_TAG) with its id, header and position track; returns it.
chunk3ds* kfPutTargetTrack(const char* parentname, std::uint32_t keycount, std::uint16_t flags,
                           const keyheader3ds* keys, const point3ds* points, const char* name,
                           std::uint16_t flags1, std::uint16_t flags2, byte3ds cameraflag, chunk3ds* kfdata);

// ---- Finding nodes

// The first node of the tag whose NODE_HDR name equals the name, or none.
void kfFindNamedAndTaggedChunk(database3ds* database, const char* name, std::uint32_t tag, chunk3ds** node);
// The number of nodes of the tag, and a list of their names (node-list
// names) in list order.
std::uint32_t kfGetGenericNodeCount(database3ds* database, std::uint32_t tag);
void kfGetGenericNodeNameList(database3ds* database, std::uint32_t tag, namelist3ds** names);
// Checks its arguments and returns the node found by
// kfFindNamedAndTaggedChunk; adds nothing.
chunk3ds* kfAddGenericNodeXData(database3ds* database, const char* name, chunk3ds* xdata, std::uint32_t tag);
// A copy of the XDATA_SECTION of the node of that node-list name and tag,
// so that a node put in its place keeps it; *xdata is left as it is when
// there is none.
void kfExtractXdata(database3ds* database, const char* name, std::uint32_t tag, chunk3ds** xdata);

// ---- The hierarchy

// One node of the global list: its id (0xFFFF: none), tag, NODE_HDR name,
// instance name (object nodes), parent id (0xFFFF: none) and chunk.
struct nodelist3ds {
    std::uint16_t id;
    std::uint32_t tag;
    char* name;
    char* instance;
    std::uint16_t parent;
    nodelist3ds* next;
    chunk3ds* chunk;
};

// The global list, in the order the nodes were added.
extern nodelist3ds* nodeList;

// After a read: gives each node's NODE_HDR the name of the node its parent
// id names.
void AssignParentNames(database3ds* database);
// Before a write: numbers the nodes of nodeTags 0, 1, 2, ... in KFDATA order
// (the ambient node -1) and turns parent names into parent ids (0xFFFF when
// no node has the name).
void ComputeNodeIds(database3ds* database);
void InitNodeList();
void ReleaseNodeList();
// Adds every node of nodeTags under KFDATA, then checkListNodeIds.
void ParseDb(database3ds* database);
void addToNodeList(chunk3ds* node);
// When any node has no id, numbers them all 0, 1, 2, ... in list order.
void checkListNodeIds();
// The first node with the id, or none.
nodelist3ds* findNodeById(std::uint16_t id);
// "name.instance": the node of that name and instance; "name": the first
// node of that name without an instance.
nodelist3ds* findObjNodeByName(const char* name);
// Sets the value of the node's NODE_ID when it has one.
void setNodeId(chunk3ds* node, std::uint16_t id);
// One line per node: "ID:%d\tName:%s[.%s]\tParent:%d\n".
void PrintNodeList(std::FILE* stream);
// Each root, then its children one '-' deeper; each node once.
void PrintHierarchy(std::FILE* stream);

}  // namespace qelsdk_600

#endif
