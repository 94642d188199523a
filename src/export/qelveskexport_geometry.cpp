// Meshes, NURBS surfaces, their materials and textures, the image
// converters and the hard-edge split. Not exported yet: each entry point
// below is inert, so that transforms carrying such shapes make no node.
#include "export/qelveskexport.h"

QelVeskNode* QelVeskExport::BuildMeshGeometry(MDagPath&, MFnDagNode&)
{
    return nullptr;
}

QelVeskNode* QelVeskExport::ExportGeometryNurb(MDagPath&, MFnDagNode&)
{
    return nullptr;
}

void QelVeskExport::SetNodeGeometryMaterial(QelVeskNode*) {}

void QelVeskExport::SplitMeshOnNormalPerPolyVertex(QelVeskNode*) {}

void QelVeskRegisterImageConverters(qelsdk_600::KQelSdkManager*) {}
