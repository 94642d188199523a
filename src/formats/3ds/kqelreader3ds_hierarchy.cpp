// Lights and cameras, the nodes of the keyframer records and their
// hierarchy.
#include <cstdio>
#include <string>
#include <vector>

#include "content/kqelcamera.h"
#include "content/kqelcolor.h"
#include "content/kqellayercontainer.h"
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "content/kqelmesh.h"
#include "formats/3ds/kqelreader3ds.h"
#include "formats/3ds/kqelreader3ds_impl.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

// An object node's name: the record's name, with ".instance" when it has
// an instance name.
std::string ObjectNodeName(const objectmotion3ds& pMotion)
{
    std::string name = pMotion.name;
    if (pMotion.instance[0])
        name += std::string(".") + pMotion.instance;
    return name;
}

// A node carrying pAttribute (none when null), and its target node carrying
// pMarker, both named after pName.
void MakeNodeWithTarget(KQelSdkManager& pManager, const char* pName, KQelNodeAttribute* pAttribute,
                        KQelMarker* pMarker, KQelNode*& pNode, KQelNode*& pTarget)
{
    pNode = pManager.CreateKQelNode(pName);
    pTarget = pManager.CreateKQelNode((std::string(pName) + ".Target").c_str());
    if (pNode && pAttribute)
        pNode->SetNodeAttribute(pAttribute);
    if (pTarget && pAttribute && pMarker)
        pTarget->SetNodeAttribute(pMarker);
}

}  // namespace

bool KQelReader3DS::ConvertOmnilight3DStoTV(light3ds* /*pLight*/, KQelLight* pQelLight)
{
    pQelLight->SetLightType(KQelLight::ePoint);
    return true;
}

bool KQelReader3DS::ConvertSpotlight3DStoTV(light3ds* pLight, KQelLight* pQelLight)
{
    pQelLight->SetLightType(KQelLight::eSpot);
    if (pLight->spot && pLight->spot->useprojector && pLight->spot->projector)
        pQelLight->SetFileName(pLight->spot->projector);
    return true;
}

bool KQelReader3DS::ConvertCamera3DStoTV(camera3ds* pCamera, KQelCamera* pQelCamera)
{
    pQelCamera->SetNearPlane(mUnitFactor * pCamera->nearplane);
    pQelCamera->SetFarPlane(mUnitFactor * pCamera->farplane * 10.0);
    pQelCamera->SetFocalLength(2400.0 / pCamera->fov);
    pQelCamera->SetApertureMode(KQelCamera::eHorizontal);
    const float* background = mState->mBackground;
    pQelCamera->SetDefaultBackgroundColor(KQelColor(background[0], background[1], background[2], 1.0));
    return true;
}

bool KQelReader3DS::Create3DSNodeToKModelLookup()
{
    const ReadState& state = *mState;
    // Instances: the first record naming a mesh takes it, each further one a
    // copy made before any pivot moves the points.
    std::vector<KQelMesh*> meshOf(static_cast<std::size_t>(mObjectMotions.GetCount()), nullptr);
    std::vector<char> taken(static_cast<std::size_t>(mMeshAttributes.GetCount()), 0);
    for (std::size_t i = 0; i < meshOf.size() && i < state.mObjectMesh.size(); ++i) {
        const int j = state.mObjectMesh[i];
        if (j < 0 || !mMeshAttributes[j])
            continue;
        if (!taken[static_cast<std::size_t>(j)]) {
            taken[static_cast<std::size_t>(j)] = 1;
            meshOf[i] = mMeshAttributes[j];
        } else if (KQelMesh* copy = mManager.CreateKQelMesh()) {
            *copy = *mMeshAttributes[j];
            meshOf[i] = copy;
        }
    }
    const double unit = mCreateReferenceNode ? 1.0 : mUnitFactor;
    for (int i = 0; i < mObjectMotions.GetCount(); ++i) {
        const objectmotion3ds* motion = mObjectMotions[i];
        if (!motion)
            continue;
        KQelNode* node = mManager.CreateKQelNode(ObjectNodeName(*motion).c_str());
        mObjectNodes[i] = node;
        KQelMesh* mesh = meshOf[static_cast<std::size_t>(i)];
        if (!node || !mesh)
            continue;
        const point3ds& pivot = motion->pivot;
        KQelVector4* points = mesh->GetControlPoints();
        for (int p = 0, n = mesh->GetControlPointsCount(); p < n; ++p) {
            points[p][0] -= unit * pivot.x;
            points[p][1] -= unit * pivot.z;
            points[p][2] += unit * pivot.y;
        }
        node->SetNodeAttribute(mesh);
        if (mesh->GTC(0) > 0)
            node->SetShadingMode(KQelNode::eTextureShading);
    }
    for (int i = 0; i < mOmnilightMotions.GetCount(); ++i) {
        if (!mOmnilightMotions[i])
            continue;
        const int j = state.mOmnilightOf[static_cast<std::size_t>(i)];
        KQelNode* node = mManager.CreateKQelNode(mOmnilightMotions[i]->name);
        mOmnilightNodes[i] = node;
        if (node && j >= 0 && mOmnilightAttributes[j])
            node->SetNodeAttribute(mOmnilightAttributes[j]);
    }
    for (int i = 0; i < mSpotlightMotions.GetCount(); ++i) {
        if (!mSpotlightMotions[i])
            continue;
        const int j = state.mSpotlightOf[static_cast<std::size_t>(i)];
        const bool matched = j >= 0 && mSpotlightAttributes[j];
        MakeNodeWithTarget(mManager, mSpotlightMotions[i]->name, matched ? mSpotlightAttributes[j] : nullptr,
                           matched ? mSpotlightTargetMarkers[j] : nullptr, mSpotlightNodes[i],
                           mSpotlightTargetNodes[i]);
    }
    for (int i = 0; i < mCameraMotions.GetCount(); ++i) {
        if (!mCameraMotions[i])
            continue;
        const int j = state.mCameraOf[static_cast<std::size_t>(i)];
        const bool matched = j >= 0 && mCameraAttributes[j];
        MakeNodeWithTarget(mManager, mCameraMotions[i]->name, matched ? mCameraAttributes[j] : nullptr,
                           matched ? mCameraTargetMarkers[j] : nullptr, mCameraNodes[i], mCameraTargetNodes[i]);
    }
    return true;
}

