#include "formats/obj/kqelwriterobj.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/kclocale.h"
#include "base/kpath.h"
#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "formats/kqeldeformationbaking.h"
#include "formats/kqeltexturecopy.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

struct KQelWriterObj::PairIndex {
    std::map<std::pair<KQelMaterial*, KQelTexture*>, int> mBlocks;
};

namespace {

// The entry that an element mapped by polygon or by control point gives for
// item pItem: its index-array entry, or the item itself with direct
// reference; -1 past the index array.
template <class Element>
int EntryOf(const Element* pElement, int pItem)
{
    if (!pElement)
        return -1;
    if (pElement->GetReferenceMode() == KQelLayerElement::eDirect)
        return pItem;
    const KArrayTemplate<int>& indices = pElement->GetIndexArray();
    return pItem >= 0 && pItem < indices.GetCount() ? indices[pItem] : -1;
}

}  // namespace

// What one mesh's lines need.
struct KQelWriterObj::MeshWriting {
    KQelMesh* mMesh;
    KQelLayer* mLayer;
    int mPolygonCount;
    int mMaterialCount;
    int mTextureCount;
    KQelLayerElement::EMappingMode mMaterialMapping;
    KQelLayerElement::EMappingMode mTextureMapping;
    KQelLayerElement::EMappingMode mUVMapping;
    // Normals one per control point, or one per polygon vertex, or none.
    enum { eNoNormals, eNormalsByPoint, eNormalsByCorner } mNormals;
    const KQelVector2* mUVs;
    int mUVCount;
    bool mUVsDirect;
    // The faces number their UVs by running corner.
    bool mUnrolled;
    kInt mVertexBase;
    kInt mUVBase;
    kInt mNormalBase;

    bool HasUVs() const { return mUVs && mUVCount > 0; }
    // The material and the texture that polygon p names, null for none.
    KQelMaterial* MaterialOf(int pPolygon) const
    {
        const int item = mMaterialMapping == KQelLayerElement::eByPolygon         ? pPolygon
                         : mMaterialMapping == KQelLayerElement::eByControlPoint ? mMesh->GetPolygonVertex(pPolygon, 0)
                                                                                 : -1;
        return item < 0 ? nullptr : mMesh->GM(EntryOf(mLayer ? mLayer->GetMaterials() : nullptr, item), 0);
    }
    KQelTexture* TextureOf(int pPolygon) const
    {
        return mTextureMapping == KQelLayerElement::eByPolygon
                   ? mMesh->GT(EntryOf(mLayer ? mLayer->GetTextures() : nullptr, pPolygon), 0)
                   : nullptr;
    }
    // The UV of corner k of polygon p (pCorner its running number): -1 when
    // it has none in the array.
    int UVOf(int pPolygon, int pVertex, int pCorner) const
    {
        int uv = -1;
        if (mUVMapping == KQelLayerElement::eByControlPoint)
            uv = mMesh->GetPolygonVertex(pPolygon, pVertex);
        else if (mUVMapping == KQelLayerElement::eByPolygonVertex)
            uv = mUVsDirect ? pCorner : mMesh->GetTextureUVIndex(pPolygon, pVertex);
        return uv >= 0 && uv < mUVCount ? uv : -1;
    }
};

KQelWriterObj::KQelWriterObj(KQelSdkManager& pManager)
    : KQelGeometryWriter(pManager), mMtlFile(nullptr), mTriangulate(false), mEvaluateDeformations(true),
      mHasMaterials(false), mVertexIndex(1), mUVIndex(1), mNormalIndex(1), mDefaultMaterial(nullptr),
      mPairIndex(new PairIndex)
{
}

KQelWriterObj::~KQelWriterObj()
{
    DestroyObjMaterials();
}

bool KQelWriterObj::FileCreate(const char* pFileName)
{
    return CreateFile(pFileName, true);
}

KStreamOptions* KQelWriterObj::GetWriteOptions()
{
    return KStreamOptionsObjCreate();
}

