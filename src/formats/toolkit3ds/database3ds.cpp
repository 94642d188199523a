// Database lifecycle, reading and writing, and the release records.
#include "formats/toolkit3ds/database3ds.h"

#include <sys/stat.h>

#include <cstdlib>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/keyframer3ds.h"
#include "formats/toolkit3ds/primitives3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

const char DummyName3ds[] = "$$$DUMMY";

namespace {

// Most keyframer nodes a file can number: id 0xFFFF means "no parent".
constexpr std::uint32_t kMostNodes = 65535;

bool IsTop(std::uint32_t tag)
{
    return tag == M3DMAGIC || tag == CMAGIC || tag == MLIBMAGIC;
}

bool IsMeshOrProject(const chunk3ds* top)
{
    return top && (top->tag == M3DMAGIC || top->tag == CMAGIC);
}

// Drops the tree and every list a database holds about it.
void ForgetTree(database3ds* db)
{
    ReleaseChunk3ds(&db->topchunk);
    InvalidateIndexes(db);
    db->objlistdirty = db->matlistdirty = db->nodelistdirty = True3ds;
}

bool FileLength(const file3ds* file, std::uint64_t* length)
{
    struct stat st;
    if (!file->file || fstat(fileno(file->file), &st) != 0 || st.st_size < 0)
        return false;
    *length = static_cast<std::uint64_t>(st.st_size);
    return true;
}

// The level a stored release value stands for, through the stored values
// of levels 0, 1 and 2.
releaselevel3ds LevelOf(std::int32_t stored, const std::int32_t (&values)[3])
{
    for (int i = 0; i < 3; ++i)
        if (stored == values[i])
            return static_cast<releaselevel3ds>(i);
    return ReleaseNotKnown3ds;
}

const std::int32_t kVersionValues[3] = {1, 2, 3};
const std::int32_t kRevisionValues[3] = {1, 2, 5};

// Checks for the Get functions: ERR_INVALID_ARG, ERR_INVALID_DATABASE.
bool CanGetRelease(database3ds* db)
{
    if (!db) {
        Fail(ERR_INVALID_ARG);
        return false;
    }
    if (!db->topchunk) {
        Fail(ERR_INVALID_DATABASE);
        return false;
    }
    return true;
}

std::int32_t StoredVersion(std::int32_t level)
{
    return level + 1;
}

std::int16_t StoredRevision(std::int32_t level)
{
    static const std::int16_t values[4] = {1, 2, 5, 6};
    return values[level >= 0 && level < 4 ? level : 3];
}

}  // namespace

void InitDatabase3ds(database3ds** database)
{
    if (!EnsureRecord(database))
        return;
    database3ds* db = *database;
    db->topchunk = nullptr;
    db->objlistdirty = db->matlistdirty = db->nodelistdirty = True3ds;
    db->objlist = db->matlist = db->nodelist = nullptr;
    db->index = nullptr;
}

void ReleaseDatabase3ds(database3ds** database)
{
    if (!database || !*database)
        return;
    database3ds* db = *database;
    ReleaseChunk3ds(&db->topchunk);
    ReleaseChunkList3ds(&db->objlist);
    ReleaseChunkList3ds(&db->matlist);
    ReleaseChunkList3ds(&db->nodelist);
    InvalidateIndexes(db);
    std::free(db);
    *database = nullptr;
}

void CreateDatabase3ds(file3ds* file, database3ds* database)
{
    if (!file || !database || !IsOpenContext3ds(file)) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (file->state != ReadFromFile3ds)
        return;
    const std::uint64_t errors = ErrorCount();
    ForgetTree(database);
    chunk3ds* top = nullptr;
    InitChunk3ds(&top);
    if (top) {
        top->readindex = file->index;
        database->topchunk = top;
        SetContext3ds(file);
        if (FileSeek3ds(0) != 0) {
            PushErrList3ds(ERR_READING_FILE);
        } else {
            std::uint16_t tag = 0;
            std::uint32_t size = 0;
            ReadHeader3ds(&tag, &size);
            top->tag = tag;
            top->size = size;
            std::uint64_t length = 0;
            const bool fits = size >= HeaderSize3ds && FileLength(file, &length) && size <= length;
            // A top of another kind stays bare; one whose size the file cannot
            // hold is cut from the file, so its body is never read.
            if (!fits)
                top->readindex = InvalidFileContext3ds;
            if (!Stop() && IsTop(tag)) {
                if (!fits)
                    PushErrList3ds(ERR_INVALID_CHUNK);
                else {
                    ReadChildren3ds(top);
                    if (!Stop())
                        AssignParentNames(database);
                }
            }
        }
    }
    if (ErrorCount() != errors)
        Fail(ERR_CREATING_DATABASE);
}

