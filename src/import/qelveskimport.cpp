#include "import/qelveskimport.h"

#include <vesk/MGlobal.h>
#include <vesk/MPxCommand.h>

#include "io/kqelimporter.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

using namespace qelsdk_600;

QelVeskImport::QelVeskImport()
    : mManager(KQelSdkManager::CreateKQelSdkManager()), mImporter(nullptr), mScene(nullptr)
{
}

QelVeskImport::~QelVeskImport()
{
    CloseProject();
    delete mManager;
}

void QelVeskImport::CloseProject()
{
    if (mScene) {
        mManager->DestroyKQelScene(mScene, true);
        mScene = nullptr;
    }
    if (mImporter) {
        mManager->DestroyKQelImporter(mImporter);
        mImporter = nullptr;
    }
}

MStatus QelVeskImport::OpenProject(const MString& pPath)
{
    CloseProject();
    mImporter = mManager->CreateKQelImporter();
    if (!mImporter || !mImporter->Initialize(pPath.asChar()))
        return MStatus::kNotFound;
    return MStatus::kSuccess;
}

void QelVeskImport::SetTakeName(const char* pName)
{
    mTakeName = pName ? pName : "";
}

MStatus QelVeskImport::Import()
{
    // The host scene import is not part of this module yet: nothing in the
    // host scene is touched.
    MPxCommand::displayError("QEL import error: importing into the scene is not available.");
    return MStatus::kFailure;
}
