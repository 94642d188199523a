// Reader of DXF drawings in their text form.
#ifndef QELSDK_FORMATS_DXF_KQELREADERDXF_H
#define QELSDK_FORMATS_DXF_KQELREADERDXF_H

#include <memory>
#include <string>

#include "base/kcharptrset.h"
#include "base/kname.h"
#include "base/kstring.h"
#include "base/ktypes.h"
#include "io/kqelreader.h"

namespace qelsdk_600 {

class KQelColor;
class KQelMaterial;
class KQelMesh;
class KQelNode;

namespace dxf_detail {
class PairReader;
struct MeshLists;
struct LayerSet;
struct EntityValues;
}  // namespace dxf_detail

// Reads the LINE, 3DFACE, POLYLINE (polyface meshes and 3D polylines) and
// INSERT entities of a DXF file into nodes carrying meshes, with one material
// per colour number (1 to 255) in use; the LAYER table gives the layers'
// colours. Everything else is passed over. File points (x, y, z) become the
// scene points (x, z, -y). One reader serves one file: FileOpen, options,
// Read, FileClose. Numbers are read in the "C" locale.
//
// The file is a sequence of group pairs: a line holding the group code (read
// as "%d"; a line without a number keeps the former pair's code), then a
// line holding the value, the whole line without surrounding white space.
// Lines end at LF, CR LF or a lone CR, the last one also without a line end.
//
// Errors: 3 "File not opened" for a file that cannot be opened or a Read
// without one, 6 "Stream options not set" for missing or foreign options;
// every other failure of Read is a plain false, and what was built stays in
// the scene. Blocks that insert themselves or nest too deep are skipped with
// a line in the message (GetMessage); INSERTs that would expand beyond the
// limits below stop the read (false) with a line saying why.
class KQelReaderDxf : public KQelReader {
public:
    // INSERTs nested deeper than this are skipped.
    static const int kMaxBlockNesting = 64;
    // A read may make at most this many block nodes per group-0 pair of the
    // file, and never more than kMaxBlockNodes, through INSERTs.
    static const int kBlockNodesPerEntity = 64;
    static const int kMaxBlockNodes = 1000000;
    // Control points that the copies of inserted blocks may hold in all.
    static const long long kMaxBlockControlPoints = 10000000;

    // No file, material counter 0, no blocks position, no layers, no
    // materials.
    explicit KQelReaderDxf(KQelSdkManager& pManager);
    // Closes the file.
    ~KQelReaderDxf() override;

    // Closes any open file, then opens the regular file named and forgets
    // where the former file's blocks were; false with error 3 when it cannot.
    bool FileOpen(const char* pFileName) override;
    // False only when closing the stream fails; true with no file open.
    bool FileClose() override;
    bool IsFileOpen() override;
    // A new KStreamOptionsDxf with its defaults; the caller owns it. The
    // argument has no effect.
    KStreamOptions* GetReadOptions(bool pParseFile = true) override;
    // Reads the open file from its current position into the scene: under a
    // new node "<file name>_root" below the root with option 1 "Create
    // Reference Node", else below the root itself; option 4 "Weld Vertices"
    // merges equal points (within 1e-6) of a layer's or block's mesh; option
    // 6 picks one mesh per layer, one per block or one node per entity. True
    // at "EOF" or after the ENTITIES section.
    bool Read(KQelScene& pScene, KStreamOptions* pOptions) override;

    // The colour of a colour number: 1 to 9 named colours and greys, 10 to
    // 249 a wheel of 24 hues in ten shades, 250 to 255 greys. Other numbers
    // leave pColor as it is; only red, green and blue are written.
    static void TranslateColor(int pColorNumber, KQelColor& pColor);

private:
    // Where the entities of one section or block go.
    struct SectionTarget;
    // State of one read: block index, INSERTs under way, expansion counts.
    struct ReadState;

    // Reads the next group pair; false when the file ends first.
    bool GetLine();
    bool ReadTables();

