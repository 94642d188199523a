// Writer of OBJ geometry files with an MTL material library and copies of
// their texture images.
#ifndef QELSDK_FORMATS_OBJ_KQELWRITEROBJ_H
#define QELSDK_FORMATS_OBJ_KQELWRITEROBJ_H

#include <cstdio>
#include <memory>

#include "base/karraytemplate.h"
#include "base/kname.h"
#include "base/kstring.h"
#include "base/ktypes.h"
#include "formats/kqelgeometrywriter.h"
#include "math/kqelmatrix.h"

namespace qelsdk_600 {

class KQelMaterial;
class KQelMesh;
class KQelTexture;

// One block of the MTL library: a scene material, its texture (or null) and
// the unique name the OBJ file uses for the pair.
class KObjMaterial {
public:
    KObjMaterial(const char* pName, KQelMaterial* pMaterial, KQelTexture* pTexture)
        : mMaterial(pMaterial), mTexture(pTexture), mName(pName)
    {
    }

    KQelMaterial* mMaterial;
    KQelTexture* mTexture;
    KString mName;
};

// Writes every mesh of a scene, in world coordinates, as one group ("g",
// named after its node) of "v", "vt" and "vn" lines and faces, numbered on
// across the file. NURBS surfaces and patches, and with "Force
// Triangulation" every mesh, are triangulated in place first; with "Evaluate
// Link/Shape deformations" (on by default) shapes and links are baked into
// the mesh's points and normals, which keep them. When a geometry has a
// material or a texture, the MTL library goes beside the file (its file name
// lowered, ".obj" becoming ".mtl"), one block per (material, texture) pair,
// and each standard texture image is copied next to it; pairs without a
// material of their own use the writer's "default" material. Numbers are
// written in the "C" locale; messages of texture copies go to the message
// text.
//
// Errors: 1 "File not opened" when the file cannot be created or Write has
// none, 3 "Out of disk space" when a write to the OBJ or MTL file fails, 4
// "Stream options not set" for missing or foreign options (nothing written).
// The deformation baking members come from KQelDeformationBaking.
class KQelWriterObj : public KQelGeometryWriter {
public:
    explicit KQelWriterObj(KQelSdkManager& pManager);
    // Closes the file and the library.
    ~KQelWriterObj() override;

    // Closes any open file, makes the path's directory and creates the file;
    // false with error 1 when it cannot.
    bool FileCreate(const char* pFileName) override;
    // A new KStreamOptionsObj with its defaults; the caller owns it.
    KStreamOptions* GetWriteOptions() override;
    // Writes the scene; every write is checked and both files flushed before
    // it answers.
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    // Triangulates the geometry of every node of the tree as asked and notes
    // whether any has a layer-0 material or texture; false for null.
    bool InitNodes(KQelNode* pNode);
    // True for a mesh, NURBS or patch attribute.
    bool IsGeometryNode(KQelNode* pNode);
    // NURBS and patches always, meshes with "Force Triangulation": replaced
    // by a triangulated mesh; false for other attributes.
    bool TriangulateGeometry(KQelNode* pNode);
    // Notes a layer-0 material or texture; true.
    bool CheckMaterials(KQelNode* pNode);
    // Writes the node when it carries a mesh, then with pRecurse every node
    // below it, parents first; walked without recursion.
    void WriteNode(KQelNode* pNode, bool pRecurse);

    // The library beside the OBJ file, opened with its header; false when
    // the file name has no ".obj" or the library cannot be created.
    bool InitMtlLib();
    // Index of the block of the pair, -1 when there is none yet.
    int FindObjMaterial(KQelMaterial* pMaterial, KQelTexture* pTexture);
    // One block of the library (with the copy of a standard texture); false
    // without library.
    bool WriteMaterial(const char* pName, KQelMaterial* pMaterial, KQelTexture* pTexture);
    // Forgets the blocks and closes the library; true.
    bool DestroyObjMaterials();


private:
    struct MeshWriting;
    struct PairIndex;

    void WriteMesh(KQelNode& pNode, KQelMesh& pMesh);
    void WriteTextureCoordinates(MeshWriting& pMesh);
    void WriteFaces(MeshWriting& pMesh);
    // The pair step: finds or writes the block of the pair, then "usemtl".
    void UsePair(KQelMaterial* pMaterial, KQelTexture* pTexture);

    std::FILE* mMtlFile;
    bool mMtlLibRefused = false;
    KString mMtlFileName;
    bool mTriangulate;
    bool mEvaluateDeformations;
    bool mHasMaterials;
    kInt mVertexIndex;
    kInt mUVIndex;
    kInt mNormalIndex;
    KQelMaterial* mDefaultMaterial;
    KArrayTemplate<KObjMaterial*> mObjMaterials;
    KNumberRenamingStrategy mRenamingStrategy;
    // Block of each pair, so that a lookup does not scan the blocks.
    std::unique_ptr<PairIndex> mPairIndex;
};

}  // namespace qelsdk_600

#endif
