// Node limits and pivots blocks of the older layout: "Limits" written and
// read through the limits utility, "Pivots" read into both pivot sets.
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

namespace {

using native_detail::ReadBlock;
using native_detail::WriteBlock;
using native_detail::WriteFieldD;
using native_detail::WriteFieldI;
typedef KQelLimitsUtilities::ELimitType ELimitType;

const ELimitType kLimitTypes[] = {KQelLimitsUtilities::eTranslation, KQelLimitsUtilities::eRotation,
                                  KQelLimitsUtilities::eScaling};
// The neutral component of each limit type (the reader's default, which the
// writer leaves out).
const double kLimitNeutral[] = {0.0, 0.0, 1.0};
const char* const kAutoFields[] = {"TAuto", "RAuto", "SAuto"};
const char* const kEnableFields[] = {"TEnable", "REnable", "SEnable"};

// The three vectors of a limit type, in the block's order.
enum LimitVector { eDefault, eMin, eMax };
const LimitVector kLimitVectors[] = {eDefault, eMin, eMax};
// Field of each component: by vector, limit type and axis.
const char* const kComponentFields[3][3][3] = {
    {{"TXDefault", "TYDefault", "TZDefault"},
     {"RXDefault", "RYDefault", "RZDefault"},
     {"SXDefault", "SYDefault", "SZDefault"}},
    {{"TXMin", "TYMin", "TZMin"}, {"RXMin", "RYMin", "RZMin"}, {"SXMin", "SYMin", "SZMin"}},
    {{"TXMax", "TYMax", "TZMax"}, {"RXMax", "RYMax", "RZMax"}, {"SXMax", "SYMax", "SZMax"}},
};

KQelVector4 GetVector(const KQelLimitsUtilities& pLimits, LimitVector pVector, ELimitType pType)
{
    switch (pVector) {
    case eDefault:
        return pLimits.GetDefault(pType);
    case eMin:
        return pLimits.GetMin(pType);
    default:
        return pLimits.GetMax(pType);
    }
}

void SetVector(KQelLimitsUtilities& pLimits, LimitVector pVector, ELimitType pType, const KQelVector4& pValue)
{
    switch (pVector) {
    case eDefault:
        pLimits.SetDefault(pType, pValue);
        break;
    case eMin:
        pLimits.SetMin(pType, pValue);
        break;
    default:
        pLimits.SetMax(pType, pValue);
        break;
    }
}

// The rotation axis fields.
const char* const kAxisFields[] = {"RXAxis", "RYAxis", "RZAxis"};

// The pivot vectors of a "Package" or "File" block.
struct PivotField {
    const char* mName;
    KQelVector4 (KQelNode::*mGet)(KQelNode::EPivotSet) const;
    void (KQelNode::*mSet)(KQelNode::EPivotSet, KQelVector4);
};
const PivotField kPivotFields[] = {
    {"TranslationOffset", &KQelNode::GetRotationOffset, &KQelNode::SetRotationOffset},
    {"RotationPivot", &KQelNode::GetRotationPivot, &KQelNode::SetRotationPivot},
    {"PreRotation", &KQelNode::GetPreRotation, &KQelNode::SetPreRotation},
    {"PostRotation", &KQelNode::GetPostRotation, &KQelNode::SetPostRotation},
    {"ScalingPivot", &KQelNode::GetScalingPivot, &KQelNode::SetScalingPivot},
};

void ReadPivotSet(KQel& pFile, KQelNode& pNode, const char* pBlock, KQelNode::EPivotSet pSet)
{
    ReadBlock block(pFile, pBlock);
    if (!block.IsOpen())
        return;
    if (pFile.FieldReadBegin("PivotEnabled")) {
        pNode.SetPivotState(pSet, pFile.FieldReadI() != 0 ? KQelNode::ePivotActive : KQelNode::ePivotReference);
        pFile.FieldReadEnd();
    }
    for (const PivotField& field : kPivotFields) {
        // Only x, y and z are stored: w keeps the node's own value.
        KQelVector4 value = (pNode.*field.mGet)(pSet);
        if (pFile.FieldGetInstanceCount(field.mName) == 0)
            continue;
        pFile.FieldReadDn(field.mName, &value[0], nullptr, 3);
        (pNode.*field.mSet)(pSet, value);
    }
}

}  // namespace

