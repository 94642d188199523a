// The host scene export: builds an SDK scene from the host scene and writes
// it as a QEL file.
#ifndef QELVESK_EXPORT_QELVESKEXPORT_H
#define QELVESK_EXPORT_QELVESKEXPORT_H

#include <vesk/MStatus.h>

namespace qelsdk_600 {
class KQelSdkManager;
}

class QelVeskExport {
public:
    // Its own SDK manager; nothing written yet.
    QelVeskExport();
    // Frees the exporter and its manager.
    virtual ~QelVeskExport();
    QelVeskExport(const QelVeskExport&) = delete;
    QelVeskExport& operator=(const QelVeskExport&) = delete;

    // Builds the SDK scene from the host scene and writes the file at the
    // path; reports its own errors.
    MStatus Export(const char* pPath);

private:
    qelsdk_600::KQelSdkManager* mManager;
};

#endif
