// Keyframer motions: one table describes each kind of node (its tags, its
// record and its tracks); the twelve functions of every family run the same
// code over it.
#include "formats/toolkit3ds/motion3ds.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/keyframer3ds.h"
#include "formats/toolkit3ds/toolkit3ds_impl.h"

namespace qelsdk_600 {

using namespace toolkit3ds_detail;

namespace {

// ---- The kinds.

const point3ds kZero = {0.0f, 0.0f, 0.0f};
const point3ds kOnes = {1.0f, 1.0f, 1.0f};
const kfrotkey3ds kNoTurn = {0.0f, 0.0f, 0.0f, 1.0f};
const kfmorph3ds kNoMorph = {" "};
const fcolor3ds kWhite = {1.0f, 1.0f, 1.0f};
const fcolor3ds kBlack = {0.0f, 0.0f, 0.0f};
const float kSixty = 60.0f;
const float kNinety = 90.0f;
const float kNought = 0.0f;

struct TrackSpec {
    std::uint16_t tag;
    std::size_t at;     // the kftrack3ds in the record
    std::size_t value;  // bytes of a value (0: keys only)
    const void* start;  // a new key's value
    bool onTarget;      // the target node's track
};

struct Kind {
    std::uint16_t node;
    std::uint16_t target;  // 0: none
    std::size_t size;
    std::size_t tparent, tflags1, tflags2;
    const TrackSpec* tracks;
    int ntracks;
    bool object;
};

#define QEL3DS_TRACK(record, field, tag, value, start, target) \
    (TrackSpec{tag, offsetof(record, field), value, &start, target})

const TrackSpec kObjectTracks[] = {
    QEL3DS_TRACK(objectmotion3ds, pos, POS_TRACK_TAG, sizeof(point3ds), kZero, false),
    QEL3DS_TRACK(objectmotion3ds, rot, ROT_TRACK_TAG, sizeof(kfrotkey3ds), kNoTurn, false),
    QEL3DS_TRACK(objectmotion3ds, scale, SCL_TRACK_TAG, sizeof(point3ds), kOnes, false),
    QEL3DS_TRACK(objectmotion3ds, morph, MORPH_TRACK_TAG, sizeof(kfmorph3ds), kNoMorph, false),
    QEL3DS_TRACK(objectmotion3ds, hide, HIDE_TRACK_TAG, 0, kZero, false),
};
const TrackSpec kCameraTracks[] = {
    QEL3DS_TRACK(cameramotion3ds, pos, POS_TRACK_TAG, sizeof(point3ds), kZero, false),
    QEL3DS_TRACK(cameramotion3ds, fov, FOV_TRACK_TAG, sizeof(float), kSixty, false),
    QEL3DS_TRACK(cameramotion3ds, roll, ROLL_TRACK_TAG, sizeof(float), kNought, false),
    QEL3DS_TRACK(cameramotion3ds, tpos, POS_TRACK_TAG, sizeof(point3ds), kZero, true),
};
const TrackSpec kOmniTracks[] = {
    QEL3DS_TRACK(omnimotion3ds, pos, POS_TRACK_TAG, sizeof(point3ds), kZero, false),
    QEL3DS_TRACK(omnimotion3ds, color, COL_TRACK_TAG, sizeof(fcolor3ds), kWhite, false),
};
const TrackSpec kSpotTracks[] = {
    QEL3DS_TRACK(spotmotion3ds, pos, POS_TRACK_TAG, sizeof(point3ds), kZero, false),
    QEL3DS_TRACK(spotmotion3ds, color, COL_TRACK_TAG, sizeof(fcolor3ds), kBlack, false),
    QEL3DS_TRACK(spotmotion3ds, hot, HOT_TRACK_TAG, sizeof(float), kNinety, false),
    QEL3DS_TRACK(spotmotion3ds, fall, FALL_TRACK_TAG, sizeof(float), kNinety, false),
    QEL3DS_TRACK(spotmotion3ds, roll, ROLL_TRACK_TAG, sizeof(float), kNought, false),
    QEL3DS_TRACK(spotmotion3ds, tpos, POS_TRACK_TAG, sizeof(point3ds), kZero, true),
};

#undef QEL3DS_TRACK

const Kind kObject = {OBJECT_NODE_TAG, 0, sizeof(objectmotion3ds), 0, 0, 0, kObjectTracks, 5, true};
const Kind kCamera = {CAMERA_NODE_TAG,
                      TARGET_NODE_TAG,
                      sizeof(cameramotion3ds),
                      offsetof(cameramotion3ds, tparent),
                      offsetof(cameramotion3ds, tflags1),
                      offsetof(cameramotion3ds, tflags2),
                      kCameraTracks,
                      4,
                      false};
const Kind kOmni = {LIGHT_NODE_TAG, 0, sizeof(omnimotion3ds), 0, 0, 0, kOmniTracks, 2, false};
const Kind kSpot = {SPOTLIGHT_NODE_TAG,
                    L_TARGET_NODE_TAG,
                    sizeof(spotmotion3ds),
                    offsetof(spotmotion3ds, tparent),
                    offsetof(spotmotion3ds, tflags1),
                    offsetof(spotmotion3ds, tflags2),
                    kSpotTracks,
                    6,
                    false};

// Every record starts with the same four fields.
constexpr std::size_t kName = offsetof(objectmotion3ds, name);
constexpr std::size_t kParent = offsetof(objectmotion3ds, parent);
constexpr std::size_t kFlags1 = offsetof(objectmotion3ds, flags1);
constexpr std::size_t kFlags2 = offsetof(objectmotion3ds, flags2);
static_assert(offsetof(cameramotion3ds, flags2) == kFlags2 && offsetof(omnimotion3ds, flags2) == kFlags2 &&
                  offsetof(spotmotion3ds, flags2) == kFlags2,
              "motion records share their head");
constexpr std::size_t kNameSize = sizeof(objectmotion3ds::name);
constexpr std::size_t kParentSize = sizeof(objectmotion3ds::parent);

// ---- Field access through offsets, valid for every record.

struct Track {
    std::uint32_t keycount;
    std::uint16_t flags;
    keyheader3ds* keys;
    void* values;
};

Track TrackAt(const void* record, std::size_t at)
{
    const char* p = static_cast<const char*>(record) + at;
    Track t;
    std::memcpy(&t.keycount, p + offsetof(kftrack3ds<char>, keycount), sizeof t.keycount);
    std::memcpy(&t.flags, p + offsetof(kftrack3ds<char>, flags), sizeof t.flags);
    std::memcpy(&t.keys, p + offsetof(kftrack3ds<char>, keys), sizeof t.keys);
    std::memcpy(&t.values, p + offsetof(kftrack3ds<char>, values), sizeof t.values);
    return t;
}

void SetTrack(void* record, std::size_t at, const Track& t)
{
    char* p = static_cast<char*>(record) + at;
    std::memcpy(p + offsetof(kftrack3ds<char>, keycount), &t.keycount, sizeof t.keycount);
    std::memcpy(p + offsetof(kftrack3ds<char>, flags), &t.flags, sizeof t.flags);
    std::memcpy(p + offsetof(kftrack3ds<char>, keys), &t.keys, sizeof t.keys);
    std::memcpy(p + offsetof(kftrack3ds<char>, values), &t.values, sizeof t.values);
}

char* Text(void* record, std::size_t at)
{
    return static_cast<char*>(record) + at;
}

std::uint16_t Word(const void* record, std::size_t at)
{
    std::uint16_t v;
    std::memcpy(&v, static_cast<const char*>(record) + at, 2);
    return v;
}

void SetWord(void* record, std::size_t at, std::uint16_t v)
{
    std::memcpy(static_cast<char*>(record) + at, &v, 2);
}

void FreeTrack(void* record, const TrackSpec& spec)
{
    const Track t = TrackAt(record, spec.at);
    std::free(t.keys);
    std::free(t.values);
    SetTrack(record, spec.at, Track{0, 0, nullptr, nullptr});
}

// ---- The family's functions, over a kind.

// Fills `record` (allocated when none) and returns it, none when it could
// not be allocated.
void* InitMotion(const Kind& kind, void* record, std::initializer_list<std::uint32_t> counts)
{
    if (!record) {
        record = std::calloc(1, kind.size);
        if (!record) {
            Fail(ERR_NO_MEM);
            return nullptr;
        }
        if (kind.object)
            static_cast<objectmotion3ds*>(record)->morphsmooth = 24.0f;
        const std::uint32_t* count = counts.begin();
        for (int i = 0; i < kind.ntracks; ++i)
            SetTrack(record, kind.tracks[i].at, Track{count[i], 0, nullptr, nullptr});
    }
    const std::uint32_t* count = counts.begin();
    for (int i = 0; i < kind.ntracks; ++i) {
        const TrackSpec& spec = kind.tracks[i];
        if (count[i] == 0)
            continue;
        FreeTrack(record, spec);
        Track t{count[i], 0, static_cast<keyheader3ds*>(AllocArray(count[i], sizeof(keyheader3ds))), nullptr};
        if (spec.value) {
            t.values = AllocArray(count[i], spec.value);
            for (std::uint32_t k = 0; t.values && k < count[i]; ++k)
                std::memcpy(static_cast<char*>(t.values) + std::size_t(k) * spec.value, spec.start, spec.value);
        }
        if (!t.keys || (spec.value && !t.values)) {
            std::free(t.keys);
            std::free(t.values);
            SetTrack(record, spec.at, Track{count[i], 0, nullptr, nullptr});
            if (Fail(ERR_NO_MEM))
                return record;
            continue;
        }
        SetTrack(record, spec.at, t);
    }
    return record;
}

void ReleaseMotion(const Kind& kind, void* record)
{
    if (record)
        for (int i = 0; i < kind.ntracks; ++i)
            FreeTrack(record, kind.tracks[i]);
    std::free(record);
}

void* DataBelow(chunk3ds* root, std::uint32_t tag);

// Name and flags of a node's header into the record (at the given
// offsets), its parent's name into `parent`.
void ReadHeader(chunk3ds* node, void* record, std::size_t name, std::size_t flags1, std::size_t flags2,
                std::size_t parent)
{
    chunk3ds* header = Below(node, NODE_HDR);
    const NodeHdrData3ds* d = header ? static_cast<NodeHdrData3ds*>(ReadChunkData3ds(header)) : nullptr;
    if (name != std::size_t(-1))
        CopyFixed(Text(record, name), kNameSize, d ? d->objname : nullptr);
    SetWord(record, flags1, d ? d->flags1 : 0);
    SetWord(record, flags2, d ? d->flags2 : 0);
    Text(record, parent)[0] = '\0';
    if (header)
        kfGetParentName(header, Text(record, parent), kParentSize);
}

void* DataBelow(chunk3ds* root, std::uint32_t tag)
{
    chunk3ds* c = Below(root, tag);
    return c ? ReadChunkData3ds(c) : nullptr;
}

void ReadObjectFields(chunk3ds* node, objectmotion3ds* m)
{
    const StringData3ds* instance = static_cast<StringData3ds*>(DataBelow(node, INSTANCE_NAME));
    CopyFixed(m->instance, sizeof m->instance, instance ? instance->value : nullptr);
    const PointData3ds* pivot = static_cast<PointData3ds*>(DataBelow(node, PIVOT));
    m->pivot = pivot ? pivot->value : DefPoint3ds;
    const BoundBoxData3ds* box = static_cast<BoundBoxData3ds*>(DataBelow(node, BOUNDBOX));
    m->bboxmin = box ? box->min : DefPoint3ds;
    m->bboxmax = box ? box->max : DefPoint3ds;
    const FloatData3ds* smooth = static_cast<FloatData3ds*>(DataBelow(node, MORPH_SMOOTH));
    m->morphsmooth = smooth ? smooth->value : 0.0f;
}

// Fills `record` (allocated when none) from a node and returns it.
void* GetFromNode(const Kind& kind, chunk3ds* node, chunk3ds* target, void* record)
{
    if (!node) {
        Fail(ERR_INVALID_ARG);
        return record;
    }
    if (kind.object && node->tag != OBJECT_NODE_TAG) {
        Fail(ERR_WRONG_OBJECT);
        return record;
    }
    // A record given again is filled anew, its old tracks freed.
    if (record) {
        for (int i = 0; i < kind.ntracks; ++i)
            FreeTrack(record, kind.tracks[i]);
    } else if (!(record = std::calloc(1, kind.size))) {
        Fail(ERR_NO_MEM);
        return nullptr;
    }
    // The tracks' arrays are taken from private copies.
    chunk3ds* copy = nullptr;
    chunk3ds* targetCopy = nullptr;
    CopyChunk3ds(node, &copy);
    if (target && !Stop())
        CopyChunk3ds(target, &targetCopy);
    if (!Stop()) {
        ReadHeader(copy, record, kName, kFlags1, kFlags2, kParent);
        if (kind.object)
            ReadObjectFields(copy, static_cast<objectmotion3ds*>(record));
        if (kind.target)
            ReadHeader(targetCopy, record, std::size_t(-1), kind.tflags1, kind.tflags2, kind.tparent);
        for (int i = 0; i < kind.ntracks && !Stop(); ++i) {
            const TrackSpec& spec = kind.tracks[i];
            chunk3ds* c = Below(spec.onTarget ? targetCopy : copy, spec.tag);
            HideTrackData3ds* d = c ? static_cast<HideTrackData3ds*>(ReadChunkData3ds(c)) : nullptr;
            if (!d || !d->keys)
                continue;
            SetTrack(record, spec.at, Track{d->header.keycount, d->header.flags, d->keys, d->values});
            d->keys = nullptr;
            d->values = nullptr;
        }
    }
    ReleaseChunk3ds(&copy);
    ReleaseChunk3ds(&targetCopy);
    return record;
}

bool CheckFor(const Kind& kind, database3ds* db)
{
    if (kind.node != CAMERA_NODE_TAG)
        return CheckDatabase(db, kTakesMesh | kTakesProject);
    // Camera motions go into mesh files only, and say so with one code.
    if (!db)
        return !Fail(ERR_INVALID_ARG);
    if (GetDatabaseType3ds(db) != MeshFile3ds)
        return !Fail(ERR_INVALID_DATA);
    return true;
}

std::string ListName(const Kind& kind, const void* record)
{
    char name[kNameSize];
    CopyFixed(name, sizeof name, static_cast<const char*>(record) + kName);
    std::string listed = name;
    const objectmotion3ds* m = static_cast<const objectmotion3ds*>(record);
    if (kind.object && m->instance[0]) {
        char instance[sizeof m->instance];
        CopyFixed(instance, sizeof instance, m->instance);
        listed += std::string(".") + instance;
    }
    return listed;
}

void PutObjectFields(chunk3ds* node, const objectmotion3ds* m, const char* name)
{
    if (m->instance[0]) {
        char instance[kNameSize];  // INSTANCE_NAME reads back 10 characters
        CopyFixed(instance, sizeof instance, m->instance);
        if (StringData3ds* d = static_cast<StringData3ds*>(AddData(node, INSTANCE_NAME)))
            d->value = strdup3ds(instance);
    }
    if (std::strcmp(name, DummyName3ds) == 0 && !Stop())
        if (BoundBoxData3ds* d = static_cast<BoundBoxData3ds*>(AddData(node, BOUNDBOX)))
            *d = {m->bboxmin, m->bboxmax};
    if ((m->flags2 & 0x1) && !Stop())
        if (FloatData3ds* d = static_cast<FloatData3ds*>(AddData(node, MORPH_SMOOTH)))
            d->value = m->morphsmooth;
    if (!Stop())
        if (PointData3ds* d = static_cast<PointData3ds*>(AddData(node, PIVOT)))
            d->value = m->pivot;
}

void PutMotion(const Kind& kind, database3ds* db, void* record)
{
    if (!record) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    if (!CheckFor(kind, db))
        return;
    chunk3ds* kf = nullptr;
    kfGetKfSeg(db->topchunk, &kf);
    if (Stop() || !kf)
        return;
    char name[kNameSize];
    CopyFixed(name, sizeof name, Text(record, kName));
    char parent[kParentSize];
    CopyFixed(parent, sizeof parent, Text(record, kParent));
    const std::string listed = ListName(kind, record);

    // The node of this kind and name, and its target, give way to the new
    // ones, which keep their extended data.
    chunk3ds* xdata = nullptr;
    chunk3ds* targetXdata = nullptr;
    if (FindNodeTagByNameAndType3ds(db, listed.c_str(), kind.node)) {
        kfExtractXdata(db, listed.c_str(), kind.node, &xdata);
        if (kind.target)
            kfExtractXdata(db, name, kind.target, &targetXdata);
        DeleteNodeTagByNameAndType3ds(db, listed.c_str(), kind.node);
    }
    if (kind.target && FindNodeTagByNameAndType3ds(db, name, kind.target)) {
        if (!targetXdata)
            kfExtractXdata(db, name, kind.target, &targetXdata);
        DeleteNodeTagByNameAndType3ds(db, name, kind.target);
    }

    chunk3ds* node = Stop() ? nullptr : kfPutGenericNode(kind.node, kf);
    if (node) {
        kfPutNodeId(node);
        if (!Stop())
            kfPutNodeHeader(name, Word(record, kFlags1), Word(record, kFlags2), parent, node);
        if (kind.object && !Stop())
            PutObjectFields(node, static_cast<const objectmotion3ds*>(record), name);
        for (int i = 0; i < kind.ntracks && !Stop(); ++i) {
            const TrackSpec& spec = kind.tracks[i];
            const Track t = TrackAt(record, spec.at);
            if (!spec.onTarget && t.keycount && t.keys && (!spec.value || t.values))
                PutTrack(spec.tag, t.keycount, t.flags, t.keys, t.values, spec.value, node);
        }
        if (xdata && !Stop()) {
            AddChildOrdered3ds(node, xdata);
            xdata = nullptr;
        }
        NoteNodePut(db, kf, node);
    }
    if (kind.target && !Stop()) {
        const TrackSpec& spec = kind.tracks[kind.ntracks - 1];
        const Track t = TrackAt(record, spec.at);
        char tparent[kParentSize];
        CopyFixed(tparent, sizeof tparent, Text(record, kind.tparent));
        chunk3ds* target =
            kfPutTargetTrack(tparent, t.keycount, t.flags, t.keys, static_cast<const point3ds*>(t.values), name,
                             Word(record, kind.tflags1), Word(record, kind.tflags2),
                             kind.node == CAMERA_NODE_TAG ? True3ds : False3ds, kf);
        if (target && targetXdata && !Stop()) {
            AddChildOrdered3ds(target, targetXdata);
            targetXdata = nullptr;
        }
        if (target)
            NoteNodePut(db, kf, target);
    }
    ReleaseChunk3ds(&xdata);
    ReleaseChunk3ds(&targetXdata);
}

void* GetByName(const Kind& kind, database3ds* db, const char* name, void* record)
{
    if (!db || !name) {
        Fail(ERR_INVALID_ARG);
        return record;
    }
    if (kind.target && !CheckDatabase(db, kTakesMesh | kTakesProject))
        return record;
    chunk3ds* node = nullptr;
    if (kind.object)
        node = FindNodeTagByNameAndType3ds(db, name, kind.node);
    else
        kfFindNamedAndTaggedChunk(db, name, kind.node, &node);
    chunk3ds* target = nullptr;
    if (kind.target && !Stop())
        kfFindNamedAndTaggedChunk(db, name, kind.target, &target);
    return node && !Stop() ? GetFromNode(kind, node, target, record) : record;
}

void* GetByIndex(const Kind& kind, database3ds* db, std::uint32_t index, void* record)
{
    if (!db) {
        Fail(ERR_INVALID_ARG);
        return record;
    }
    if (kind.object && !CheckDatabase(db, kTakesMesh | kTakesProject))
        return record;
    chunk3ds* node = FindNodeTagByIndexAndType3ds(db, index, kind.node);
    if (!node || Stop())
        return record;
    if (kind.object)
        return GetFromNode(kind, node, nullptr, record);
    // The answer is the first node of that name, as a lookup by the name at
    // the index gives it.
    const NodeHdrData3ds* header = static_cast<NodeHdrData3ds*>(ChildData(node, NODE_HDR));
    const std::string name = header && header->objname ? header->objname : "";
    return GetByName(kind, db, name.c_str(), record);
}

// Runs an engine function that fills a record and stores what it gives
// back in the caller's pointer.
template <class Record, class Run>
void Fill(Record** record, Run run)
{
    if (!record) {
        Fail(ERR_INVALID_ARG);
        return;
    }
    *record = static_cast<Record*>(run(static_cast<void*>(*record)));
}

template <class Record>
void Release(const Kind& kind, Record** record)
{
    if (!record)
        return;
    ReleaseMotion(kind, *record);
    *record = nullptr;
}

}  // namespace

// ---- Objects

void InitObjectMotion3ds(objectmotion3ds** motion, std::uint32_t npos, std::uint32_t nrot, std::uint32_t nscale,
                         std::uint32_t nmorph, std::uint32_t nhide)
{
    Fill(motion, [&](void* r) { return InitMotion(kObject, r, {npos, nrot, nscale, nmorph, nhide}); });
}
void ReleaseObjectMotion3ds(objectmotion3ds** motion)
{
    Release(kObject, motion);
}
std::uint32_t GetObjectNodeCount3ds(database3ds* database)
{
    return kfGetGenericNodeCount(database, OBJECT_NODE_TAG);
}
void GetObjectNodeNameList3ds(database3ds* database, namelist3ds** names)
{
    kfGetGenericNodeNameList(database, OBJECT_NODE_TAG, names);
}
void GetObjectMotionByName3ds(database3ds* database, const char* name, objectmotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByName(kObject, database, name, r); });
}
void GetObjectMotionByIndex3ds(database3ds* database, std::uint32_t index, objectmotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByIndex(kObject, database, index, r); });
}
void GetObjectMotion3ds(chunk3ds* node, objectmotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetFromNode(kObject, node, nullptr, r); });
}
void PutObjectMotion3ds(database3ds* database, objectmotion3ds* motion)
{
    PutMotion(kObject, database, motion);
}
void DeleteObjectMotionByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteNodeTagByIndexAndType3ds(database, index, OBJECT_NODE_TAG);
}
void DeleteObjectMotionByName3ds(database3ds* database, const char* name)
{
    DeleteNodeTagByNameAndType3ds(database, name, OBJECT_NODE_TAG);
}
void CopyObjectMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNodeTagByIndexAndType3ds(destination, source, index, OBJECT_NODE_TAG);
}
void CopyObjectMotionByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNodeTagByNameAndType3ds(destination, source, name, OBJECT_NODE_TAG);
}

