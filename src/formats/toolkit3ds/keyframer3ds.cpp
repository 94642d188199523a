// Building keyframer nodes and tracks, and the node lookups that need no
// list of their own.
#include "formats/toolkit3ds/keyframer3ds.h"

#include <cstddef>
#include <cstring>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

const std::uint32_t nodeTags[] = {TARGET_NODE_TAG,   OBJECT_NODE_TAG,    CAMERA_NODE_TAG, LIGHT_NODE_TAG,
                                  L_TARGET_NODE_TAG, SPOTLIGHT_NODE_TAG, 0};

bool IsNode3ds(std::uint32_t tag)
{
    for (const std::uint32_t* t = nodeTags; *t; ++t)
        if (*t == tag)
            return true;
    return false;
}

namespace toolkit3ds_detail {

chunk3ds* PutTrack(std::uint32_t tag, std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys,
                   const void* values, std::size_t valuesize, chunk3ds* node)
{
    if (!node) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    if (!keys || (valuesize && !values))
        keycount = 0;
    chunk3ds* track = nullptr;
    void* record = InitChunkAndData3ds(&track, tag);
    if (Stop() || !record) {
        ReleaseChunk3ds(&track);
        return nullptr;
    }
    // Every track record starts with the same header and two arrays.
    HideTrackData3ds* d = static_cast<HideTrackData3ds*>(record);
    d->header.flags = flags;
    d->header.nu1 = d->header.nu2 = 0;
    d->header.keycount = keycount;
    if (keycount) {
        d->keys = static_cast<keyheader3ds*>(CopyBlock(keys, std::uint64_t(keycount) * sizeof(keyheader3ds)));
        d->values = valuesize ? CopyBlock(values, std::uint64_t(keycount) * valuesize) : nullptr;
        if (!d->keys || (valuesize && !d->values)) {
            ReleaseChunk3ds(&track);
            Fail(ERR_NO_MEM);
            return nullptr;
        }
    }
    AddChildOrdered3ds(node, track);
    return track;
}

}  // namespace toolkit3ds_detail

void kfGetKfSeg(chunk3ds* top, chunk3ds** kfdata)
{
    if (!top || !kfdata) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    FindNextChunk3ds(top->children, KFDATA, kfdata);
    if (!*kfdata)
        *kfdata = kfPutGenericNode(KFDATA, top);
}

chunk3ds* kfPutGenericNode(std::uint32_t tag, chunk3ds* parent)
{
    if (!parent) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    chunk3ds* node = nullptr;
    InitChunkAs3ds(&node, tag);
    if (Stop() || !node)
        return nullptr;
    AddChildOrdered3ds(parent, node);
    return node;
}

void kfPutNodeId(chunk3ds* node)
{
    if (!node) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* id = nullptr;
    Int16Data3ds* d = static_cast<Int16Data3ds*>(InitChunkAndData3ds(&id, NODE_ID));
    if (Stop() || !d) {
        ReleaseChunk3ds(&id);
        return;
    }
    d->value = -1;
    AddChildOrdered3ds(node, id);
}

void kfPutNodeHeader(const char* name, std::uint16_t flags1, std::uint16_t flags2, const char* parentname,
                     chunk3ds* node)
{
    if (!node) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* header = nullptr;
    NodeHdrData3ds* d = static_cast<NodeHdrData3ds*>(InitChunkAndData3ds(&header, NODE_HDR));
    if (Stop() || !d) {
        ReleaseChunk3ds(&header);
        return;
    }
    d->objname = strdup3ds(name ? name : "");
    d->flags1 = flags1;
    d->flags2 = flags2;
    d->parentindex = -1;
    AddChildOrdered3ds(node, header);
    if (!d->objname && Fail(ERR_NO_MEM))
        return;
    kfAddParentName(header, parentname);
}

void kfAddParentName(chunk3ds* header, const char* name)
{
    if (!header) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    // An empty name is no parent: it would match nodes without a header.
    if (!name || !*name)
        return;
    chunk3ds* parent = nullptr;
    StringData3ds* d = static_cast<StringData3ds*>(InitChunkAndData3ds(&parent, PARENT_NAME));
    if (Stop() || !d) {
        ReleaseChunk3ds(&parent);
        return;
    }
    d->value = strdup3ds(name);
    AddChildOrdered3ds(header, parent);
    if (!d->value)
        Fail(ERR_NO_MEM);
}

void kfGetParentName(chunk3ds* header, char* buffer, std::size_t size)
{
    if (!header || !buffer) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (size)
        buffer[0] = '\0';
    chunk3ds* parent = nullptr;
    FindNextChunk3ds(header->children, PARENT_NAME, &parent);
    if (!parent)
        return;
    const bool loaded = parent->data != nullptr;
    const StringData3ds* d = static_cast<StringData3ds*>(ReadChunkData3ds(parent));
    if (d && d->value && *d->value)
        CopyFixed(buffer, size, d->value);
    if (!loaded)
        FreeFileChunkData3ds(parent);
}

void kfPutPosTrack(std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys, const point3ds* points,
                   chunk3ds* node)
{
    if (keycount && keys && points)
        PutTrack(POS_TRACK_TAG, keycount, flags, keys, points, sizeof(point3ds), node);
}

void kfPutColorTrack(std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys,
                     const fcolor3ds* colors, chunk3ds* node)
{
    if (keycount && keys && colors)
        PutTrack(COL_TRACK_TAG, keycount, flags, keys, colors, sizeof(fcolor3ds), node);
}

void kfPutRollTrack(std::uint32_t keycount, std::uint16_t flags, const keyheader3ds* keys, const float* rolls,
                    chunk3ds* node)
{
    PutTrack(ROLL_TRACK_TAG, keycount, flags, keys, rolls, sizeof(float), node);
}

chunk3ds* kfPutTargetTrack(const char* parentname, std::uint32_t keycount, std::uint16_t flags,
                           const keyheader3ds* keys, const point3ds* points, const char* name,
                           std::uint16_t flags1, std::uint16_t flags2, byte3ds cameraflag, chunk3ds* kfdata)
{
    chunk3ds* node = kfPutGenericNode(cameraflag ? TARGET_NODE_TAG : L_TARGET_NODE_TAG, kfdata);
    if (Stop() || !node)
        return nullptr;
    kfPutNodeId(node);
    if (Stop())
        return node;
    kfPutNodeHeader(name, flags1, flags2, parentname, node);
    if (Stop())
        return node;
    kfPutPosTrack(keycount, flags, keys, points, node);
    return node;
}

chunk3ds* kfAddGenericNodeXData(database3ds* database, const char* name, chunk3ds* xdata, std::uint32_t tag)
{
    if (!database || !name || !xdata) {
        Fail(ERR_INVALID_ARG);
        return nullptr;
    }
    chunk3ds* node = nullptr;
    kfFindNamedAndTaggedChunk(database, name, tag, &node);
    return node;
}

void kfExtractXdata(database3ds* database, const char* name, std::uint32_t tag, chunk3ds** xdata)
{
    if (!database || !name || !xdata) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    chunk3ds* node = FindNodeTagByNameAndType3ds(database, name, tag);
    chunk3ds* section = nullptr;
    if (node)
        FindNextChunk3ds(node->children, XDATA_SECTION, &section);
    if (section)
        CopyChunk3ds(section, xdata);
}

}  // namespace qelsdk_600
