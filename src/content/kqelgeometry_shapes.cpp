// Shapes of a geometry: names, channels in the takes of its node, and the
// older layout's names.
#include <cstdio>

#include "content/kqelgeometry.h"
#include "content/kqelshape.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelpropertyhandler.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

// Display colours of shape channels, by shape index modulo 20.
const float kShapeChannelColors[20][3] = {
    {1.0f, 0.0f, 0.0f},   {0.0f, 1.0f, 0.0f},    {0.0f, 0.0f, 1.0f},    {1.0f, 1.0f, 0.0f},
    {0.0f, 1.0f, 1.0f},   {1.0f, 0.0f, 1.0f},    {0.47f, 0.0f, 0.0f},   {0.3f, 0.61f, 0.0f},
    {0.51f, 0.75f, 1.0f}, {1.0f, 0.49f, 0.0f},   {0.57f, 0.0f, 1.0f},   {1.0f, 0.78f, 1.0f},
    {0.0f, 0.35f, 0.0f},  {1.0f, 0.98f, 0.61f},  {0.65f, 0.49f, 0.31f}, {0.8f, 0.8f, 0.8f},
    {0.78f, 1.0f, 0.61f}, {1.0f, 0.86f, 0.73f},  {0.37f, 0.0f, 0.37f},  {0.65f, 0.65f, 0.0f},
};

const char kChannelSuffix[] = " (Shape)";

// The root curve node of a take node; null for a null take node.
KFCurveNode* Root(KQelTakeNode* pTakeNode)
{
    return pTakeNode ? pTakeNode->GetKFCurveNode() : nullptr;
}

// The child of pRoot named pName (without regard to case), or null.
KFCurveNode* Child(KFCurveNode* pRoot, const char* pName)
{
    return pRoot->Get(pRoot->Find(pName));
}

}  // namespace

// ---- Shapes ----

KQelShape* KQelGeometry::GetShape(int pIndex)
{
    if (pIndex < 0 || pIndex >= R().mShapes.GetCount()) {
        X().mError.SetLastErrorID(eParameterOutOfRange);
        return nullptr;
    }
    return R().mShapes[pIndex];
}

const char* KQelGeometry::GetShapeName(int pIndex)
{
    if (pIndex < 0 || pIndex >= R().mShapeNames.GetCount()) {
        X().mError.SetLastErrorID(eParameterOutOfRange);
        return nullptr;
    }
    return R().mShapeNames[pIndex]->Buffer();
}

void KQelGeometry::SetShapeName(int pIndex, const KString& pName)
{
    *R().mShapeNames[pIndex] = pName;
}

int KQelGeometry::AddShape(KQelShape* pShape, const char* pName)
{
    if (!pShape) {
        X().mError.SetLastErrorID(eParameterIsNull);
        return -1;
    }
    if (R().mShapes.Find(pShape) >= 0) {
        X().mError.SetLastErrorID(eShapeAlreadyAdded);
        return -1;
    }
    const KString name = KString(pName ? pName : "").UnPad(KString::kBoth);
    if (name.IsEmpty()) {
        X().mError.SetLastErrorID(eShapeNameIsInvalid);
        return -1;
    }
    for (int i = 0; i < R().mShapeNames.GetCount(); ++i) {
        if (*R().mShapeNames[i] == name) {
            X().mError.SetLastErrorID(eShapeNameIsAlreadyUsed);
            return -1;
        }
    }
    const int index = X().mShapes.Add(pShape);
    X().mShapeNames.Add(new KString(name));
    if (GetNode()) {
        CreateShapeChannelProperties(name);
        for (int i = 0; i < GetNodeTakeNodeCount(); ++i)
            AddShapeChannel(GetNodeTakeNode(i), index);
    }
    pShape->SetEntity(GetEntity());
    return index;
}

void KQelGeometry::ClearShape()
{
    // What unbinding and binding the node again would do to the takes.
    for (int i = 0; i < GetNodeTakeNodeCount(); ++i)
        RemoveChannels(GetNodeTakeNode(i));
    if (!mExtra.Get())
        return;
    Extra& extra = X();
    for (int i = 0; i < extra.mShapes.GetCount(); ++i)
        extra.mShapes[i]->UnsetEntity();
    extra.mShapes.Clear();
    DeleteAndClear(extra.mShapeNames);
}

