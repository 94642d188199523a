#include "export/qelveskexport.h"

#include <vesk/MPxCommand.h>

#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

QelVeskExport::QelVeskExport() : mManager(KQelSdkManager::CreateKQelSdkManager()) {}

QelVeskExport::~QelVeskExport()
{
    delete mManager;
}

MStatus QelVeskExport::Export(const char*)
{
    // The host scene export is not part of this module yet: no file is
    // written.
    MPxCommand::displayError("QEL export error: exporting the scene is not available.");
    return MStatus::kFailure;
}
