// Curve node trees in the native file: one "Channel" field per node with a
// block holding its time warp, curve, children and layers.
#include <cstring>

#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvesettings.h"
#include "file/kqel.h"
#include "object/kdatatype.h"

namespace qelsdk_600 {

namespace {

void WriteIntField(KQel* qel, const char* name, int value)
{
    qel->FieldWriteBegin(name);
    qel->FieldWriteI(value);
    qel->FieldWriteEnd();
}

bool IsExactly(const char* name, const char* text) { return std::strcmp(name, text) == 0; }

}  // namespace

bool KFCurveNode::QelStore(KQel* qel, bool onlyDefaults, bool shortNames, bool skipUserName, const char* fieldName,
                           bool withColor, bool beforeV6)
{
    if (!qel)
        return false;
    const char* name = GetName();
    if (shortNames) {
        KDataType* dataType = GetDataType();
        if (dataType == KDataTypeLclTranslation::DataType)
            name = "T";
        else if (dataType == KDataTypeLclRotation::DataType)
            name = "R";
        else if (dataType == KDataTypeLclScaling::DataType)
            name = "S";
    }
    qel->FieldWriteBegin(fieldName ? fieldName : "Channel");
    qel->FieldWriteC(name);
    qel->FieldWriteBlockBegin();

    if (!skipUserName && KString(GetTimeWarpName()) != KString(GetName())) {
        qel->FieldWriteBegin("UserName");
        qel->FieldWriteC(GetTimeWarpName());
        qel->FieldWriteEnd();
    }
    int number = 0;
    if (mTimeWarp && KFCurve_FindNickNumberFromTW(number, mTimeWarp))
        WriteIntField(qel, "TimeWarpID", number);
    if (mFCurve)
        mFCurve->QelStore(qel, onlyDefaults, withColor, beforeV6);
    for (int i = 0, n = GetCount(); i < n; ++i)
        Get(i)->QelStore(qel, onlyDefaults, shortNames, skipUserName, "Channel", withColor, beforeV6);
    if (mLayerID != 0)
        WriteIntField(qel, "LayerID", mLayerID);
    if (mLayerType != 0)
        WriteIntField(qel, "LayerType", mLayerType);
    if (mLayer && !onlyDefaults)
        mLayer->QelStore(qel, false, shortNames, skipUserName, "LayerChannel", false, beforeV6);

    qel->FieldWriteBlockEnd();
    qel->FieldWriteEnd();
    return false;
}

KFCurveNode* KFCurveNode::MatchChannel(const KString& name) const
{
    if (name.GetLen() == 1) {
        KDataType* shortType = nullptr;
        if (name == "T")
            shortType = KDataTypeLclTranslation::DataType;
        else if (name == "R")
            shortType = KDataTypeLclRotation::DataType;
        else if (name == "S")
            shortType = KDataTypeLclScaling::DataType;
        if (shortType)
            if (KFCurveNode* found = Find(shortType))
                return found;
    }
    const int index = Find(name.Buffer());
    if (index >= 0)
        return Get(index);
    // "Lcl Rotation (3)" names the child "Lcl Rotation": cut before the
    // first '(' and up to two blanks before it.
    const int parenthesis = name.Find('(');
    if (parenthesis < 0)
        return nullptr;
    int end = parenthesis;
    for (int blanks = 0; blanks < 2 && end > 0 && name[static_cast<unsigned int>(end - 1)] == ' '; ++blanks)
        --end;
    const KString shorter = name.Left(static_cast<unsigned int>(end));
    const int shortIndex = Find(shorter.Buffer());
    return shortIndex >= 0 ? Get(shortIndex) : nullptr;
}

KFCurveNode* KFCurveNode::ReadChannel(KQel* qel, KFCurveNode* templateNode, bool onlyDefaults, bool create,
                                      bool withColor, int depth)
{
    if (!qel)
        return nullptr;
    // Unreadable channels are skipped in this loop rather than by recursion,
    // so a run of them costs no stack.
    while (qel->FieldReadBegin("Channel")) {
        const KString name(qel->FieldReadC());
        if (depth >= kMaxReadDepth) {
            qel->FieldReadEnd();
            continue;
        }
        KFCurveNode* node = templateNode ? templateNode->MatchChannel(name) : nullptr;
        if (!node) {
            if (templateNode && templateNode->mFCurve) {
                qel->FieldReadEnd();
                withColor = false;
                continue;
            }
            if (!create) {
                qel->FieldReadEnd();
                withColor = false;
                continue;
            }
            node = new KFCurveNode(name.Buffer(), name.Buffer(), nullptr, 0, 0);
            if (templateNode)
                templateNode->Add(node);
        }
        node->QelInternalRetrieveDepth(qel, onlyDefaults, create, withColor, depth);
        qel->FieldReadEnd();

        if (node->mLayerID > 0 && templateNode && templateNode->mObjectLayer) {
            KFCurveNode* base = templateNode->mObjectLayer;
            const int index = base->Find(name.Buffer());
            if (KFCurveNode* counterpart = base->Get(index)) {
                if (counterpart != node) {
                    node->mObjectLayer = counterpart;
                    node->SetNameInfo(counterpart->mNameInfo);
                }
            }
        }
        return node;
    }
    return nullptr;
}

KFCurveNode* KFCurveNode::ReadLayer(KQel* qel, KFCurveNode* node, bool onlyDefaults, int depth)
{
    if (!qel || !node || !qel->FieldReadBegin("LayerChannel"))
        return nullptr;
    if (depth >= kMaxReadDepth) {
        qel->FieldReadEnd();
        return nullptr;
    }
    KFCurveNode* layer = new KFCurveNode(node);
    // The file's chain replaces any chain the node had; dropping the old one
    // without destroying it would lose it.
    node->LayerSet(layer, true);
    layer->mObjectLayer = node->mObjectLayer;
    layer->QelInternalRetrieveDepth(qel, onlyDefaults, true, false, depth);
    qel->FieldReadEnd();
    return layer;
}

KFCurveNode* KFCurveNodeCreate(KQel* qel, KFCurveNode* templateNode, bool onlyDefaults, bool create, bool withColor)
{
    return KFCurveNode::ReadChannel(qel, templateNode, onlyDefaults, create, withColor, 0);
}

KFCurveNode* KFCurveNodeCreate(KQel* qel, bool onlyDefaults, bool withColor)
{
    return KFCurveNode::ReadChannel(qel, nullptr, onlyDefaults, true, withColor, 0);
}

KFCurveNode* KFCurveNodeLayerCreate(KQel* qel, KFCurveNode* node, bool onlyDefaults)
{
    return KFCurveNode::ReadLayer(qel, node, onlyDefaults, 0);
}

bool KFCurveNode::QelRetrieve(KQel* qel, bool onlyDefaults, bool create, bool withColor)
{
    if (!qel || !qel->FieldReadBegin("Channel"))
        return false;
    const KString name(qel->FieldReadC());
    mNameInfo->mName = name;
    mNameInfo->mTimeWarpName = name;
    QelInternalRetrieveDepth(qel, onlyDefaults, create, withColor, 0);
    qel->FieldReadEnd();
    return false;
}

bool KFCurveNode::QelInternalRetrieve(KQel* qel, bool onlyDefaults, bool create, bool withColor)
{
    return QelInternalRetrieveDepth(qel, onlyDefaults, create, withColor, 0);
}

bool KFCurveNode::QelInternalRetrieveDepth(KQel* qel, bool onlyDefaults, bool create, bool withColor, int depth)
{
    if (!qel)
        return false;
    if (qel->FieldReadBlockBegin()) {
        const char* userName = qel->FieldReadC("UserName", "");
        if (userName && *userName)
            SetTimeWarpName(userName);

        if (mFCurve) {
            KFCurveCreate(qel, mFCurve, onlyDefaults, withColor);
        } else if (KFCurve* curve = KFCurveCreate(qel, onlyDefaults, withColor)) {
            if (GetCount() > 0)
                curve->Destroy();
            else
                FCurveSet(curve, false);
        }

        mLayerID = qel->FieldReadI("LayerID", 0);
        const int layerType = qel->FieldReadI("LayerType", 0);
        // Types outside the five known ones would combine as nothing
        // sensible: they read as none.
        SetLayerType(layerType >= 0 && layerType <= kFCurveNodeLayerQuaternionRotation ? layerType : 0, nullptr);

        while (ReadChannel(qel, this, onlyDefaults, create, withColor, depth + 1)) {
        }
        ReadLayer(qel, this, onlyDefaults, depth + 1);

        const int timeWarpID = qel->FieldReadI("TimeWarpID", 0);
        if (timeWarpID != 0) {
            if (KFCurveNode* timeWarp = KFCurve_FindTWFromNickNumber(timeWarpID)) {
                const char* ownName = mNameInfo->mName.Buffer();
                const bool axis = IsExactly(ownName, "X") || IsExactly(ownName, "Y") || IsExactly(ownName, "Z");
                KFCurveNode* target = (mParent && mLayerID == 0 && axis) ? mParent : this;
                target->TimeWarpSet(timeWarp);
            }
        }
        qel->FieldReadBlockEnd();
    }
    ApplyStoredLayerTypeRules(qel);
    return false;
}

void KFCurveNode::ApplyStoredLayerTypeRules(KQel* qel)
{
    const char* name = GetName();
    KDataType* dataType = GetDataType();
    if (dataType == KDataTypeLclRotation::DataType || IsExactly(name, "R")) {
        if (GetCount() == 3)
            SetLayerType(kFCurveNodeLayerEulerRotation, nullptr);
        else if (mLayerType == kFCurveNodeLayerEulerRotation)
            mLayerType = 0;
    }
    if (dataType == KDataTypeLclTranslation::DataType || IsExactly(name, "T") || std::strstr(name, "Translation"))
        SetLayerType(kFCurveNodeLayerAdditive, nullptr);
    if (dataType == KDataTypeLclScaling::DataType || IsExactly(name, "S") || std::strstr(name, "Scaling"))
        SetLayerType(kFCurveNodeLayerMultiplicative, nullptr);

    // Files of section version 4000 kept layer types only on the nodes
    // stored under the short names.
    if (mLayerType != 0 && qel->ProjectGetSectionVersion(qel->ProjectGetCurrentSection()) == 4000) {
        struct Rule {
            char letter;
            const char* shortName;
            KDataType* dataType;
        };
        const Rule rules[3] = {{'R', "R", KDataTypeLclRotation::DataType},
                               {'T', "T", KDataTypeLclTranslation::DataType},
                               {'S', "S", KDataTypeLclScaling::DataType}};
        for (const Rule& rule : rules) {
            if (std::strchr(name, rule.letter) && !IsExactly(name, rule.shortName) && dataType == rule.dataType) {
                SetLayerType(0, nullptr);
                break;
            }
        }
    }
}

}  // namespace qelsdk_600
