#include "content/kqelnurb.h"

#include <algorithm>
#include <climits>
#include <new>

#include "content/kqelsurface_impl.h"

namespace qelsdk_600 {

namespace {

// pCount zeroed items; null for no items or beyond the storage bound of the
// base arrays (2^31 - 1 bytes), so a hostile order cannot claim gigabytes.
template <class T>
T* NewZeroed(kLongLong pCount)
{
    if (pCount <= 0 || pCount > INT_MAX / static_cast<kLongLong>(sizeof(T)))
        return nullptr;
    return new (std::nothrow) T[static_cast<size_t>(pCount)]();
}

}  // namespace

KQelNurb::KQelNurb(KQelSdkManager& pManager) : KQelGeometry(pManager)
{
    for (Direction& direction : mDirection) {
        direction.mKnots = nullptr;
        direction.mMultiplicity = nullptr;
    }
    Reset();
}

KQelNurb::~KQelNurb()
{
    Reset();
}

KString KQelNurb::GetTypeName()
{
    return KString("Nurb");
}

void KQelNurb::FreeVectors()
{
    for (Direction& direction : mDirection) {
        delete[] direction.mKnots;
        delete[] direction.mMultiplicity;
        direction.mKnots = nullptr;
        direction.mMultiplicity = nullptr;
    }
    mHasVectors = false;
}

void KQelNurb::Reset()
{
    FreeVectors();
    for (Direction& direction : mDirection) {
        direction.mOrder = 0;
        direction.mCount = 0;
        direction.mStep = 0;
        direction.mType = kOpen;
    }
    mSurfaceMode = eHigh;
    mApplyFlipUV = mApplyFlipLinks = false;
}

kLongLong KQelNurb::KnotSize(int pDirection) const
{
    const Direction& direction = mDirection[pDirection];
    const kLongLong order = direction.mOrder;
    const bool wraps = direction.mType == kPeriodic || direction.mType == kClosed;
    return KQelSurfaceSize(direction.mCount + (wraps ? 2 * order - 1 : order));
}

int KQelNurb::KnotCount(int pDirection) const
{
    const kLongLong size = KnotSize(pDirection);
    return size < 0 ? 0 : static_cast<int>(size);
}

void KQelNurb::Refuse()
{
    FreeVectors();
    mDirection[0].mCount = mDirection[1].mCount = 0;
}

void KQelNurb::SetOrder(unsigned int pUOrder, unsigned int pVOrder)
{
    const kLongLong oldSize[2] = {KnotSize(0), KnotSize(1)};
    mDirection[0].mOrder = pUOrder;
    mDirection[1].mOrder = pVOrder;
    if (!mHasVectors)
        return;
    for (int d = 0; d < 2; ++d) {
        Direction& direction = mDirection[d];
        const kLongLong size = KnotSize(d);
        double* knots = size < 0 ? nullptr : NewZeroed<double>(size);
        if (size < 0 || (size > 0 && !knots)) {
            Refuse();
            return;
        }
        if (knots && direction.mKnots)
            std::copy(direction.mKnots, direction.mKnots + std::min(size, oldSize[d]), knots);
        delete[] direction.mKnots;
        direction.mKnots = knots;
    }
}

void KQelNurb::InitControlPoints(int pUCount, ENurbType pUType, int pVCount, ENurbType pVType)
{
    FreeVectors();
    const kLongLong points = KQelGridSize(pUCount, pVCount);
    KQelGeometryBase::InitControlPoints(points > 0 ? static_cast<int>(points) : 0);
    mDirection[0].mCount = pUCount < 0 ? 0 : pUCount;
    mDirection[1].mCount = pVCount < 0 ? 0 : pVCount;
    mDirection[0].mType = pUType;
    mDirection[1].mType = pVType;
    bool sized = points >= 0 && GetControlPointsCount() == points;
    for (int d = 0; sized && d < 2; ++d) {
        Direction& direction = mDirection[d];
        const kLongLong knots = KnotSize(d);
        direction.mKnots = knots < 0 ? nullptr : NewZeroed<double>(knots);
        direction.mMultiplicity = NewZeroed<kInt>(direction.mCount);
        sized = knots >= 0 && (knots == 0 || direction.mKnots) && (direction.mCount == 0 || direction.mMultiplicity);
        if (direction.mMultiplicity)
            std::fill(direction.mMultiplicity, direction.mMultiplicity + direction.mCount, 1);
    }
    if (!sized) {
        KQelGeometryBase::InitControlPoints(0);
        Refuse();
        return;
    }
    mHasVectors = true;
}

void KQelNurb::SetStep(int pUStep, int pVStep)
{
    mDirection[0].mStep = pUStep;
    mDirection[1].mStep = pVStep;
}

KQelNurb& KQelNurb::operator=(KQelNurb& pOther)
{
    // Reset would free the vectors about to be read.
    if (this == &pOther)
        return *this;
    Reset();
    mApplyFlipUV = pOther.mApplyFlipUV;
    mApplyFlipLinks = pOther.mApplyFlipLinks;
    mSurfaceMode = pOther.mSurfaceMode;
    SetOrder(pOther.GetUOrder(), pOther.GetVOrder());
    SetStep(pOther.GetUStep(), pOther.GetVStep());
    InitControlPoints(pOther.GetUCount(), pOther.GetUType(), pOther.GetVCount(), pOther.GetVType());
    for (int d = 0; d < 2; ++d) {
        Direction& to = mDirection[d];
        const Direction& from = pOther.mDirection[d];
        // Same orders, counts and forms: present vectors have the same sizes.
        if (to.mKnots && from.mKnots)
            std::copy(from.mKnots, from.mKnots + KnotCount(d), to.mKnots);
        if (to.mMultiplicity && from.mMultiplicity)
            std::copy(from.mMultiplicity, from.mMultiplicity + to.mCount, to.mMultiplicity);
    }
    KQelGeometry::operator=(pOther);
    return *this;
}

}  // namespace qelsdk_600
