#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace {

const char* const kCameraCurveNodes[] = {"FieldOfView",    "FieldOfViewX", "FieldOfViewY", "OpticalCenterX",
                                         "OpticalCenterY", "Roll",         "TurnTable",    "BackgroundColor (Color)"};

double PropertyValue(KQelCamera& pCamera, const char* pName)
{
    return pCamera.GetPropertyHandler()->FindPropertyByName(pName)->AsDouble();
}

int CameraCurveNodeCount(KQelTakeNode* pTake)
{
    int count = 0;
    for (const char* name : kCameraCurveNodes)
        count += pTake->GetKFCurveNode()->Find(name) >= 0;
    return count;
}

// A node with the takes "Default" and "Take 1", carrying a camera.
class CameraOnNodeTest : public ::testing::Test {
protected:
    CameraOnNodeTest()
    {
        mNode.CreateTakeNode("Take 1");
        mCallbacksBefore = mNode.GetDefaultTakeCallbackCount();
        mNode.SetNodeAttribute(&mCamera);
    }

    KFCurve* Curve(int pTake, KQelTakeNode::EChannel pChannel)
    {
        return mNode.GetTakeNode(pTake)->GetChannel(pChannel);
    }

    KQelSdkManager mManager;
    KQelNode& mNode = *mManager.CreateKQelNode("Cam");
    KQelCamera& mCamera = *mManager.CreateKQelCamera();
    int mCallbacksBefore = 0;
};

TEST_F(CameraOnNodeTest, EveryTakeHasTheTenCurvesWithTheirValuesAndColours)
{
    const struct {
        KQelTakeNode::EChannel channel;
        float value;
        float color[3];
    } curves[] = {
        {KQelTakeNode::eCameraFieldOfView, 25.115f, {0.55f, 0.55f, 0.81f}},
        {KQelTakeNode::eCameraFieldOfViewX, 40.0f, {0.06f, 0.06f, 0.94f}},
        {KQelTakeNode::eCameraFieldOfViewY, 40.0f, {0.04f, 0.04f, 0.4f}},
        {KQelTakeNode::eCameraOpticalCenterX, 0.0f, {0.5f, 0.88f, 0.73f}},
        {KQelTakeNode::eCameraOpticalCenterY, 0.0f, {0.13f, 0.56f, 0.34f}},
        {KQelTakeNode::eCameraRoll, 0.0f, {0.13f, 0.18f, 0.4f}},
        {KQelTakeNode::eCameraTurnTable, 0.0f, {0.4f, 0.13f, 0.18f}},
        {KQelTakeNode::eBackgroundColorR, 0.0f, {1.0f, 0.0f, 0.0f}},
        {KQelTakeNode::eBackgroundColorG, 0.0f, {0.0f, 1.0f, 0.0f}},
        {KQelTakeNode::eBackgroundColorB, 0.0f, {0.0f, 0.0f, 1.0f}},
    };
    ASSERT_EQ(mNode.GetTakeNodeCount(), 2);
    for (int take = 0; take < 2; ++take) {
        for (const auto& c : curves) {
            KFCurve* curve = Curve(take, c.channel);
            ASSERT_NE(curve, nullptr) << take << " " << c.channel;
            EXPECT_EQ(curve->GetValue(), c.value) << take << " " << c.channel;
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(curve->GetColor()[i], c.color[i]) << take << " " << c.channel;
        }
        // The colour's node holds no curve of its own.
        KFCurveNode* root = mNode.GetTakeNode(take)->GetKFCurveNode();
        EXPECT_EQ(root->Get(root->Find("BackgroundColor (Color)"))->FCurveGet(), nullptr);
    }
    // Ten links, in the Default take only.
    EXPECT_EQ(mNode.GetDefaultTakeCallbackCount(), mCallbacksBefore + 10);
}

// Attaching writes the fresh Default-take values into the linked properties.
TEST_F(CameraOnNodeTest, OnlyTheDefaultTakeCurvesMoveTheProperties)
{
    EXPECT_EQ(PropertyValue(mCamera, "FieldOfView"), static_cast<double>(25.115f));
    EXPECT_EQ(PropertyValue(mCamera, "FieldOfViewX"), 40.0);

    Curve(1, KQelTakeNode::eCameraRoll)->SetValue(60.0f);
    Curve(1, KQelTakeNode::eBackgroundColorG)->SetValue(0.5f);
    EXPECT_EQ(mCamera.GetRoll(), 0.0);
    EXPECT_TRUE(mCamera.GetBackgroundColor() == KQelColor(0, 0, 0, 1));

    Curve(0, KQelTakeNode::eCameraRoll)->SetValue(45.0f);
    Curve(0, KQelTakeNode::eBackgroundColorG)->SetValue(0.5f);
    EXPECT_EQ(mCamera.GetRoll(), 45.0);
    EXPECT_TRUE(mCamera.GetBackgroundColor() == KQelColor(0, 0.5, 0, 1));
}

