// Plotting layered curve nodes into plain curves, and the layer combination
// and solving it is built on.
#include "curves/kfcurve_plotinlayers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurve_smartplot.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurverotation.h"
#include "curves/kfcurvesettings.h"
#include "math/kgematrix.h"
#include "math/kgevector.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

struct NodeDeleter {
    void operator()(KFCurveNode* node) const
    {
        if (node)
            node->Destroy();
    }
};
typedef std::unique_ptr<KFCurveNode, NodeDeleter> NodePtr;

struct CurveDeleter {
    void operator()(KFCurve* curve) const
    {
        if (curve)
            curve->Destroy();
    }
};
typedef std::unique_ptr<KFCurve, CurveDeleter> CurvePtr;

// Values a plain walk of node's subtree can write: one per curve, and at
// least one per child (rotation nodes), plus the four of a quaternion.
int SubtreeSlots(const KFCurveNode* node)
{
    int curves = node->FCurveGet() ? 1 : 0;
    const int count = node->GetCount();
    for (int i = 0; i < count; ++i)
        if (const KFCurveNode* child = node->Get(i))
            curves += SubtreeSlots(child);
    return std::max(curves, count) + 4;
}

// Value-vector size that fits every layer of node's chain.
int ChainSlots(KFCurveNode* node)
{
    int slots = 4;
    for (KFCurveNode* layer = node; layer; layer = layer->LayerGet())
        slots = std::max(slots, SubtreeSlots(layer));
    return slots;
}

// Neutral values of node's layer type over size slots (GetZeroValues stops
// at four values; nodes may have more children).
void FillZero(const KFCurveNode* node, double* out, int size)
{
    const int type = node->GetLayerType();
    const double neutral = type == kFCurveNodeLayerMultiplicative ? 1.0 : 0.0;
    std::fill(out, out + size, neutral);
    if (type == kFCurveNodeLayerQuaternionRotation && size >= 4)
        out[3] = 1.0;
}

// Components a node combines: its own curve, or one per child.
int ComponentCount(const KFCurveNode* node)
{
    const int count = node->GetCount();
    return count > 0 ? count : (node->FCurveGet() ? 1 : 0);
}

// Values of one layer alone at time, neutral where it writes nothing.
std::vector<double> LayerValues(KFCurveNode* layer, KTime time, int* last)
{
    const int size = SubtreeSlots(layer);
    std::vector<double> values(static_cast<std::size_t>(size));
    FillZero(layer, values.data(), size);
    layer->EvaluateSpecificLayer(values.data(), time, layer->GetLayerID(), last);
    return values;
}

// A full copy of curve (keys included) that the caller owns.
KFCurve* CopyCurve(KFCurve* curve)
{
    if (!curve)
        return nullptr;
    KFCurve* copy = KFCurveCreate();
    copy->CopyFrom(*curve, true);
    return copy;
}

// The curve slot of component i of node: its own curve for a leaf, else
// child i's; null when there is no such node.
KFCurveNode* ComponentNode(KFCurveNode* node, bool leaf, int i)
{
    if (!node)
        return nullptr;
    if (leaf)
        return i == 0 ? node : nullptr;
    return node->Get(i);
}

// Zeroes node's curves over [start, stop]: keys of its neutral values at the
// span's ends, none inside.
void ZeroLayer(KFCurveNode* layer, KTime start, KTime stop)
{
    const int size = SubtreeSlots(layer);
    std::vector<double> zero(static_cast<std::size_t>(size));
    FillZero(layer, zero.data(), size);
    KFCurve constant;
    auto zeroCurve = [&](KFCurve* curve, double value) {
        if (!curve)
            return;
        constant.SetValue(static_cast<float>(value));
        constant.CandidateSet(KTime(0), value);
        curve->Replace(&constant, start, stop, false, true);
    };
    zeroCurve(layer->FCurveGet(), zero[0]);
    for (int i = 0, n = layer->GetCount(); i < n; ++i)
        if (KFCurveNode* child = layer->Get(i))
            zeroCurve(child->FCurveGet(), zero[static_cast<std::size_t>(i)]);
}

