// Passes of the import that are not built yet. Each does nothing (and
// answers success) so that the driver and the passes calling them already
// run in their final order; a pass is built by giving its body here.
#include <vesk/MFnTransform.h>

#include "import/qelveskimport.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelvesknode.h"

// ---- Lights, cameras, and curves onto host attributes ----

void QelVeskImport::CreateLightGeometry(QelVeskNode&) {}

void QelVeskImport::CreateCameraGeometry(QelVeskNode&) {}

MStatus QelVeskImport::ImportAnimationCamera(QelVeskNode&)
{
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportShapeAnimation(QelVeskNode&)
{
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportAnimationLight(QelVeskNode&)
{
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportAnimationVisibility(QelVeskNode&)
{
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportUserProperties(QelVeskNode&)
{
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportPivots(MFnTransform&, QelVeskNode&)
{
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportLimits(MFnTransform&, QelVeskNode&)
{
    return MStatus::kSuccess;
}

MStatus QelVeskImport::ImportRotationOrder(MFnTransform&, QelVeskNode&)
{
    return MStatus::kSuccess;
}

// ---- Bind poses and deformations ----

void QelVeskImport::ImportBindPosesAndDeformations()
{
    QelVeskProgressMeter::Section("Importing deformations...");
    for (int i = 0, n = mRootNode ? mRootNode->GetChildCount() : 0; i < n; ++i)
        BuildClusterInformation(static_cast<QelVeskNode*>(mRootNode->GetChild(i)));
}

void QelVeskImport::BuildClusterInformation(QelVeskNode*) {}
