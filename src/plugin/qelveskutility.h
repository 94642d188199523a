// Host-side utilities of the import, the export and the take queries: a
// class of static operations, never instantiated.
#ifndef QELVESK_PLUGIN_QELVESKUTILITY_H
#define QELVESK_PLUGIN_QELVESKUTILITY_H

#include <vesk/MFnTransform.h>
#include <vesk/MPoint.h>

#include "math/kqelmatrix.h"
#include "plugin/qelveskutility_names.h"
#include "plugin/qelveskutility_plugs.h"

namespace qelsdk_600 {
class KQelNode;
}

// Names, paths and curve colours, and bind poses and plugs, come from the
// two bases (qelveskutility_names.h, qelveskutility_plugs.h).
class QelVeskUtility : public QelVeskUtilityNames, public QelVeskUtilityPlugs {
public:
    QelVeskUtility() = delete;

    // ---- Units, rotations and transforms (qelveskutility_transform.cpp) ----

    // Centimetres per unit of the host's current UI distance unit (1 for an
    // unknown unit).
    static double DistanceUnitRatio();
    // Host UI time units per second (frames per second at a frame-based
    // unit, 1/60 at minutes; 1 for an unknown unit).
    static double TimeUnitRatio();

    // The rotate axis, or joint orient, of a transform in degrees (the plugs
    // hold radians); a missing plug leaves its component 0.
    static void GetRotateAxis(const MFnTransform& pTransform, MPoint& pDegrees);
    static void GetJointOrient(const MFnTransform& pTransform, MPoint& pDegrees);
    // Writes the angles (degrees) into the radian plugs; each found plug is
    // set to 0 first, then to its value. Missing plugs are skipped.
    static void SetRotateAxis(const MFnTransform& pTransform, const MPoint& pDegrees);
    static void SetJointOrient(const MFnTransform& pTransform, const MPoint& pDegrees);

    // The SDK rotation order (Euler XYZ 0, XZY 1, YZX 2, YXZ 3, ZXY 4, ZYX 5)
    // of the transform's host order; 0 for anything else.
    static int GetRotationOrder(const MFnTransform& pTransform);

    // True when a translate, rotate or scale plug is driven by a curve with
    // keys.
    static bool IsAnimated(MFnTransform& pTransform);
    // True when a dynamic numeric attribute of the node is driven by a curve
    // with keys.
    static bool IsUserPropertiesAnimated(MFnTransform& pTransform);

    // Puts the matrix's rotation, translation and scaling (in that order)
    // on the transform; each failing host call is reported and the next one
    // still runs.
    static void SetMFnTransformNode(MFnTransform& pTransform, qelsdk_600::KQelMatrix& pMatrix);
    // The transform's scaling, rotation and translation as one matrix
    // (scaling applied first).
    static void GetMFnTransformNode(MFnTransform& pTransform, qelsdk_600::KQelMatrix& pMatrix);
    // Keeps in a node's local matrix only the rotation between its source
    // pre- and post-rotation: the result has the same translation and
    // scaling and the Euler rotation of Pre^-1 around the middle part.
    static void RemovePreAndPostFromRotation(qelsdk_600::KQelNode* pNode, qelsdk_600::KQelMatrix& pMatrix);
    // Does nothing: no caller depends on a camera-interest conversion.
    static void MatrixConvertCameraInterest(qelsdk_600::KQelNode& pCamera, qelsdk_600::KQelNode& pInterest);
};

#endif