// ---- Shape channels ----

KFCurveNode* KQelGeometry::GetShapeCurveNode(KQelTakeNode* pTakeNode, int pIndex)
{
    if (pIndex < 0) {
        X().mError.SetLastErrorID(eParameterOutOfRange);
        return nullptr;
    }
    if (!pTakeNode) {
        X().mError.SetLastErrorID(eParameterIsNull);
        return nullptr;
    }
    const char* name = GetShapeName(pIndex);
    if (!name || !*name)
        return nullptr;
    return pTakeNode->GetKFCurveNode()->FindRecursive(name);
}

KFCurve* KQelGeometry::GetShapeChannel(KQelTakeNode* pTakeNode, int pIndex)
{
    KFCurveNode* node = GetShapeCurveNode(pTakeNode, pIndex);
    KFCurve* curve = node ? node->FCurveGet() : nullptr;
    if (!curve)
        X().mError.SetLastErrorID(eNoShapeCurveFound);
    return curve;
}

void KQelGeometry::SetDefaultShape(int pIndex, double pWeight)
{
    if (!GetNode())
        return;
    if (KFCurve* curve = GetShapeChannel(GetNodeTakeNode(0), pIndex))
        curve->SetValue(static_cast<float>(pWeight));
}

double KQelGeometry::GetDefaultShape(int pIndex)
{
    if (!GetNode())
        return 0.0;
    KFCurve* curve = GetShapeChannel(GetNodeTakeNode(0), pIndex);
    return curve ? curve->GetValue() : 0.0;
}

bool KQelGeometry::AddShapeChannel(KQelTakeNode* pTakeNode, int pIndex)
{
    KFCurveNode* root = Root(pTakeNode);
    const char* name = GetShapeName(pIndex);
    if (!root || !name || !*name)
        return false;
    KFCurveNode* channel = root->FindOrCreate(name, true);
    if (!channel || !channel->FCurveGet())
        return false;
    channel->FCurveGet()->SetColor(kShapeChannelColors[pIndex % 20]);
    return true;
}

bool KQelGeometry::RemoveShapeChannel(KQelTakeNode* pTakeNode, int pIndex)
{
    KFCurveNode* root = Root(pTakeNode);
    const char* name = GetShapeName(pIndex);
    if (!root || !name)
        return false;
    const int child = root->Find(name);
    if (child < 0)
        return false;
    root->Delete(child);
    return true;
}

void KQelGeometry::CleanShapeChannels(KQelTakeNode* pTakeNode)
{
    if (!GetNode())
        return;
    for (int i = 0; i < R().mShapes.GetCount(); ++i)
        CleanShapeChannel(pTakeNode, i);
}

void KQelGeometry::CleanShapeChannel(KQelTakeNode* pTakeNode, int pIndex)
{
    KFCurveNode* root = Root(pTakeNode);
    const char* name = GetShapeName(pIndex);
    if (GetAttributeType() == eMesh || !root || !name)
        return;
    KFCurveNode* old = Child(root, CreateShapeChannelName(KString(name)));
    if (!old)
        old = Child(root, CreateShapeChannelName(pIndex));
    if (!old)
        return;
    KFCurveNode* current = Child(root, name);
    if (current && current != old) {
        current->CopyFrom(old, true);
        root->Delete(old);
    }
}

KString KQelGeometry::CreateShapeChannelName(int pIndex)
{
    if (pIndex < 0)
        return KString();
    char text[32];
    std::snprintf(text, sizeof(text), "Shape %02lld%s", static_cast<long long>(pIndex) + 1, kChannelSuffix);
    return KString(text);
}

KString KQelGeometry::CreateShapeChannelName(const KString& pName)
{
    KString name = pName.UnPad(KString::kRight);
    const int suffix = static_cast<int>(sizeof(kChannelSuffix)) - 1;
    if (name.GetLen() < suffix || name.Right(static_cast<unsigned int>(suffix)) != kChannelSuffix)
        name += kChannelSuffix;
    return name;
}