bool KQelWriterObj::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!pOptions || !pOptions->Is(KStreamOptionsObj::ClassId)) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    const KStreamOptionsBase* options = static_cast<KStreamOptionsBase*>(pOptions);
    mTriangulate = options->GetOption(KStreamOptionsBase::eForceTriangulation) == 1;
    mEvaluateDeformations = options->GetOption(KStreamOptionsBase::eEvaluateDeformations) == 1;
    KQelNode* root = pScene.GetRootNode();
    if (!InitNodes(root))
        return false;
    KCLocaleScope cLocale;
    Print(mFile, "# \n# Pellacord OBJ file\n# Created with Sorvinn QEL\n# \n");
    if (mHasMaterials) {
        // A library that cannot be created would leave the file naming one
        // that is not there: the write fails instead. A file not named
        // ".obj" gets no library at all.
        if (!InitMtlLib() && mMtlLibRefused) {
            mMessage += "Cannot create the material library \"";
            mMessage += mMtlFileName;
            mMessage += "\"\n";
            mError.SetLastErrorID(eFileNotCreated);
            return false;
        }
        Print(mFile, "mtllib %s\n\n", OneLine(mMtlFileName.Buffer()).Buffer());
        // The name "default" is recorded: the default material's pair is
        // "default1".
        KName name("default");
        mRenamingStrategy.Rename(name);
        mDefaultMaterial = mManager.CreateKQelMaterial(name.GetCurrentName());
    }
    WriteNode(root, true);
    if (mDefaultMaterial) {
        mManager.DestroyKQelMaterial(mDefaultMaterial);
        mDefaultMaterial = nullptr;
    }
    DestroyObjMaterials();
    return FinishWrite();
}

bool KQelWriterObj::InitNodes(KQelNode* pNode)
{
    if (!pNode)
        return false;
    VisitTree(pNode, true, [this](KQelNode& pVisited) {
        if (IsGeometryNode(&pVisited)) {
            TriangulateGeometry(&pVisited);
            CheckMaterials(&pVisited);
        }
    });
    return true;
}

bool KQelWriterObj::IsGeometryNode(KQelNode* pNode)
{
    KQelNodeAttribute* attribute = pNode ? pNode->GetNodeAttribute() : nullptr;
    if (!attribute)
        return false;
    const KQelNodeAttribute::EAttributeType type = attribute->GetAttributeType();
    return type == KQelNodeAttribute::eMesh || type == KQelNodeAttribute::eNurb || type == KQelNodeAttribute::ePatch;
}

bool KQelWriterObj::TriangulateGeometry(KQelNode* pNode)
{
    if (!IsGeometryNode(pNode))
        return false;
    Triangulate(pNode, mTriangulate);
    return true;
}

bool KQelWriterObj::CheckMaterials(KQelNode* pNode)
{
    KQelGeometry* geometry = pNode->GetGeometry();
    if (geometry && (geometry->GMC(0) > 0 || geometry->GTC(0) > 0))
        mHasMaterials = true;
    return true;
}

void KQelWriterObj::WriteNode(KQelNode* pNode, bool pRecurse)
{
    KCLocaleScope cLocale;
    VisitTree(pNode, pRecurse, [this](KQelNode& pVisited) {
        KQelNodeAttribute* attribute = pVisited.GetNodeAttribute();
        if (attribute && attribute->GetAttributeType() == KQelNodeAttribute::eMesh)
            WriteMesh(pVisited, *static_cast<KQelMesh*>(attribute));
    });
}

