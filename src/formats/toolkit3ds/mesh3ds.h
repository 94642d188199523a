// Mesh objects (a NAMED_OBJECT holding an N_TRI_OBJECT) and the mesh
// settings of a database, as plain records the caller owns. Arrays in a
// record are blocks (malloc) the record owns; gets hand out arrays taken
// from the chunk tree, puts copy every array into it.
#ifndef QELSDK_FORMATS_TOOLKIT3DS_MESH3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_MESH3DS_H

#include <cstdint>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/database3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// Initialisation and release flags: which arrays of a mesh3ds.
enum : std::uint16_t {
    InitNoExtras3ds = 0,
    InitVertexArray3ds = 0x1,
    InitTextArray3ds = 0x2,
    InitFaceArray3ds = 0x4,
    InitMatArray3ds = 0x8,
    InitSmoothArray3ds = 0x10,
    InitProcData3ds = 0x20,
    InitVFlagArray3ds = 0x40,
    RelVertexArray3ds = 0x1,
    RelTextArray3ds = 0x2,
    RelFaceArray3ds = 0x4,
    RelMatArray3ds = 0x8,
    RelSmoothArray3ds = 0x10,
    RelProcData3ds = 0x20,
    RelVFlagArray3ds = 0x40,
    RelAll3ds = 0x7F
};

// One material group of a mesh: the material's name (at most 16
// characters) and the indices of its faces.
struct objmat3ds {
    char name[17];
    std::uint16_t nfaces;
    std::uint16_t* faceindex;
};
extern const objmat3ds DefObjMat3ds;  // all zero

// The mapping icon of a mesh's texture coordinates (MESH_TEXTURE_INFO).
struct meshtextureinfo3ds {
    std::uint16_t maptype;
    float tilex, tiley;
    float iconx, icony, iconz;
    float scaling;
    float matrix[12];
    float planarwidth, planarheight, cylinderheight;
};

// One mesh object, fields in file-model order. The flag bytes stand for
// the empty chunks OBJ_HIDDEN, OBJ_VIS_LOFTER, OBJ_MATTE, OBJ_DOESNT_CAST,
// OBJ_FAST, OBJ_DONT_RCVSHADOW, OBJ_FROZEN. A face's smoothing word has bit
// n - 1 set for each group n (1 to 32) it belongs to. The last field is the
// toolkit's own: how many entries each array was given.
struct mesh3ds {
    char name[11];
    byte3ds ishidden, isvislofter, ismatte, isnocast, isfast, isnorcvshad, isfrozen;
    std::uint16_t nvertices;
    point3ds* vertexarray;
    std::uint16_t nvflags;
    std::uint16_t* vflagarray;
    std::uint16_t ntextverts;
    textvert3ds* textarray;
    byte3ds usemapinfo;
    meshtextureinfo3ds map;
    float locmatrix[12];
    std::uint16_t nfaces;
    face3ds* facearray;
    std::uint32_t* smootharray;
    byte3ds useboxmap;
    char boxmap[6][17];
    std::uint8_t meshcolor;
    std::uint16_t nmats;
    objmat3ds* matarray;
    byte3ds procedural;
    std::uint32_t procsize;
    char procname[16];
    void* procdata;
    std::uint32_t allocated[7];
};

// The mesh settings of a database, one block the caller owns.
struct meshset3ds {
    float masterscale;    // MASTER_SCALE, 1.0
    float shadowbias;     // LO_SHADOW_BIAS, 1.0
    float raytracebias;   // RAY_BIAS, 1.0
    std::uint16_t shadowsize;  // SHADOW_MAP_SIZE, 512
    float shadowfilter;   // SHADOW_FILTER, 3.0
    fcolor3ds ambientlight;    // AMBIENT_LIGHT, 0.39216 each
    point3ds oconsts;     // O_CONSTS, 0
};

// A record (allocated when *mesh is none, its arrays empty; an existing one
// keeps its arrays, resized) with every field at its default, vertexcount
// vertices and facecount faces; the flags add texture vertices and vertex
// flags (one per vertex) and smoothing words (one per face).
void InitMeshObj3ds(mesh3ds** mesh, std::uint16_t vertexcount, std::uint16_t facecount, std::uint16_t initflags);
// Sizes each flagged array to its count: 0 releases it, an existing one is
// resized keeping its entries, and new entries get their defaults (faces
// 0, 1, 2; everything else 0).
void InitMeshObjField3ds(mesh3ds* mesh, std::uint16_t initflags);
// A new zeroed face-index array of facecount entries for a material group
// (its count is the caller's). ERR_INVALID_ARG for 0 faces, ERR_INVALID_DATA
// for a mesh without faces or a group past the last.
void InitMatArrayIndex3ds(mesh3ds* mesh, std::uint16_t mat, std::uint16_t facecount);
// Frees each flagged array; counts stay.
void RelMeshObjField3ds(mesh3ds* mesh, std::uint16_t relflags);
// Frees every array and the record; clears the pointer.
void RelMeshObj3ds(mesh3ds** mesh);

// The number of mesh objects, and a list of their names.
std::uint32_t GetMeshCount3ds(database3ds* database);
void GetMeshNameList3ds(database3ds* database, namelist3ds** names);
// Fills a record from the index-th mesh object (mesh files and projects);
// an index past the last leaves it untouched. A face naming a vertex past
// the vertices, or a group naming a face past the faces, is
// ERR_INVALID_DATA with no face or group arrays handed out.
void GetMeshByIndex3ds(database3ds* database, std::uint32_t index, mesh3ds** mesh);
// The same by name; a name that is no mesh leaves the record untouched.
void GetMeshByName3ds(database3ds* database, const char* name, mesh3ds** mesh);
void DeleteMeshByName3ds(database3ds* database, const char* name);
void DeleteMeshByIndex3ds(database3ds* database, std::uint32_t index);
void CopyMeshByIndex3ds(database3ds* destination, database3ds* source, std::uint32_t index);
void CopyMeshByName3ds(database3ds* destination, database3ds* source, const char* name);
// The number of MSH_MAT_GROUP children of a FACE_ARRAY.
std::uint16_t GetMeshMatCount3ds(chunk3ds* facearray);
// Fills a record from one named object (ERR_WRONG_OBJECT when it holds no
// mesh). The smoothing array comes out exactly one word per face.
void GetMeshEntryChunk3ds(chunk3ds* object, mesh3ds** mesh);
// Puts a record as a named object, in place of any object of its name
// (keeping that one's XDATA_SECTION). Mesh files and projects.
void PutMesh3ds(database3ds* database, mesh3ds* mesh);

// The settings at their defaults (allocated when *settings is none).
void InitMeshSet3ds(meshset3ds** settings);
void ReleaseMeshSet3ds(meshset3ds** settings);
// Fills the settings from MDATA; without MDATA the record is untouched. A
// 24-bit ambient byte b reads as b / 256.
void GetMeshSet3ds(database3ds* database, meshset3ds** settings);
// Replaces or adds the settings' chunks in MDATA (ambient as float colours).
void PutMeshSet3ds(database3ds* database, meshset3ds* settings);
// Copies every setting chunk but the ambient light into destination.
void CopyMeshSet3ds(database3ds* destination, database3ds* source);

}  // namespace qelsdk_600

#endif