bool KQelReader3DS::UniteWithParent(KQelNode* pNode, const char* pParentName)
{
    const auto found = mState->mNodeObjects.find(KQelSdkManager::PrefixName("Model::", pParentName).Buffer());
    return found != mState->mNodeObjects.end() && found->second->AddChild(pNode);
}

KQelNode* KQelReader3DS::DefaultParent(KQelScene& pScene) const
{
    return mCreateReferenceNode && mReferenceNode ? mReferenceNode : pScene.GetRootNode();
}

bool KQelReader3DS::PlaceNode(KQelScene& pScene, KQelNode* pNode, const char* pParentName)
{
    if (!pNode)
        return false;
    if (pParentName[0] && UniteWithParent(pNode, pParentName))
        return true;
    DefaultParent(pScene)->AddChild(pNode);
    return false;
}

void KQelReader3DS::PlaceWithTarget(KQelScene& pScene, KQelNode* pNode, KQelNode* pTarget, const char* pParentName,
                                    const char* pTargetParentName)
{
    const bool joined = PlaceNode(pScene, pNode, pParentName);
    if (pTargetParentName[0])
        PlaceNode(pScene, pTarget, pTargetParentName);
    else if (pParentName[0] && joined)
        PlaceNode(pScene, pTarget, pParentName);
    else if (pTarget)
        DefaultParent(pScene)->AddChild(pTarget);
    if (pNode)
        pNode->SetTarget(pTarget);
}

bool KQelReader3DS::ImportMeshHierarchy(KQelScene& pScene)
{
    for (int i = 0; i < mObjectMotions.GetCount(); ++i) {
        if (mObjectMotions[i])
            PlaceNode(pScene, mObjectNodes[i], mObjectMotions[i]->parent);
    }
    return true;
}

bool KQelReader3DS::ImportOmnilightHierarchy(KQelScene& pScene)
{
    for (int i = 0; i < mOmnilightMotions.GetCount(); ++i) {
        if (mOmnilightMotions[i])
            PlaceNode(pScene, mOmnilightNodes[i], mOmnilightMotions[i]->parent);
    }
    return true;
}

bool KQelReader3DS::ImportSpotlightHierarchy(KQelScene& pScene)
{
    for (int i = 0; i < mSpotlightMotions.GetCount(); ++i) {
        const spotmotion3ds* motion = mSpotlightMotions[i];
        if (!motion)
            continue;
        PlaceWithTarget(pScene, mSpotlightNodes[i], mSpotlightTargetNodes[i], motion->parent, motion->tparent);
        if (mSpotlightNodes[i])
            mSpotlightNodes[i]->SetPostTargetRotation(KQelVector4(0.0, 0.0, 90.0, 1.0));
    }
    return true;
}

bool KQelReader3DS::ImportCameraHierarchy(KQelScene& pScene)
{
    for (int i = 0; i < mCameraMotions.GetCount(); ++i) {
        const cameramotion3ds* motion = mCameraMotions[i];
        if (motion)
            PlaceWithTarget(pScene, mCameraNodes[i], mCameraTargetNodes[i], motion->parent, motion->tparent);
    }
    return true;
}

}  // namespace qelsdk_600
