#include "content/kqelpatch.h"

#include "content/kqelsurface_impl.h"

namespace qelsdk_600 {

KQelPatch::KQelPatch(KQelSdkManager& pManager) : KQelGeometry(pManager)
{
    Reset();
}

KQelPatch::~KQelPatch()
{
    Reset();
}

KString KQelPatch::GetTypeName()
{
    return KString("Patch");
}

void KQelPatch::Reset()
{
    mUType = mVType = eLinear;
    mUCount = mVCount = mUStep = mVStep = 0;
    mUClosed = mVClosed = false;
    mUCappedBottom = mUCappedTop = mVCappedBottom = mVCappedTop = false;
    mSurfaceMode = eHigh;
}

void KQelPatch::InitControlPoints(int pUCount, EPatchType pUType, int pVCount, EPatchType pVType)
{
    mUType = pUType;
    mVType = pVType;
    const kLongLong size = KQelGridSize(pUCount, pVCount);
    KQelGeometryBase::InitControlPoints(size > 0 ? static_cast<int>(size) : 0);
    if (size < 0 || GetControlPointsCount() != size) {
        // Counts that no point array backs would send evaluators past it.
        KQelGeometryBase::InitControlPoints(0);
        mUCount = mVCount = 0;
        return;
    }
    mUCount = pUCount < 0 ? 0 : pUCount;
    mVCount = pVCount < 0 ? 0 : pVCount;
}

void KQelPatch::SetStep(int pUStep, int pVStep)
{
    mUStep = pUStep;
    mVStep = pVStep;
}

void KQelPatch::SetClosed(bool pU, bool pV)
{
    mUClosed = pU;
    mVClosed = pV;
}

void KQelPatch::SetUCapped(bool pBottom, bool pTop)
{
    mUCappedBottom = pBottom;
    mUCappedTop = pTop;
}

void KQelPatch::SetVCapped(bool pBottom, bool pTop)
{
    mVCappedBottom = pBottom;
    mVCappedTop = pTop;
}

KQelPatch& KQelPatch::operator=(KQelPatch& pOther)
{
    if (this == &pOther)
        return *this;
    Reset();
    SetSurfaceMode(pOther.mSurfaceMode);
    SetStep(pOther.mUStep, pOther.mVStep);
    SetClosed(pOther.mUClosed, pOther.mVClosed);
    SetUCapped(pOther.mUCappedBottom, pOther.mUCappedTop);
    SetVCapped(pOther.mVCappedBottom, pOther.mVCappedTop);
    InitControlPoints(pOther.mUCount, pOther.mUType, pOther.mVCount, pOther.mVType);
    KQelGeometry::operator=(pOther);
    return *this;
}

}  // namespace qelsdk_600
