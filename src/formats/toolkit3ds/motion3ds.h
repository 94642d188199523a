// Keyframer motions: the node chunks of the keyframer section as plain
// records the caller owns, one family per kind of node: objects
// (OBJECT_NODE_TAG), cameras (CAMERA_NODE_TAG with their TARGET_NODE_TAG),
// omni lights (LIGHT_NODE_TAG) and spotlights (SPOTLIGHT_NODE_TAG with their
// L_TARGET_NODE_TAG). A target node carries the name of its camera or
// spotlight. Each family has the same twelve functions:
//   Init (allocates into a none pointer; each track given a non-zero count
//     gets that many zero keys and values at the track's starting value; a
//     track given 0 keeps what it had), Release,
//   node count and node name list,
//   by name and by index (fill the record from the first node of that name
//     and kind; an index at or past the count, or a name without a node,
//     leaves the record untouched),
//   get from node (fills the record; a missing track gives 0 keys),
//   Put (adds a node, in place of the node of its kind and name (for
//     objects: name and instance) with that one's XDATA_SECTION kept; a
//     track is written only with keys and, but for hide tracks, values),
//   delete and copy by index and by name.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_MOTION3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_MOTION3DS_H

#include <cstdint>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// A track of a motion: keycount keys and as many values, both owned.
template <class Value>
struct kftrack3ds {
    std::uint32_t keycount;
    std::uint16_t flags;  // Track...3ds
    keyheader3ds* keys;
    Value* values;
};

// Every record starts with the node's name, its parent's name ("name" or
// "name.instance", empty without a parent) and the two flag words
// (KfNodeOff3ds, KfHideNode3ds, KfFastNode3ds; KfNodeHasPath3ds and the
// rest).

// OBJECT_NODE_TAG. Init counts: position, rotation, scale, morph, hide. A
// new record's morph smoothing angle is 24; the bounding box is written for
// DummyName3ds objects only, the smoothing angle when flags2 has 0x1.
struct objectmotion3ds {
    char name[11];
    char parent[23];
    std::uint16_t flags1, flags2;
    point3ds pivot;
    char instance[12];
    point3ds bboxmin, bboxmax;
    kftrack3ds<point3ds> pos;      // starts 0, 0, 0
    kftrack3ds<kfrotkey3ds> rot;   // starts angle 0 about 0, 0, 1
    kftrack3ds<point3ds> scale;    // starts 1, 1, 1
    kftrack3ds<kfmorph3ds> morph;  // starts " "
    kftrack3ds<void> hide;         // keys only
    float morphsmooth;
};

// CAMERA_NODE_TAG and its target. Init counts: position, field of view,
// roll, target position.
struct cameramotion3ds {
    char name[11];
    char parent[23];
    std::uint16_t flags1, flags2;
    kftrack3ds<point3ds> pos;  // starts 0, 0, 0
    kftrack3ds<float> fov;     // starts 60
    kftrack3ds<float> roll;    // starts 0
    char tparent[23];
    kftrack3ds<point3ds> tpos;
    std::uint16_t tflags1, tflags2;
};

// LIGHT_NODE_TAG. Init counts: position, colour.
struct omnimotion3ds {
    char name[11];
    char parent[23];
    std::uint16_t flags1, flags2;
    kftrack3ds<point3ds> pos;
    kftrack3ds<fcolor3ds> color;  // starts 1, 1, 1
};

// SPOTLIGHT_NODE_TAG and its target. Init counts: position, colour,
// hotspot, falloff, roll, target position.
struct spotmotion3ds {
    char name[11];
    char parent[23];
    std::uint16_t flags1, flags2;
    kftrack3ds<point3ds> pos;
    kftrack3ds<fcolor3ds> color;  // starts 0, 0, 0
    kftrack3ds<float> hot;        // starts 90
    kftrack3ds<float> fall;       // starts 90
    kftrack3ds<float> roll;       // starts 0
    char tparent[23];
    kftrack3ds<point3ds> tpos;
    std::uint16_t tflags1, tflags2;
};

void InitObjectMotion3ds(objectmotion3ds** motion, std::uint32_t npos, std::uint32_t nrot, std::uint32_t nscale,
                         std::uint32_t nmorph, std::uint32_t nhide);
