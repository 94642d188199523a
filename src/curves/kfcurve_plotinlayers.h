// Plotting a layered curve node into plain curves: the combined value of its
// layers (a merge) or the value one layer must take to reproduce a target (a
// solve), and the layer-combination functions the plot is built on. Value
// vectors hold one double per component of a node (its own curve, or one per
// child); the caller sizes them for the node (at least four).
#ifndef QELSDK_CURVES_KFCURVE_PLOTINLAYERS_H
#define QELSDK_CURVES_KFCURVE_PLOTINLAYERS_H

#include "base/karraytemplate.h"
#include "base/ktime.h"

namespace qelsdk_600 {

class KFCurveNode;
struct KSmartPlotOptions;

// Plot flags of KFCurve_PlotInLayers, combinable.
enum : unsigned int {
    kFCurvePlotRemoveLayers = 0x2,    // remove the listed source layers (needs the ID list)
    kFCurvePlotZeroLayers = 0x4,      // zero the source layers over the range (wins over 0x2)
    kFCurvePlotReplaceSpan = 0x8,     // write the result into layer layerID over the range
    kFCurvePlotReplaceCurves = 0x10   // replace the curves of layer layerID by the result
};

// Samples node from start to stop (ticks, both included when on the grid)
// every period. Without target: the layers of layerIDs (all when null, in
// increasing ID order) combined by type; with target: the value layer layerID
// must take so that the layers reproduce target's own layer. useTimeWarp reads
// the layers at the node's warped time. options (may be null) asks for a
// smart plot, keyed only where the source layers have keys and refined against
// the full plot. The result curves go to destination (may be null) or, with
// flag 0x8 or 0x10, into layer layerID (created when a later layer exists);
// curves that find no receiver are freed. Nothing happens for a node without
// curve or children, a period <= 0, stop before start or an open end.
void KFCurve_PlotInLayers(KFCurveNode* node, KArrayTemplate<int>* layerIDs, int layerID, unsigned int flags,
                          KTime start, KTime stop, KTime period, KFCurveNode* destination, KFCurveNode* target,
                          bool useTimeWarp, KSmartPlotOptions* options);

// out = a combined with b by layer's type: added (types 0, 1), multiplied (3),
// as Euler XYZ rotations in degrees, b applied first (2), or as quaternions
// (4). Types above 4 write nothing. out may be a or b.
void AddValuesAlongLayerType(KFCurveNode* layer, double* out, double* a, double* b);
void AddValuesAlongLayerType_KFCL_ADD(KFCurveNode* layer, double* out, double* a, double* b);
void AddValuesAlongLayerType_KFCL_EULER_XYZ(KFCurveNode* layer, double* out, double* a, double* b);
void AddValuesAlongLayerType_KFCL_MULT(KFCurveNode* layer, double* out, double* a, double* b);
void AddValuesAlongLayerType_KFCL_QUAT(KFCurveNode* layer, double* out, double* a, double* b);

// out = the inverse of in under node's layer type (negation, inverse rotation,
// reciprocal, conjugate quaternion). out may be in.
void InverseValuesAlongLayerType(KFCurveNode* node, double* out, double* in);

// Appends the taking-part layers (layerIDs, or the whole chain from node when
// null) with IDs below layerID to before and those above it to after.
void KFCurve_PrepareForSolving(KFCurveNode* node, KArrayTemplate<int>* layerIDs, int layerID,
                               KArrayTemplate<KFCurveNode*>& before, KArrayTemplate<KFCurveNode*>& after);

// result = the values the solved layer must hold at time so that the layers
// of before, the solved layer and the layers of after give candidate; Euler
// angles are kept continuous with previous. layerID is not used.
void KFCurve_CandidateSolveInLayers(KFCurveNode* node, double* result, double* candidate, KTime time,
                                    KArrayTemplate<KFCurveNode*>& before, KArrayTemplate<KFCurveNode*>& after,
                                    int layerID, int* last, double* previous);

// Combines into value (initialised by the caller) the layers at time from
// node on: every layer, or those of layerIDs from position index on.
void KFCurve_CandidateEvaluateInLayersRecursive(KFCurveNode* node, double* value, KTime time,
                                                KArrayTemplate<int>* layerIDs, int index, int* last);

// Euler XYZ angles in degrees turning direction p1 - p0 onto p2 - p0 (three
// doubles each). Returns true.
bool AxisAlignmentInEulerAngle(double* p0, double* p1, double* p2, double* angles);

}  // namespace qelsdk_600

#endif
