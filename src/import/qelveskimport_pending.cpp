// Passes of the import that are not built yet. Each does nothing so that
// the driver already runs them in their final order; a pass is built by
// giving its body here.
#include "import/qelveskimport.h"
#include "plugin/qelveskdialogs.h"
#include "plugin/qelvesknode.h"

// ---- Bind poses and deformations ----

void QelVeskImport::ImportBindPosesAndDeformations()
{
    QelVeskProgressMeter::Section("Importing deformations...");
    for (int i = 0, n = mRootNode ? mRootNode->GetChildCount() : 0; i < n; ++i)
        BuildClusterInformation(static_cast<QelVeskNode*>(mRootNode->GetChild(i)));
}

void QelVeskImport::BuildClusterInformation(QelVeskNode*) {}
