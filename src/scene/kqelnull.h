// The null attribute: a marked place in the node tree with a display size.
#ifndef QELSDK_SCENE_KQELNULL_H
#define QELSDK_SCENE_KQELNULL_H

#include "object/kobject.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpropertyset.h"

namespace qelsdk_600 {

// Properties of a null, in registration order.
#define QEL_NULL_PROPERTIES(V, E, L, A) V(double, Size, "Size", 0.0, 0)

// The property set of a null: the display size "Size" (0.0 as constructed;
// the null sets its default).
class KQelNullProperties : public KObject {
    QEL_CLASS_IDENTITY(KQelNullProperties)

public:
    KQelNullProperties();
    ~KQelNullProperties() override;

    QEL_PROPERTY_SET_BODY(QEL_NULL_PROPERTIES)
};

// Attribute type 1. Its size is 100.0 and "not set" until SetSize.
class KQelNull : public KQelNodeAttribute {
public:
    // Unbound, with a new property set, then Reset.
    explicit KQelNull(KQelSdkManager& pManager);
    // Destroys the property set.
    ~KQelNull() override;

    EAttributeType GetAttributeType() const override { return eNull; }
    // Appends the set's properties, in order, to the KArrayTemplate<KProperty*>
    // that pList points to.
    void FillPropertyList(void* pList) override;
    // "Null".
    KString GetTypeName() override;
    // One entry, "Null" (reference 0).
    KStringList GetTypeFlags() override;

    // Size back to GetSizeDefaultValue() (written without notification), not
    // set.
    void Reset();
    // Writes the size without notification and marks it set.
    void SetSize(double pSize);
    double GetSize() const;
    bool GetSizeIsSet() const { return mSizeIsSet; }
    static double GetSizeDefaultValue() { return 100.0; }

    // Reset, then the other's size and its "set" mark.
    KQelNull& operator=(const KQelNull& pOther);

    KQelNullProperties* GetPropertyHandler() const { return mProperties; }

private:
    bool mSizeIsSet;
    KQelNullProperties* mProperties;
};

}  // namespace qelsdk_600

#endif