// ---- Cameras

void InitCameraMotion3ds(cameramotion3ds** motion, std::uint32_t npos, std::uint32_t nfov, std::uint32_t nroll,
                         std::uint32_t ntpos)
{
    Fill(motion, [&](void* r) { return InitMotion(kCamera, r, {npos, nfov, nroll, ntpos}); });
}
void ReleaseCameraMotion3ds(cameramotion3ds** motion)
{
    Release(kCamera, motion);
}
std::uint32_t GetCameraNodeCount3ds(database3ds* database)
{
    return kfGetGenericNodeCount(database, CAMERA_NODE_TAG);
}
void GetCameraNodeNameList3ds(database3ds* database, namelist3ds** names)
{
    kfGetGenericNodeNameList(database, CAMERA_NODE_TAG, names);
}
void GetCameraMotionByName3ds(database3ds* database, const char* name, cameramotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByName(kCamera, database, name, r); });
}
void GetCameraMotionByIndex3ds(database3ds* database, std::uint32_t index, cameramotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByIndex(kCamera, database, index, r); });
}
void GetCameraMotion3ds(chunk3ds* node, chunk3ds* target, cameramotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetFromNode(kCamera, node, target, r); });
}
void PutCameraMotion3ds(database3ds* database, cameramotion3ds* motion)
{
    PutMotion(kCamera, database, motion);
}
void DeleteCameraMotionByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteNodeTagByIndexAndType3ds(database, index, CAMERA_NODE_TAG);
}
void DeleteCameraMotionByName3ds(database3ds* database, const char* name)
{
    DeleteNodeTagByNameAndType3ds(database, name, CAMERA_NODE_TAG);
}
void CopyCameraMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNodeTagByIndexAndType3ds(destination, source, index, CAMERA_NODE_TAG);
}
void CopyCameraMotionByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNodeTagByNameAndType3ds(destination, source, name, CAMERA_NODE_TAG);
}

