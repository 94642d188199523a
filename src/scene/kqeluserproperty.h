// Handles on the properties of scene objects, bound or still to be created.
#ifndef QELSDK_SCENE_KQELUSERPROPERTY_H
#define QELSDK_SCENE_KQELUSERPROPERTY_H

#include <memory>

#include "base/kstring.h"

namespace qelsdk_600 {

class KProperty;
class KQelColor;
class KQelObject;
class KQelPropertyHandler;
class KQelSdkManager;

// One property of a scene object seen through the SDK: either bound to a
// KProperty of the object's property set, or a description (name, type,
// label, limits, flags) of a property still to be made, which becomes bound
// when the object adds it (KQelObject::AddProperty). While bound, every
// operation works on the property and ignores the description. Made and
// destroyed by the manager; destroying a handle never destroys its property.
class KQelUserProperty {
public:
    // User-property types; GetPropertyTypeName gives their names.
    enum EUserPropertyType : int {
        eUnidentified = 0,  // "Unidentified": every other property type
        eBool = 1,          // "Bool": bool
        eReal = 2,          // "Real": float, double
        eColor = 3,         // "Color": ColorRGB, ColorRGBA
        eInteger = 4,       // "Integer": int
        eVector = 5         // "Vector": Vector3D
    };
    // Flag bits and the property-information flags they stand for.
    enum EFlags : int {
        eNoFlag = 0,
        eAnimatable = 1,    // information flag 2
        eUserProperty = 2,  // information flag 64
        eTemporary = 4      // information flag 128
    };

    // A description: the type GetPropertyTypeFromName gives for pTypeName,
    // infinite limits, no flags.
    KQelUserProperty(KQelSdkManager& pManager, const char* pName, const char* pTypeName,
                     const char* pLabel);
    // A description of that type and flags, infinite limits.
    KQelUserProperty(KQelSdkManager& pManager, const char* pName, EUserPropertyType pType,
                     const char* pLabel, EFlags pFlags);
    // A handle bound to pProperty, without description.
    KQelUserProperty(KQelSdkManager& pManager, KProperty* pProperty);
    KQelUserProperty(const KQelUserProperty&) = delete;
    // Frees the description.
    ~KQelUserProperty();
    // Copies nothing.
    KQelUserProperty& operator=(const KQelUserProperty&) { return *this; }

    // ---- Identity ----

    // The property's name, else the description's, else empty.
    KString GetName() const;
    // The property's label, else the description's; with pUseName, the name
    // when that label is empty.
    KString GetLabel(bool pUseName = false) const;
    // Sets the property's label, else the description's.
    void SetLabel(const KString& pLabel);
    // The property's type mapped to a user-property type, else the
    // description's type, else eUnidentified.
    EUserPropertyType GetPropertyType() const;
    // The type's name, null for any value outside 0 to 5.
    static const char* GetPropertyTypeName(EUserPropertyType pType);
    // True when both pointers are set and equal.
    bool operator==(const KProperty* pProperty) const;
    // The bound property, null for a description.
    KProperty* GetKProperty() const { return mProperty; }
    // The property set told of default-value changes; not owned.
    void SetPropertyHandler(KQelPropertyHandler* pHandler) { mHandler = pHandler; }
    KQelPropertyHandler* GetPropertyHandler() const { return mHandler; }

    // ---- Flags ----

    // Sets or clears bits: in the description when there is one, and on the
    // property's information flags (1 as 2, 2 as 64, 4 as 128) when bound.
    void ModifyFlag(EFlags pFlag, bool pValue);
    // Bound: information flag 2, 64 or 128 for exactly 1, 2 or 4, false for
    // any other argument. Description: true when any of the bits is set.
    bool GetFlag(EFlags pFlag) const;

    // ---- Limits ----

    // Stored in the description and in the property, whichever exist.
    void SetMinLimit(double pMin);
    void SetMaxLimit(double pMax);
    void SetLimits(double pMin, double pMax);
    // The property's limit, else the description's, else minus (plus)
    // infinity.
    double GetMinLimit() const;
    double GetMaxLimit() const;

    // ---- Default values (bound handles only) ----
    // A setter writes the property and then tells the property set
    // (DefaultValueChanged); on a description it does nothing. A getter on a
    // description, or on a property of another kind, leaves its outputs as
    // they were.

    // Written as an integer (no type check).
    void SetDefaultValue(bool pValue);
    void SetDefaultValue(int pValue);
    // Written as a double (no type check).
    void SetDefaultValue(double pValue);
    // ColorRGB: red, green, blue; ColorRGBA: red, green, blue and alpha 1.
    // Other types: nothing, no notification.
    void SetDefaultValue(const KQelColor& pColor);
    // A colour property: as the colour (x, y, z, 1); Vector3D: (x, y, z).
    // Other types: nothing, no notification.
    void SetDefaultValue(double pX, double pY, double pZ);
    void GetDefaultValue(bool& pValue) const;
    void GetDefaultValue(int& pValue) const;
    void GetDefaultValue(double& pValue) const;
    // A colour property: red, green and blue (the colour's alpha stays).
    void GetDefaultValue(KQelColor& pColor) const;
    // A colour property: red, green, blue; Vector3D: its three members.
    void GetDefaultValue(double& pX, double& pY, double& pZ) const;

private:
    friend class KQelPropertyHandler;  // binds and unbinds mProperty
    friend class KQelObject;           // published runs
    friend class KQelSdkManager;
    struct Description;

    // Tells the property set, when one is known, of a default-value change.
    void Notify();
    // A handle without description becomes one bound to pProperty in pHandler.
    void Bind(KProperty* pProperty, KQelPropertyHandler* pHandler)
    {
        mProperty = pProperty;
        mHandler = pHandler;
    }

    KProperty* mProperty;
    KQelPropertyHandler* mHandler;
    std::unique_ptr<Description> mDescription;
    KQelSdkManager* mManager;
    // The object whose published run made this handle, while listed there.
    KQelObject* mRunOwner;
};

// "Bool" 1, "Real" 2, "Color" 3, "Integer" 4, "Vector" 5, compared exactly;
// null and any other text 0.
KQelUserProperty::EUserPropertyType GetPropertyTypeFromName(const char* pTypeName);

}  // namespace qelsdk_600

#endif
