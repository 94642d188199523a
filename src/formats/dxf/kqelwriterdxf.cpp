#include "formats/dxf/kqelwriterdxf.h"

#include <cstdarg>
#include <string>
#include <vector>

#include "base/kclocale.h"
#include "content/kqelcolor.h"
#include "content/kqellayer.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "formats/kqeldeformationbaking.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kHeader[][2] = {
    {"999", "Sorvinn Dxf writer for QEL"},
    {"  0", "SECTION"}, {"  2", "HEADER"},
    {"  9", "$ACADVER"}, {"  1", "AC1008"},
    {"  9", "$UCSORG"}, {" 10", "0.0"}, {" 20", "0.0"}, {" 30", "0.0"},
    {"  9", "$UCSXDIR"}, {" 10", "1.0"}, {" 20", "0.0"}, {" 30", "0.0"},
    {"  9", "$TILEMODE"}, {" 70", "   1"},
    {"  9", "$UCSYDIR"}, {" 10", "0.0"}, {" 20", "1.0"}, {" 30", "0.0"},
    {"  0", "ENDSEC"},
    {"  0", "SECTION"}, {"  2", "TABLES"},
};

// The LTYPE table and the head of the LAYER table, whose count follows.
const char* const kTables[][2] = {
    {"  0", "TABLE"}, {"  2", "LTYPE"}, {" 70", "   1"},
    {"  0", "LTYPE"}, {"  2", "CONTINUOUS"}, {" 70", "   64"}, {"  3", "Solid line"},
    {" 72", "   65"}, {" 73", "   0"}, {" 40", "0.0"},
    {"  0", "ENDTAB"},
    {"  0", "TABLE"}, {"  2", "LAYER"},
};

const char* const kBlocksAndEntities[][2] = {
    {"  0", "ENDSEC"},
    {"  0", "SECTION"}, {"  2", "BLOCKS"}, {"  0", "ENDSEC"},
    {"  0", "SECTION"}, {"  2", "ENTITIES"},
};

const char* const kEnd[][2] = {{"  0", "ENDSEC"}, {"  0", "EOF"}};

const char* const kCornerCodes[] = {" 71", " 72", " 73", " 74"};

// The mesh of a node, null for any other attribute.
KQelMesh* MeshOf(KQelNode& pNode)
{
    KQelNodeAttribute* attribute = pNode.GetNodeAttribute();
    return attribute && attribute->GetAttributeType() == KQelNodeAttribute::eMesh ? static_cast<KQelMesh*>(attribute)
                                                                                  : nullptr;
}

// The colour number of layer 0's last material, 0 without one.
int MeshColour(KQelMesh& pMesh)
{
    const int count = pMesh.GMC(0);
    KQelMaterial* material = count > 0 ? pMesh.GM(count - 1, 0) : nullptr;
    return material ? KQelWriterDxf::GetACIFromQELColor(material->GetDiffuse()) : 0;
}

// The colour number of the material that entry pEntry of layer 0's material
// index array names, 0 when the entry or the material is missing.
int EntryColour(KQelMesh& pMesh, int pEntry)
{
    KQelLayer* layer = pMesh.GetLayer(0);
    KQelLayerElementMaterial* materials = layer ? layer->GetMaterials() : nullptr;
    const int* indices = pMesh.GetMaterialIndices();
    if (!materials || !indices || pEntry < 0 || pEntry >= materials->GetIndexArray().GetCount())
        return 0;
    KQelMaterial* material = pMesh.GM(indices[pEntry], 0);
    return material ? KQelWriterDxf::GetACIFromQELColor(material->GetDiffuse()) : 0;
}

}  // namespace

KQelWriterDxf::KQelWriterDxf(KQelSdkManager& pManager)
    : KQelGeometryWriter(pManager), mForceTriangulation(true), mEvaluateDeformations(true)
{
}

bool KQelWriterDxf::FileCreate(const char* pFileName)
{
    return CreateFile(pFileName, false);
}

KStreamOptions* KQelWriterDxf::GetWriteOptions()
{
    return KStreamOptionsDxfCreate();
}

void KQelWriterDxf::Pair(const char* pCode, const char* pValue)
{
    Print(mFile, "%s\n%s\n", pCode, pValue);
}

void KQelWriterDxf::PairInt(const char* pCode, int pValue)
{
    Print(mFile, "%s\n   %d\n", pCode, pValue);
}

void KQelWriterDxf::PairReal(const char* pCode, double pValue)
{
    Print(mFile, "%s\n%lf\n", pCode, pValue);
}

void KQelWriterDxf::Pairs(const char* const (*pPairs)[2], int pCount)
{
    for (int i = 0; i < pCount; ++i)
        Pair(pPairs[i][0], pPairs[i][1]);
}

