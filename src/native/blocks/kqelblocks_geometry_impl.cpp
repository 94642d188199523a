// Helpers shared by the geometry block units.
#include "native/blocks/kqelblocks_geometry_impl.h"

#include "content/kqelgeometry.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {
namespace native_detail {

namespace {

// The values left in the open field into pValues.
template <class T>
void ReadValues(KQel& pFile, std::vector<T>& pValues)
{
    const int count = pFile.FieldReadGetRemain();
    pValues.clear();
    pValues.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    ReadBlocks<T>(pFile, count,
                  [&pValues](const T* pBlock, unsigned int pCount) { pValues.insert(pValues.end(), pBlock, pBlock + pCount); });
}

}  // namespace

void ReadIntValues(KQel& pFile, std::vector<int>& pValues)
{
    ReadValues(pFile, pValues);
}

void ReadDoubleValues(KQel& pFile, std::vector<double>& pValues)
{
    ReadValues(pFile, pValues);
}

bool ReadIntField(KQel& pFile, const char* pName, std::vector<int>& pValues)
{
    pValues.clear();
    if (!pFile.FieldReadBegin(pName))
        return false;
    ReadIntValues(pFile, pValues);
    pFile.FieldReadEnd();
    return true;
}

bool ReadDoubleField(KQel& pFile, const char* pName, std::vector<double>& pValues)
{
    pValues.clear();
    if (!pFile.FieldReadBegin(pName))
        return false;
    ReadDoubleValues(pFile, pValues);
    pFile.FieldReadEnd();
    return true;
}

void WriteIntField(KQel& pFile, const char* pName, const int* pValues, int pCount)
{
    pFile.FieldWriteBegin(pName);
    for (int i = 0; i < pCount; ++i)
        pFile.FieldWriteI(pValues[i]);
    pFile.FieldWriteEnd();
}

KQelXMatrix GeometryPivot(const KQelGeometry& pGeometry)
{
    KQelXMatrix pivot;
    return pGeometry.GetPivot(pivot);
}

KQelXMatrix NormalRotation(const KQelXMatrix& pPivot)
{
    return KQelXMatrix(KQelVector4(), pPivot.GetR(), KQelVector4(1.0, 1.0, 1.0, 0.0));
}

void WriteTransformedPoint(KQel& pFile, const KQelXMatrix& pMatrix, const KQelVector4& pPoint)
{
    const KQelVector4 point = pMatrix.MultT(pPoint);
    pFile.FieldWriteD(point[0]);
    pFile.FieldWriteD(point[1]);
    pFile.FieldWriteD(point[2]);
}

KQelXMatrix Followed(const KQelXMatrix& pFirst, const KQelXMatrix& pThen)
{
    KQelXMatrix result;
    KmAA(static_cast<KgeAMatrix&>(result), static_cast<const KgeAMatrix&>(pThen),
         static_cast<const KgeAMatrix&>(pFirst));
    return result;
}

namespace {
const struct LinkMode {
    const char* mToken;
    KQelLink::ELinkMode mMode;
} kLinkModes[] = {{"Additive", KQelLink::eAdditive}, {"Total1", KQelLink::eTotal1}};
}  // namespace

KQelLink::ELinkMode ReadLinkMode(KQel& pFile)
{
    const KString token = pFile.FieldReadC("Mode", "");
    for (const LinkMode& known : kLinkModes) {
        if (token.CompareNoCase(known.mToken) == 0)
            return known.mMode;
    }
    return KQelLink::eNormalize;
}

const char* LinkModeToken(KQelLink::ELinkMode pMode)
{
    for (const LinkMode& known : kLinkModes) {
        if (known.mMode == pMode)
            return known.mToken;
    }
    return nullptr;
}

KQelXMatrix AffineFromRows(const double* pValues)
{
    KQelMatrix rows;
    double* target = rows;
    for (int i = 0; i < 16; ++i)
        target[i] = pValues[i];
    const KQelXMatrix affine(rows);
    return KQelXMatrix(affine.GetT(), affine.GetR(), affine.GetS());
}

}  // namespace native_detail
}  // namespace qelsdk_600
