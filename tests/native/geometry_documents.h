// Hand-made documents whose counts and indices fit their geometry or do
// not, in both layouts: the reader's tests check what each read keeps, the
// host import's that a refused one leaves the host as it was.
#ifndef QELSDK_TESTS_NATIVE_GEOMETRY_DOCUMENTS_H
#define QELSDK_TESTS_NATIVE_GEOMETRY_DOCUMENTS_H

#include <climits>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "olderlayout_test_util.h"

namespace qelsdk_600 {
namespace nativetest {

inline void WriteInts(KQel& pFile, const char* pName, const std::vector<int>& pValues)
{
    pFile.FieldWriteBegin(pName);
    for (int value : pValues)
        pFile.FieldWriteI(value);
    pFile.FieldWriteEnd();
}

inline void WriteDoubles(KQel& pFile, const char* pName, int pCount)
{
    pFile.FieldWriteBegin(pName);
    for (int i = 0; i < pCount; ++i)
        pFile.FieldWriteD(0.25 * i);
    pFile.FieldWriteEnd();
}

// Four points and one triangle over 0, 1, 2.
inline void WriteTriangle(KQel& pFile)
{
    WriteDoubles(pFile, "Vertices", 12);
    WriteInts(pFile, "PolygonVertexIndex", {0, 1, ~2});
}

// A version-6 element of a list: its tokens, then pData.
inline void WriteElement(KQel& pFile, const char* pList, const char* pMapping, const char* pReference,
                         const Filler& pData)
{
    WriteBlock element(pFile, pList, "0");
    WriteFieldI(pFile, "Version", 101);
    WriteFieldC(pFile, "MappingInformationType", pMapping);
    WriteFieldC(pFile, "ReferenceInformationType", pReference);
    pData(pFile);
}

// A layer placing the first element of each list named.
inline void WriteLayer(KQel& pFile, int pIndex, std::initializer_list<const char*> pLists)
{
    pFile.FieldWriteBegin("Layer");
    pFile.FieldWriteI(pIndex);
    pFile.FieldWriteBlockBegin();
    for (const char* list : pLists) {
        WriteBlock element(pFile, "LayerElement");
        WriteFieldC(pFile, "Type", list);
        WriteFieldI(pFile, "TypedIndex", 0);
    }
    pFile.FieldWriteBlockEnd();
    pFile.FieldWriteEnd();
}

// A version-6 document: mesh "Model::M" under the root holding the
// triangle and pMesh's fields; bone "Model::B"; pObjects' further objects
// and connections.
inline Filler CurrentMesh(const Filler& pMesh, const Filler& pObjects = Filler(), const Filler& pConnections = Filler())
{
    return [=](KQel& pFile) {
        WriteDefinitions(pFile, {"Model", "Deformer"});
        {
            WriteBlock objects(pFile, "Objects");
            {
                ObjectBlock mesh(pFile, "Model", "Model::M", "Mesh");
                WriteTriangle(pFile);
                pMesh(pFile);
            }
            WriteObject(pFile, "Model", "Model::B", "Null");
            if (pObjects)
                pObjects(pFile);
        }
        WriteBlock connections(pFile, "Connections");
        WriteConnect(pFile, "OO", "Model::M", "Model::Scene");
        WriteConnect(pFile, "OO", "Model::B", "Model::Scene");
        if (pConnections)
            pConnections(pFile);
    };
}

// A skin on the mesh with one cluster on the bone, moving pIndex.
inline Filler SkinObjects(int pIndex)
{
    return [=](KQel& pFile) {
        WriteObject(pFile, "Deformer", "Deformer::S", "Skin");
        ObjectBlock cluster(pFile, "Deformer", "SubDeformer::C", "Cluster");
        WriteInts(pFile, "Indexes", {pIndex});
        pFile.FieldWriteBegin("Weights");
        pFile.FieldWriteD(1.0);
        pFile.FieldWriteEnd();
    };
}

inline void SkinConnections(KQel& pFile)
{
    WriteConnect(pFile, "OO", "Deformer::S", "Model::M");
    WriteConnect(pFile, "OO", "SubDeformer::C", "Deformer::S");
    WriteConnect(pFile, "OO", "Model::B", "SubDeformer::C");
}

inline Filler UVs(const char* pMapping, int pCount, const std::vector<int>& pIndices)
{
    return [=](KQel& pFile) {
        WriteElement(pFile, "LayerElementUV", pMapping, "IndexToDirect", [&](KQel& f) {
            WriteDoubles(f, "UV", 2 * pCount);
            WriteInts(f, "UVIndex", pIndices);
        });
        WriteLayer(pFile, 0, {"LayerElementUV"});
    };
}

inline Filler Colors(int pCount, const std::vector<int>& pIndices)
{
    return [=](KQel& pFile) {
        WriteElement(pFile, "LayerElementColor", "ByPolygonVertex", "IndexToDirect", [&](KQel& f) {
            WriteDoubles(f, "Colors", 4 * pCount);
            WriteInts(f, "ColorIndex", pIndices);
        });
        WriteLayer(pFile, 0, {"LayerElementColor"});
    };
}

// An older-layout model block of pType (none: a mesh) holding pFields.
inline Filler OlderModel(const char* pType, const Filler& pFields)
{
    return [=](KQel& pFile) {
        WriteModel(pFile, "Model::M", {}, [&](KQel& f) {
            if (pType)
                WriteFieldC(f, "Type", pType);
            pFields(f);
        });
    };
}

inline Filler Nurb(int pUCount, int pVCount, int pOrder, int pPointValues)
{
    return OlderModel("Nurb", [=](KQel& f) {
        WriteInts(f, "NurbOrder", {pOrder, pOrder});
        WriteInts(f, "Dimensions", {pUCount, pVCount});
        f.FieldWriteBegin("Form");
        f.FieldWriteC("Open");
        f.FieldWriteC("Open");
        f.FieldWriteEnd();
        f.FieldWriteBegin("Points");
        for (int i = 0; i < pPointValues; ++i)
            f.FieldWriteD(i % 4 == 3 ? 1.0 : 0.5);
        f.FieldWriteEnd();
    });
}

struct GeometryDocument {
    const char* mName;
    int mVersion;
    Filler mDocument;
    // The reader accepts it.
    bool mOk;
    // The first placement of an element holds.
    bool mFirstUVStays = false;
};

inline std::vector<GeometryDocument> GeometryDocuments()
{
    return {
        // Controls: the same shapes with indices that fit.
        {"a fitting version-6 mesh", 6000,
         CurrentMesh(
             [](KQel& f) {
                 UVs("ByPolygonVertex", 2, {0, 1, 1})(f);
                 Colors(2, {1, 0, 1})(f);
             },
             SkinObjects(3), SkinConnections),
         true},
        {"a fitting older mesh", 5800, OlderModel(nullptr, WriteTriangle), true},
        {"a fitting 4 x 4 surface", 5800, Nurb(4, 4, 4, 64), true},

        {"a polygon index equal to the point count", 5800,
         OlderModel(nullptr,
                    [](KQel& f) {
                        WriteDoubles(f, "Vertices", 12);
                        WriteInts(f, "PolygonVertexIndex", {0, 1, ~4});
                    }),
         false},
        {"a polygon index of INT_MIN", 5800,
         OlderModel(nullptr,
                    [](KQel& f) {
                        WriteDoubles(f, "Vertices", 12);
                        WriteInts(f, "PolygonVertexIndex", {0, 1, INT_MIN});
                    }),
         false},
        {"a version-6 polygon index past the points", 6000,
         [](KQel& f) {
             WriteDefinitions(f, {"Model"});
             {
                 WriteBlock objects(f, "Objects");
                 ObjectBlock mesh(f, "Model", "Model::M", "Mesh");
                 WriteDoubles(f, "Vertices", 12);
                 WriteInts(f, "PolygonVertexIndex", {0, 1, ~9});
             }
             WriteBlock connections(f, "Connections");
             WriteConnect(f, "OO", "Model::M", "Model::Scene");
         },
         false},
        {"an older colour index outside the colours", 5800,
         OlderModel(nullptr,
                    [](KQel& f) {
                        WriteTriangle(f);
                        WriteBlock block(f, "VertexColorInfo");
                        WriteFieldC(f, "MappingInformationType", "ByPolygonVertex");
                        WriteDoubles(f, "Colors", 8);
                        WriteInts(f, "ColorIndex", {0, 1, 2});
                    }),
         false},
        {"an older UV index outside the UVs", 5800,
         OlderModel(nullptr,
                    [](KQel& f) {
                        WriteTriangle(f);
                        WriteBlock block(f, "GeometryUVInfo");
                        WriteFieldC(f, "MappingInformationType", "ByPolygon");
                        WriteDoubles(f, "TextureUV", 4);
                        WriteInts(f, "TextureUVVerticeIndex", {0, 1, 7});
                    }),
         false},
        {"an older link index past the points", 5800,
         [](KQel& pFile) {
             OlderModel(nullptr,
                        [](KQel& f) {
                            WriteTriangle(f);
                            WriteBlock link(f, "Link", "Model::B");
                            WriteInts(f, "Indexes", {1, 4});
                            WriteDoubles(f, "Weights", 2);
                        })(pFile);
             WriteModel(pFile, "Model::B", {});
         },
         false},
        {"a cluster index past the points", 6000, CurrentMesh([](KQel&) {}, SkinObjects(4), SkinConnections),
         false},
        {"UV indices short of the corners", 6000, CurrentMesh(UVs("ByPolygonVertex", 2, {0, 1})), false},
        {"a UV index outside the UVs", 6000, CurrentMesh(UVs("ByPolygonVertex", 2, {0, 1, 2})), false},
        {"UV indices short of the points", 6000, CurrentMesh(UVs("ByVertice", 4, {0, 1, 2})), false},
        {"colour indices short of the corners", 6000, CurrentMesh(Colors(2, {0, 1})), false},
        {"a negative colour index", 6000, CurrentMesh(Colors(2, {0, -1, 1})), false},
        {"material indices naming no material", 6000,
         CurrentMesh([](KQel& f) {
             WriteElement(f, "LayerElementMaterial", "AllSame", "IndexToDirect",
                          [](KQel& g) { WriteInts(g, "Materials", {3}); });
             WriteLayer(f, 0, {"LayerElementMaterial"});
         }),
         false},
        {"material indices short of the polygons", 6000,
         CurrentMesh([](KQel& f) {
             WriteElement(f, "LayerElementMaterial", "ByPolygon", "IndexToDirect", [](KQel&) {});
             WriteLayer(f, 0, {"LayerElementMaterial"});
         }),
         false},
        {"an element placed twice", 6000,
         CurrentMesh([](KQel& f) {
             WriteElement(f, "LayerElementUV", "ByVertice", "Direct", [](KQel& g) { WriteDoubles(g, "UV", 8); });
             WriteLayer(f, 0, {"LayerElementUV"});
             WriteLayer(f, 1, {"LayerElementUV"});
         }),
         false, true},
        {"a 100000 x 100000 surface with 16 points", 5800, Nurb(100000, 100000, 4, 64), false},
        {"a surface of order -1", 5800, Nurb(4, 4, -1, 64), false},
    };
}

}  // namespace nativetest
}  // namespace qelsdk_600

#endif