TEST_F(CameraOnNodeTest, DefaultValuesKeepPropertyAndDefaultCurveTogether)
{
    mCamera.SetDefaultFieldOfViewX(30);
    EXPECT_EQ(PropertyValue(mCamera, "FieldOfViewX"), 30.0);
    EXPECT_EQ(Curve(0, KQelTakeNode::eCameraFieldOfViewX)->GetValue(), 30.0f);
    EXPECT_EQ(Curve(1, KQelTakeNode::eCameraFieldOfViewX)->GetValue(), 40.0f);
    EXPECT_EQ(PropertyValue(mCamera, "FieldOfView"), static_cast<double>(25.115f));

    // The getters read the curve, the plain getters the property.
    Curve(0, KQelTakeNode::eCameraTurnTable)->CallbackEnable(false);
    Curve(0, KQelTakeNode::eCameraTurnTable)->SetValue(8.0f);
    EXPECT_EQ(mCamera.GetDefaultTurnTable(), 8.0);
    EXPECT_EQ(mCamera.GetTurnTable(), 0.0);
    Curve(0, KQelTakeNode::eCameraTurnTable)->CallbackClear();
    Curve(0, KQelTakeNode::eCameraTurnTable)->CallbackEnable(true);

    mCamera.SetBackgroundColor(KQelColor(0.25, 0.5, 0.75, 0.0));
    EXPECT_EQ(Curve(0, KQelTakeNode::eBackgroundColorB)->GetValue(), 0.75f);
    EXPECT_TRUE(mCamera.GetDefaultBackgroundColor() == KQelColor(0.25, 0.5, 0.75, 1));
    EXPECT_TRUE(mCamera.GetBackgroundColor() == KQelColor(0.25, 0.5, 0.75, 1));

    // A Default take without the curve: the property alone.
    KFCurveNode* root = mNode.GetDefaultTakeNode()->GetKFCurveNode();
    root->Delete(root->Find("OpticalCenterX"));
    mCamera.SetDefaultOpticalCenterX(3);
    EXPECT_EQ(mCamera.GetDefaultOpticalCenterX(), 3.0);
}

TEST_F(CameraOnNodeTest, DetachingRemovesTheCurvesAndTheirLinks)
{
    EXPECT_EQ(CameraCurveNodeCount(mNode.GetTakeNode(0)), 8);
    EXPECT_EQ(mNode.SetNodeAttribute(nullptr), &mCamera);
    EXPECT_EQ(mCamera.GetNode(), nullptr);
    for (int take = 0; take < 2; ++take)
        EXPECT_EQ(CameraCurveNodeCount(mNode.GetTakeNode(take)), 0) << take;
    EXPECT_EQ(mNode.GetDefaultTakeCallbackCount(), mCallbacksBefore);
    mCamera.SetDefaultRoll(5);  // on no node again
    EXPECT_EQ(mCamera.GetDefaultRoll(), 5.0);
}

TEST_F(CameraOnNodeTest, OnlyATakeNamedDefaultInAnyCaseIsLinked)
{
    for (const char* name : {"DEFAULT", "Other"}) {
        KQelTakeNode take(name);
        mCamera.AddChannels(&take);
        EXPECT_EQ(CameraCurveNodeCount(&take), 8);
        take.GetCameraFieldOfViewY()->SetValue(12.0f);
        EXPECT_EQ(PropertyValue(mCamera, "FieldOfViewY") == 12.0, name[1] == 'E') << name;
        mCamera.SetDefaultFieldOfViewY(40);
    }
    // The curves of both takes are gone, and with them their links.
    EXPECT_EQ(mNode.GetDefaultTakeCallbackCount(), mCallbacksBefore + 10);
}

TEST_F(CameraOnNodeTest, PositionIsTheNodesDefaultTranslation)
{
    mCamera.SetPosition(KQelVector4(1, 2, 3, 1));
    KQelVector4 translation;
    mNode.GetDefaultT(translation);
    EXPECT_TRUE(translation == KQelVector4(1, 2, 3, 0));
    EXPECT_TRUE(mCamera.GetPosition() == KQelVector4(1, 2, 3, 0));
    mCamera.Reset();
    EXPECT_TRUE(mCamera.GetPosition() == KQelVector4(0, 0, -50, 0));

    // Assignment takes the other's position, also the zero one of no node.
    KQelCamera& loose = *mManager.CreateKQelCamera();
    mCamera = loose;
    EXPECT_TRUE(mCamera.GetPosition() == KQelVector4(0, 0, 0, 0));
}

