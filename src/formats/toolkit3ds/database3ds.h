// A database: one 3D Studio file held in memory as its chunk tree, with
// three lists (named objects, materials, keyframer nodes) rebuilt on
// demand. Lookups by name are hashed (the first match in list order wins)
// and lookups by index take constant time once a list is known; the
// toolkit's own puts keep them current. A database read from a file needs
// that file open until it is disconnected (DisconnectDatabase3ds).
#ifndef QELSDK_FORMATS_TOOLKIT3DS_DATABASE3DS_H
#define QELSDK_FORMATS_TOOLKIT3DS_DATABASE3DS_H

#include <cstdint>

#include "formats/toolkit3ds/chunk3ds.h"
#include "formats/toolkit3ds/files3ds.h"
#include "formats/toolkit3ds/types3ds.h"

namespace qelsdk_600 {

// The kind of database, from its top chunk.
enum dbtype3ds : std::uint32_t {
    DbTypeUnknown3ds = 0,
    MeshFile3ds = 1,      // M3DMAGIC
    ProjectFile3ds = 2,   // CMAGIC
    MaterialFile3ds = 3   // MLIBMAGIC
};

// Release levels as the release functions take and give them.
enum releaselevel3ds : std::uint32_t {
    Release1_3ds = 0,
    Release2_3ds = 1,
    Release3_3ds = 2,
    ReleaseNotKnown3ds = 3
};

// The lists' entries borrow their chunks and own their names. A dirty flag
// says the list must be rebuilt before it is read directly; `index` holds
// the toolkit's own lookup indexes.
struct database3ds {
    chunk3ds* topchunk;
    byte3ds objlistdirty;
    byte3ds matlistdirty;
    byte3ds nodelistdirty;
    chunklist3ds* objlist;
    chunklist3ds* matlist;
    chunklist3ds* nodelist;
    void* index;
};

// Dummy objects' name.
extern const char DummyName3ds[];

// ---- Lifecycle

// A record (when *database is none, ERR_NO_MEM when memory runs out) with no
// top chunk, no lists and all three dirty flags set.
void InitDatabase3ds(database3ds** database);
// Releases the tree, the lists and the record; clears the pointer.
void ReleaseDatabase3ds(database3ds** database);
// Reads a database from a file open for reading (a file open for writing is
// left alone): the top header, and for a mesh file, project or material
// library its tree, then every keyframer node gets its parent's name. A top
// chunk below 6 bytes or past the file's end is ERR_INVALID_CHUNK; errors
// are recorded again as ERR_CREATING_DATABASE. A database read before is
// released first.
void CreateDatabase3ds(file3ds* file, database3ds* database);
// A new top chunk of the type with the release records of release 3.
void CreateNewDatabase3ds(database3ds* database, dbtype3ds type);
// The database's type; DbTypeUnknown3ds for none or no top chunk.
dbtype3ds GetDatabaseType3ds(database3ds* database);
// Replaces target's tree with a copy of source's (records that can be
// reloaded from source's file move to the copy); target's lists are marked
// dirty.
void CopyDatabase3ds(database3ds* source, database3ds* target);
// Loads every record so the database no longer needs its file.
void DisconnectDatabase3ds(database3ds* database);
// Puts the release records of release 3, numbers the keyframer nodes and
// writes the tree from the file's start. More than 65535 keyframer nodes is
// ERR_WRITING_DATABASE with nothing written; errors are recorded again as
// ERR_WRITING_DATABASE.
void WriteDatabase3ds(file3ds* file, database3ds* database);

// ---- Named objects (NAMED_OBJECT chunks of MDATA)

void UpdateNamedObjectList3ds(database3ds* database);
// The first object of the name (case-sensitive), or none.
void FindNamedObject3ds(database3ds* database, const char* name, chunk3ds** chunk);
// The index-th object (from 0) among those holding a chunk of the type tag;
// for DL_SPOTLIGHT, among lights holding one. None beyond the last.
chunk3ds* FindNamedObjectByIndex3ds(database3ds* database, std::uint32_t typetag, std::uint32_t index);
// Empty an object where it stands (found as above, or by name).
void DeleteChunkTypeByIndex3ds(database3ds* database, std::uint32_t typetag, std::uint32_t index);
void DeleteNamedObjectByName3ds(database3ds* database, const char* name);
// Copy an object of source into target's MDATA (created when missing),
// replacing target's object of the same name. Both must be mesh files or
// projects (ERR_INVALID_DATABASE without a top, ERR_WRONG_DATABASE).
void CopyNamedObjectByIndex3ds(database3ds* target, database3ds* source, std::uint32_t typetag,
                               std::uint32_t index);
void CopyNamedObjectByName3ds(database3ds* target, database3ds* source, const char* name);
// Marks the list for rebuilding, after changes made outside the toolkit.
void MakeNamedObjectListDirty3ds(database3ds* database);

// ---- Materials (MAT_ENTRY chunks of MDATA, or of a material library's top)

void UpdateMatEntryList3ds(database3ds* database);
// The entry whose MAT_NAME equals the name, or none. Needs a mesh file,
// project or material library.
void FindMatEntry3ds(database3ds* database, const char* name, chunk3ds** chunk);
// The entry at that position, or none.
chunk3ds* FindMatEntryByIndex3ds(database3ds* database, std::uint32_t index);
void MakeMatEntryListDirty3ds(database3ds* database);

// ---- Keyframer nodes (AMBIENT_NODE_TAG to SPOTLIGHT_NODE_TAG under KFDATA),
// ---- named by their NODE_HDR name, object nodes with an INSTANCE_NAME as
// ---- "name.instance".

void UpdateNodeTagList3ds(database3ds* database);
// The first node of the tag and name, or none.
chunk3ds* FindNodeTagByNameAndType3ds(database3ds* database, const char* name, std::uint32_t typetag);
// The index-th node (from 0) of the tag, or none.
chunk3ds* FindNodeTagByIndexAndType3ds(database3ds* database, std::uint32_t index, std::uint32_t typetag);
// Empty a node where it stands; a camera node takes its TARGET_NODE_TAG of
// the same name with it, a spotlight node its L_TARGET_NODE_TAG. Mesh files
// and projects only.
void DeleteNodeTagByIndexAndType3ds(database3ds* database, std::uint32_t index, std::uint32_t typetag);
void DeleteNodeTagByNameAndType3ds(database3ds* database, const char* name, std::uint32_t typetag);
// Copy a node of source into target's KFDATA (created when missing),
// replacing target's node of that name and tag; a camera or spotlight node
// brings its target node.
void CopyNodeTagByIndexAndType3ds(database3ds* target, database3ds* source, std::uint32_t index,
                                  std::uint32_t typetag);
void CopyNodeTagByNameAndType3ds(database3ds* target, database3ds* source, const char* name,
                                 std::uint32_t typetag);
void MakeNodeTagListDirty3ds(database3ds* database);

// ---- Release records: M3D_VERSION and MESH_VERSION store levels 0 to 3 as
// ---- 1 to 4, KFHDR's revision as 1, 2, 5, 6.

releaselevel3ds GetM3dMagicRelease3ds(database3ds* database);
releaselevel3ds GetMeshRelease3ds(database3ds* database);
releaselevel3ds GetKfRelease3ds(database3ds* database);
// Mesh file: its M3D_VERSION; project: its MESH_VERSION; material library:
// release 3.
releaselevel3ds GetDatabaseRelease3ds(database3ds* database);
void PutM3dMagicRelease3ds(database3ds* database, releaselevel3ds level);
void PutMeshRelease3ds(database3ds* database, releaselevel3ds level);
// Finds or makes KFDATA and its KFHDR (empty name, length 30) and sets the
// revision.
void PutKfRelease3ds(database3ds* database, releaselevel3ds level);
void PutDatabaseRelease3ds(database3ds* database, releaselevel3ds level);

}  // namespace qelsdk_600

#endif