void KQelGeometry::CreateShapeChannelProperties(const KString& pName)
{
    KQelPropertyHandler* handler = GetNodePropertyHandler();
    if (handler && !handler->FindPropertyByName(pName.Buffer()))
        AddAnimatedProperty(*handler, pName.Buffer(), "Shape");
}

// ---- Older file layout ----

void KQelGeometry::ConvertShapeNamesToV5Format(KQelTakeNode* pTakeNode)
{
    if (!GetNode())
        return;
    for (int i = 0; i < R().mShapes.GetCount(); ++i)
        ConvertShapeNamesToV5Format(pTakeNode, i);
}

void KQelGeometry::RevertShapeNamesToV6Format(KQelTakeNode* pTakeNode)
{
    if (!GetNode())
        return;
    for (int i = 0; i < R().mShapes.GetCount(); ++i)
        RevertShapeNamesToV6Format(pTakeNode, i);
}

void KQelGeometry::StoreTemporaryName(KArrayTemplate<KString*>& pList, int pIndex, const KString& pName)
{
    if (pIndex < pList.GetCount())
        *pList[pIndex] = pName;
    else
        pList.Add(new KString(pName));
}

void KQelGeometry::ConvertShapeNamesToV5Format(KQelTakeNode* pTakeNode, int pIndex)
{
    KFCurveNode* root = Root(pTakeNode);
    if (!root || pIndex < 0 || pIndex >= R().mShapeNames.GetCount())
        return;
    // The first take node of a pass remembers the names; the later ones
    // find the shapes already renamed.
    const KString v6 = pIndex < R().mV6ShapeNames.GetCount() ? *R().mV6ShapeNames[pIndex] : *R().mShapeNames[pIndex];
    KString v5Shape;
    KString v5Channel;
    if (GetAttributeType() == eMesh) {
        v5Shape = v6;
        v5Channel = CreateShapeChannelName(v6);
    } else {
        char text[32];
        std::snprintf(text, sizeof(text), "Shape %02d", pIndex + 1);
        v5Shape = text;
        v5Channel = CreateShapeChannelName(pIndex);
    }
    StoreTemporaryName(X().mV6ShapeNames, pIndex, v6);
    StoreTemporaryName(X().mV5ShapeNames, pIndex, v5Shape);
    StoreTemporaryName(X().mV5ChannelNames, pIndex, v5Channel);
    SetShapeName(pIndex, v5Shape);
    RenameChannel(root, v6, v5Channel);
}

void KQelGeometry::RevertShapeNamesToV6Format(KQelTakeNode* pTakeNode, int pIndex)
{
    KFCurveNode* root = Root(pTakeNode);
    if (!root || pIndex < 0 || pIndex >= R().mShapeNames.GetCount() || pIndex >= R().mV6ShapeNames.GetCount() ||
        pIndex >= R().mV5ShapeNames.GetCount() || pIndex >= R().mV5ChannelNames.GetCount())
        return;
    SetShapeName(pIndex, *R().mV6ShapeNames[pIndex]);
    RenameChannel(root, *R().mV5ChannelNames[pIndex], *R().mV6ShapeNames[pIndex]);
}

void KQelGeometry::RenameChannel(KFCurveNode* pRoot, const char* pOldName, const char* pNewName)
{
    const int index = pRoot->Find(pOldName);
    if (index < 0)
        return;
    KFCurveNode* renamed = KFCurveNodeCreate(pNewName, static_cast<KDataType*>(nullptr), 0, 0);
    renamed->CopyFrom(pRoot->Get(index), false);
    pRoot->Delete(index);
    pRoot->Add(renamed);
}

void KQelGeometry::ClearTemporaryShapeNames()
{
    if (!mExtra.Get())
        return;
    DeleteAndClear(X().mV6ShapeNames);
    DeleteAndClear(X().mV5ShapeNames);
    DeleteAndClear(X().mV5ChannelNames);
}

}  // namespace qelsdk_600
