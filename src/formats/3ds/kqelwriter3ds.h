// Writer of 3D Studio files.
#ifndef QELSDK_FORMATS_3DS_KQELWRITER3DS_H
#define QELSDK_FORMATS_3DS_KQELWRITER3DS_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/ktime.h"
#include "formats/toolkit3ds/records3ds_fwd.h"
#include "io/kqelwriter.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KFCurve;
class KQelCamera;
class KQelLight;
class KQelMesh;
class KQelNode;
class KQelScene;

// Writes a scene as a 3D Studio mesh file through the toolkit: every mesh
// (NURBS and patches triangulated in place) with its materials and texture
// maps, omni and spot lights, cameras with the background colour, dummy
// objects for the other nodes, and a keyframer node per object whose tracks
// sample the current take's curves at every frame at 30 frames per second.
// The scene is Y-up, the file Z-up: a point (x, y, z) is stored (x, -z, y).
// Before writing, every node and material of the manager is renamed for the
// format (KRenamingStrategy3DS: 10 characters for nodes, 15 for materials)
// and keeps its new name. Texture images are copied beside the file; notes
// go to the message text. One writer serves one file: FileCreate, Write,
// deletion. The toolkit keeps its state in process-wide globals, so one 3D
// Studio read or write runs at a time.
//
// The file is written to a temporary file beside the target and renamed
// over it only when the whole database was written: a failed write leaves
// an existing file as it was and removes the temporary.
//
// Errors: 2 "File not created" (FileCreate), 4 "Stream options not set"
// (the write goes on with the flags held), 5 "Unidentified error" for a
// scene the format cannot hold (the reason in the message text), 3 "Out of
// disk space" when the file cannot be written whole.
class KQelWriter3DS : public KQelWriter {
public:
    // No file; every flag on but "Create Reference Node" and "UV per
    // polygon".
    explicit KQelWriter3DS(KQelSdkManager& pManager);
    // Releases whatever a write left and removes an unfinished file.
    ~KQelWriter3DS() override;

    // Opens a temporary file beside pFileName through the toolkit; false
    // with error 2 when it cannot (null path, missing directory).
    bool FileCreate(const char* pFileName) override;
    // True; the file is closed by Write or at deletion.
    bool FileClose() override;
    // True.
    bool IsFileOpen() override;
    // A new KStreamOptions3ds at its defaults; the caller owns it.
    KStreamOptions* GetWriteOptions() override;
    // Writes the scene; true when the file holds it whole.
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    // Copies a texture image into the directory of the file being written,
    // unless a file of its name is there; notes failures in the message.
    // pQuiet is accepted for callers of the other writers and changes
    // nothing. False when the image could not be copied.
    bool CopyTextureFile(const char* pTexturePath, bool pQuiet = false);

    // Scene axes to 3D Studio axes: translation (x, -z, y), rotation (the
    // same turn about the converted axis, Euler X, Y, Z degrees), scaling
    // (x, z, y).
    static void ConvTTVto3DS(double* pOut, const KQelVector4& pT);
    static void ConvRTVto3DS(double* pOut, const KQelVector4& pR);
    static void ConvSTVto3DS(double* pOut, const KQelVector4& pS);

    // Key builders: pCount keys, key i at frame i (30 fps) sampling the
    // curves; flags 7, spline values 0. Rotation keys hold the turn since
    // the previous frame as angle (radians) and axis.
    static bool Create3DSTransDataFromTCB(keyheader3ds* pKeys, point3ds* pValues, KFCurve* pX, KFCurve* pY,
                                          KFCurve* pZ, unsigned int pCount);
    static bool Create3DSRotDataFromTCB(keyheader3ds* pKeys, kfrotkey3ds* pValues, KFCurve* pX, KFCurve* pY,
                                        KFCurve* pZ, unsigned int pCount);
    static bool Create3DSScaleDataFromTCB(keyheader3ds* pKeys, point3ds* pValues, KFCurve* pX, KFCurve* pY,
                                          KFCurve* pZ, unsigned int pCount);
    static bool Create3DSColorDataFromTCB(keyheader3ds* pKeys, fcolor3ds* pValues, KFCurve* pR, KFCurve* pG,
                                          KFCurve* pB, unsigned int pCount);
    static bool Create3DSScalarDataFromTCB(keyheader3ds* pKeys, float* pValues, KFCurve* pCurve,
                                           unsigned int pCount);

protected:
    // Options, database, renaming and animation span; false on a toolkit
    // failure.
    bool InitWrite(KStreamOptions* pOptions);
    // Puts the records of pNode and of every node below it, parents first;
    // false when the scene cannot be written.
    bool ExportQelNode(KQelNode* pNode);
    // Writes the database to the temporary file and renames it over the
    // target; releases every toolkit record and file either way.
    bool CleanupWrite();