void KQelWriterObj::WriteMesh(KQelNode& pNode, KQelMesh& pMesh)
{
    MeshWriting mesh;
    mesh.mMesh = &pMesh;
    mesh.mLayer = pMesh.GetLayer(0);
    mesh.mPolygonCount = pMesh.GetPolygonCount();
    mesh.mMaterialCount = pMesh.GMC(0);
    mesh.mTextureCount = pMesh.GTC(0);
    mesh.mMaterialMapping = pMesh.GetMaterialMappingMode();
    mesh.mTextureMapping = pMesh.GetTextureMappingMode();
    mesh.mUVMapping = pMesh.GetTextureUVMappingMode();
    const KQelLayerElementUV* uvElement = mesh.mLayer ? mesh.mLayer->GetUVs() : nullptr;
    // UVs mapped otherwise than by control point or polygon vertex have no
    // numbering: none are written.
    const bool uvsMapped = mesh.mUVMapping == KQelLayerElement::eByControlPoint ||
                           mesh.mUVMapping == KQelLayerElement::eByPolygonVertex;
    mesh.mUVs = uvsMapped ? pMesh.GetTextureUV() : nullptr;
    mesh.mUVCount = uvsMapped ? pMesh.GetTextureUVCount() : 0;
    mesh.mUVsDirect = uvElement && uvElement->GetReferenceMode() == KQelLayerElement::eDirect;
    mesh.mUnrolled = mesh.HasUVs() && mesh.mTextureCount > 0 && mesh.mTextureMapping == KQelLayerElement::eByPolygon;
    mesh.mVertexBase = mVertexIndex;
    mesh.mUVBase = mUVIndex;
    mesh.mNormalBase = mNormalIndex;

    const int pointCount = pMesh.GetControlPointsCount();
    KQelVector4* points = pMesh.GetControlPoints();
    KQelLayerElementNormal* normalElement = mesh.mLayer ? mesh.mLayer->GetNormals() : nullptr;
    KQelVector4* normals = nullptr;
    int normalCount = 0;
    mesh.mNormals = MeshWriting::eNoNormals;
    if (normalElement && normalElement->GetReferenceMode() == KQelLayerElement::eDirect) {
        normals = normalElement->GetDirectArray().GetArray();
        normalCount = normalElement->GetDirectArray().GetCount();
        if (normalElement->GetMappingMode() == KQelLayerElement::eByControlPoint && normalCount == pointCount)
            mesh.mNormals = MeshWriting::eNormalsByPoint;
        else if (normalElement->GetMappingMode() == KQelLayerElement::eByPolygonVertex &&
                 normalCount == pMesh.GetPolygonVertexCount())
            mesh.mNormals = MeshWriting::eNormalsByCorner;
    }

    const KQelXMatrix world(pNode.GetGlobalT(KQelNode::eSourcePivot, false),
                            pNode.GetGlobalR(KQelNode::eSourcePivot, false),
                            pNode.GetGlobalS(KQelNode::eSourcePivot, false));
    const KQelXMatrix normalMatrix = world.Inverse().Transpose();
    Print(mFile, "g %s\n", OneLine(pNode.GetNameWithoutNameSpacePrefix().Buffer()).Buffer());

    if (mEvaluateDeformations && (pMesh.GetShapeCount() > 0 || pMesh.GetLinkCount() > 0)) {
        // Normals by control point move as the tips of the normals do.
        std::vector<KQelVector4> tips;
        if (mesh.mNormals == MeshWriting::eNormalsByPoint) {
            for (int i = 0; i < pointCount; ++i)
                tips.push_back(points[i] + normals[i]);
        }
        if (pMesh.GetShapeCount() > 0) {
            ::qelsdk_600::ComputeShapeDeformation(&pNode, &pMesh, points);
            if (!tips.empty())
                ::qelsdk_600::ComputeShapeDeformation(&pNode, &pMesh, tips.data());
        }
        if (pMesh.GetLinkCount() > 0) {
            ::qelsdk_600::ComputeLinkDeformation(world, &pMesh, points);
            if (!tips.empty())
                ::qelsdk_600::ComputeLinkDeformation(world, &pMesh, tips.data());
        }
        for (std::size_t i = 0; i < tips.size(); ++i)
            normals[i] = tips[i] - points[i];
    }

    for (int i = 0; i < pointCount; ++i) {
        const KQelVector4 p = world.MultT(points[i]);
        Print(mFile, "v %lf %lf %lf\n", p[0], p[1], p[2]);
    }
    mVertexIndex += pointCount;
    if (mesh.HasUVs())
        WriteTextureCoordinates(mesh);
    if (mesh.mNormals != MeshWriting::eNoNormals) {
        for (int i = 0; i < normalCount; ++i) {
            KQelVector4 n = normalMatrix.MultT(normals[i]);
            n.Normalize();
            Print(mFile, "vn %lf %lf %lf\n", n[0], n[1], n[2]);
        }
        mNormalIndex += normalCount;
    }
    WriteFaces(mesh);
}

