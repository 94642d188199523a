// Lights, cameras and look-at targets, the conversion of host animation
// curves, the re-orientation of lights and cameras and the global
// transforms. Not exported yet: each entry point below is inert.
#include "export/qelveskexport.h"

QelVeskNode* QelVeskExport::BuildLightGeometry(MDagPath&, MFnDagNode&)
{
    return nullptr;
}

QelVeskNode* QelVeskExport::BuildCameraGeometry(MDagPath&, MFnDagNode&)
{
    return nullptr;
}

QelVeskNode* QelVeskExport::BuildLookAtGeometry(MDagPath&, MFnDagNode&)
{
    return nullptr;
}

bool QelVeskExport::ExportLights(MDagPath&, QelVeskNode&)
{
    return false;
}

bool QelVeskExport::ExportCamera(QelVeskNode&)
{
    return false;
}

void QelVeskExport::AdjustTransform(QelVeskNode&, MFnTransform&, qelsdk_600::KFCurveNode&) {}

void QelVeskExport::ExtractGlobalTransforms(QelVeskNode*) {}

void QelVeskExport::SetFCurve(MFnAnimCurve&, qelsdk_600::KFCurve&, bool, double) {}

void QelVeskExport::ConvertVeskCurve(const MFnTransform&, qelsdk_600::KFCurveNode&, bool) {}

// mLookAtGroups holds no record until the look-at builder makes them.
void QelVeskExport::ClearLookAtGroups()
{
    mLookAtGroups.Clear();
}
