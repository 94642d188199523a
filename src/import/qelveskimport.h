// The host scene import: opens a QEL file through the SDK and builds host
// nodes from it.
#ifndef QELVESK_IMPORT_QELVESKIMPORT_H
#define QELVESK_IMPORT_QELVESKIMPORT_H

#include <vesk/MStatus.h>
#include <vesk/MString.h>

#include "base/kstring.h"

namespace qelsdk_600 {
class KQelImporter;
class KQelScene;
class KQelSdkManager;
}

class QelVeskImport {
public:
    // Its own SDK manager; no file open.
    QelVeskImport();
    // Closes whatever it holds and frees it with its manager.
    virtual ~QelVeskImport();
    QelVeskImport(const QelVeskImport&) = delete;
    QelVeskImport& operator=(const QelVeskImport&) = delete;

    // Closes any project held, makes an SDK importer through the manager and
    // opens the file with it (a native QEL file opens at once). Success, or
    // MStatus::kNotFound when the file cannot be opened; the importer is
    // kept either way until the next OpenProject or the destructor.
    MStatus OpenProject(const MString& pPath);
    // The take to import (copied).
    void SetTakeName(const char* pName);
    const qelsdk_600::KString& GetTakeName() const { return mTakeName; }
    // Imports the opened file into the host scene with the current settings
    // and the stored take; reports its own errors.
    MStatus Import();

    // The SDK importer of the opened file; null before OpenProject.
    qelsdk_600::KQelImporter* GetImporter() const { return mImporter; }

private:
    void CloseProject();

    qelsdk_600::KQelSdkManager* mManager;
    qelsdk_600::KQelImporter* mImporter;
    qelsdk_600::KQelScene* mScene;
    qelsdk_600::KString mTakeName;
};

#endif
