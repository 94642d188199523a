#include "content/kqelgeometry.h"

#include <cmath>

#include "content/kqellink.h"
#include "content/kqelshape.h"
#include "math/kmfunctions.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

const char* const kGeometryErrors[] = {
    "Parameter out of range.", "Parameter is NULL.",   "Material not found.",      "Material already added.",
    "Texture not found.",      "Texture already added.", "Shape already added.", "Shape name is invalid.",
    "Shape name is already used.", "No shape curve found.",
};
static_assert(sizeof(kGeometryErrors) / sizeof(kGeometryErrors[0]) == KQelGeometry::eErrorCount,
              "one text per error id");

}  // namespace

KQelGeometry::KQelGeometry(KQelSdkManager& pManager)
    : KQelGeometryBase(pManager)
{
}

KQelGeometry::Extra::Extra() : mError(kGeometryErrors, eErrorCount)
{
    mPivot.SetIdentity();
}


KQelGeometry::~KQelGeometry()
{
    DestroyLinks();
    DestroyShapes();
    if (mExtra.Get())
        DeleteAndClear(X().mShapeNames);
    // Left over by an older-layout pass that never reverted.
    ClearTemporaryShapeNames();
}

void KQelGeometry::DestroyLinks()
{
    if (!mExtra.Get())
        return;
    KArrayTemplate<KQelLink*> links = X().mLinks;
    X().mLinks.Clear();
    for (int i = 0; i < links.GetCount(); ++i)
        GetKQelSdkManager().DestroyKQelLink(links[i]);
}

void KQelGeometry::DestroyShapes()
{
    if (!mExtra.Get())
        return;
    KArrayTemplate<KQelShape*> shapes = X().mShapes;
    X().mShapes.Clear();
    for (int i = 0; i < shapes.GetCount(); ++i)
        GetKQelSdkManager().DestroyKQelShape(shapes[i]);
}

// ---- Node binding ----

void KQelGeometry::SetNode(KQelNode& pNode)
{
    KQelNodeAttribute::SetNode(pNode);
    KQelEntity* entity = GetNodeEntity();
    for (int i = 0; i < R().mShapes.GetCount(); ++i) {
        R().mShapes[i]->SetEntity(entity);
        CreateShapeChannelProperties(*R().mShapeNames[i]);
    }
    SetEntity(entity);
}

void KQelGeometry::UnsetNode()
{
    UnsetEntity();
    for (int i = 0; i < R().mShapes.GetCount(); ++i)
        R().mShapes[i]->UnsetEntity();
    KQelNodeAttribute::UnsetNode();
}

void KQelGeometry::AddChannels(KQelTakeNode* pTakeNode)
{
    KQelNodeAttribute::AddChannels(pTakeNode);
    for (int i = 0; i < R().mShapes.GetCount(); ++i)
        AddShapeChannel(pTakeNode, i);
}

void KQelGeometry::RemoveChannels(KQelTakeNode* pTakeNode)
{
    for (int i = 0; i < R().mShapes.GetCount(); ++i)
        RemoveShapeChannel(pTakeNode, i);
    KQelNodeAttribute::RemoveChannels(pTakeNode);
}

// ---- Links ----

KQelLink* KQelGeometry::GetLink(int pIndex)
{
    if (pIndex < 0 || pIndex >= R().mLinks.GetCount()) {
        X().mError.SetLastErrorID(eParameterOutOfRange);
        return nullptr;
    }
    return R().mLinks[pIndex];
}

int KQelGeometry::AddLink(KQelLink* pLink)
{
    if (!pLink)
        return -1;
    // A link listed twice would be copied twice and split twice.
    const int index = R().mLinks.Find(pLink);
    return index >= 0 ? index : X().mLinks.Add(pLink);
}

KQelLink* KQelGeometry::RemoveLink(int pIndex)
{
    KQelLink* link = GetLink(pIndex);
    if (link)
        X().mLinks.RemoveAt(pIndex);
    return link;
}

void KQelGeometry::ClearLink()
{
    if (mExtra.Get())
        X().mLinks.Clear();
}