    // The section loops: one node per entity, one mesh per layer, one mesh
    // for the section read as a block. True at ENDSEC or ENDBLK.
    bool ReadEntities(KQelNode* pParent);
    bool ReadEntitiesByLayer(KQelNode* pParent);
    bool ReadEntitiesAsBlock(KQelNode* pParent, const char* pName);
    bool ReadSection(SectionTarget& pTarget);
    // One LINE, 3DFACE or POLYLINE (the pair naming it just read) into the
    // target; false when no node could be made.
    bool ReadEntity(SectionTarget& pTarget, const std::string& pKind);

    // Pairs up to the next of group 0, storing those whose code is among
    // pCodes; with pSetBack that pair is read again next. False when the file
    // ends first.
    bool ReadGroups(const int* pCodes, int pCount, dxf_detail::EntityValues& pValues, bool pSetBack);
    void AddLine(const dxf_detail::EntityValues& pValues, dxf_detail::MeshLists& pLists);
    void Add3DFace(const dxf_detail::EntityValues& pValues, dxf_detail::MeshLists& pLists);
    // The POLYLINE's own pairs up to and including the group 0 that ends
    // them; pVertexFollows tells whether that pair is VERTEX.
    bool ReadPolylineValues(dxf_detail::EntityValues& pValues, bool& pVertexFollows);
    // The vertices and the closing edge of a polyline into the lists.
    void ReadPolylineVertices(const dxf_detail::EntityValues& pPolyline, dxf_detail::MeshLists& pLists);
    // One VERTEX; true when another VERTEX follows.
    bool ReadVertex(dxf_detail::MeshLists& pLists, int pBase, long long pColour);

    // A new mesh of the lists; null when it cannot be made or a polygon has
    // fewer than two corners.
    KQelMesh* CreateMeshFromArrays(dxf_detail::MeshLists& pLists);
    // The lists of a layer (names compared without regard to case), made on
    // first use; null when they cannot be.
    dxf_detail::MeshLists* AddLayer(const std::string& pName, dxf_detail::LayerSet& pLayers);

    bool ReadBlock(KQelNode* pParent, const char* pName, const double* pInsert, bool pInsertsToParent);
    bool ReadInsert(KQelNode* pParent);
    bool FindBlock(const std::string& pName);
    bool ReadBlockHeader(double& pX, double& pY, double& pZ, int& pFlags);
    // One scan of the whole file: the group-0 pairs, and the position of each
    // block name's first definition.
    void IndexBlocks();
    // Stops the read with a line in the message.
    void Abort(const char* pWhy);
    // A line in the message, once per block and reason.
    void NoteSkippedInsert(const std::string& pBlock, const char* pWhy);

    // A node named through the renaming strategy; null on failure.
    KQelNode* CreateRenamedNode(const char* pName);
    // The colour number of a layer in the LAYER table, 0 when absent.
    int LayerColour(const std::string& pLayer) const;
    // An entity's colour number: its own, or for 0 and 256 ("by layer") the
    // absolute value of its layer's.
    long long ResolveColour(long long pOwn, const std::string& pLayer) const;
    // The colour number when it names a material (1 to 255), else 0.
    static int MaterialColour(long long pColour);
    // The material of a colour number 1 to 255, made on first use.
    KQelMaterial* MaterialOf(int pColour);

    std::unique_ptr<dxf_detail::PairReader> mFile;
    KString mFileName;
    kInt mMaterialCounter;
    // Just after the pair 2 "BLOCKS"; 0 while none was met.
    kLongLong mBlocksPosition;
    KNumberRenamingStrategy mRenaming;
    int mObjectDerivation;
    bool mWeldVertices;
    bool mCreateReferenceNode;
    // Layer name to colour number (negative for a layer that is off).
    KCharPtrSet mLayerColours;
    KQelMaterial* mMaterials[256];
    std::unique_ptr<ReadState> mState;
};

}  // namespace qelsdk_600

#endif
