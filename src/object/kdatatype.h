// Named data types of property values and animation channels.
#ifndef QELSDK_OBJECT_KDATATYPE_H
#define QELSDK_OBJECT_KDATATYPE_H

#include "object/kproperty.h"

namespace qelsdk_600 {

// A named kind of value ("Lcl Translation", "Intensity", ...), built on one
// of the base data types (Number, Vector, Vector4, Color, ColorAndAlpha,
// Bool, Integer, Enum, Time, Action). Every data type is a process-wide
// constant: it exists before any static initialiser runs and is compared by
// identity.
class KDataType {
public:
    constexpr KDataType(const char* pName, const KDataType* pBase, kPropertyType pPropertyType,
                        int pMemberCount, int pSize)
        : mName(pName), mBase(pBase), mPropertyType(pPropertyType), mMemberCount(pMemberCount),
          mSize(pSize)
    {
    }
    KDataType(const KDataType&) = delete;
    KDataType& operator=(const KDataType&) = delete;

    const char* GetName() const { return mName; }
    // The data type this one is based on; null for a base data type.
    const KDataType* GetBase() const { return mBase; }
    // Number of member values: 1 for scalars, 3 for vectors and colours, 4
    // for Vector4 and ColorAndAlpha.
    int GetMemberCount() const { return mBase ? mBase->GetMemberCount() : mMemberCount; }
    // Size in bytes of the value as the property holds it.
    int SizeOf() const { return mBase ? mBase->SizeOf() : mSize; }
    // True for this data type and every data type it is based on.
    bool Is(const KDataType* pOther) const;

private:
    friend kPropertyType DataTypeToPropertyType(const KDataType* pDataType);

    const char* mName;
    const KDataType* mBase;
    kPropertyType mPropertyType;
    int mMemberCount;
    int mSize;
};

// The data type of that name (exact case), or null.
KDataType* KDataTypeGet(const char* pName);

// The property type that stores values of a data type: from its base data
// type (Number 4, Vector 13, Vector4 12, Color 14, ColorAndAlpha 15, Bool 2,
// Integer 1, Enum 6, Time 7, Action 16); 0 for null.
kPropertyType DataTypeToPropertyType(const KDataType* pDataType);

// Number of registered data types, and each by index (null out of range).
int KDataTypeGetCount();
KDataType* KDataTypeGetAt(int pIndex);

// The process-wide data-type objects, by class. Each DataType is a constant
// pointer, valid during static initialisation.
struct KDataTypeNumber { static KDataType* const DataType; };
struct KDataTypeVector { static KDataType* const DataType; };
struct KDataTypeVector4 { static KDataType* const DataType; };
struct KDataTypeColor { static KDataType* const DataType; };
struct KDataTypeColorAndAlpha { static KDataType* const DataType; };
struct KDataTypeBool { static KDataType* const DataType; };
struct KDataTypeInteger { static KDataType* const DataType; };
struct KDataTypeEnum { static KDataType* const DataType; };
struct KDataTypeTime { static KDataType* const DataType; };
struct KDataTypeAction { static KDataType* const DataType; };

struct KDataTypeLclTranslation { static KDataType* const DataType; };
struct KDataTypeLclRotation { static KDataType* const DataType; };
struct KDataTypeLclScaling { static KDataType* const DataType; };
struct KDataTypeTranslation { static KDataType* const DataType; };
struct KDataTypeRotation { static KDataType* const DataType; };
struct KDataTypeScaling { static KDataType* const DataType; };
struct KDataTypeMatrixRotation { static KDataType* const DataType; };
struct KDataTypeMatrixScaling { static KDataType* const DataType; };
struct KDataTypeScalingUV { static KDataType* const DataType; };
struct KDataTypeVisibility { static KDataType* const DataType; };
struct KDataTypeOcclusion { static KDataType* const DataType; };
struct KDataTypeIKReachTranslation { static KDataType* const DataType; };
struct KDataTypeIKReachRotation { static KDataType* const DataType; };
struct KDataTypeTimeWarp { static KDataType* const DataType; };
struct KDataTypeReal { static KDataType* const DataType; };
struct KDataTypeRoll { static KDataType* const DataType; };
struct KDataTypeFieldOfView { static KDataType* const DataType; };
struct KDataTypeIntensity { static KDataType* const DataType; };
struct KDataTypeConeAngle { static KDataType* const DataType; };
struct KDataTypeFog { static KDataType* const DataType; };
struct KDataTypeShape { static KDataType* const DataType; };

}  // namespace qelsdk_600

#endif