// ---- Omni lights

void InitOmnilightMotion3ds(omnimotion3ds** motion, std::uint32_t npos, std::uint32_t ncolor)
{
    Fill(motion, [&](void* r) { return InitMotion(kOmni, r, {npos, ncolor}); });
}
void ReleaseOmnilightMotion3ds(omnimotion3ds** motion)
{
    Release(kOmni, motion);
}
std::uint32_t GetOmnilightNodeCount3ds(database3ds* database)
{
    return kfGetGenericNodeCount(database, LIGHT_NODE_TAG);
}
void GetOmnilightNodeNameList3ds(database3ds* database, namelist3ds** names)
{
    kfGetGenericNodeNameList(database, LIGHT_NODE_TAG, names);
}
void GetOmnilightMotionByName3ds(database3ds* database, const char* name, omnimotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByName(kOmni, database, name, r); });
}
void GetOmnilightMotionByIndex3ds(database3ds* database, std::uint32_t index, omnimotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByIndex(kOmni, database, index, r); });
}
void GetOmnilightMotion3ds(chunk3ds* node, omnimotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetFromNode(kOmni, node, nullptr, r); });
}
void PutOmnilightMotion3ds(database3ds* database, omnimotion3ds* motion)
{
    PutMotion(kOmni, database, motion);
}
void DeleteOmnilightMotionByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteNodeTagByIndexAndType3ds(database, index, LIGHT_NODE_TAG);
}
void DeleteOmnilightMotionByName3ds(database3ds* database, const char* name)
{
    DeleteNodeTagByNameAndType3ds(database, name, LIGHT_NODE_TAG);
}
void CopyOmnilightMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNodeTagByIndexAndType3ds(destination, source, index, LIGHT_NODE_TAG);
}
void CopyOmnilightMotionByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNodeTagByNameAndType3ds(destination, source, name, LIGHT_NODE_TAG);
}

