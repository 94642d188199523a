// The marker attribute: a plain marker, an optical marker, or an inverse- or
// forward-kinematics effector, with its display settings.
#ifndef QELSDK_CONTENT_KQELMARKER_H
#define QELSDK_CONTENT_KQELMARKER_H

#include "content/kqelcolor.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"
#include "object/kobject.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelpropertyset.h"

namespace qelsdk_600 {

class KFCurve;
class KQelMarkerProperties;

// Attribute type 2. The display settings live in the property set; the
// animatable values of a role live as curves in the takes of the marker's
// node: an optical marker has "Occlusion", an IK effector "IK Reach
// Translation" and "IK Reach Rotation". A marker builds them in every take
// when it is bound to a node and removes them when it is unbound; they have
// no property. Operations report no failure.
class KQelMarker : public KQelNodeAttribute {
public:
    // Roles; a value outside them is stored as given and named "Marker".
    enum EType : int { eStandard = 0, eOptical = 1, eIKEffector = 2, eFKEffector = 3 };
    // Display shapes; a value outside them is stored as given.
    enum ELook : int { eCube = 0, eHardCross = 1, eLightCross = 2, eSphere = 3 };

    // Unbound, with a new property set, then Reset.
    explicit KQelMarker(KQelSdkManager& pManager);
    // Destroys the property set.
    ~KQelMarker() override;

    EAttributeType GetAttributeType() const override { return eMarker; }
    // Builds the curves of the marker's role in one take: each is found among
    // the take's curve nodes by data type or made (one curve, no callback),
    // then given value 0 and its display colour, so binding again never
    // doubles a curve.
    void AddChannels(KQelTakeNode* pTakeNode) override;
    // Deletes the curves of the marker's role (found by data type) from one
    // take; missing ones are passed over.
    void RemoveChannels(KQelTakeNode* pTakeNode) override;
    // Appends "Look", "Size", "Color", "ShowLabel", "IKPivot" to the
    // KArrayTemplate<KProperty*> that pList points to.
    void FillPropertyList(void* pList) override;
    // "Marker", "OpticalMarker", "IKEffector", "FKEffector" by type;
    // "Marker" for any other value.
    KString GetTypeName() override;
    // One entry, "Marker" (reference 0), whatever the type.
    KStringList GetTypeFlags() override;

    // Standard marker, cube, size 100, red (1, 0, 0), no label, IK pivot
    // (0, 0, 0). Neither the node nor any curve is touched.
    void Reset();

    // Changes the role. On a bound marker the old role's curves leave every
    // take of the node and the new role's are built, so each take holds the
    // curves of the current role only. The same type again: nothing.
    void SetType(EType pType);
    EType GetType() const { return mType; }

    // The display settings are stored unchecked, without the properties'
    // change notifications.
    void SetLook(ELook pLook);
    ELook GetLook() const;
    void SetSize(double pSize);
    double GetSize() const;
    void SetShowLabel(bool pShowLabel);
    bool GetShowLabel() const;
    // Keeps red, green and blue; alpha is dropped.
    void SetColor(const KQelColor& pColor);
    // The stored colour, clamped to [0, 1], with alpha 1.
    KQelColor GetColor() const;
    // Same as SetColor.
    void SetDefaultColor(const KQelColor& pColor);
    // Assigns GetColor() to pColor (alpha becomes 1) and returns it.
    KQelColor& GetDefaultColor(KQelColor& pColor) const;
    // Keeps x, y and z.
    void SetIKPivot(const KQelVector4& pPivot);
    // x, y, z and 1.
    KQelVector4 GetIKPivot() const;

    // The default value (curve value of the node's take "Default") of a
    // role's curve. For a marker of another role, on no node, or when the
    // curve is missing: the getter answers 0.0 and the setter does nothing.
    // Values are held in single precision.
    double GetDefaultOcclusion() const;
    void SetDefaultOcclusion(double pValue);
    double GetDefaultIKReachTranslation() const;
    void SetDefaultIKReachTranslation(double pValue);
    double GetDefaultIKReachRotation() const;
    void SetDefaultIKReachRotation(double pValue);

    // Copies the type field alone (no curve is added or removed), then look,
    // size, colour and show label. The IK pivot, the curves, the node and the
    // manager stay.
    KQelMarker& operator=(const KQelMarker& pOther);

    KQelMarkerProperties* GetPropertyHandler() const { return mProperties; }

private:
    // The curve of a channel (see the source's table) in the node's take
    // "Default", when the marker has that channel's role and is bound; else
    // null.
    KFCurve* DefaultCurve(int pChannel) const;
    double GetDefaultValue(int pChannel) const;
    void SetDefaultValue(int pChannel, double pValue);

    EType mType;
    KQelMarkerProperties* mProperties;
};

// Properties of a marker, in registration order; none is animatable.
#define QEL_MARKER_PROPERTIES(V, E, L, A)                                                          \
    E(::qelsdk_600::KQelMarker::ELook, Look, "Look", LookAsString, ::qelsdk_600::KQelMarker::eCube, 0) \
    V(double, Size, "Size", 0.0, 0)                                                                \
    V(::qelsdk_600::KgeRGBVector, Color, "Color", (::qelsdk_600::KgeRGBVector()), 0)               \
    V(bool, ShowLabel, "ShowLabel", false, 0)                                                      \
    V(::qelsdk_600::KgeTVector, IKPivot, "IKPivot", (::qelsdk_600::KgeTVector()), 0)

// The property set of a marker: "Look" (texts from LookAsString), "Size",
// "Color", "ShowLabel" and "IKPivot" (its fourth component stays 1). Values
// as constructed are zero; the marker sets its defaults.
class KQelMarkerProperties : public KObject {
    QEL_CLASS_IDENTITY(KQelMarkerProperties)

public:
    KQelMarkerProperties();
    ~KQelMarkerProperties() override;

    // "Cube", "Hard Cross", "Light Cross", "Sphere"; null for other values.
    static const char* LookAsString(KQelMarker::ELook pLook);

    QEL_PROPERTY_SET_BODY(QEL_MARKER_PROPERTIES)
};

}  // namespace qelsdk_600

#endif
