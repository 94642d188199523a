// POLYLINE entities with their VERTEX entities: polyface meshes and 3D
// polylines.
#include <cstdlib>

#include "formats/dxf/kqelreaderdxf_impl.h"

namespace qelsdk_600 {

using dxf_detail::EntityValues;
using dxf_detail::MeshLists;

namespace {

const int kPolylineCodes[] = {8, 62, 70, 71, 72};
const int kVertexCodes[] = {8, 10, 20, 30, 62, 70, 71, 72, 73, 74};

// Vertex flags, compared as whole values.
enum EVertexKind { ePolyfacePoint = 192, ePolylinePoint = 32, ePolyfaceFace = 128 };
// Polyline flags of a closed 3D polyline.
const int kClosedPolyline = 9;

}  // namespace

bool KQelReaderDxf::ReadPolylineValues(EntityValues& pValues, bool& pVertexFollows)
{
    if (!ReadGroups(kPolylineCodes, sizeof(kPolylineCodes) / sizeof(int), pValues, false))
        return false;
    pVertexFollows = mFile->Value() == "VERTEX";
    return true;
}

void KQelReaderDxf::ReadPolylineVertices(const EntityValues& pPolyline, MeshLists& pLists)
{
    const int base = pLists.mPoints.GetCount();
    const long long colour = ResolveColour(pPolyline.mColour, pPolyline.mLayer);
    while (ReadVertex(pLists, base, colour)) {
    }
    const int last = pLists.mPoints.GetCount() - 1;
    if (pPolyline.mFlags == kClosedPolyline && last >= base) {
        pLists.BeginRecord(3, MaterialColour(colour), false);
        for (int index : {base, last, base})
            pLists.mPolygons.Add(index);
    }
}

bool KQelReaderDxf::ReadVertex(MeshLists& pLists, int pBase, long long pColour)
{
    EntityValues values;
    if (!ReadGroups(kVertexCodes, sizeof(kVertexCodes) / sizeof(int), values, false))
        return false;
    const long long colour = values.mHasColour ? values.mColour : pColour;
    switch (values.mFlags) {
    case ePolyfacePoint:
        pLists.AddPoint(values.ScenePoint(0));
        break;
    case ePolylinePoint: {
        // An edge keeps its colour number as given: no layer, no colour flag.
        const int index = pLists.AddPoint(values.ScenePoint(0));
        if (index > pBase) {
            pLists.BeginRecord(3, colour == 256 ? 0 : MaterialColour(colour), false);
            for (int corner : {index, index - 1, index})
                pLists.mPolygons.Add(corner);
        }
        break;
    }
    case ePolyfaceFace: {
        const int faceColour = MaterialColour(ResolveColour(colour, values.mLayer));
        if (faceColour > 0)
            pLists.mPolygons[0] = 1;
        const int* numbers = values.mNumbers;
        if (numbers[0] == 0 || numbers[1] == 0)
            break;
        const int count = numbers[2] == 0 ? 2 : numbers[3] != 0 ? 4 : 3;
        // Point numbers count from 1 over this polyline's own points; the
        // sign (an invisible edge) is dropped. A face naming a point not
        // added yet is dropped.
        const long long added = pLists.mPoints.GetCount() - pBase;
        long long number[4];
        for (int k = 0; k < count; ++k) {
            number[k] = std::llabs(static_cast<long long>(numbers[k]));
            if (number[k] > added)
                return mFile->Value() == "VERTEX";
        }
        pLists.BeginRecord(count, faceColour);
        // Faces go in the reverse of the file's order, edges as they are.
        for (int k = 0; k < count; ++k) {
            const int corner = count == 2 ? k : count - 1 - k;
            pLists.mPolygons.Add(pBase - 1 + static_cast<int>(number[corner]));
        }
        break;
    }
    default:
        break;
    }
    return mFile->Value() == "VERTEX";
}

}  // namespace qelsdk_600
