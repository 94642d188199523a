#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"

namespace qelsdk_600 {
namespace {

KQelMarker* Marker(KQelSdkManager& pManager, KQelMarker::EType pType)
{
    KQelMarker* marker = pManager.CreateKQelMarker();
    marker->SetType(pType);
    return marker;
}

KQelSkeleton* Skeleton(KQelSdkManager& pManager, KQelSkeleton::ESkeletonType pType)
{
    KQelSkeleton* skeleton = pManager.CreateKQelSkeleton();
    skeleton->SetSkeletonType(pType);
    return skeleton;
}

// What each typed getter answers on one node, in attribute-type order of the
// getters below.
std::vector<bool> Getters(KQelNode& pNode)
{
    return {pNode.GetNull() != nullptr, pNode.GetMarker() != nullptr, pNode.GetSkeleton() != nullptr,
            pNode.GetLight() != nullptr, pNode.GetOpticalReference() != nullptr};
}

// The node's modes follow the real kinds: multi-layer for IK and FK
// effectors, no multi-take for lights and optical markers.
TEST(NodeAttributeKinds, TypedGettersAndModesFollowTheAttribute)
{
    KQelSdkManager manager;
    struct Case {
        const char* name;
        std::function<KQelNodeAttribute*()> make;
        std::vector<bool> getters;
        bool multiLayer;
        KQelNode::EMultiTakeMode takeMode;
    } cases[] = {
        {"null", [&] { return manager.CreateKQelNull(); }, {true, false, false, false, false}, false,
         KQelNode::eMultiTakeOn},
        {"standard marker", [&] { return Marker(manager, KQelMarker::eStandard); },
         {false, true, false, false, false}, false, KQelNode::eMultiTakeOn},
        {"optical marker", [&] { return Marker(manager, KQelMarker::eOptical); },
         {false, true, false, false, false}, false, KQelNode::eMultiTakeOff},
        {"IK effector", [&] { return Marker(manager, KQelMarker::eIKEffector); },
         {false, true, false, false, false}, true, KQelNode::eMultiTakeOn},
        {"FK effector", [&] { return Marker(manager, KQelMarker::eFKEffector); },
         {false, true, false, false, false}, true, KQelNode::eMultiTakeOn},
        {"skeleton", [&] { return manager.CreateKQelSkeleton(); }, {false, false, true, false, false}, false,
         KQelNode::eMultiTakeOn},
        {"light", [&] { return manager.CreateKQelLight(); }, {false, false, false, true, false}, false,
         KQelNode::eMultiTakeOff},
        {"optical reference", [&] { return manager.CreateKQelOpticalReference(); },
         {false, false, false, false, true}, false, KQelNode::eMultiTakeOn},
    };
    KQelNode* node = manager.CreateKQelNode("Node");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KQelNodeAttribute* attribute = c.make();
        KQelNodeAttribute* former = node->SetNodeAttribute(attribute);
        if (former)
            manager.DestroyKQelNodeAttribute(former);
        EXPECT_EQ(Getters(*node), c.getters);
        EXPECT_EQ(node->GetMultiLayer(), c.multiLayer);
        EXPECT_EQ(node->GetMultiTakeMode(), c.takeMode);
    }
}

// Assignment gives the target an attribute of the source's kind (made when
// it carries another) with the source's content; an optical reference is not
// copied.
TEST(NodeAttributeKinds, AssignmentCopiesMarkersSkeletonsAndLights)
{
    KQelSdkManager manager;
    KQelNode* source = manager.CreateKQelNode("Source");
    KQelNode* target = manager.CreateKQelNode("Target");

    KQelMarker* marker = Marker(manager, KQelMarker::eFKEffector);
    marker->SetSize(3.0);
    source->SetNodeAttribute(marker);
    *target = *source;
    ASSERT_NE(target->GetMarker(), nullptr);
    EXPECT_NE(target->GetMarker(), marker);
    EXPECT_EQ(target->GetMarker()->GetType(), KQelMarker::eFKEffector);
    EXPECT_EQ(target->GetMarker()->GetSize(), 3.0);

    KQelSkeleton* skeleton = Skeleton(manager, KQelSkeleton::eLimb);
    skeleton->SetLimbLength(6.0);
    manager.DestroyKQelNodeAttribute(source->SetNodeAttribute(skeleton));
    *target = *source;
    ASSERT_NE(target->GetSkeleton(), nullptr);
    EXPECT_EQ(target->GetSkeleton()->GetLimbLength(), 6.0);
    EXPECT_EQ(target->GetMarker(), nullptr);

    KQelLight* light = manager.CreateKQelLight();
    light->SetLightType(KQelLight::eSpot);
    light->SetFileName("gobo.tif");
    manager.DestroyKQelNodeAttribute(source->SetNodeAttribute(light));
    *target = *source;
    ASSERT_NE(target->GetLight(), nullptr);
    EXPECT_EQ(target->GetLight()->GetLightType(), KQelLight::eSpot);
    EXPECT_STREQ(target->GetLight()->GetFileName(), "gobo.tif");
    EXPECT_EQ(target->GetMultiTakeMode(), KQelNode::eMultiTakeOff);

    manager.DestroyKQelNodeAttribute(source->SetNodeAttribute(manager.CreateKQelOpticalReference()));
    *target = *source;
    EXPECT_EQ(target->GetNodeAttribute(), nullptr);
    // The source's reference and the targets' former attributes are all
    // that the manager made and still lists: one.
    EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 1);
}

