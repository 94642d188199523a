// Process-wide progress reporting of long reads and writes.
#ifndef QELSDK_OBJECT_KPROGRESS_H
#define QELSDK_OBJECT_KPROGRESS_H

namespace qelsdk_600 {

// Progress of a task divided into sections. The SDK's own object does
// nothing in any of these operations.
class KProgress {
public:
    virtual ~KProgress() {}
    virtual void ProgressBegin() {}
    // The current section is divided into pSteps steps.
    virtual void DivideSection(int pSteps) {}
    // Texts may be null.
    virtual void UpdateSection(const char* pTitle, const char* pDetail) {}
    virtual void CloseSection() {}
    virtual void ProgressDone() {}
};

// The process-wide progress object, created on first use; never null.
KProgress* KGetGlobalProgress();

}  // namespace qelsdk_600

#endif