void KQelWriterObj::WriteTextureCoordinates(MeshWriting& pMesh)
{
    const KQelMesh& mesh = *pMesh.mMesh;
    auto line = [this](const KQelVector2& pUV, bool pSwap) {
        Print(mFile, "vt %lf %lf\n", pUV[pSwap ? 1 : 0], pUV[pSwap ? 0 : 1]);
        ++mUVIndex;
    };
    if (pMesh.mUnrolled) {
        // One UV per corner, swapped as its polygon's texture says.
        for (int p = 0, corner = 0; p < pMesh.mPolygonCount; ++p) {
            const KQelTexture* texture = pMesh.TextureOf(p);
            const bool swap = texture && texture->GetSwapUV();
            for (int k = 0; k < mesh.GetPolygonSize(p); ++k, ++corner) {
                const int uv = pMesh.UVOf(p, k, corner);
                line(uv >= 0 ? pMesh.mUVs[uv] : KQelVector2(), swap);
            }
        }
        return;
    }
    KQelTexture* all = pMesh.mTextureCount > 0 && pMesh.mTextureMapping == KQelLayerElement::eAllSame
                           ? pMesh.mMesh->GT(pMesh.mTextureCount - 1, 0)
                           : nullptr;
    const bool swap = all && all->GetSwapUV();
    for (int i = 0; i < pMesh.mUVCount; ++i)
        line(pMesh.mUVs[i], swap);
}

void KQelWriterObj::WriteFaces(MeshWriting& pMesh)
{
    KQelMesh& mesh = *pMesh.mMesh;
    const int nm = pMesh.mMaterialCount;
    const int nt = pMesh.mTextureCount;
    const bool hasLayer = nm > 0 || nt > 0;
    const bool whole = (nm == 0 || pMesh.mMaterialMapping == KQelLayerElement::eAllSame) &&
                       (nt == 0 || pMesh.mTextureMapping == KQelLayerElement::eAllSame);
    if (hasLayer && whole)
        UsePair(nm > 0 ? mesh.GM(nm - 1, 0) : mDefaultMaterial, nt > 0 ? mesh.GT(nt - 1, 0) : nullptr);
    else if (!hasLayer && mHasMaterials)
        UsePair(mDefaultMaterial, nullptr);

    const bool hasNormals = pMesh.mNormals != MeshWriting::eNoNormals;
    const bool hasUVs = pMesh.HasUVs();
    KQelMaterial* currentMaterial = nullptr;
    KQelTexture* currentTexture = nullptr;
    std::string line;
    char number[16];
    for (int p = 0, corner = 0; p < pMesh.mPolygonCount; ++p) {
        if (hasLayer && !whole) {
            KQelMaterial* material = nm == 0 ? mDefaultMaterial
                                     : pMesh.mMaterialMapping == KQelLayerElement::eAllSame ? mesh.GM(nm - 1, 0)
                                                                                            : pMesh.MaterialOf(p);
            KQelTexture* texture = nt == 0 ? nullptr
                                   : pMesh.mTextureMapping == KQelLayerElement::eAllSame ? mesh.GT(nt - 1, 0)
                                                                                         : pMesh.TextureOf(p);
            if (material != currentMaterial || texture != currentTexture) {
                currentMaterial = material;
                currentTexture = texture;
                if (material)
                    UsePair(material, texture);
            }
        }
        line = "f";
        for (int k = 0; k < mesh.GetPolygonSize(p); ++k, ++corner) {
            const int c = mesh.GetPolygonVertex(p, k);
            std::snprintf(number, sizeof(number), " %d", pMesh.mVertexBase + c);
            line += number;
            if (hasNormals || hasUVs)
                line += "/";
            if (hasUVs) {
                const int uv = pMesh.mUnrolled ? corner : pMesh.UVOf(p, k, corner);
                std::snprintf(number, sizeof(number), "%d", pMesh.mUVBase + (uv >= 0 ? uv : 0));
                line += number;
            }
            if (hasNormals) {
                const int normal = pMesh.mNormals == MeshWriting::eNormalsByPoint ? c : corner;
                std::snprintf(number, sizeof(number), "/%d", pMesh.mNormalBase + normal);
                line += number;
            }
        }
        line += "\n";
        if (std::fputs(line.c_str(), mFile) < 0)
            mWriteFailed = true;
    }
}