void ClearLayerKeys(KFCurveNode* layer)
{
    if (KFCurve* curve = layer->FCurveGet())
        curve->KeyClear();
    for (int i = 0, n = layer->GetCount(); i < n; ++i)
        if (KFCurveNode* child = layer->Get(i))
            if (KFCurve* curve = child->FCurveGet())
                curve->KeyClear();
}

// Saturating t + step so a grid next to the end of the time line stops.
KTime AddSaturated(KTime t, KTime step)
{
    if (step.Get() > 0 && t.Get() > KTime::kInfiniteTicks - step.Get())
        return KTIME_INFINITE;
    return t + step;
}

void EulerMatrix(KgeRMatrix& matrix, const double* angles) { KmXYZtoR(matrix, angles[0], angles[1], angles[2]); }

}  // namespace

// ---- Combination ----

void AddValuesAlongLayerType_KFCL_ADD(KFCurveNode* layer, double* out, double* a, double* b)
{
    if (layer->FCurveGet())
        out[0] = a[0] + b[0];
    for (int i = 0, n = layer->GetCount(); i < n; ++i)
        out[i] = a[i] + b[i];
}

void AddValuesAlongLayerType_KFCL_MULT(KFCurveNode* layer, double* out, double* a, double* b)
{
    if (layer->FCurveGet())
        out[0] = a[0] * b[0];
    for (int i = 0, n = layer->GetCount(); i < n; ++i)
        out[i] = a[i] * b[i];
}

void AddValuesAlongLayerType_KFCL_EULER_XYZ(KFCurveNode*, double* out, double* a, double* b)
{
    KgeRMatrix ma;
    KgeRMatrix mb;
    EulerMatrix(ma, a);
    EulerMatrix(mb, b);
    KmRR(ma, ma, mb);
    KmRtoVXYZ(out, ma);
}

void AddValuesAlongLayerType_KFCL_QUAT(KFCurveNode*, double* out, double* a, double* b) { KmQQ(out, a, b); }

void AddValuesAlongLayerType(KFCurveNode* layer, double* out, double* a, double* b)
{
    if (!layer)
        return;
    switch (layer->GetLayerType()) {
    case kFCurveNodeLayerNone:
    case kFCurveNodeLayerAdditive:
        AddValuesAlongLayerType_KFCL_ADD(layer, out, a, b);
        break;
    case kFCurveNodeLayerEulerRotation:
        AddValuesAlongLayerType_KFCL_EULER_XYZ(layer, out, a, b);
        break;
    case kFCurveNodeLayerMultiplicative:
        AddValuesAlongLayerType_KFCL_MULT(layer, out, a, b);
        break;
    case kFCurveNodeLayerQuaternionRotation:
        AddValuesAlongLayerType_KFCL_QUAT(layer, out, a, b);
        break;
    default:
        break;
    }
}

void InverseValuesAlongLayerType(KFCurveNode* node, double* out, double* in)
{
    if (!node)
        return;
    const int n = ComponentCount(node);
    switch (node->GetLayerType()) {
    case kFCurveNodeLayerNone:
    case kFCurveNodeLayerAdditive:
        for (int i = 0; i < n; ++i)
            out[i] = -in[i];
        break;
    case kFCurveNodeLayerEulerRotation: {
        KgeRMatrix m;
        EulerMatrix(m, in);
        KmRi(m, m);
        KmRtoVXYZ(out, m);
        break;
    }
    case kFCurveNodeLayerMultiplicative:
        for (int i = 0; i < n; ++i)
            out[i] = 1.0 / in[i];
        break;
    case kFCurveNodeLayerQuaternionRotation:
        out[0] = -in[0];
        out[1] = -in[1];
        out[2] = -in[2];
        out[3] = in[3];
        break;
    default:
        break;
    }
}

// ---- Layer walks ----

