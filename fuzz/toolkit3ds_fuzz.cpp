// libFuzzer target: the 3D Studio toolkit's chunk tree. The input is read as
// a database, every body decoded and every record got by index; a tree that
// reads is written, read again and decoded: both trees must hold the same
// chunks with the same sizes, and the second must write the same bytes as
// the first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "formats/toolkit3ds/toolkit3ds.h"

using namespace qelsdk_600;

namespace {

std::string TempRoot()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/toolkit3ds_fuzz_" + std::to_string(getpid());
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Chunks that are never written: tag 0 and parent names (the toolkit's own).
const chunk3ds* Written(const chunk3ds* c)
{
    while (c && (c->tag == NULL_CHUNK || c->tag == PARENT_NAME))
        c = c->sibling;
    return c;
}

// The same tags and sizes, in the same places.
bool SameTree(const chunk3ds* a, const chunk3ds* b)
{
    a = Written(a);
    b = Written(b);
    if (!a || !b)
        return a == b;
    return a->tag == b->tag && a->size == b->size && SameTree(a->children, b->children) &&
           SameTree(a->sibling, b->sibling);
}

database3ds* ReadAll(const std::string& path)
{
    database3ds* db = nullptr;
    InitDatabase3ds(&db);
    CreateDatabase3ds(OpenFile3ds(path.c_str(), "rb"), db);
    if (!ftkerr3ds)
        DisconnectDatabase3ds(db);
    return db;
}

template <class Record, void (*Get)(database3ds*, std::uint32_t, Record**), void (*Release)(Record**)>
void GetOne(database3ds* db, std::uint32_t index)
{
    Record* record = nullptr;
    Get(db, index, &record);
    Release(&record);
}

// Gets every record by index, as a reader would; errors are the records'
// own and do not end the run.
void GetAll(database3ds* db)
{
    struct Counted {
        std::uint32_t (*count)(database3ds*);
        void (*get)(database3ds*, std::uint32_t);
    };
    static const Counted kinds[] = {
        {GetMeshCount3ds, GetOne<mesh3ds, GetMeshByIndex3ds, RelMeshObj3ds>},
        {GetMaterialCount3ds, GetOne<material3ds, GetMaterialByIndex3ds, ReleaseMaterial3ds>},
        {GetOmnilightCount3ds, GetOne<light3ds, GetOmnilightByIndex3ds, ReleaseLight3ds>},
        {GetSpotlightCount3ds, GetOne<light3ds, GetSpotlightByIndex3ds, ReleaseLight3ds>},
        {GetCameraCount3ds, GetOne<camera3ds, GetCameraByIndex3ds, ReleaseCamera3ds>},
        {GetObjectNodeCount3ds, GetOne<objectmotion3ds, GetObjectMotionByIndex3ds, ReleaseObjectMotion3ds>},
        {GetCameraNodeCount3ds, GetOne<cameramotion3ds, GetCameraMotionByIndex3ds, ReleaseCameraMotion3ds>},
        {GetOmnilightNodeCount3ds, GetOne<omnimotion3ds, GetOmnilightMotionByIndex3ds, ReleaseOmnilightMotion3ds>},
        {GetSpotlightNodeCount3ds, GetOne<spotmotion3ds, GetSpotlightMotionByIndex3ds, ReleaseSpotlightMotion3ds>},
    };
    for (const Counted& kind : kinds) {
        const std::uint32_t count = kind.count(db);
        for (std::uint32_t i = 0; i < count; ++i) {
            ClearErrList3ds();
            kind.get(db, i);
        }
    }
    meshset3ds* settings = nullptr;
    GetMeshSet3ds(db, &settings);
    ReleaseMeshSet3ds(&settings);
    background3ds* background = nullptr;
    GetBackground3ds(db, &background);
    ReleaseBackground3ds(&background);
    kfsets3ds* kf = nullptr;
    GetKfSets3ds(db, &kf);
    ReleaseKfSets3ds(&kf);
    ClearErrList3ds();
}

bool WriteAll(database3ds* db, const std::string& path)
{
    file3ds* out = OpenFile3ds(path.c_str(), "wb");
    WriteDatabase3ds(out, db);
    CloseFile3ds(out);
    return !ftkerr3ds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = TempRoot() + ".3ds";
    static const std::string first = TempRoot() + "_1.3ds";
    static const std::string second = TempRoot() + "_2.3ds";
    std::FILE* f = std::fopen(input.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    ClearErrList3ds();
    ignoreftkerr3ds = 0;
    database3ds* db = ReadAll(input);
    CloseAllFiles3ds();
    if (!ftkerr3ds)
        GetAll(db);
    // A top of another kind is kept bare; only the three kinds of file are
    // written and read again.
    if (!ftkerr3ds && GetDatabaseType3ds(db) != DbTypeUnknown3ds && WriteAll(db, first)) {
        database3ds* again = ReadAll(first);
        CloseAllFiles3ds();
        if (ftkerr3ds || !SameTree(db->topchunk, again->topchunk))
            __builtin_trap();
        if (!WriteAll(again, second) || Contents(first) != Contents(second))
            __builtin_trap();
        ReleaseDatabase3ds(&again);
    }
    ReleaseDatabase3ds(&db);
    CloseAllFiles3ds();
    ClearErrList3ds();
    std::remove(input.c_str());
    std::remove(first.c_str());
    std::remove(second.c_str());
    return 0;
}
