// NURBS surfaces and patches of the version-6 writer.
#include <cmath>

#include "content/kqelgeometryconverter.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "file/kqel.h"
#include "native/kqelwriterqel6.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Weights at or below this (the reader's lower limit), and weights that are
// not finite, are written as 1.0.
const double kMinimumWeight = 0.00001;

const char* NurbFormToken(KQelNurb::ENurbType pType)
{
    switch (pType) {
    case KQelNurb::kPeriodic:
        return "Periodic";
    case KQelNurb::kClosed:
        return "Closed";
    default:
        return "Open";
    }
}

void WritePair(KQel& pFile, const char* pName, int pU, int pV)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteI(pU);
    pFile.FieldWriteI(pV);
    pFile.FieldWriteEnd();
}

// "SurfaceDisplay": mode, U step, V step.
void WriteSurfaceDisplay(KQel& pFile, int pMode, int pUStep, int pVStep)
{
    pFile.FieldWriteBegin("SurfaceDisplay");
    pFile.FieldWriteI(pMode);
    pFile.FieldWriteI(pUStep);
    pFile.FieldWriteI(pVStep);
    pFile.FieldWriteEnd();
}

// "Points": x, y, z of each control point through the pivot, with the
// point's weight as fourth value when pWeights.
void WritePoints(KQel& pFile, const KQelGeometry& pGeometry, bool pWeights)
{
    KQelXMatrix pivot;
    pGeometry.GetPivot(pivot);
    const KQelVector4* points = pGeometry.GetControlPoints();
    pFile.FieldWriteBegin("Points");
    for (int i = 0, n = pGeometry.GetControlPointsCount(); i < n; ++i) {
        const KQelVector4 moved = pivot.MultT(points[i]);
        pFile.FieldWriteD(moved[0]);
        pFile.FieldWriteD(moved[1]);
        pFile.FieldWriteD(moved[2]);
        if (pWeights) {
            const double weight = points[i][3];
            pFile.FieldWriteD(std::isfinite(weight) && weight > kMinimumWeight ? weight : 1.0);
        }
    }
    pFile.FieldWriteEnd();
}

void Put(KQel& pFile, int pValue)
{
    pFile.FieldWriteI(pValue);
}

void Put(KQel& pFile, double pValue)
{
    pFile.FieldWriteD(pValue);
}

template <class T>
void WriteVector(KQel& pFile, const char* pName, const T* pValues, int pCount)
{
    pFile.FieldWriteBegin(pName);
    for (int i = 0; pValues && i < pCount; ++i)
        Put(pFile, pValues[i]);
    pFile.FieldWriteEnd();
}

}  // namespace

bool KQelWriterQel6::WriteKQelNurb(KQelNurb& pNurb)
{
    KQelNurb* copy = nullptr;
    if (pNurb.GetApplyFlipUV() || pNurb.GetApplyFlipLinks()) {
        KQelGeometryConverter* converter = mManager.CreateKQelGeometryConverter();
        if (converter) {
            copy = converter->FlipNurb(&pNurb, pNurb.GetApplyFlipUV(), pNurb.GetApplyFlipLinks());
            mManager.DestroyKQelGeometryConverter(converter);
        }
    }
    KQelNurb& nurb = copy ? *copy : pNurb;
    if (nurb.GetControlPointsCount() > 0) {
        KQel& file = File();
        FieldC("Type", "Nurb");
        FieldI("NurbVersion", 100);
        WriteSurfaceDisplay(file, nurb.GetSurfaceMode(), nurb.GetUStep(), nurb.GetVStep());
        WritePair(file, "NurbOrder", static_cast<int>(nurb.GetUOrder()), static_cast<int>(nurb.GetVOrder()));
        WritePair(file, "Dimensions", nurb.GetUCount(), nurb.GetVCount());
        WritePair(file, "Step", nurb.GetUStep(), nurb.GetVStep());
        file.FieldWriteBegin("Form");
        file.FieldWriteC(NurbFormToken(nurb.GetUType()));
        file.FieldWriteC(NurbFormToken(nurb.GetVType()));
        file.FieldWriteEnd();
        WritePoints(file, nurb, true);
        WriteVector(file, "MultiplicityU", nurb.GetUMultiplicityVector(), nurb.GetUCount());
        WriteVector(file, "MultiplicityV", nurb.GetVMultiplicityVector(), nurb.GetVCount());
        WriteVector(file, "KnotVectorU", nurb.GetUKnotVector(), nurb.GetUKnotCount());
        WriteVector(file, "KnotVectorV", nurb.GetVKnotVector(), nurb.GetVKnotCount());
        WriteKQelGeometry(nurb);
    }
    if (copy)
        mManager.DestroyKQelNodeAttribute(copy);
    return true;
}

bool KQelWriterQel6::WriteKQelPatch(KQelPatch& pPatch)
{
    if (pPatch.GetControlPointsCount() <= 0)
        return true;
    KQel& file = File();
    FieldC("Type", "Patch");
    FieldI("PatchVersion", 100);
    WriteSurfaceDisplay(file, pPatch.GetSurfaceMode(), pPatch.GetUStep(), pPatch.GetVStep());
    file.FieldWriteBegin("PatchType");
    WriteKQelPatchType(pPatch, pPatch.GetUType());
    WriteKQelPatchType(pPatch, pPatch.GetVType());
    file.FieldWriteEnd();
    WritePair(file, "Dimensions", pPatch.GetUCount(), pPatch.GetVCount());
    WritePair(file, "Step", pPatch.GetUStep(), pPatch.GetVStep());
    WritePair(file, "Closed", pPatch.GetUClosed() ? 1 : 0, pPatch.GetVClosed() ? 1 : 0);
    WritePair(file, "UCapped", pPatch.GetUCappedBottom() ? 1 : 0, pPatch.GetUCappedTop() ? 1 : 0);
    WritePair(file, "VCapped", pPatch.GetVCappedBottom() ? 1 : 0, pPatch.GetVCappedTop() ? 1 : 0);
    WritePoints(file, pPatch, false);
    WriteKQelGeometry(pPatch);
    return true;
}

bool KQelWriterQel6::WriteKQelPatchType(KQelPatch&, int pType)
{
    static const char* const kTokens[] = {"Bezier", "BezierQuadric", "Cardinal", "BSpline", "Linear"};
    if (pType >= 0 && pType < static_cast<int>(sizeof kTokens / sizeof kTokens[0]))
        File().FieldWriteC(kTokens[pType]);
    return true;
}

}  // namespace qelsdk_600
