// Reader of OBJ geometry files with their MTL material libraries.
#ifndef QELSDK_FORMATS_OBJ_KQELREADEROBJ_H
#define QELSDK_FORMATS_OBJ_KQELREADEROBJ_H

#include <memory>
#include <string>

#include "base/karraytemplate.h"
#include "base/kname.h"
#include "base/kstring.h"
#include "io/kqelreader.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KIndexGroup;
class KObjFace;
class KObjMesh;
class KObjSurf;
class KQelMaterial;
class KQelMesh;
class KQelNurb;
class KQelTexture;
class KTextReader;

// Size in bytes of the OBJ reader's line buffers: the longest logical line
// of the file being read (at least 1,024 characters) plus 2. Set at the
// start of each read; the MTL libraries are read in pieces of this size.
extern int sgMAX_LINE_SIZE;

// Reads an OBJ file into a scene: one node with a mesh for every group of
// faces ("g"; faces before any group go to "default"), in the order of the
// group names compared without regard to case, and one node with a NURBS
// surface for every rational B-spline "surf" block. Corners become control
// points by their (position, texture coordinate, normal) triple; missing
// normals are computed flat or, within a smoothing group, averaged per
// position. "usemtl" takes its material and diffuse texture from the MTL
// libraries of "mtllib" statements. Statements of other kinds, libraries
// that cannot be opened and materials that cannot be found are noted as
// lines of the message text (GetMessage). Numbers are read in the "C"
// locale. One reader serves one file: FileOpen, options, Read once.
//
// Errors: 3 "File not opened" (FileOpen, or Read without a file), 6
// "Stream options not set"; every other failure of Read is a plain false
// (a "v" or "vn" of fewer than three numbers, a "vt" or "vp" of none, a
// "surf" before any curve type, a line or buffer too large for memory).
class KQelReaderObj : public KQelReader {
public:
    // No file, no lists, no libraries.
    explicit KQelReaderObj(KQelSdkManager& pManager);
    // Closes the file and the libraries; deletes the records.
    ~KQelReaderObj() override;

    // Closes any open file, then opens the regular file named; false with
    // error 3 when it cannot.
    bool FileOpen(const char* pFileName) override;
    bool FileClose() override;
    bool IsFileOpen() override;
    // A new KStreamOptionsObj with its defaults; the caller owns it.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    // Reads the open file: mesh nodes under a new node "<file name>_root"
    // when option 1 "Create Reference Node" is 1, else under the scene's
    // root; surface nodes always under the scene's root. True when the scene
    // was built.
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

    // A face corner written v, v/vt, v/vt/vn or v//vn into pGroup (absent
    // indices 0; an index beyond 32 bits reads as INT_MIN); false when the
    // position index is 0 or missing.
    static bool ParseVertexGroup(KIndexGroup& pGroup, const char* pText);
    // The list index of file index pIndex in a list of pCount items: 1 to
    // pCount count from the start, -1 to -pCount from the end; -1 for any
    // other (0, out of range, INT_MIN).
    static int ConvertIndex(int pIndex, int pCount);
    // The unit normal of the plane of three points (counter-clockwise seen
    // from the front faces the viewer); (0, 0, 0) for points in a line.
    static KQelVector4 ComputeDefaultNormal(const KQelVector4* pPoints);
    // Place in a NURBS surface's control points of an OBJ surface's point
    // pIndex, the directions exchanged: pIndex / pCountU + (pIndex %
    // pCountU) * pCountV.
    static int SwapArrayIndex(int pIndex, int pCountV, int pCountU);

private:
    struct ReadState;
    struct Library;

    // Statement loop and scene.
    bool ComputeLongestLineInFile();
    bool ReadLine(std::string& pKeyword, char* pRest);
    // False when the statement fails the read.
    bool HandleStatement(const std::string& pKeyword, char* pRest);
    bool HandleFace(char* pRest);
    bool HandleSurface(char* pRest);
    // Reads statements up to "end" (or the end of the file), giving each
    // "parm" to pSurface when it is not null.
    void SkipBlock(KObjSurf* pSurface, char* pRest);
    bool LoadScene(KQelScene& pScene);
    void DeleteObjMeshes();

    // Records.
    bool ParseObjFace(KObjFace* pFace, char* pRest);
    bool ParseObjSurf(KObjSurf* pSurface, char* pRest);

    // Material libraries.
    bool OpenLibrary(char* pRest);
    bool CloseMtlLibrary();
    void UseMaterial(const char* pName);
    bool ReadMaterial(const char* pName, KQelMaterial*& pMaterial, KQelTexture*& pTexture);

    // Geometry.
    KQelMesh* CreateQelMeshFromObjMesh(KObjMesh* pMesh);
    bool FillNormals(KObjMesh* pMesh);
    KQelNurb* CreateQelGeometryFromObjSurf(KObjSurf* pSurface);
    // The face's normal from the positions of its first three corners.
    KQelVector4 FaceNormal(const KObjFace& pFace) const;

    std::unique_ptr<KTextReader> mFile;
    KString mFileName;
    bool mCreateReferenceNode;
    KNumberRenamingStrategy mRenaming;
    bool mMaterialLibrarySeen;
    bool mTexturedMaterialSeen;
    KArrayTemplate<KQelVector4> mPositions;
    KArrayTemplate<KQelVector2> mTextureCoordinates;
    KArrayTemplate<KQelVector4> mNormals;
    KArrayTemplate<KQelVector4> mParameterVertices;
    // Meshes by group, caches, libraries and the statement state.
    std::unique_ptr<ReadState> mState;
};

}  // namespace qelsdk_600

#endif
