// Rigid and smooth skins, clusters and blend shapes. Not exported yet: each
// entry point below is inert, and no target-shape node is ever made.
#include "export/qelveskexport.h"

void QelVeskExport::ExportRigidBinding(QelVeskNode*) {}

void QelVeskExport::ExportSmoothBinding() {}

void QelVeskExport::ExportShape(QelVeskNode*) {}

void QelVeskExport::RemoveTargetShapeGeometry() {}
