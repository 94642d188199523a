// The 3D Studio file toolkit in one include: errors, files and primitives,
// the chunk tree and its catalogue, databases and keyframer nodes, and the
// records of meshes, materials, lights, cameras, keyframer settings and
// motions.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_TOOLKIT3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_TOOLKIT3DS_H

#include "formats/toolkit3ds/camera3ds.h"
#include "formats/toolkit3ds/catalogue3ds.h"
#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/errors3ds.h"
#include "formats/toolkit3ds/files3ds.h"
#include "formats/toolkit3ds/keyframer3ds.h"
#include "formats/toolkit3ds/kfsettings3ds.h"
#include "formats/toolkit3ds/light3ds.h"
#include "formats/toolkit3ds/material3ds.h"
#include "formats/toolkit3ds/mesh3ds.h"
#include "formats/toolkit3ds/motion3ds.h"
#include "formats/toolkit3ds/primitives3ds.h"
#include "formats/toolkit3ds/types3ds.h"

#endif