void KFCurve_PrepareForSolving(KFCurveNode* node, KArrayTemplate<int>* layerIDs, int layerID,
                               KArrayTemplate<KFCurveNode*>& before, KArrayTemplate<KFCurveNode*>& after)
{
    if (!node)
        return;
    // Returns false once the walk is to stop.
    auto place = [&](KFCurveNode* layer) {
        const int id = layer->GetLayerID();
        if (id < layerID) {
            before.Add(layer);
        } else if (id > layerID) {
            if (id == 0)
                return false;
            after.Add(layer);
        }
        return true;
    };
    if (!layerIDs) {
        for (KFCurveNode* layer = node; layer; layer = layer->LayerGet())
            if (!place(layer))
                break;
        return;
    }
    for (int i = 0, n = layerIDs->GetCount(); i < n; ++i)
        if (KFCurveNode* layer = node->LayerGet(layerIDs->GetAt(i)))
            if (!place(layer))
                break;
}

void KFCurve_CandidateEvaluateInLayersRecursive(KFCurveNode* node, double* value, KTime time,
                                                KArrayTemplate<int>* layerIDs, int index, int* last)
{
    // Walked as a loop: a long layer chain costs no stack.
    KFCurveNode* layer = node;
    while (layer) {
        if (layerIDs) {
            if (index < 0 || index >= layerIDs->GetCount())
                return;
            const int wanted = layerIDs->GetAt(index);
            if (layer->GetLayerID() > wanted) {
                ++index;
                continue;
            }
            if (layer->GetLayerID() < wanted) {
                layer = layer->LayerGet();
                continue;
            }
            ++index;
        }
        std::vector<double> values = LayerValues(layer, time, last);
        AddValuesAlongLayerType(layer, value, value, values.data());
        layer = layer->LayerGet();
    }
}

void KFCurve_CandidateSolveInLayers(KFCurveNode* node, double* result, double* candidate, KTime time,
                                    KArrayTemplate<KFCurveNode*>& before, KArrayTemplate<KFCurveNode*>& after,
                                    int, int* last, double* previous)
{
    if (!node)
        return;
    const int size = ChainSlots(node);
    std::vector<double> sumBefore(static_cast<std::size_t>(size));
    std::vector<double> sumAfter(static_cast<std::size_t>(size));
    FillZero(node, sumBefore.data(), size);
    FillZero(node, sumAfter.data(), size);
    for (int i = 0, n = before.GetCount(); i < n; ++i) {
        KFCurveNode* layer = before.GetAt(i);
        std::vector<double> values = LayerValues(layer, time, last);
        AddValuesAlongLayerType(layer, sumBefore.data(), sumBefore.data(), values.data());
    }
    for (int i = 0, n = after.GetCount(); i < n; ++i) {
        KFCurveNode* layer = after.GetAt(i);
        std::vector<double> values = LayerValues(layer, time, last);
        AddValuesAlongLayerType(layer, sumAfter.data(), sumAfter.data(), values.data());
    }

    const int count = node->FCurveGet() ? 1 : node->GetCount();
    for (int i = 0; i < count; ++i)
        result[i] = candidate[i];
    if (before.GetCount() > 0) {
        InverseValuesAlongLayerType(node, sumBefore.data(), sumBefore.data());
        AddValuesAlongLayerType(node, result, sumBefore.data(), result);
    }
    if (after.GetCount() > 0) {
        InverseValuesAlongLayerType(node, sumAfter.data(), sumAfter.data());
        AddValuesAlongLayerType(node, result, result, sumAfter.data());
    }
    const int order = node->GetRotationOrder();
    if (node->GetLayerType() == kFCurveNodeLayerEulerRotation && order != kFCurveNodeSphericalXYZ && previous)
        KVNGetContinuousRotation(result, result, previous, KmEulerAxis[(order >= 0 && order < 12) ? order : 0]);
}

// ---- Plot ----

namespace {

// Smart cursors: four records per layer of the chain, one per component.
class SmartCursors {
public:
    explicit SmartCursors(KFCurveNode* node)
    {
        for (KFCurveNode* layer = node; layer; layer = layer->LayerGet()) {
            std::array<KFCurveSmartMergeInfos, 4> records;
            const int count = layer->GetCount();
            if (count == 0) {
                records[0].Curve = layer->FCurveGet();
            } else if (count <= 4) {
                for (int j = 0; j < count; ++j)
                    if (KFCurveNode* child = layer->Get(j))
                        records[static_cast<std::size_t>(j)].Curve = child->FCurveGet();
            }
            mRecords.push_back(records);
        }
        for (auto& records : mRecords)
            mPointers.push_back(records.data());
    }

