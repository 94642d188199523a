// NURBS and patch blocks: the surface's grid, orders, forms, knots and
// flags, in the geometry's pivot space, in both layouts.
#include <algorithm>
#include <vector>

#include "content/kqelgeometryconverter.h"
#include "content/kqelnurb.h"
#include "content/kqelpatch.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// Error ids the surface readers record in the field file's error record.
enum { eSurfaceCount = 9, eSurfaceValue = 10 };

const char kPointsError[] = "Control point definition error (wrong number of data).";
const char kFormError[] = "Type of nurb unknown (invalid data).";
const char kWeightError[] = "Weight of control point must be greater than 0 (invalid data).";

// The smallest weight a control point may have is just above this.
const double kMinimumWeight = 0.00001;

const char* const kNurbForms[] = {"Periodic", "Closed", "Open"};
const char* const kPatchTypes[] = {"Bezier", "BezierQuadric", "Cardinal", "BSpline", "Linear"};

// A multiplicity or knot field: its name, its error text, which direction.
const struct VectorField {
    const char* mName;
    const char* mError;
    bool mKnots;
    int mDirection;
} kVectorFields[] = {
    {"MultiplicityU", "Multiplicity U definition error (wrong number of data).", false, 0},
    {"MultiplicityV", "Multiplicity V definition error (wrong number of data).", false, 1},
    {"KnotVectorU", "U knot vector definition error (wrong number of data).", true, 0},
    {"KnotVectorV", "V knot vector definition error (wrong number of data).", true, 1},
};

// Two ints of a field at the current level (defaults when absent).
bool ReadPair(KQel& pFile, const char* pName, int& pFirst, int& pSecond)
{
    if (!pFile.FieldReadBegin(pName))
        return false;
    pFirst = pFile.FieldReadI();
    pSecond = pFile.FieldReadI();
    pFile.FieldReadEnd();
    return true;
}

void WritePair(KQel& pFile, const char* pName, int pFirst, int pSecond)
{
    pFile.FieldWriteBegin(pName);
    pFile.FieldWriteI(pFirst);
    pFile.FieldWriteI(pSecond);
    pFile.FieldWriteEnd();
}

// "SurfaceDisplay" (mode, steps) then "Step" (steps), which wins.
template <class Surface>
void ReadDisplay(KQel& pFile, Surface& pSurface)
{
    if (pFile.FieldReadBegin("SurfaceDisplay")) {
        const int mode = pFile.FieldReadI();
        const int uStep = pFile.FieldReadI();
        const int vStep = pFile.FieldReadI();
        pFile.FieldReadEnd();
        if (mode >= KQelGeometry::eRaw && mode <= KQelGeometry::eHigh)
            pSurface.SetSurfaceMode(static_cast<KQelGeometry::ESurfaceMode>(mode));
        pSurface.SetStep(uStep, vStep);
    }
    int uStep = 0;
    int vStep = 0;
    if (ReadPair(pFile, "Step", uStep, vStep))
        pSurface.SetStep(uStep, vStep);
}

template <class Surface>
void WriteDisplay(KQel& pFile, Surface& pSurface)
{
    pFile.FieldWriteBegin("SurfaceDisplay");
    pFile.FieldWriteI(pSurface.GetSurfaceMode());
    pFile.FieldWriteI(pSurface.GetUStep());
    pFile.FieldWriteI(pSurface.GetVStep());
    pFile.FieldWriteEnd();
}

// Control points in pivot space, pWeight (4 values) or not (3 values).
void WritePoints(KQel& pFile, KQelGeometry& pGeometry, bool pWeight)
{
    const KQelXMatrix pivot = native_detail::GeometryPivot(pGeometry);
    const KQelVector4* points = pGeometry.GetControlPoints();
    pFile.FieldWriteBegin("Points");
    for (int i = 0, n = pGeometry.GetControlPointsCount(); i < n; ++i) {
        native_detail::WriteTransformedPoint(pFile, pivot, points[i]);
        if (pWeight)
            pFile.FieldWriteD(1.0);
    }
    pFile.FieldWriteEnd();
}