// ---- Pivot ----

void KQelGeometry::CopyPivot(const KQelGeometry* pOther)
{
    if (pOther && (mExtra.Get() || pOther->mExtra.Get()))
        X().mPivot = pOther->R().mPivot;
}

void KQelGeometry::ApplyPivot()
{
    const double* m = R().mPivot;
    for (int i = 0; i < GetControlPointsCount(); ++i) {
        KQelVector4& point = ControlPoints()[i];
        const double x = point[0], y = point[1], z = point[2];
        point[0] = m[0] * x + m[4] * y + m[8] * z + m[12];
        point[1] = m[1] * x + m[5] * y + m[9] * z + m[13];
        point[2] = m[2] * x + m[6] * y + m[10] * z + m[14];
    }

    KQelLayerElementNormal* normals = GetLayer0Normals();
    if (!normals)
        return;
    // The rotation left once the scaling, and a mirror, are divided out.
    double rows[4][4] = {};
    double length[3];
    for (int r = 0; r < 3; ++r) {
        length[r] = std::sqrt(m[4 * r] * m[4 * r] + m[4 * r + 1] * m[4 * r + 1] + m[4 * r + 2] * m[4 * r + 2]);
        if (length[r] == 0.0)
            return;  // no rotation to speak of: the normals stay
    }
    const double determinant = m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
                               m[2] * (m[4] * m[9] - m[5] * m[8]);
    for (int r = 0; r < 3; ++r) {
        const double scale = determinant < 0.0 ? -length[r] : length[r];
        for (int c = 0; c < 3; ++c)
            rows[r][c] = m[4 * r + c] / scale;
    }
    double angles[3];
    KmRtoVXYZ(angles, rows);
    double rotation[4][4] = {};
    KmXYZtoR(rotation, angles[0], angles[1], angles[2]);

    KArrayTemplate<KQelVector4>& direct = normals->GetDirectArray();
    for (int i = 0; i < direct.GetCount(); ++i) {
        KQelVector4& normal = direct[i];
        const double x = normal[0], y = normal[1], z = normal[2];
        for (int c = 0; c < 3; ++c)
            normal[c] = x * rotation[0][c] + y * rotation[1][c] + z * rotation[2][c];
    }
}

// ---- Copy ----

KQelGeometry& KQelGeometry::operator=(KQelGeometry& pOther)
{
    if (this == &pOther)
        return *this;
    KQelLayerContainer::Copy(pOther, GetKQelSdkManager());
    KQelGeometryBase::Copy(pOther);
    CopyLinks(&pOther);
    CopyShapes(&pOther);
    CopyPivot(&pOther);
    return *this;
}

void KQelGeometry::CopyLinks(KQelGeometry* pOther)
{
    if (!pOther || pOther == this)
        return;
    DestroyLinks();
    KQelSdkManager& manager = GetKQelSdkManager();
    for (int i = 0; i < pOther->R().mLinks.GetCount(); ++i) {
        KQelLink* link = manager.CreateKQelLink();
        if (!link)
            continue;
        *link = *pOther->R().mLinks[i];
        AddLink(link);
    }
}

void KQelGeometry::CopyShapes(KQelGeometry* pOther)
{
    if (!pOther || pOther == this)
        return;
    // Out of the entity and the takes first, destroyed after: ClearShape
    // still reaches every shape.
    KArrayTemplate<KQelShape*> old = R().mShapes;
    ClearShape();
    KQelSdkManager& manager = GetKQelSdkManager();
    for (int i = 0; i < old.GetCount(); ++i)
        manager.DestroyKQelShape(old[i]);
    for (int i = 0; i < pOther->R().mShapes.GetCount(); ++i) {
        KQelShape* shape = manager.CreateKQelShape();
        if (!shape)
            continue;
        *shape = *pOther->R().mShapes[i];
        if (AddShape(shape, pOther->GetShapeName(i)) < 0)
            manager.DestroyKQelShape(shape);
    }
}

}  // namespace qelsdk_600