    // The next source key time strictly after time (infinite when none),
    // with the components keyed there.
    KTime Next(KTime time, KArrayTemplate<int>* components)
    {
        if (mPointers.empty())
            return KTIME_INFINITE;
        KTime next;
        // Each call moves a cursor by one key at most; keys at or before time
        // (for instance before the plotted range) are passed here.
        do {
            next = GetNextSmartPlotTime(&time, mPointers.data(), static_cast<int>(mPointers.size()), components);
        } while (next <= time);
        return next;
    }

private:
    std::vector<std::array<KFCurveSmartMergeInfos, 4>> mRecords;
    std::vector<KFCurveSmartMergeInfos*> mPointers;
};

// Hands curve to component i of receiver; false (curve kept by the caller)
// when the receiver has no such slot.
bool GiveCurve(KFCurveNode* receiver, bool leaf, int i, KFCurve* curve, bool replace)
{
    KFCurveNode* slot = ComponentNode(receiver, leaf, i);
    if (!slot)
        return false;
    if (replace)
        slot->FCurveReplace(curve);
    else
        slot->FCurveSet(curve, false);
    return true;
}

}  // namespace

void KFCurve_PlotInLayers(KFCurveNode* node, KArrayTemplate<int>* layerIDs, int layerID, unsigned int flags,
                          KTime start, KTime stop, KTime period, KFCurveNode* destination, KFCurveNode* target,
                          bool useTimeWarp, KSmartPlotOptions* options)
{
    // An open end or a non-positive period would sample without end.
    if (!node || period.Get() <= 0 || stop < start || start == KTIME_MINUS_INFINITE || stop == KTIME_INFINITE)
        return;
    const bool leaf = node->GetCount() == 0;
    if (leaf && !node->FCurveGet())
        return;
    const int n = leaf ? 1 : node->GetCount();
    const bool smart = options && options->UseSmartPlot;

    // 1. Setup.
    NodePtr plain(node->CloneTemplate(false, false, false, -1));
    plain->CreateFCurve();
    NodePtr smartResult;
    std::unique_ptr<SmartCursors> cursors;
    if (smart) {
        smartResult.reset(node->CloneTemplate(false, false, false, -1));
        smartResult->CreateFCurve();
        cursors.reset(new SmartCursors(node));
    }
    KFCurveNode* timeWarp = useTimeWarp ? node->TimeWarpGet() : nullptr;
    const int size = std::max(ChainSlots(node), target ? ChainSlots(target) : 0);
    std::vector<double> value(static_cast<std::size_t>(size));
    std::vector<double> candidate(static_cast<std::size_t>(size));
    std::vector<double> previous(static_cast<std::size_t>(size), 0.0);
    previous[3] = 1.0;
    std::vector<double> warpValues(static_cast<std::size_t>(timeWarp ? ChainSlots(timeWarp) : 0));
    KArrayTemplate<KFCurveNode*> before;
    KArrayTemplate<KFCurveNode*> after;
    if (target)
        KFCurve_PrepareForSolving(node, layerIDs, layerID, before, after);
    KArrayTemplate<int> components;
    for (int c = 0; c < n; ++c)
        components.Add(c);

    // 2. to 5. Sampling.
    const KTime tangentPeriod = smart ? options->TangentPeriod : KTime(0);
    KTime grid = start;
    KTime key = start;
    KTime beforeKey = key - tangentPeriod;
    KTime afterKey = key + tangentPeriod;
    KTime previousSample = start - tangentPeriod;
    int last = -1;
    int warpLast = -1;
    while (true) {
        KTime t = grid;
        if (smart) {
            if (beforeKey > previousSample && beforeKey < grid)
                t = beforeKey;
            else if (key > previousSample && key < grid)
                t = key;
            else if (afterKey > previousSample && afterKey < grid)
                t = afterKey;
        }
        if (t > stop)
            break;

        KTime evaluationTime = t;
        if (timeWarp) {
            warpValues[0] = 0.0;
            timeWarp->Evaluate(warpValues.data(), t, &warpLast);
            evaluationTime.SetSecondDouble(warpValues[0]);
        }
        if (!target) {
            FillZero(node, value.data(), size);
            KFCurve_CandidateEvaluateInLayersRecursive(node, value.data(), evaluationTime, layerIDs, 0, &last);
        } else {
            FillZero(target, candidate.data(), size);
            target->EvaluateSpecificLayer(candidate.data(), evaluationTime, target->GetLayerID());
            KFCurve_CandidateSolveInLayers(node, value.data(), candidate.data(), evaluationTime, before, after,
                                           layerID, &last, previous.data());
            previous = value;
        }

        const bool atKey = smart && t == key;
        if (leaf) {
            if (atKey)
                smartResult->FCurveGet()->KeyAppendFast(t, static_cast<float>(value[0]));
            plain->FCurveGet()->KeyAppendFast(t, static_cast<float>(value[0]));
        } else {
            if (!target && plain->GetLayerType() == kFCurveNodeLayerEulerRotation)
                plain->GetContinuousRotation(value.data(), value.data(), t);
            if (atKey) {
                for (int i = 0, count = components.GetCount(); i < count; ++i) {
                    const int c = components.GetAt(i);
                    KFCurveNode* child = c >= 0 && c < smartResult->GetCount() ? smartResult->Get(c) : nullptr;
                    if (child && child->FCurveGet())
                        child->FCurveGet()->KeyAppendFast(t, static_cast<float>(value[static_cast<std::size_t>(c)]));
                }
            }
            plain->KeyAppend(t, value.data(), false);
        }
        previousSample = t;

        if (smart) {
            if (t >= key) {
                key = cursors->Next(t, &components);
                beforeKey = key == KTIME_INFINITE ? KTIME_INFINITE : key - tangentPeriod;
            }
            if (t >= afterKey)
                afterKey = key == KTIME_INFINITE ? KTIME_INFINITE : key + tangentPeriod;
        }
        if (t >= grid)
            grid = AddSaturated(grid, period);
    }

    // 6. Smart refinement.
    if (smart) {
        if (options->BreakTangents)
            KFCURVE_BreakTangents(smartResult.get(), plain.get(), options->TangentPeriod, options->TangentThreshold);
        if (options->IncreaseFidelity)
            KFCURVE_IncreaseFidelity(smartResult.get(), plain.get(), options->FidelityThreshold,
                                     options->FidelitySubdivisions, options->FidelityBreakTangents,
                                     options->TangentPeriod, options->TangentThreshold, false, nullptr, nullptr);
    }

    // 7. Results: owned here until a receiver takes them.
    KFCurveNode* source = smart && !options->KeepFullPlot ? smartResult.get() : plain.get();
    std::vector<CurvePtr> results(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        if (KFCurveNode* slot = ComponentNode(source, leaf, i))
            results[static_cast<std::size_t>(i)].reset(slot->FCurveSet(nullptr, false));
    cursors.reset();

    // 8. Source layers.
    const bool intoLayer = (flags & (kFCurvePlotReplaceSpan | kFCurvePlotReplaceCurves)) != 0;
    if (flags & kFCurvePlotZeroLayers) {
        if (!layerIDs) {
            for (KFCurveNode* layer = node; layer; layer = layer->LayerGet())
                if (!(intoLayer && layer->GetLayerID() == layerID))
                    ZeroLayer(layer, start, stop);
        } else {
            for (int i = 0, count = layerIDs->GetCount(); i < count; ++i)
                if (KFCurveNode* layer = node->LayerGet(layerIDs->GetAt(i)))
                    ZeroLayer(layer, start, stop);
        }
    } else if ((flags & kFCurvePlotRemoveLayers) && layerIDs) {
        for (int i = 0, count = layerIDs->GetCount(); i < count; ++i) {
            const int id = layerIDs->GetAt(i);
            KFCurveNode* layer = node->LayerGet(id);
            if (!layer || ((flags & kFCurvePlotReplaceSpan) && id == layerID))
                continue;
            if (id == 0) {
                ClearLayerKeys(layer);
                continue;
            }
            // A destination inside a removed layer would be left dangling.
            if (destination && (destination == layer || layer->IsChild(destination, true)))
                destination = nullptr;
            node->RemoveLayer(id, true);
        }
    }

    // 9. and 10. Receivers. A caller that asks for both a destination and a
    // layer gets a copy in the layer, so each receiver owns its curves.
    std::vector<CurvePtr> layerCurves(static_cast<std::size_t>(n));
    if (intoLayer)
        for (int i = 0; i < n; ++i)
            layerCurves[static_cast<std::size_t>(i)].reset(
                destination ? CopyCurve(results[static_cast<std::size_t>(i)].get())
                            : results[static_cast<std::size_t>(i)].release());
    if (destination)
        for (int i = 0; i < n; ++i)
            if (results[static_cast<std::size_t>(i)] &&
                GiveCurve(destination, leaf, i, results[static_cast<std::size_t>(i)].get(), true))
                results[static_cast<std::size_t>(i)].release();

    if (intoLayer) {
        KFCurveNode* layer = node;
        while (layer && layer->GetLayerID() < layerID)
            layer = layer->LayerGet();
        if (layer && layer->GetLayerID() > layerID) {
            node->CreateLayerAt(layerID);
            layer = node->LayerGet(layerID);
        }
        if (layer && layer->GetLayerID() == layerID) {
            if (flags & kFCurvePlotReplaceSpan) {
                NodePtr clone(layer->CloneTemplate(false, false, false, -1));
                for (int i = 0; i < n; ++i)
                    if (layerCurves[static_cast<std::size_t>(i)] &&
                        GiveCurve(clone.get(), leaf, i, layerCurves[static_cast<std::size_t>(i)].get(), false))
                        layerCurves[static_cast<std::size_t>(i)].release();
                layer->Replace(clone.get(), start, stop, false, true);
            } else {
                for (int i = 0; i < n; ++i) {
                    KFCurve* curve = layerCurves[static_cast<std::size_t>(i)].get();
                    KFCurveNode* slot = ComponentNode(layer, leaf, i);
                    if (!curve || !slot)
                        continue;
                    if (KFCurve* old = slot->FCurveGet()) {
                        curve->SetColor(old->GetColor());
                        curve->SetWasData(old->GetWasData());
                    }
                    slot->FCurveReplace(layerCurves[static_cast<std::size_t>(i)].release());
                }
            }
        }
    }
    // 11. Clones and any curve left without a receiver are freed on return.
}

bool AxisAlignmentInEulerAngle(double* p0, double* p1, double* p2, double* angles)
{
    double d1[3];
    double d2[3];
    for (int i = 0; i < 3; ++i) {
        d1[i] = p1[i] - p0[i];
        d2[i] = p2[i] - p0[i];
    }
    auto normalise = [](double* d) {
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (length > 0.0)
            for (int i = 0; i < 3; ++i)
                d[i] /= length;
    };
    normalise(d1);
    normalise(d2);
    auto within = [](const double* v) {
        return std::fabs(v[0]) <= 0.001 && std::fabs(v[1]) <= 0.001 && std::fabs(v[2]) <= 0.001;
    };
    const double difference[3] = {d1[0] - d2[0], d1[1] - d2[1], d1[2] - d2[2]};
    const double sum[3] = {d1[0] + d2[0], d1[1] + d2[1], d1[2] + d2[2]};
    if (within(difference)) {
        angles[0] = angles[1] = angles[2] = 0.0;
    } else if (within(sum)) {
        angles[0] = 180.0;
        angles[1] = angles[2] = 0.0;
    } else {
        KgeQuaternion q;
        GetQuaternionFromPositionToPosition(q, KgeTVector(d1[0], d1[1], d1[2]), KgeTVector(d2[0], d2[1], d2[2]));
        KgeRMatrix m;
        KmQtoR(m, q);
        KmRtoVXYZ(angles, m);
    }
    return true;
}

}  // namespace qelsdk_600