TEST(CameraNodes, NodeAssignmentCopiesCamerasAndSwitchers)
{
    KQelSdkManager manager;
    KQelNode& cameraNode = *manager.CreateKQelNode("Cam");
    KQelCamera& camera = *manager.CreateKQelCamera();
    cameraNode.SetNodeAttribute(&camera);
    camera.SetFocalLength(12);
    KQelNode& switcherNode = *manager.CreateKQelNode("Switch");
    KQelCameraSwitcher& switcher = *manager.CreateKQelCameraSwitcher();
    switcherNode.SetNodeAttribute(&switcher);
    switcher.AddCameraName("A");
    switcher.AddCameraName("B");
    EXPECT_EQ(cameraNode.GetCamera(), &camera);
    EXPECT_EQ(cameraNode.GetCameraSwitcher(), nullptr);
    EXPECT_EQ(switcherNode.GetCameraSwitcher(), &switcher);
    EXPECT_EQ(switcherNode.GetCamera(), nullptr);

    KQelNode& cameraCopy = *manager.CreateKQelNode("CamCopy");
    cameraCopy = cameraNode;
    ASSERT_NE(cameraCopy.GetCamera(), nullptr);
    EXPECT_NE(cameraCopy.GetCamera(), &camera);
    EXPECT_EQ(cameraCopy.GetCamera()->GetFocalLength(), 12.0);

    KQelNode& switcherCopy = *manager.CreateKQelNode("SwitchCopy");
    switcherCopy = switcherNode;
    ASSERT_NE(switcherCopy.GetCameraSwitcher(), nullptr);
    EXPECT_NE(switcherCopy.GetCameraSwitcher(), &switcher);
    EXPECT_EQ(switcherCopy.GetCameraSwitcher()->GetCameraNameCount(), 2);
    EXPECT_STREQ(switcherCopy.GetCameraSwitcher()->GetCameraName(1), "B");

    // A camera node assigned from a switcher node ends up with a switcher.
    cameraCopy = switcherNode;
    EXPECT_EQ(cameraCopy.GetCamera(), nullptr);
    EXPECT_NE(cameraCopy.GetCameraSwitcher(), nullptr);
    manager.Clear();
    EXPECT_EQ(manager.GetKQelNodeAttributeCount(), 0);
}

TEST(CameraSwitcherOnNode, DefaultCameraIndexIsTheDefaultTakeCurve)
{
    KQelSdkManager manager;
    KQelNode& node = *manager.CreateKQelNode("Switch");
    node.CreateTakeNode("Take 1");
    KQelCameraSwitcher& switcher = *manager.CreateKQelCameraSwitcher();
    node.SetNodeAttribute(&switcher);
    for (int take = 0; take < 2; ++take) {
        ASSERT_NE(node.GetTakeNode(take)->GetCameraIndex(), nullptr);
        EXPECT_EQ(node.GetTakeNode(take)->GetCameraIndex()->GetValue(), 1.0f);
    }
    EXPECT_EQ(switcher.GetDefaultCameraIndex(), 1);
    switcher.SetDefaultCameraIndex(3);
    EXPECT_EQ(switcher.GetDefaultCameraIndex(), 3);
    EXPECT_EQ(node.GetTakeNode(1)->GetCameraIndex()->GetValue(), 1.0f);
    node.GetDefaultTakeNode()->GetCameraIndex()->SetValue(2.9f);
    EXPECT_EQ(switcher.GetDefaultCameraIndex(), 2);
    node.GetDefaultTakeNode()->GetCameraIndex()->SetValue(-2.9f);
    EXPECT_EQ(switcher.GetDefaultCameraIndex(), -2);

    // Without the curve: 0, and writes change nothing.
    KFCurveNode* root = node.GetDefaultTakeNode()->GetKFCurveNode();
    root->Delete(root->Find("Camera Index"));
    EXPECT_EQ(switcher.GetDefaultCameraIndex(), 0);
    switcher.SetDefaultCameraIndex(5);
    EXPECT_EQ(root->Find("Camera Index"), -1);

    node.SetNodeAttribute(nullptr);
    EXPECT_EQ(node.GetTakeNode(1)->GetKFCurveNode()->Find("Camera Index"), -1);
    EXPECT_EQ(switcher.GetDefaultCameraIndex(), 0);
}

}  // namespace
}  // namespace qelsdk_600