// Whether a grid of pUCount x pVCount points (and its orders, when given)
// can be made from a "Points" field of pValues values: counts not
// negative, orders inside their counts, no more points than values.
bool GridFits(int pUCount, int pVCount, const int* pOrders, int pValues)
{
    if (pUCount < 0 || pVCount < 0)
        return false;
    if (pOrders) {
        const int counts[2] = {pUCount, pVCount};
        for (int d = 0; d < 2; ++d) {
            const int lowest = counts[d] > 0 ? 1 : 0;
            if (pOrders[d] < lowest || pOrders[d] > counts[d])
                return false;
        }
    }
    return static_cast<long long>(pUCount) * pVCount <= pValues;
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WriteKQelNurb(KQelNurb& pNurb)
{
    KQelNurb* written = &pNurb;
    if (pNurb.GetApplyFlipUV() || pNurb.GetApplyFlipLinks()) {
        KQelGeometryConverter* converter = mManager.CreateKQelGeometryConverter();
        KQelNurb* flipped = converter ? converter->FlipNurb(&pNurb, pNurb.GetApplyFlipUV(), pNurb.GetApplyFlipLinks())
                                      : nullptr;
        mManager.DestroyKQelGeometryConverter(converter);
        if (flipped)
            written = flipped;
    }
    KQelNurb& nurb = *written;
    if (nurb.GetControlPointsCount() > 0) {
        KQel& file = File();
        native_detail::WriteFieldC(file, "Type", "Nurb");
        WriteKQelGeometry(nurb);
        native_detail::WriteFieldI(file, "NurbVersion", 100);
        WriteDisplay(file, nurb);
        WritePair(file, "NurbOrder", static_cast<int>(nurb.GetUOrder()), static_cast<int>(nurb.GetVOrder()));
        WritePair(file, "Dimensions", nurb.GetUCount(), nurb.GetVCount());
        WritePair(file, "Step", nurb.GetUStep(), nurb.GetVStep());
        file.FieldWriteBegin("Form");
        for (KQelNurb::ENurbType type : {nurb.GetUType(), nurb.GetVType()})
            file.FieldWriteC(kNurbForms[type == KQelNurb::kPeriodic || type == KQelNurb::kClosed ? type : 2]);
        file.FieldWriteEnd();
        WritePoints(file, nurb, true);
        const int* multiplicities[2] = {nurb.GetUMultiplicityVector(), nurb.GetVMultiplicityVector()};
        const double* knots[2] = {nurb.GetUKnotVector(), nurb.GetVKnotVector()};
        const int counts[2] = {nurb.GetUCount(), nurb.GetVCount()};
        const int knotCounts[2] = {nurb.GetUKnotCount(), nurb.GetVKnotCount()};
        for (const VectorField& field : kVectorFields) {
            const int d = field.mDirection;
            if (field.mKnots)
                native_detail::WriteFieldDn(file, field.mName, knots[d], knots[d] ? knotCounts[d] : 0);
            else
                native_detail::WriteIntField(file, field.mName, multiplicities[d],
                                             multiplicities[d] ? counts[d] : 0);
        }
        native_detail::WriteFieldI(file, "Materials", nurb.GMC(0));
    }
    if (written != &pNurb)
        mManager.DestroyKQelNodeAttribute(written);
    return true;
}

bool KQelWriterQel::WriteKQelPatchType(KQelPatch&, int pType)
{
    if (pType >= KQelPatch::eBezier && pType <= KQelPatch::eLinear)
        File().FieldWriteC(kPatchTypes[pType]);
    return true;
}

bool KQelWriterQel::WriteKQelPatch(KQelPatch& pPatch)
{
    if (pPatch.GetControlPointsCount() == 0)
        return true;
    KQel& file = File();
    native_detail::WriteFieldC(file, "Type", "Patch");
    WriteKQelGeometry(pPatch);
    native_detail::WriteFieldI(file, "PatchVersion", 100);
    WriteDisplay(file, pPatch);
    file.FieldWriteBegin("PatchType");
    WriteKQelPatchType(pPatch, pPatch.GetUType());
    WriteKQelPatchType(pPatch, pPatch.GetVType());
    file.FieldWriteEnd();
    WritePair(file, "Dimensions", pPatch.GetUCount(), pPatch.GetVCount());
    WritePair(file, "Step", pPatch.GetUStep(), pPatch.GetVStep());
    WritePair(file, "Closed", pPatch.GetUClosed(), pPatch.GetVClosed());
    WritePair(file, "UCapped", pPatch.GetUCappedBottom(), pPatch.GetUCappedTop());
    WritePair(file, "VCapped", pPatch.GetVCappedBottom(), pPatch.GetVCappedTop());
    WritePoints(file, pPatch, false);
    native_detail::WriteFieldI(file, "Materials", pPatch.GMC(0));
    return true;
}

// ---- Reader ----

bool KQelReaderQel::GenerateParametricGeometryLayer(KQelGeometry&)
{
    return true;
}

bool KQelReaderQel::ReadKQelNurb(KQelNurb& pNurb)
{
    KQel& file = File();
    KError& error = file.GetError();
    const char* owner = pNurb.GetNode() ? pNurb.GetNode()->GetName() : "Nurb";
    bool ok = true;
    file.FieldReadI("NurbVersion", 0);
    int orders[2] = {0, 0};
    ReadPair(file, "NurbOrder", orders[0], orders[1]);
    KQelNurb::ENurbType types[2] = {KQelNurb::kPeriodic, KQelNurb::kPeriodic};
    if (file.FieldReadBegin("Form")) {
        for (KQelNurb::ENurbType& type : types) {
            const KString form = file.FieldReadC();
            int found = -1;
            for (int i = 0; i < 3; ++i) {
                if (form.CompareNoCase(kNurbForms[i]) == 0)
                    found = i;
            }
            if (found < 0) {
                error.SetLastError(eSurfaceValue, kFormError);
                ok = false;
            }
            type = static_cast<KQelNurb::ENurbType>(found < 0 ? 0 : found);
        }
        file.FieldReadEnd();
    }
    ReadDisplay(file, pNurb);
    int counts[2] = {0, 0};
    ReadPair(file, "Dimensions", counts[0], counts[1]);
    const bool hasPoints = file.FieldReadBegin("Points");
    const int values = hasPoints ? file.FieldReadGetCount() : 0;
    // Checked before anything is allocated: the file must hold the points
    // its counts promise.
    if (!GridFits(counts[0], counts[1], orders, values)) {
        if (hasPoints)
            file.FieldReadEnd();
        error.SetLastError(eSurfaceCount, kPointsError);
        MarkCorruptData(owner, "Points");
        return false;
    }
    pNurb.SetOrder(static_cast<unsigned int>(orders[0]), static_cast<unsigned int>(orders[1]));
    pNurb.InitControlPoints(counts[0], types[0], counts[1], types[1]);
    const long long points = static_cast<long long>(pNurb.GetUCount()) * pNurb.GetVCount();
    if (pNurb.GetUCount() != counts[0] || pNurb.GetVCount() != counts[1] || values != points * 4) {
        error.SetLastError(eSurfaceCount, kPointsError);
        ok = false;
    } else {
        KQelVector4* point = pNurb.GetControlPoints();
        native_detail::ReadDoubleGroups(file, 4, static_cast<int>(points), [&](int i, const double* v) {
            point[i] = KQelVector4(v[0], v[1], v[2], v[3]);
            if (v[3] <= kMinimumWeight) {
                error.SetLastError(eSurfaceValue, kWeightError);
                ok = false;
            }
        });
    }
    if (hasPoints)
        file.FieldReadEnd();

    int* multiplicities[2] = {pNurb.GetUMultiplicityVector(), pNurb.GetVMultiplicityVector()};
    double* knots[2] = {pNurb.GetUKnotVector(), pNurb.GetVKnotVector()};
    const int knotCounts[2] = {pNurb.GetUKnotCount(), pNurb.GetVKnotCount()};
    for (const VectorField& field : kVectorFields) {
        if (!file.FieldReadBegin(field.mName))
            continue;
        const int d = field.mDirection;
        const int expected = field.mKnots ? knotCounts[d] : (d == 0 ? pNurb.GetUCount() : pNurb.GetVCount());
        const bool present = field.mKnots ? knots[d] != nullptr : multiplicities[d] != nullptr;
        if (file.FieldReadGetCount() != expected || (expected > 0 && !present)) {
            error.SetLastError(eSurfaceCount, field.mError);
            ok = false;
        } else {
            // Values missing at the end read as 0.
            const unsigned int want = static_cast<unsigned int>(expected);
            if (field.mKnots)
                std::fill(knots[d] + file.FieldReadDn(knots[d], want), knots[d] + want, 0.0);
            else
                std::fill(multiplicities[d] + file.FieldReadIn(multiplicities[d], want), multiplicities[d] + want, 0);
        }
        file.FieldReadEnd();
    }
    if (!ok)
        MarkCorruptData(owner, error.GetLastErrorString());

    if (mFile->IsBeforeVersion6()) {
        GenerateParametricGeometryLayer(pNurb);
        ReadKQelGeometry(pNurb);
    } else {
        ReadLayerElements(pNurb);
        ReadKQelGeometryLinks(pNurb);
        ReadKQelGeometryShapes(pNurb);
    }
    return ok;
}

int KQelReaderQel::ReadKQelPatchType(KQelPatch&)
{
    const KString token = File().FieldReadC();
    for (int type = KQelPatch::eBezier; type < KQelPatch::eLinear; ++type) {
        if (token.CompareNoCase(kPatchTypes[type]) == 0)
            return type;
    }
    return KQelPatch::eLinear;
}

bool KQelReaderQel::ReadKQelPatch(KQelPatch& pPatch)
{
    KQel& file = File();
    file.FieldReadI("PatchVersion", 100);
    int types[2] = {KQelPatch::eLinear, KQelPatch::eLinear};
    if (file.FieldReadBegin("PatchType")) {
        types[0] = ReadKQelPatchType(pPatch);
        types[1] = ReadKQelPatchType(pPatch);
        file.FieldReadEnd();
    }
    int counts[2] = {0, 0};
    ReadPair(file, "Dimensions", counts[0], counts[1]);
    const bool hasPoints = file.FieldReadBegin("Points");
    const int values = hasPoints ? file.FieldReadGetCount() : 0;
    if (!GridFits(counts[0], counts[1], nullptr, values)) {
        if (hasPoints)
            file.FieldReadEnd();
        file.GetError().SetLastError(eSurfaceCount, kPointsError);
        MarkCorruptData(pPatch.GetNode() ? pPatch.GetNode()->GetName() : "Patch", "Points");
        return false;
    }
    pPatch.InitControlPoints(counts[0], static_cast<KQelPatch::EPatchType>(types[0]), counts[1],
                             static_cast<KQelPatch::EPatchType>(types[1]));
    // Values missing at the end read as 0; every weight is 1.
    KQelVector4* point = pPatch.GetControlPoints();
    native_detail::ReadDoubleGroups(file, 3, point ? pPatch.GetControlPointsCount() : 0,
                                    [point](int i, const double* v) { point[i] = KQelVector4(v[0], v[1], v[2], 1.0); });
    if (hasPoints)
        file.FieldReadEnd();
    ReadDisplay(file, pPatch);
    int first = 0;
    int second = 0;
    if (ReadPair(file, "Closed", first, second))
        pPatch.SetClosed(first != 0, second != 0);
    if (ReadPair(file, "UCapped", first, second))
        pPatch.SetUCapped(first != 0, second != 0);
    if (ReadPair(file, "VCapped", first, second))
        pPatch.SetVCapped(first != 0, second != 0);

    if (mFile->IsBeforeVersion6()) {
        GenerateParametricGeometryLayer(pPatch);
        ReadKQelGeometry(pPatch);
    } else {
        ReadLayerElements(pPatch);
        ReadKQelGeometryLinks(pPatch);
        ReadKQelGeometryShapes(pPatch);
    }
    return true;
}

}  // namespace qelsdk_600
