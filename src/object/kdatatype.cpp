#include "object/kdatatype.h"

#include <cstring>

#include "base/ktime.h"
#include "math/kgevector.h"
#include "math/kqelvector.h"

namespace qelsdk_600 {

namespace {

// Constant-initialised objects: no static initialiser has to run first.
constexpr int kDoubleSize = static_cast<int>(sizeof(double));

KDataType gNumber("Number", nullptr, kPropertyDouble, 1, kDoubleSize);
KDataType gVector("Vector", nullptr, kPropertyVector3D, 3, static_cast<int>(sizeof(KgeTVector)));
KDataType gVector4("Vector4", nullptr, kPropertyVector4D, 4, static_cast<int>(sizeof(KQelVector4)));
KDataType gColor("Color", nullptr, kPropertyColorRGB, 3, static_cast<int>(sizeof(KgeRGBVector)));
KDataType gColorAndAlpha("ColorAndAlpha", nullptr, kPropertyColorRGBA, 4,
                         static_cast<int>(sizeof(KQelVector4)));
KDataType gBool("Bool", nullptr, kPropertyBool, 1, static_cast<int>(sizeof(bool)));
KDataType gInteger("Integer", nullptr, kPropertyInt, 1, static_cast<int>(sizeof(int)));
KDataType gEnum("Enum", nullptr, kPropertyEnum, 1, static_cast<int>(sizeof(int)));
KDataType gTime("Time", nullptr, kPropertyTime, 1, static_cast<int>(sizeof(KTime)));
KDataType gAction("Action", nullptr, kPropertyAction, 1, static_cast<int>(sizeof(bool)));

// Derived data types: the member count and size are those of the base.
#define QEL_DERIVED(var, name, base) \
    KDataType var(name, &base, kPropertyUnknown, 0, 0)

QEL_DERIVED(gLclTranslation, "Lcl Translation", gVector);
QEL_DERIVED(gLclRotation, "Lcl Rotation", gVector);
QEL_DERIVED(gLclScaling, "Lcl Scaling", gVector);
QEL_DERIVED(gTranslation, "Translation", gVector);
QEL_DERIVED(gRotation, "Rotation", gVector);
QEL_DERIVED(gScaling, "Scaling", gVector);
QEL_DERIVED(gMatrixRotation, "MatrixRotation", gVector);
QEL_DERIVED(gMatrixScaling, "MatrixScaling", gVector);
QEL_DERIVED(gScalingUV, "ScalingUV", gVector);
QEL_DERIVED(gVisibility, "Visibility", gNumber);
QEL_DERIVED(gOcclusion, "Occlusion", gNumber);
QEL_DERIVED(gIKReachTranslation, "IK Reach Translation", gNumber);
QEL_DERIVED(gIKReachRotation, "IK Reach Rotation", gNumber);
QEL_DERIVED(gTimeWarp, "TimeWarp", gNumber);
QEL_DERIVED(gReal, "Real", gNumber);
QEL_DERIVED(gRoll, "Roll", gNumber);
QEL_DERIVED(gFieldOfView, "FieldOfView", gNumber);
QEL_DERIVED(gIntensity, "Intensity", gNumber);
QEL_DERIVED(gConeAngle, "Cone angle", gNumber);
QEL_DERIVED(gFog, "Fog", gNumber);
QEL_DERIVED(gShape, "Shape", gNumber);

#undef QEL_DERIVED

KDataType* const kAllDataTypes[] = {
    &gNumber, &gVector, &gVector4, &gColor, &gColorAndAlpha, &gBool, &gInteger, &gEnum, &gTime,
    &gAction, &gLclTranslation, &gLclRotation, &gLclScaling, &gTranslation, &gRotation, &gScaling,
    &gMatrixRotation, &gMatrixScaling, &gScalingUV, &gVisibility, &gOcclusion, &gIKReachTranslation,
    &gIKReachRotation, &gTimeWarp, &gReal, &gRoll, &gFieldOfView, &gIntensity, &gConeAngle, &gFog,
    &gShape};

constexpr int kDataTypeCount = static_cast<int>(sizeof(kAllDataTypes) / sizeof(kAllDataTypes[0]));

const KDataType* Root(const KDataType* pDataType)
{
    while (pDataType->GetBase())
        pDataType = pDataType->GetBase();
    return pDataType;
}

}  // namespace

KDataType* const KDataTypeNumber::DataType = &gNumber;
KDataType* const KDataTypeVector::DataType = &gVector;
KDataType* const KDataTypeVector4::DataType = &gVector4;
KDataType* const KDataTypeColor::DataType = &gColor;
KDataType* const KDataTypeColorAndAlpha::DataType = &gColorAndAlpha;
KDataType* const KDataTypeBool::DataType = &gBool;
KDataType* const KDataTypeInteger::DataType = &gInteger;
KDataType* const KDataTypeEnum::DataType = &gEnum;
KDataType* const KDataTypeTime::DataType = &gTime;
KDataType* const KDataTypeAction::DataType = &gAction;
KDataType* const KDataTypeLclTranslation::DataType = &gLclTranslation;
KDataType* const KDataTypeLclRotation::DataType = &gLclRotation;
KDataType* const KDataTypeLclScaling::DataType = &gLclScaling;
KDataType* const KDataTypeTranslation::DataType = &gTranslation;
KDataType* const KDataTypeRotation::DataType = &gRotation;
KDataType* const KDataTypeScaling::DataType = &gScaling;
KDataType* const KDataTypeMatrixRotation::DataType = &gMatrixRotation;
KDataType* const KDataTypeMatrixScaling::DataType = &gMatrixScaling;
KDataType* const KDataTypeScalingUV::DataType = &gScalingUV;
KDataType* const KDataTypeVisibility::DataType = &gVisibility;
KDataType* const KDataTypeOcclusion::DataType = &gOcclusion;
KDataType* const KDataTypeIKReachTranslation::DataType = &gIKReachTranslation;
KDataType* const KDataTypeIKReachRotation::DataType = &gIKReachRotation;
KDataType* const KDataTypeTimeWarp::DataType = &gTimeWarp;
KDataType* const KDataTypeReal::DataType = &gReal;
KDataType* const KDataTypeRoll::DataType = &gRoll;
KDataType* const KDataTypeFieldOfView::DataType = &gFieldOfView;
KDataType* const KDataTypeIntensity::DataType = &gIntensity;
KDataType* const KDataTypeConeAngle::DataType = &gConeAngle;
KDataType* const KDataTypeFog::DataType = &gFog;
KDataType* const KDataTypeShape::DataType = &gShape;

bool KDataType::Is(const KDataType* pOther) const
{
    for (const KDataType* type = this; type; type = type->mBase) {
        if (type == pOther)
            return true;
    }
    return false;
}

KDataType* KDataTypeGet(const char* pName)
{
    if (!pName)
        return nullptr;
    // A few dozen short names: a scan is as fast as any index here.
    for (KDataType* type : kAllDataTypes) {
        if (std::strcmp(type->GetName(), pName) == 0)
            return type;
    }
    return nullptr;
}

kPropertyType DataTypeToPropertyType(const KDataType* pDataType)
{
    return pDataType ? Root(pDataType)->mPropertyType : kPropertyUnknown;
}

int KDataTypeGetCount()
{
    return kDataTypeCount;
}

KDataType* KDataTypeGetAt(int pIndex)
{
    return pIndex >= 0 && pIndex < kDataTypeCount ? kAllDataTypes[pIndex] : nullptr;
}

}  // namespace qelsdk_600