bool KQelWriterDxf::Write(KQelScene& pScene, KStreamOptions* pOptions)
{
    if (!pOptions || !pOptions->Is(KStreamOptionsDxf::ClassId)) {
        mError.SetLastErrorID(eStreamOptionsNotSet);
        return false;
    }
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    const KStreamOptionsDxf* options = static_cast<KStreamOptionsDxf*>(pOptions);
    mForceTriangulation = options->GetOption(KStreamOptionsBase::eForceTriangulation) == 1;
    mEvaluateDeformations = options->GetOption(KStreamOptionsBase::eEvaluateDeformations) == 1;
    KCLocaleScope cLocale;

    KQelNode* root = pScene.GetRootNode();
    const int children = root->GetChildCount(false);
    Pairs(kHeader, sizeof(kHeader) / sizeof(kHeader[0]));
    if (children > 0) {
        Pairs(kTables, sizeof(kTables) / sizeof(kTables[0]));
        // Every node under the root counts, layer or not.
        PairInt(" 70", root->GetChildCount(true));
        for (int i = 0; i < children; ++i)
            WriteLayerTable(root->GetChild(i), true);
        Pair("  0", "ENDTAB");
    }
    Pairs(kBlocksAndEntities, sizeof(kBlocksAndEntities) / sizeof(kBlocksAndEntities[0]));
    for (int i = 0; i < children; ++i)
        WritePolyfaceMesh(root->GetChild(i), true);
    Pairs(kEnd, sizeof(kEnd) / sizeof(kEnd[0]));
    return FinishWrite();
}

void KQelWriterDxf::WriteLayerTable(KQelNode* pNode, bool pRecursive)
{
    if (!mFile)
        return;
    KCLocaleScope cLocale;
    VisitTree(pNode, pRecursive, [this](KQelNode& pVisited) { LayerEntry(&pVisited); });
}

void KQelWriterDxf::WritePolyfaceMesh(KQelNode* pNode, bool pRecursive)
{
    if (!mFile)
        return;
    KCLocaleScope cLocale;
    VisitTree(pNode, pRecursive, [this](KQelNode& pVisited) { PolyfaceMesh(&pVisited); });
}

void KQelWriterDxf::LayerEntry(KQelNode* pNode)
{
    Triangulate(pNode, mForceTriangulation);
    KQelMesh* mesh = MeshOf(*pNode);
    if (!mesh)
        return;
    int colour = MeshColour(*mesh);
    // A layer that is off has a negative colour.
    if (!pNode->GetVisibility())
        colour = -colour;
    Pair("  0", "LAYER");
    Pair("  2", OneLine(pNode->GetName()).Buffer());
    Pair(" 70", "   0");
    PairInt(" 62", colour);
    Pair("  6", "CONTINUOUS");
}

void KQelWriterDxf::FaceRecord(const char* pLayer, const char* pColourFormat, int pColour, const int* pCorners,
                               int pCount)
{
    Pair("  0", "VERTEX");
    Pair("  8", pLayer);
    if (pColourFormat)
        Print(mFile, pColourFormat, pColour);
    Pair(" 10", "0.0");
    Pair(" 20", "0.0");
    Pair(" 30", "0.0");
    Pair(" 70", "   128");
    for (int k = 0; k < pCount; ++k)
        PairInt(kCornerCodes[k], pCorners[k]);
}

void KQelWriterDxf::PolyfaceMesh(KQelNode* pNode)
{
    KQelMesh* mesh = MeshOf(*pNode);
    if (!mesh)
        return;
    const int pointCount = mesh->GetControlPointsCount();
    const int polygonCount = mesh->GetPolygonCount();
    const bool hasMaterials = mesh->GMC(0) > 0;
    const KQelLayerElement::EMappingMode mapping = mesh->GetMaterialMappingMode();
    const KQelXMatrix world(pNode->GetGlobalT(KQelNode::eSourcePivot, false),
                            pNode->GetGlobalR(KQelNode::eSourcePivot, false),
                            pNode->GetGlobalS(KQelNode::eSourcePivot, false));
    const int meshColour = MeshColour(*mesh);
    const KString layer = OneLine(pNode->GetName());

    Pair("  0", "POLYLINE");
    Pair("  8", layer.Buffer());
    if (hasMaterials)
        PairInt(" 62", meshColour);
    Pair(" 66", "   1");
    Pair(" 10", "0.0");
    Pair(" 20", "0.0");
    Pair(" 30", "0.0");
    Pair(" 70", "   64");
    PairInt(" 71", pointCount);
    PairInt(" 72", polygonCount);

    KQelVector4* points = mesh->GetControlPoints();
    if (mEvaluateDeformations) {
        if (mesh->GetShapeCount() != 0)
            ComputeShapeDeformation(pNode, mesh, points);
        if (mesh->GetLinkCount() != 0)
            ::qelsdk_600::ComputeLinkDeformation(world, mesh, points);
    }
    for (int i = 0; i < pointCount; ++i) {
        const KQelVector4 p = world.MultT(points[i]);
        Pair("  0", "VERTEX");
        Pair("  8", layer.Buffer());
        const int colour = mapping == KQelLayerElement::eByControlPoint ? EntryColour(*mesh, i) : 0;
        if (colour > 0)
            PairInt(" 62", colour);
        PairReal(" 10", p[0]);
        PairReal(" 20", -p[2]);
        PairReal(" 30", p[1]);
        Pair(" 70", "   192");
    }

    for (int polygon = 0; polygon < polygonCount; ++polygon) {
        const int own = mapping == KQelLayerElement::eByPolygon ? EntryColour(*mesh, polygon) : 0;
        const int colour = own > 0 ? own : meshColour;
        const bool colourPair = own > 0 || (mapping != KQelLayerElement::eByPolygon && meshColour > 0);
        const int size = mesh->GetPolygonSize(polygon);
        int corners[4];
        auto corner = [&](int pVertex) { return mesh->GetPolygonVertex(polygon, pVertex) + 1; };
        if (size <= 4) {
            for (int k = 0; k < size; ++k)
                corners[k] = corner(size - 1 - k);
            FaceRecord(layer.Buffer(), colourPair ? " 62\n   %d\n" : nullptr, colour, corners, size > 0 ? size : 0);
            continue;
        }
        // A larger polygon is a fan of triangles from its corner 0, each
        // record in the reverse of the polygon's order.
        for (int j = 0; j <= size - 3; ++j) {
            corners[0] = corner(j + 2);
            corners[1] = corner(j + 1);
            corners[2] = corner(0);
            if (j == 0)
                FaceRecord(layer.Buffer(), colourPair ? " 62\n   %d\n" : nullptr, colour, corners, 3);
            else
                FaceRecord(layer.Buffer(), colour > 0 ? " 62\n %d\n" : nullptr, colour, corners, 3);
        }
    }
    Pair("  0", "SEQEND");
}