void KQelWriterObj::UsePair(KQelMaterial* pMaterial, KQelTexture* pTexture)
{
    if (!pMaterial)
        return;
    int index = FindObjMaterial(pMaterial, pTexture);
    if (index < 0) {
        KString base = pMaterial->GetNameWithoutNameSpacePrefix();
        base.FindAndReplace(" ", "_");
        KName name(OneLine(base.Buffer()).Buffer());
        mRenamingStrategy.Rename(name);
        index = mObjMaterials.Add(new KObjMaterial(name.GetCurrentName(), pMaterial, pTexture));
        mPairIndex->mBlocks.emplace(std::make_pair(pMaterial, pTexture), index);
        WriteMaterial(name.GetCurrentName(), pMaterial, pTexture);
    }
    Print(mFile, "usemtl %s\n", mObjMaterials[index]->mName.Buffer());
}

bool KQelWriterObj::InitMtlLib()
{
    // Only the file name is lowered and has its ".obj" replaced: the
    // directory stays as given.
    const std::string path = mFileName.Buffer();
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    KString file = KString(path.substr(start).c_str()).Lower();
    const bool named = file.FindAndReplace(".obj", ".mtl");
    mMtlFileName = (path.substr(0, start) + file.Buffer()).c_str();
    if (!named)
        return false;
    mMtlFile = std::fopen(mMtlFileName.Buffer(), "w");
    mMtlLibRefused = !mMtlFile;
    if (!mMtlFile)
        return false;
    mMtlFileName = file;
    Print(mMtlFile, "# \n# Pellacord material file\n# Created with Sorvinn QEL\n# \n");
    return true;
}

int KQelWriterObj::FindObjMaterial(KQelMaterial* pMaterial, KQelTexture* pTexture)
{
    auto found = mPairIndex->mBlocks.find(std::make_pair(pMaterial, pTexture));
    return found == mPairIndex->mBlocks.end() ? -1 : found->second;
}

bool KQelWriterObj::WriteMaterial(const char* pName, KQelMaterial* pMaterial, KQelTexture* pTexture)
{
    if (!mMtlFile)
        return false;
    Print(mMtlFile, "\nnewmtl %s\n", pName);
    if (pTexture && pTexture->GetTextureUse() == KQelTexture::eStandard) {
        CopyTextureFile(pTexture->GetFileName(), ExtractDirectoryFromFilePath(mFileName.Buffer()).Buffer(), mMessage);
        Print(mMtlFile, "map_Kd %s\n", OneLine(ExtractFileName(pTexture->GetFileName(), true).Buffer()).Buffer());
    }
    const KQelColor colours[3] = {pMaterial->GetAmbient(), pMaterial->GetDiffuse(), pMaterial->GetSpecular()};
    const char* const keys[3] = {"Ka", "Kd", "Ks"};
    for (int i = 0; i < 3; ++i)
        Print(mMtlFile, "%s %lf %lf %lf\n", keys[i], colours[i].mRed, colours[i].mGreen, colours[i].mBlue);
    Print(mMtlFile, "illum 2\nNs %lf\nTr %lf\n", pMaterial->GetShininess() * 100.0, pMaterial->GetOpacity());
    return true;
}

bool KQelWriterObj::DestroyObjMaterials()
{
    DeleteAndClear(mObjMaterials);
    mPairIndex->mBlocks.clear();
    if (mMtlFile) {
        if (std::fflush(mMtlFile) != 0 || std::ferror(mMtlFile))
            mWriteFailed = true;
        if (std::fclose(mMtlFile) != 0)
            mWriteFailed = true;
        mMtlFile = nullptr;
        mMtlFileName.Empty();
    }
    return true;
}

}  // namespace qelsdk_600