    // Records the caller puts and releases; null when there is nothing to
    // write (or, with error 5, when the mesh is too large).
    mesh3ds* ConvMeshTVto3DS(KQelMesh* pMesh, KQelVector4 pT, KQelVector4 pR, KQelVector4 pS, const char* pName);
    // A copy of the mesh with one control point per polygon corner and UVs
    // by control point; owned by the manager.
    KQelMesh* VertexToPoint(KQelMesh* pMesh);
    material3ds* ConvMaterialTVto3DS(KQelMesh* pMesh, int pMaterial, int pTexture1, int pTexture2);
    light3ds* ConvOmnilightTVto3DS(KQelLight* pLight, KQelVector4 pT, const char* pName);
    light3ds* ConvSpotlightTVto3DS(KQelLight* pLight, KQelVector4 pT, KQelVector4 pR, const char* pName);
    camera3ds* ConvCameraTVto3DS(KQelCamera* pCamera, KQelVector4 pT, const char* pName);
    objectmotion3ds* ConvMeshNodeTVto3DS(KQelNode* pNode);
    omnimotion3ds* ConvOmnilightNodeTVto3DS(KQelNode* pNode);
    spotmotion3ds* ConvSpotlightNodeTVto3DS(KQelNode* pNode);
    cameramotion3ds* ConvCameraNodeTVto3DS(KQelNode* pNode);

private:
    struct Tracks;
    // Releases the database and mesh settings, closes the toolkit's files and
    // removes the temporary file.
    void Abandon();
    // The keys a track of pNode gets: the frames of its current take up to
    // its stop (1 without animation); 0 when they cannot be counted.
    std::uint64_t FrameCount(KQelNode* pNode) const;
    // True when pFrames keys fit a track's 32-bit count; else refuses the
    // write (error 5) and is false.
    bool KeysFit(std::uint64_t pFrames);
    // The parent name of a keyframer record of pNode.
    std::string ParentName(KQelNode* pNode, bool pRootRule) const;
    // The target of a spot light or camera: its key count, its position
    // curves and the parent name of its keyframer node. Without a target
    // node, a point 10 units along the node's own -Y (spot light) or +X
    // (camera) that follows the node, sampled at every one of pFrames.
    void TargetTrack(KQelNode* pNode, std::uint64_t pFrames, bool pSpot, Tracks& pTracks, KFCurve** pCurves,
                     std::uint64_t& pTargetFrames, std::string& pParent) const;
    // Fails the write because of pNode with error 5.
    void Refuse(const char* pWhy);

    bool mCreateReferenceNode;
    bool mMaterials;
    bool mTextureMapping;
    bool mAnim;
    bool mGeometries;
    bool mLights;
    bool mCamera;
    bool mAmbientLight;
    bool mRescale;
    bool mUVPerPolygon;

    filecontext3ds* mFile;
    database3ds* mDatabase;
    meshset3ds* mMeshSettings;
    double mMasterScale;
    int mMeshCount;
    KQelScene* mScene;
    KQelNode* mRootNode;
    KTime mAnimStart;
    KTime mAnimStop;
    bool mAnimationOn;
    // The path given to FileCreate and the temporary file written instead.
    std::string mTargetPath;
    std::string mTemporaryPath;
    // Set when the scene cannot be written (error 5).
    bool mRefused;
};

}  // namespace qelsdk_600

#endif