// ---- Spotlights

void InitSpotlightMotion3ds(spotmotion3ds** motion, std::uint32_t npos, std::uint32_t ncolor, std::uint32_t nhot,
                            std::uint32_t nfall, std::uint32_t nroll, std::uint32_t ntpos)
{
    Fill(motion, [&](void* r) { return InitMotion(kSpot, r, {npos, ncolor, nhot, nfall, nroll, ntpos}); });
}
void ReleaseSpotlightMotion3ds(spotmotion3ds** motion)
{
    Release(kSpot, motion);
}
std::uint32_t GetSpotlightNodeCount3ds(database3ds* database)
{
    return kfGetGenericNodeCount(database, SPOTLIGHT_NODE_TAG);
}
void GetSpotlightNodeNameList3ds(database3ds* database, namelist3ds** names)
{
    kfGetGenericNodeNameList(database, SPOTLIGHT_NODE_TAG, names);
}
void GetSpotlightMotionByName3ds(database3ds* database, const char* name, spotmotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByName(kSpot, database, name, r); });
}
void GetSpotlightMotionByIndex3ds(database3ds* database, std::uint32_t index, spotmotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetByIndex(kSpot, database, index, r); });
}
void GetSpotlightMotion3ds(chunk3ds* node, chunk3ds* target, spotmotion3ds** motion)
{
    Fill(motion, [&](void* r) { return GetFromNode(kSpot, node, target, r); });
}
void PutSpotlightMotion3ds(database3ds* database, spotmotion3ds* motion)
{
    PutMotion(kSpot, database, motion);
}
void DeleteSpotlightMotionByIndex3ds(database3ds* database, std::uint32_t index)
{
    DeleteNodeTagByIndexAndType3ds(database, index, SPOTLIGHT_NODE_TAG);
}
void DeleteSpotlightMotionByName3ds(database3ds* database, const char* name)
{
    DeleteNodeTagByNameAndType3ds(database, name, SPOTLIGHT_NODE_TAG);
}
void CopySpotlightMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index)
{
    CopyNodeTagByIndexAndType3ds(destination, source, index, SPOTLIGHT_NODE_TAG);
}
void CopySpotlightMotionByName3ds(database3ds* destination, database3ds* source, const char* name)
{
    CopyNodeTagByNameAndType3ds(destination, source, name, SPOTLIGHT_NODE_TAG);
}

}  // namespace qelsdk_600
