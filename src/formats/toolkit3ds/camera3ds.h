// Cameras (a named object holding an N_CAMERA) and the background settings
// of MDATA, as plain records the caller owns. The file holds a camera's
// lens, 2400 / field of view; the record its field of view.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_CAMERA3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_CAMERA3DS_H

#include <cstdint>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

struct camera3ds {
    char name[11];
    point3ds position;    // 0, 0, 0
    point3ds target;      // 1, 1, 1
    float roll;           // 0
    float fov;            // 45 (degrees)
    byte3ds showcone;     // CAM_SEE_CONE
    float nearplane;      // CAM_RANGES, 10
    float farplane;       // CAM_RANGES, 1000
};

// Background types.
enum : std::uint32_t { NoBgnd3ds = 0, UseSolidBgnd3ds = 1, UseVGradientBgnd3ds = 2, UseBitmapBgnd3ds = 3 };

// The background; it owns its bitmap name.
struct background3ds {
    char* bitmap;           // BIT_MAP, none
    fcolor3ds solid;        // SOLID_BGND, black
    float gradpercent;      // V_GRADIENT's middle, 0.5
    fcolor3ds gradtop, gradmid, gradbottom;
    std::uint32_t bgndused; // which of them is shown (USE_...)
};

void InitCamera3ds(camera3ds** camera);
void ReleaseCamera3ds(camera3ds** camera);
std::uint32_t GetCameraCount3ds(database3ds* database);
void GetCameraNameList3ds(database3ds* database, namelist3ds** names);
// Fills a record from the index-th camera; past the last it is untouched.
void GetCameraByIndex3ds(database3ds* database, std::uint32_t index, camera3ds** camera);
// By name: no object of the name leaves the record untouched, one that is
// no camera records ERR_WRONG_OBJECT.
void GetCameraByName3ds(database3ds* database, const char* name, camera3ds** camera);
void DeleteCameraByName3ds(database3ds* database, const char* name);
void DeleteCameraByIndex3ds(database3ds* database, std::uint32_t index);
void CopyCameraByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopyCameraByName3ds(database3ds* destination, database3ds* source, const char* name);
// Fills a record from a NAMED_OBJECT holding an N_CAMERA (else
// ERR_WRONG_OBJECT).
void GetCameraEntry3ds(chunk3ds* object, camera3ds** camera);
// Puts a record in place of any object of its name (keeping that one's
// XDATA_SECTION); mesh files only (a project is ERR_WRONG_DATABASE).
void PutCamera3ds(database3ds* database, camera3ds* camera);

// A record (allocated when *background is none) at its defaults; an
// existing bitmap name is freed.
void InitBackground3ds(background3ds** background);
void ReleaseBackground3ds(background3ds** background);
// Fills the record from MDATA; without MDATA it is untouched.
void GetBackground3ds(database3ds* database, background3ds** background);
// Replaces the bitmap, solid colour and gradient chunks whatever the type,
// and sets the one use flag the type names (none for type 0).
void PutBackground3ds(database3ds* database, background3ds* background);
void CopyBackground3ds(database3ds* destination, database3ds* source);

}  // namespace qelsdk_600

#endif