bool KQelWriterQel::WriteKQelNodeLimits(KQelNode& pNode)
{
    KQel& file = File();
    KQelLimitsUtilities limits(&pNode.GetLimits());
    bool automatic[3];
    for (int t = 0; t < 3; ++t)
        automatic[t] = limits.GetAuto(kLimitTypes[t]);
    WriteBlock block(file, "Limits");
    for (int t = 0; t < 3; ++t)
        WriteFieldI(file, kAutoFields[t], automatic[t] ? 1 : 0);
    for (int t = 0; t < 3; ++t) {
        if (!automatic[t])
            WriteFieldI(file, kEnableFields[t], limits.GetEnable(kLimitTypes[t]) ? 1 : 0);
    }
    for (LimitVector vector : kLimitVectors) {
        for (int t = 0; t < 3; ++t) {
            if (automatic[t])
                continue;
            const KQelVector4 value = GetVector(limits, vector, kLimitTypes[t]);
            for (int axis = 0; axis < 3; ++axis) {
                if (value[axis] != kLimitNeutral[t])
                    WriteFieldD(file, kComponentFields[vector][t][axis], value[axis]);
            }
        }
    }
    if (automatic[1])
        return true;
    if (limits.GetRotationType() != KQelLimitsUtilities::eEulerRotation)
        WriteFieldI(file, "RType", limits.GetRotationType());
    if (limits.GetRotationClampType() != KQelLimitsUtilities::eRectangularClamp)
        WriteFieldI(file, "RClampType", limits.GetRotationClampType());
    const KQelVector4 axis = limits.GetRotationAxis();
    for (int i = 0; i < 3; ++i) {
        if (axis[i] != 0.0)
            WriteFieldD(file, kAxisFields[i], axis[i]);
    }
    if (limits.GetAxisLength() != 1.0)
        WriteFieldD(file, "AxisLen", limits.GetAxisLength());
    return true;
}

bool KQelReaderQel::ReadKQelNodeLimits(KQelNode& pNode)
{
    KQel& file = File();
    ReadBlock block(file, "Limits");
    if (!block.IsOpen())
        return true;
    KQelLimitsUtilities limits(&pNode.GetLimits());
    bool automatic[3];
    bool enable[3];
    KQelVector4 vectors[3][3];  // by vector, then type
    for (int t = 0; t < 3; ++t) {
        automatic[t] = file.FieldReadI(kAutoFields[t], 1) != 0;
        enable[t] = file.FieldReadI(kEnableFields[t], 0) != 0;
    }
    for (LimitVector vector : kLimitVectors) {
        for (int t = 0; t < 3; ++t) {
            for (int axis = 0; axis < 3; ++axis)
                vectors[vector][t][axis] = file.FieldReadD(kComponentFields[vector][t][axis], kLimitNeutral[t]);
        }
    }
    // Only the two rotation types and clamp types exist; another number
    // counts as absent.
    int rotationType = file.FieldReadI("RType", KQelLimitsUtilities::eEulerRotation);
    if (rotationType != KQelLimitsUtilities::eSphericRotation)
        rotationType = KQelLimitsUtilities::eEulerRotation;
    int clampType = file.FieldReadI("RClampType", KQelLimitsUtilities::eRectangularClamp);
    if (clampType != KQelLimitsUtilities::eEllipsoidClamp)
        clampType = KQelLimitsUtilities::eRectangularClamp;
    KQelVector4 axis;
    for (int i = 0; i < 3; ++i)
        axis[i] = file.FieldReadD(kAxisFields[i], 0.0);
    const double length = file.FieldReadD("AxisLen", 1.0);

    for (int t = 0; t < 3; ++t)
        limits.SetAuto(kLimitTypes[t], automatic[t]);
    for (int t = 0; t < 3; ++t)
        limits.SetEnable(kLimitTypes[t], enable[t]);
    for (LimitVector vector : kLimitVectors) {
        for (int t = 0; t < 3; ++t)
            SetVector(limits, vector, kLimitTypes[t], vectors[vector][t]);
    }
    limits.SetRotationType(static_cast<KQelLimitsUtilities::ERotationType>(rotationType));
    limits.SetRotationClampType(static_cast<KQelLimitsUtilities::ERotationClampType>(clampType));
    limits.SetRotationAxis(axis);
    limits.SetAxisLength(length);
    return true;
}

bool KQelReaderQel::ReadKQelNodePivots(KQelNode& pNode)
{
    KQel& file = File();
    ReadBlock block(file, "Pivots");
    if (!block.IsOpen())
        return true;
    ReadPivotSet(file, pNode, "Package", KQelNode::eSourcePivot);
    ReadPivotSet(file, pNode, "File", KQelNode::eDestinationPivot);
    return true;
}

}  // namespace qelsdk_600