// Where a segment ends: among the children of the node's own group when it
// has any, else the farthest child of all.
TEST(NodeAttributeKinds, EndPointsComeFromTheNodesOwnGroupOfChildren)
{
    enum Kind { eBare, eRoot, eLimb, eMarkerKind, eNullKind };
    struct Child {
        Kind kind;
        double x;
    };
    struct Case {
        const char* name;
        Kind node;
        std::vector<Child> children;
        double endX;
    } cases[] = {
        {"skeleton to a marker", eLimb, {{eMarkerKind, 10.0}}, 10.0},
        {"root to a limb only", eRoot, {{eLimb, 4.0}}, 4.0},
        {"limb prefers limbs", eLimb, {{eMarkerKind, 10.0}, {eLimb, 3.0}, {eRoot, 2.0}}, 3.0},
        {"root prefers roots", eRoot, {{eLimb, 9.0}, {eRoot, 2.0}}, 2.0},
        {"marker prefers markers", eMarkerKind, {{eBare, 8.0}, {eMarkerKind, 2.0}}, 2.0},
        {"bare prefers bare", eBare, {{eMarkerKind, 9.0}, {eBare, 4.0}, {eBare, -5.0}}, -5.0},
        {"null takes the farthest", eNullKind, {{eMarkerKind, 9.0}, {eBare, 4.0}}, 9.0},
    };
    KQelSdkManager manager;
    auto attach = [&](KQelNode* pNode, Kind pKind) {
        switch (pKind) {
        case eRoot:
            pNode->SetNodeAttribute(Skeleton(manager, KQelSkeleton::eRoot));
            break;
        case eLimb:
            pNode->SetNodeAttribute(Skeleton(manager, KQelSkeleton::eLimbNode));
            break;
        case eMarkerKind:
            pNode->SetNodeAttribute(manager.CreateKQelMarker());
            break;
        case eNullKind:
            pNode->SetNodeAttribute(manager.CreateKQelNull());
            break;
        case eBare:
            break;
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KQelNode* node = manager.CreateKQelNode("Node");
        attach(node, c.node);
        for (const Child& child : c.children) {
            KQelNode* made = manager.CreateKQelNode("Child");
            attach(made, child.kind);
            made->SetDefaultT(KQelVector4(child.x, 0.0, 0.0, 1.0));
            node->AddChild(made);
        }
        KQelLimitsUtilities utilities(&node->GetLimits());
        EXPECT_EQ(utilities.GetEndPointTranslation(node)[0], c.endX);
    }
}

}  // namespace
}  // namespace qelsdk_600
