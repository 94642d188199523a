// Writer of DXF drawings (text form, drawing-database version "AC1008").
#ifndef QELSDK_FORMATS_DXF_KQELWRITERDXF_H
#define QELSDK_FORMATS_DXF_KQELWRITERDXF_H

#include "base/kstring.h"
#include "formats/kqelgeometrywriter.h"
#include "math/kqelmatrix.h"

namespace qelsdk_600 {

class KQelColor;
class KQelMesh;

// Writes every mesh node of a scene as one LAYER table entry and one
// polyface mesh (POLYLINE, VERTEX records, SEQEND) on that layer, in world
// coordinates, the scene point (x, y, z) becoming the file point (x, -z, y);
// colours are colour numbers of the diffuse colour of layer 0's materials.
// NURBS surfaces and patches, and with "Force Triangulation" every mesh, are
// triangulated in place first; with "Evaluate Link/Shape deformations" shapes
// and links are baked into the mesh's control points, which keep them. Other
// node attributes are not written. Numbers are written in the "C" locale.
//
// Errors: 1 "File not opened" when the file cannot be created or Write has
// none, 3 "Out of disk space" when a write fails, 4 "Stream options not
// set" for missing or foreign options (nothing is then written).
// The deformation baking members come from KQelDeformationBaking.
class KQelWriterDxf : public KQelGeometryWriter {
public:
    // No file; both flags true.
    explicit KQelWriterDxf(KQelSdkManager& pManager);
    // Closes any open file, then creates (or empties) the named file; false
    // with error 1 when it cannot.
    bool FileCreate(const char* pFileName) override;
    // A new KStreamOptionsDxf with its defaults; the caller owns it.
    KStreamOptions* GetWriteOptions() override;
    // Writes the whole file: header, LTYPE and LAYER tables (when the root
    // has children), an empty BLOCKS section and the polyface meshes; every
    // write is checked and the stream flushed before it answers. Options 2
    // and 3 count as on when their value is exactly 1.
    bool Write(KQelScene& pScene, KStreamOptions* pOptions) override;

    // The LAYER entry of the node when it carries a mesh (after
    // triangulation), then with pRecursive of every node below it, parents
    // before children; walked without recursion.
    void WriteLayerTable(KQelNode* pNode, bool pRecursive);
    // The polyface mesh of the node when it carries a mesh, then with
    // pRecursive of every node below it, in the same order.
    void WritePolyfaceMesh(KQelNode* pNode, bool pRecursive);

    // The colour number (1 to 255) nearest in spirit to a colour: ten exact
    // colours, six greys by mean, else a hue sector shifted by brightness and
    // paleness. Alpha is not used.
    static int GetACIFromQELColor(KQelColor pColor);


private:
    // One group pair: the code line, then the value line.
    void Pair(const char* pCode, const char* pValue);
    // An integer value written "   %d".
    void PairInt(const char* pCode, int pValue);
    // A coordinate written "%lf".
    void PairReal(const char* pCode, double pValue);
    // Writes pairs of a table.
    void Pairs(const char* const (*pPairs)[2], int pCount);
    // One face record of three or fewer corners (given from the last to the
    // first), with its colour pair when pColourFormat is not null.
    void FaceRecord(const char* pLayer, const char* pColourFormat, int pColour, const int* pCorners, int pCount);
    // The layer entry or the polyface mesh of one node.
    void LayerEntry(KQelNode* pNode);
    void PolyfaceMesh(KQelNode* pNode);
    bool mForceTriangulation;
    bool mEvaluateDeformations;
};

}  // namespace qelsdk_600

#endif
