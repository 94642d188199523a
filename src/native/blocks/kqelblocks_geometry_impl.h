// Helpers shared by the geometry block units (geometry, mesh, NURBS and
// patches, links, shapes, deformers), and the geometry check that the reader
// runs after a read and the writers before a write. Internal to src/native/.
#ifndef QELSDK_NATIVE_BLOCKS_KQELBLOCKS_GEOMETRY_IMPL_H
#define QELSDK_NATIVE_BLOCKS_KQELBLOCKS_GEOMETRY_IMPL_H

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "content/kqellayer.h"
#include "content/kqellink.h"
#include "file/kqel.h"
#include "math/kqelmatrix.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

class KQelGeometry;
class KQelNode;

namespace native_detail {

// The values of the open field, from the next one to its last, as ints or
// doubles. The count comes from the file, so it never exceeds what it holds.
void ReadIntValues(KQel& pFile, std::vector<int>& pValues);
void ReadDoubleValues(KQel& pFile, std::vector<double>& pValues);

// pCount groups of pWidth (at most 4) doubles from the open field's next
// values, group i handed to pSet(i, values); read in blocks. Values the
// field lacks read as 0.
template <class Set>
void ReadDoubleGroups(KQel& pFile, int pWidth, int pCount, Set pSet)
{
    double buffer[3 * 4 * 256];
    const int perBlock = static_cast<int>(sizeof buffer / sizeof buffer[0]) / pWidth;
    for (int first = 0; first < pCount; first += perBlock) {
        const int groups = std::min(perBlock, pCount - first);
        const unsigned int want = static_cast<unsigned int>(groups * pWidth);
        std::fill(buffer + pFile.FieldReadDn(buffer, want), buffer + want, 0.0);
        for (int g = 0; g < groups; ++g)
            pSet(first + g, buffer + g * pWidth);
    }
}

// The open field's next values, at most pCount, into pValues as ints or
// doubles; the number read.
inline unsigned int ReadNumbers(KQel& pFile, int* pValues, unsigned int pCount)
{
    return pFile.FieldReadIn(pValues, pCount);
}
inline unsigned int ReadNumbers(KQel& pFile, double* pValues, unsigned int pCount)
{
    return pFile.FieldReadDn(pValues, pCount);
}

// pCount next values of the open field as T (those it lacks read as 0),
// handed to pAdd(values, n) a block at a time: what they fill is never
// zeroed first.
template <class T, class Add>
void ReadBlocks(KQel& pFile, int pCount, Add pAdd)
{
    T block[4096];
    for (int left = pCount; left > 0;) {
        const unsigned int want = static_cast<unsigned int>(std::min(left, 4096));
        std::fill(block + ReadNumbers(pFile, block, want), block + want, T(0));
        pAdd(block, want);
        left -= static_cast<int>(want);
    }
}

// As ReadDoubleGroups, but group i becomes the item pMake(values), made in
// pRoom[i], and the items go to pAdd(items, n) a block at a time. pRoom is
// the room an array reserved past its items, so that it grows by them
// where they are, neither zeroed nor copied.
template <class T, class Make, class Add>
void ReadDoubleItems(KQel& pFile, int pWidth, int pCount, T* pRoom, Make pMake, Add pAdd)
{
    const int kItems = 256;
    double buffer[4 * kItems];
    for (int first = 0; first < pCount; first += kItems) {
        const int groups = std::min(kItems, pCount - first);
        const unsigned int want = static_cast<unsigned int>(groups * pWidth);
        std::fill(buffer + pFile.FieldReadDn(buffer, want), buffer + want, 0.0);
        T* const items = pRoom + first;
        for (int g = 0; g < groups; ++g)
            items[g] = pMake(buffer + g * pWidth);
        pAdd(items, groups);
    }
}

// pCount next values of the open field (those it lacks read as 0) appended
// to pItems, read a block at a time straight into the room it reserves;
// nothing when it cannot grow.
template <class T>
void ReadInPlace(KQel& pFile, int pCount, KArrayTemplate<T>& pItems)
{
    const int first = pItems.GetCount();
    if (pCount <= 0 || pCount > INT_MAX - first || !pItems.Reserve(first + pCount))
        return;
    T* const room = pItems.GetArray() + first;
    for (int done = 0; done < pCount;) {
        const unsigned int want = static_cast<unsigned int>(std::min(pCount - done, 4096));
        T* const block = room + done;
        std::fill(block + ReadNumbers(pFile, block, want), block + want, T(0));
        done += static_cast<int>(want);
    }
    pItems.AddMultiple(room, pCount);
}

// The values of the named field at the current level; false, pValues
// emptied, when the field is absent.
bool ReadIntField(KQel& pFile, const char* pName, std::vector<int>& pValues);
bool ReadDoubleField(KQel& pFile, const char* pName, std::vector<double>& pValues);

// A field of ints.
void WriteIntField(KQel& pFile, const char* pName, const int* pValues, int pCount);

// The geometry's pivot, and the pure rotation that turns its normals: the
// pivot's axis rows divided by their lengths (negative for a left-handed
// frame), as Euler angles and back.
KQelXMatrix GeometryPivot(const KQelGeometry& pGeometry);
KQelXMatrix NormalRotation(const KQelXMatrix& pPivot);

// pPoint's x, y, z (w taken as 1) through the matrix, as three values of the
// open field.
void WriteTransformedPoint(KQel& pFile, const KQelXMatrix& pMatrix, const KQelVector4& pPoint);

// pFirst applied, then pThen.
KQelXMatrix Followed(const KQelXMatrix& pFirst, const KQelXMatrix& pThen);

// "Mode" of a link or cluster: "Additive" or "Total1" in any letter case;
// absent or anything else is eNormalize, which has no token (null).
KQelLink::ELinkMode ReadLinkMode(KQel& pFile);
const char* LinkModeToken(KQelLink::ELinkMode pMode);

// "UserData" (id, data) into a link or cluster, when present.
template <class T>
void ReadUserData(KQel& pFile, T& pTarget)
{
    if (!pFile.FieldReadBegin("UserData"))
        return;
    const KString id = pFile.FieldReadC();
    pTarget.SetUserData(id, pFile.FieldReadC());
    pFile.FieldReadEnd();
}

// The affine transform of a 4 x 4 matrix of the file (16 values, rows):
// translation, rotation and scaling kept, shear and projection dropped; a
// zero-length axis row gives scaling 0 on that axis.
KQelXMatrix AffineFromRows(const double* pValues);

// A layer element or link of a geometry that the reader refuses, with the
// numbers that say why.
struct GeometryFault {
    enum EKind {
        eShortElement,  // the element's array holds mHeld values, mNeeded needed
        eElementIndex,  // the element holds index mValue, outside mLowest to
                        // mHighest (INT_MAX: no upper bound)
        eLinkIndex      // link mLink names point mValue of mHeld control points
    };
    EKind mKind;
    const char* mField;  // "LayerElementUV" ..., or "Link"; a constant text
    // The element, its type and its layer; null, 0 and null for a link.
    KQelLayerElement* mElement;
    KQelLayerElement::ELayerElementType mType;
    KQelLayer* mLayer;
    int mLink;  // the link's position among the geometry's links; -1 for an element
    int mHeld;
    int mNeeded;
    int mValue;
    int mLowest;
    int mHighest;
};

// Hands each layer element and each link of pGeometry that the reader
// refuses to pFault: an element whose arrays are shorter than its mapping
// needs or that holds an index outside what it addresses (-1, "none",
// allowed for materials and textures), a link naming a point outside the
// control points. Elements come layer by layer in slot order, then links
// from the last; pFault may remove what it is handed (an element from its
// layer, link mLink), and answers false to stop. One pass over each array.
void CheckGeometry(KQelGeometry& pGeometry, const std::function<bool(const GeometryFault&)>& pFault);

// Whether a writer puts the faulty element or link in its file.
typedef bool (*FaultWritten)(KQelGeometry& pGeometry, const GeometryFault& pFault);

// The check before a write: the geometries below pRoot that a writer puts in
// its file (those with control points; call it only when write option 0
// lets geometry be written) under CheckGeometry. Links without a node are
// never written, the others only with pLinks; pWritten, when given, says
// which other faults are written. False at the first fault written, with
// pReason "<node>: <field> holds 0 values, 3 needed", "<node>: <field> index
// 7 outside 0 to 2" or "<node>: Link index 12 outside 8 control points";
// true, pReason untouched, otherwise. Changes nothing.
bool FindRefusedGeometry(KQelNode& pRoot, bool pLinks, FaultWritten pWritten, KString& pReason);

}  // namespace native_detail
}  // namespace qelsdk_600

#endif