void CreateNewDatabase3ds(database3ds* database, dbtype3ds type)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    static const std::uint16_t kTops[] = {0, M3DMAGIC, CMAGIC, MLIBMAGIC};
    if (type < MeshFile3ds || type > MaterialFile3ds) {
        PushErrList3ds(ERR_INVALID_ARG);
        Fail(ERR_CREATING_DATABASE);
        return;
    }
    const std::uint64_t errors = ErrorCount();
    ForgetTree(database);
    InitChunkAs3ds(&database->topchunk, kTops[type]);
    if (!Stop())
        PutDatabaseRelease3ds(database, Release3_3ds);
    if (ErrorCount() != errors)
        Fail(ERR_CREATING_DATABASE);
}

dbtype3ds GetDatabaseType3ds(database3ds* database)
{
    if (!database || !database->topchunk)
        return DbTypeUnknown3ds;
    switch (database->topchunk->tag) {
    case M3DMAGIC:
        return MeshFile3ds;
    case CMAGIC:
        return ProjectFile3ds;
    case MLIBMAGIC:
        return MaterialFile3ds;
    default:
        return DbTypeUnknown3ds;
    }
}

void CopyDatabase3ds(database3ds* source, database3ds* target)
{
    if (!source || !target || !source->topchunk) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    ForgetTree(target);
    CopyChunk3ds(source->topchunk, &target->topchunk);
}

void DisconnectDatabase3ds(database3ds* database)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!database->topchunk) {
        Fail(ERR_INVALID_DATABASE);
        return;
    }
    DisconnectChunk3ds(database->topchunk);
}

void WriteDatabase3ds(file3ds* file, database3ds* database)
{
    if (!file || !database || !IsOpenContext3ds(file)) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    // Node ids are 16 bits and 0xFFFF means "no parent": more nodes than
    // that would wrap, so nothing is written.
    chunk3ds* kfdata = nullptr;
    if (database->topchunk)
        FindNextChunk3ds(database->topchunk->children, KFDATA, &kfdata);
    std::uint32_t nodes = 0;
    for (chunk3ds* c = kfdata ? kfdata->children : nullptr; c; c = c->sibling)
        nodes += IsNode3ds(c->tag) ? 1 : 0;
    if (nodes > kMostNodes) {
        Fail(ERR_WRITING_DATABASE);
        return;
    }
    const std::uint64_t errors = ErrorCount();
    if (!database->topchunk)
        PushErrList3ds(ERR_INVALID_DATABASE);
    else
        PutDatabaseRelease3ds(database, Release3_3ds);
    if (!Stop() && database->topchunk && file->state == WriteFromFile3ds) {
        ComputeNodeIds(database);
        if (!Stop()) {
            SetContext3ds(file);
            if (FileSeek3ds(0) != 0)
                PushErrList3ds(ERR_WRITING_FILE);
            else {
                database->topchunk->writeindex = file->index;
                WriteChunk3ds(database->topchunk, file->index);
                if (!Stop())
                    FlushFile3ds(file);
            }
        }
    }
    if (ErrorCount() != errors)
        Fail(ERR_WRITING_DATABASE);
}

namespace {

// The level a version chunk of a tag below the top holds.
releaselevel3ds VersionLevel(database3ds* db, std::uint32_t tag)
{
    chunk3ds* c = nullptr;
    FindChunk3ds(db->topchunk, tag, &c);
    const Int32Data3ds* d = c ? static_cast<Int32Data3ds*>(ReadChunkData3ds(c)) : nullptr;
    return d ? LevelOf(d->value, kVersionValues) : ReleaseNotKnown3ds;
}

}  // namespace

releaselevel3ds GetM3dMagicRelease3ds(database3ds* database)
{
    if (!CanGetRelease(database) || database->topchunk->tag != M3DMAGIC)
        return ReleaseNotKnown3ds;
    return VersionLevel(database, M3D_VERSION);
}

