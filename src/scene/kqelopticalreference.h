// The optical-reference attribute: marks a node that stands for an optical
// motion-capture reference. It carries no data.
#ifndef QELSDK_SCENE_KQELOPTICALREFERENCE_H
#define QELSDK_SCENE_KQELOPTICALREFERENCE_H

#include "scene/kqelnodeattribute.h"

namespace qelsdk_600 {

// Attribute type 10; no channels and no properties.
class KQelOpticalReference : public KQelNodeAttribute {
public:
    // Unbound.
    explicit KQelOpticalReference(KQelSdkManager& pManager);
    ~KQelOpticalReference() override;

    EAttributeType GetAttributeType() const override { return eOpticalReference; }
    // "Optical".
    KString GetTypeName() override;
    // One entry, "Marker" (reference 0).
    KStringList GetTypeFlags() override;

    // Copies nothing (there is nothing to copy; node and manager stay).
    KQelOpticalReference& operator=(const KQelOpticalReference&) { return *this; }
};

}  // namespace qelsdk_600

#endif
