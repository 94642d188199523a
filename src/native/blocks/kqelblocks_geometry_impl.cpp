// Helpers shared by the geometry block units.
#include "native/blocks/kqelblocks_geometry_impl.h"

#include "content/kqelgeometry.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {
namespace native_detail {

namespace {

// The values left in the open field appended to pValues a block at a time
// (those the field lacks as 0), never zeroed first.
template <class T, class Read>
void ReadValues(KQel& pFile, std::vector<T>& pValues, Read pRead)
{
    const int count = pFile.FieldReadGetRemain();
    pValues.clear();
    pValues.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    T block[4096];
    for (int left = count; left > 0;) {
        const unsigned int want = static_cast<unsigned int>(std::min(left, 4096));
        const unsigned int got = pRead(block, want);
        pValues.insert(pValues.end(), block, block + got);
        left -= static_cast<int>(got);
        if (got < want) {
            pValues.resize(static_cast<size_t>(count), T(0));
            break;
        }
    }
}

}  // namespace

void ReadIntValues(KQel& pFile, std::vector<int>& pValues)
{
    ReadValues(pFile, pValues, [&pFile](int* pBlock, unsigned int pCount) { return pFile.FieldReadIn(pBlock, pCount); });
}

void ReadDoubleValues(KQel& pFile, std::vector<double>& pValues)
{
    ReadValues(pFile, pValues,
               [&pFile](double* pBlock, unsigned int pCount) { return pFile.FieldReadDn(pBlock, pCount); });
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