namespace {

// Colours with numbers of their own.
struct ExactColour {
    double mRed, mGreen, mBlue;
    int mNumber;
};
const ExactColour kExactColours[] = {
    {1.0, 0.0, 0.0, 1},       {1.0, 1.0, 0.0, 2},       {0.0, 1.0, 0.0, 3},       {0.0, 1.0, 1.0, 4},
    {0.0, 0.0, 1.0, 5},       {1.0, 0.0, 1.0, 6},       {1.0, 1.0, 1.0, 7},       {0.502, 0.502, 0.502, 8},
    {0.753, 0.753, 0.753, 9}, {0.0, 0.0, 0.0, 250},
};

// Greys by mean: the first bound the mean lies below, else 255.
const double kGreyBounds[] = {0.4, 0.53, 0.66, 0.8, 0.93};

// Hue sectors by largest and middle component: the first of h > t(7),
// t(5), t(3), t(1), else the last.
enum { eRed, eGreen, eBlue };
const int kSectors[3][3][5] = {
    // largest red: middle green, middle blue
    {{0}, {50, 40, 30, 20, 10}, {210, 220, 230, 240, 10}},
    // largest green: middle red, middle blue
    {{50, 60, 70, 80, 90}, {0}, {130, 120, 110, 100, 90}},
    // largest blue: middle red, middle green
    {{210, 200, 190, 180, 170}, {130, 140, 150, 160, 170}, {0}},
};
const int kThresholdSteps[] = {7, 5, 3, 1};
// Brightness: the first bound the largest value exceeds gives its shift.
const double kBrightBounds[] = {0.85, 0.6, 0.4, 0.2};

}  // namespace

int KQelWriterDxf::GetACIFromQELColor(KQelColor pColor)
{
    const double rgb[3] = {pColor.mRed, pColor.mGreen, pColor.mBlue};
    for (const ExactColour& exact : kExactColours) {
        if (rgb[0] == exact.mRed && rgb[1] == exact.mGreen && rgb[2] == exact.mBlue)
            return exact.mNumber;
    }
    int largest, middle, smallest;
    if (rgb[0] >= rgb[1] && rgb[0] >= rgb[2]) {
        largest = eRed;
        middle = rgb[1] >= rgb[2] ? eGreen : eBlue;
    } else if (rgb[1] >= rgb[0] && rgb[1] >= rgb[2]) {
        largest = eGreen;
        middle = rgb[0] >= rgb[2] ? eRed : eBlue;
    } else {
        largest = eBlue;
        middle = rgb[0] >= rgb[1] ? eRed : eGreen;
    }
    smallest = 3 - largest - middle;
    const double v = rgb[largest];
    // Nothing above black: the darkest grey.
    const double s = v > 0.0 ? rgb[smallest] / v : 1.0;
    if (s > 0.8) {
        const double mean = (rgb[0] + rgb[1] + rgb[2]) / 3.0;
        int grey = 250;
        while (grey < 255 && !(mean < kGreyBounds[grey - 250]))
            ++grey;
        return grey;
    }
    const double h = rgb[middle] / v;
    int column = 0;
    while (column < 4 && !(h > (1.0 - s) * kThresholdSteps[column] * 0.125 + s))
        ++column;
    int shift = 0;
    while (shift < 4 && !(v > kBrightBounds[shift]))
        ++shift;
    return kSectors[largest][middle][column] + 2 * shift + (s > 0.2 ? 1 : 0);
}

}  // namespace qelsdk_600