releaselevel3ds GetMeshRelease3ds(database3ds* database)
{
    if (!CanGetRelease(database) || !IsMeshOrProject(database->topchunk))
        return ReleaseNotKnown3ds;
    return VersionLevel(database, MESH_VERSION);
}

releaselevel3ds GetKfRelease3ds(database3ds* database)
{
    if (!CanGetRelease(database) || !IsMeshOrProject(database->topchunk))
        return ReleaseNotKnown3ds;
    chunk3ds* kf = nullptr;
    chunk3ds* hdr = nullptr;
    FindChunk3ds(database->topchunk, KFDATA, &kf);
    if (kf)
        FindChunk3ds(kf, KFHDR, &hdr);
    const KfHdrData3ds* d = hdr ? static_cast<KfHdrData3ds*>(ReadChunkData3ds(hdr)) : nullptr;
    return d ? LevelOf(d->revision, kRevisionValues) : ReleaseNotKnown3ds;
}

releaselevel3ds GetDatabaseRelease3ds(database3ds* database)
{
    switch (GetDatabaseType3ds(database)) {
    case MeshFile3ds:
        return GetM3dMagicRelease3ds(database);
    case ProjectFile3ds:
        return GetMeshRelease3ds(database);
    case MaterialFile3ds:
        return Release3_3ds;
    default:
        return ReleaseNotKnown3ds;
    }
}

namespace {

// Replaces or adds a version chunk under a parent with a level's value.
void PutVersion(chunk3ds* parent, std::uint32_t tag, releaselevel3ds level)
{
    chunk3ds* c = nullptr;
    ReplaceOrAddChild3ds(parent, tag, &c);
    if (Stop())
        return;
    Int32Data3ds* d = static_cast<Int32Data3ds*>(InitChunkData3ds(c));
    if (d)
        d->value = StoredVersion(level);
}

bool CanPutRelease(database3ds* db)
{
    if (!db) {
        Fail(ERR_INVALID_ARG);
        return false;
    }
    if (!db->topchunk) {
        Fail(ERR_INVALID_DATA);
        return false;
    }
    return true;
}

}  // namespace

void PutM3dMagicRelease3ds(database3ds* database, releaselevel3ds level)
{
    if (CanPutRelease(database) && database->topchunk->tag == M3DMAGIC)
        PutVersion(database->topchunk, M3D_VERSION, level);
}

void PutMeshRelease3ds(database3ds* database, releaselevel3ds level)
{
    if (!CanPutRelease(database) || !IsMeshOrProject(database->topchunk))
        return;
    chunk3ds* mdata = nullptr;
    FindChunk3ds(database->topchunk, MDATA, &mdata);
    if (!mdata) {
        mdata = kfPutGenericNode(MDATA, database->topchunk);
        if (Stop())
            return;
    }
    PutVersion(mdata, MESH_VERSION, level);
}

void PutKfRelease3ds(database3ds* database, releaselevel3ds level)
{
    if (!database) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!database->topchunk) {
        Fail(ERR_INVALID_DATABASE);
        return;
    }
    if (!IsMeshOrProject(database->topchunk))
        return;
    chunk3ds* kf = nullptr;
    kfGetKfSeg(database->topchunk, &kf);
    if (Stop() || !kf)
        return;
    chunk3ds* hdr = nullptr;
    FindNextChunk3ds(kf->children, KFHDR, &hdr);
    KfHdrData3ds* d = nullptr;
    if (hdr) {
        d = static_cast<KfHdrData3ds*>(ReadChunkData3ds(hdr));
    } else {
        d = static_cast<KfHdrData3ds*>(InitChunkAndData3ds(&hdr, KFHDR));
        if (Stop())
            return;
        if (d) {
            d->filename = strdup3ds("");
            d->animlength = 30;
        }
        AddChildOrdered3ds(kf, hdr);
    }
    if (Stop())
        return;
    if (d)
        d->revision = StoredRevision(level);
}

void PutDatabaseRelease3ds(database3ds* database, releaselevel3ds level)
{
    const dbtype3ds type = GetDatabaseType3ds(database);
    if (type == MeshFile3ds) {
        PutM3dMagicRelease3ds(database, level);
        if (Stop())
            return;
    }
    if (type == MeshFile3ds || type == ProjectFile3ds) {
        PutMeshRelease3ds(database, level);
        if (Stop())
            return;
        PutKfRelease3ds(database, level);
    }
}

}  // namespace qelsdk_600