void ReleaseObjectMotion3ds(objectmotion3ds** motion);
std::uint32_t GetObjectNodeCount3ds(database3ds* database);
void GetObjectNodeNameList3ds(database3ds* database, namelist3ds** names);
// By the node-list name: "name.instance" for an instanced object.
void GetObjectMotionByName3ds(database3ds* database, const char* name, objectmotion3ds** motion);
void GetObjectMotionByIndex3ds(database3ds* database, std::uint32_t index, objectmotion3ds** motion);
// An object node of another tag is ERR_WRONG_OBJECT. Absent pivot, box and
// smoothing angle read as 0.
void GetObjectMotion3ds(chunk3ds* node, objectmotion3ds** motion);
void PutObjectMotion3ds(database3ds* database, objectmotion3ds* motion);
void DeleteObjectMotionByIndex3ds(database3ds* database, std::uint32_t index);
void DeleteObjectMotionByName3ds(database3ds* database, const char* name);
void CopyObjectMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopyObjectMotionByName3ds(database3ds* destination, database3ds* source, const char* name);

void InitCameraMotion3ds(cameramotion3ds** motion, std::uint32_t npos, std::uint32_t nfov, std::uint32_t nroll,
                         std::uint32_t ntpos);
void ReleaseCameraMotion3ds(cameramotion3ds** motion);
std::uint32_t GetCameraNodeCount3ds(database3ds* database);
void GetCameraNodeNameList3ds(database3ds* database, namelist3ds** names);
void GetCameraMotionByName3ds(database3ds* database, const char* name, cameramotion3ds** motion);
void GetCameraMotionByIndex3ds(database3ds* database, std::uint32_t index, cameramotion3ds** motion);
void GetCameraMotion3ds(chunk3ds* node, chunk3ds* target, cameramotion3ds** motion);
// Mesh files only: a database without a top or of another kind is
// ERR_INVALID_DATA.
void PutCameraMotion3ds(database3ds* database, cameramotion3ds* motion);
void DeleteCameraMotionByIndex3ds(database3ds* database, std::uint32_t index);
void DeleteCameraMotionByName3ds(database3ds* database, const char* name);
void CopyCameraMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopyCameraMotionByName3ds(database3ds* destination, database3ds* source, const char* name);

void InitOmnilightMotion3ds(omnimotion3ds** motion, std::uint32_t npos, std::uint32_t ncolor);
void ReleaseOmnilightMotion3ds(omnimotion3ds** motion);
std::uint32_t GetOmnilightNodeCount3ds(database3ds* database);
void GetOmnilightNodeNameList3ds(database3ds* database, namelist3ds** names);
void GetOmnilightMotionByName3ds(database3ds* database, const char* name, omnimotion3ds** motion);
void GetOmnilightMotionByIndex3ds(database3ds* database, std::uint32_t index, omnimotion3ds** motion);
void GetOmnilightMotion3ds(chunk3ds* node, omnimotion3ds** motion);
void PutOmnilightMotion3ds(database3ds* database, omnimotion3ds* motion);
void DeleteOmnilightMotionByIndex3ds(database3ds* database, std::uint32_t index);
void DeleteOmnilightMotionByName3ds(database3ds* database, const char* name);
void CopyOmnilightMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopyOmnilightMotionByName3ds(database3ds* destination, database3ds* source, const char* name);

void InitSpotlightMotion3ds(spotmotion3ds** motion, std::uint32_t npos, std::uint32_t ncolor, std::uint32_t nhot,
                            std::uint32_t nfall, std::uint32_t nroll, std::uint32_t ntpos);
void ReleaseSpotlightMotion3ds(spotmotion3ds** motion);
std::uint32_t GetSpotlightNodeCount3ds(database3ds* database);
void GetSpotlightNodeNameList3ds(database3ds* database, namelist3ds** names);
void GetSpotlightMotionByName3ds(database3ds* database, const char* name, spotmotion3ds** motion);
void GetSpotlightMotionByIndex3ds(database3ds* database, std::uint32_t index, spotmotion3ds** motion);
void GetSpotlightMotion3ds(chunk3ds* node, chunk3ds* target, spotmotion3ds** motion);
void PutSpotlightMotion3ds(database3ds* database, spotmotion3ds* motion);
void DeleteSpotlightMotionByIndex3ds(database3ds* database, std::uint32_t index);
void DeleteSpotlightMotionByName3ds(database3ds* database, const char* name);
void CopySpotlightMotionByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopySpotlightMotionByName3ds(database3ds* destination, database3ds* source, const char* name);

}  // namespace qelsdk_600

#endif
