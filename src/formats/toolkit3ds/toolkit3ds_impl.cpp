// Helpers shared by the record families: database checks, adding chunks
// and putting named objects in place of their namesakes.
#include "formats/toolkit3ds/toolkit3ds_impl.h"

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/keyframer3ds.h"

namespace qelsdk_600 {
namespace toolkit3ds_detail {

bool CheckDatabase(database3ds* db, unsigned kinds)
{
    if (!db)
        return !Fail(ERR_INVALID_ARG);
    if (!db->topchunk)
        return !Fail(ERR_INVALID_DATABASE);
    const dbtype3ds type = GetDatabaseType3ds(db);
    if ((type == MeshFile3ds && (kinds & kTakesMesh)) || (type == ProjectFile3ds && (kinds & kTakesProject)) ||
        (type == MaterialFile3ds && (kinds & kTakesLibrary)))
        return true;
    return !Fail(ERR_WRONG_DATABASE);
}

chunk3ds* MeshDataOf(database3ds* db)
{
    chunk3ds* mdata = nullptr;
    FindChunk3ds(db->topchunk, MDATA, &mdata);
    if (!mdata)
        mdata = AddChunk(db->topchunk, MDATA);
    return mdata;
}

chunk3ds* AddChunk(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = kfPutGenericNode(tag, parent);
    if (!c)
        PushErrList3ds(ERR_PUT_FAIL);
    return c;
}

void* AddData(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = AddChunk(parent, tag);
    if (!c)
        return nullptr;
    void* data = InitChunkData3ds(c);
    if (!data)
        PushErrList3ds(ERR_PUT_FAIL);
    return data;
}

chunk3ds* ChildOf(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    FindNextChunk3ds(parent ? parent->children : nullptr, tag, &c);
    return c;
}

chunk3ds* Below(chunk3ds* root, std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    if (root)
        FindChunk3ds(root, tag, &c);
    return c;
}

void* ChildData(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = ChildOf(parent, tag);
    return c ? ReadChunkData3ds(c) : nullptr;
}

void* ReplaceData(chunk3ds* parent, std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    ReplaceOrAddChild3ds(parent, tag, &c);
    if (Stop() || !c)
        return nullptr;
    void* data = InitChunkData3ds(c);
    if (!data)
        PushErrList3ds(ERR_PUT_FAIL);
    return data;
}

void CopyTaggedChildren(chunk3ds* from, chunk3ds* to, const std::uint16_t* tags, std::size_t count)
{
    for (chunk3ds* c = from->children; c && !Stop(); c = c->sibling) {
        bool listed = false;
        for (std::size_t i = 0; i < count && !listed; ++i)
            listed = tags[i] == c->tag;
        if (!listed)
            continue;
        chunk3ds* old = nullptr;
        FindNextChunk3ds(to->children, c->tag, &old);
        DeleteChunk3ds(old);
        chunk3ds* copy = nullptr;
        CopyChunk3ds(c, &copy);
        if (copy)
            AddChildOrdered3ds(to, copy);
    }
}

bool BeginObjectPut(database3ds* db, const char* name, ObjectPut* put)
{
    *put = ObjectPut{nullptr, nullptr, nullptr, false};
    put->mdata = MeshDataOf(db);
    if (Stop() || !put->mdata)
        return false;
    FindNamedObject3ds(db, name, &put->object);
    if (Stop())
        return false;
    if (put->object) {
        // The object keeps its place; its extended data is set aside and
        // given back once the new contents stand.
        chunk3ds* xdata = nullptr;
        FindNextChunk3ds(put->object->children, XDATA_SECTION, &xdata);
        if (xdata)
            CopyChunk3ds(xdata, &put->xdata);
        DeleteChunk3ds(put->object);
        put->object->tag = NAMED_OBJECT;
        put->reused = true;
    } else {
        InitChunkAs3ds(&put->object, NAMED_OBJECT);
        if (!put->object) {
            PushErrList3ds(ERR_PUT_FAIL);
            return false;
        }
        AddChildOrdered3ds(put->mdata, put->object);
    }
    StringData3ds* d = static_cast<StringData3ds*>(InitChunkData3ds(put->object));
    if (d)
        d->value = strdup3ds(name);
    if (!d || !d->value) {
        ReleaseChunk3ds(&put->xdata);
        return !Fail(ERR_NO_MEM);
    }
    return true;
}

void EndObjectPut(database3ds* db, ObjectPut* put, bool ordered)
{
    if (put->xdata) {
        if (ordered)
            AddChildOrdered3ds(put->object, put->xdata);
        else
            AddChild3ds(put->object, put->xdata);
        put->xdata = nullptr;
    }
    NoteNamedObjectPut(db, put->mdata, put->object, put->reused);
}

}  // namespace toolkit3ds_detail
}  // namespace qelsdk_600
