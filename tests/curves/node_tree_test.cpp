#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::LayerIDs;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::TransformTree;

TEST(CurveNodeTree, FindRecursiveMatchesShortNamesAndLeavesThePathAlone)
{
    NodePtr root(TransformTree());
    char path[] = "R/X";
    KFCurveNode* x = root->FindRecursive(path);
    ASSERT_NE(x, nullptr);
    EXPECT_STREQ(x->GetName(), "X");
    EXPECT_EQ(x->GetParent(), root->Get(1));
    EXPECT_STREQ(path, "R/X");

    EXPECT_EQ(root->FindRecursive("lcl scaling/z"), root->Get(2)->Get(2));
    // A segment that matches nothing deeper fails the whole path.
    EXPECT_EQ(root->FindRecursive("T/W"), nullptr);
    EXPECT_EQ(root->FindRecursive("Nothing"), nullptr);
    // A bare "Y" is found inside the first subtree that has one.
    EXPECT_EQ(root->FindRecursive("Y"), root->Get(0)->Get(1));
    EXPECT_EQ(root->FindRecursive(KDataTypeLclRotation::DataType), root->Get(1));
}

TEST(CurveNodeTree, SortedAddOrdersIgnoringCase)
{
    NodePtr root(KFCurveNodeCreate("root"));
    for (const char* name : {"b", "A", "c"})
        root->SortedAdd(KFCurveNodeCreate(name));
    ASSERT_EQ(root->GetCount(), 3);
    EXPECT_STREQ(root->Get(0)->GetName(), "A");
    EXPECT_STREQ(root->Get(1)->GetName(), "b");
    EXPECT_STREQ(root->Get(2)->GetName(), "c");
}

TEST(CurveNodeTree, CreateFromDataTypeSetsLayerTypeAndMembers)
{
    const struct {
        KDataType* dataType;
        int layerType;
        int children;
    } cases[] = {
        {KDataTypeLclTranslation::DataType, 1, 3},   {KDataTypeLclRotation::DataType, 2, 3},
        {KDataTypeMatrixRotation::DataType, 2, 3},   {KDataTypeLclScaling::DataType, 3, 3},
        {KDataTypeScalingUV::DataType, 3, 3},        {KDataTypeNumber::DataType, 1, 0},
        {KDataTypeColorAndAlpha::DataType, 1, 4},
    };
    for (const auto& c : cases) {
        NodePtr node(FCurveNodeCreateFromDataType(c.dataType, "p"));
        EXPECT_EQ(node->GetLayerType(), c.layerType) << c.dataType->GetName();
        EXPECT_EQ(node->GetCount(), c.children) << c.dataType->GetName();
        if (c.children >= 3) {
            EXPECT_STREQ(node->Get(0)->GetName(), "X");
            EXPECT_STREQ(node->Get(2)->GetName(), "Z");
        }
        if (c.children == 4) {
            EXPECT_STREQ(node->Get(3)->GetName(), " ");
        }
    }
}

TEST(CurveNodeTree, QuaternionLayerTypeAddsAndRemovesW)
{
    NodePtr node(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    node->SetLayerType(4, nullptr);
    ASSERT_EQ(node->GetCount(), 4);
    EXPECT_STREQ(node->Get(3)->GetName(), "W");
    EXPECT_NE(node->Get(3)->FCurveGet(), nullptr);
    EXPECT_EQ(node->Get(3)->FCurveGet()->KeyGetCount(), 0);
    node->SetLayerType(2, nullptr);
    EXPECT_EQ(node->GetCount(), 3);

    NodePtr pair(KFCurveNodeCreate("pair"));
    pair->Add(KFCurveNodeCreate("A"));
    pair->Add(KFCurveNodeCreate("B"));
    pair->SetLayerType(4, nullptr);
    EXPECT_EQ(pair->GetCount(), 2);
}

TEST(CurveNodeTree, CreateLayerAtKeepsIdsIncreasing)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    node->CreateLayerAt(3);
    node->CreateLayerAt(7);
    node->CreateLayerAt(5);
    EXPECT_EQ(LayerIDs(node.get()), (std::vector<int>{0, 3, 5, 7}));
    node->CreateLayerAt(3);
    node->CreateLayerAt(0);
    EXPECT_EQ(LayerIDs(node.get()), (std::vector<int>{0, 3, 5, 7}));
    // Every layer refers back to the base.
    for (KFCurveNode* layer = node->LayerGet(); layer; layer = layer->LayerGet())
        EXPECT_EQ(layer->ObjectLayerGet(), node.get());
    EXPECT_EQ(node->LayerGet(5)->GetLayerID(), 5);
    EXPECT_EQ(node->LayerGet(4), nullptr);

    NodePtr single(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    single->SetMultiLayer(false);
    single->CreateLayerAt(2);
    EXPECT_EQ(single->LayerGet(), nullptr);
}

TEST(CurveNodeTree, GetLayerNodeFindsEachLayerOfTheChainAndAcceptsNull)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    for (int id : {1, 3})
        node->CreateLayerAt(id);
    KFCurveNode* const first = node->LayerGet();
    ASSERT_NE(first, nullptr);
    KFCurveNode* const third = first->LayerGet();
    ASSERT_NE(third, nullptr);
    const struct {
        int mID;
        KFCurveNode* mNode;
    } cases[] = {{0, node.get()}, {1, first}, {3, third}, {2, nullptr}, {4, nullptr}};
    for (const auto& c : cases)
        EXPECT_EQ(KFCurveNode::GetLayerNode(node.get(), c.mID), c.mNode) << c.mID;
    EXPECT_EQ(KFCurveNode::GetLayerNode(nullptr, 0), nullptr);
}

TEST(CurveNodeTree, LayersStartAtTheNeutralValueOfTheirType)
{
    NodePtr scaling(PropertyNode(KDataTypeLclScaling::DataType, "Lcl Scaling", 2.0, 2.0, 2.0));
    scaling->CreateLayerAt(1);
    KFCurveNode* layer = scaling->LayerGet(1);
    ASSERT_NE(layer, nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(layer->Get(i)->FCurveGet()->GetValue(), 1.0f);

    double zero[4] = {9, 9, 9, 9};
    EXPECT_EQ(scaling->GetZeroValues(zero), 3);
    EXPECT_EQ(zero[0], 1.0);
    NodePtr rotation(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    rotation->SetLayerType(4, nullptr);
    EXPECT_EQ(rotation->GetZeroValues(zero), 4);
    EXPECT_EQ(zero[0], 0.0);
    EXPECT_EQ(zero[3], 1.0);
}

TEST(CurveNodeTree, RemoveAndPreviousLayer)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    for (int id : {2, 4, 6})
        node->CreateLayerAt(id);
    EXPECT_EQ(node->GetPreviousLayer(0), nullptr);
    EXPECT_EQ(node->GetPreviousLayer(4)->GetLayerID(), 2);
    EXPECT_EQ(node->GetPreviousLayer(5)->GetLayerID(), 4);
    EXPECT_EQ(node->GetPreviousLayer(9)->GetLayerID(), 6);

    KFCurveNode* removed = node->RemoveLayer(4, false);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->LayerGet(), nullptr);
    removed->Destroy();
    EXPECT_EQ(LayerIDs(node.get()), (std::vector<int>{0, 2, 6}));
    EXPECT_EQ(node->RemoveLayer(6, true), nullptr);
    EXPECT_EQ(node->RemoveLayer(3, true), nullptr);
    EXPECT_EQ(LayerIDs(node.get()), (std::vector<int>{0, 2}));
}

TEST(CurveNodeTree, CloneCopiesKeysOrSharesNames)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    testing_curves::FillUniform(*node->Get(0)->FCurveGet(), kFCurveInterpolationLinear, 0,
                                {{0.0, 1.0f}, {1.0, 2.0f}});
    NodePtr copy(node->Clone(false));
    ASSERT_EQ(copy->GetCount(), 3);
    ASSERT_NE(copy->Get(0)->FCurveGet(), node->Get(0)->FCurveGet());
    EXPECT_EQ(copy->Get(0)->FCurveGet()->KeyGetCount(), 2);
    EXPECT_NE(copy->GetNameInfo(), node->GetNameInfo());
    node->Get(0)->FCurveGet()->KeyClear();
    EXPECT_EQ(copy->Get(0)->FCurveGet()->KeyGetCount(), 2);

    NodePtr shared(node->Clone(true));
    EXPECT_EQ(shared->GetNameInfo(), node->GetNameInfo());
    EXPECT_EQ(shared->Get(1)->GetNameInfo(), node->Get(1)->GetNameInfo());
    EXPECT_EQ(shared->TemplateGet(), node.get());
    EXPECT_EQ(shared->GetDataType(), KDataTypeLclTranslation::DataType);
}

TEST(CurveNodeTree, NameRecordOutlivesTheNodeThatMadeIt)
{
    KFCurveNode* original = KFCurveNodeCreate("Original");
    NodePtr clone(KFCurveNodeCreate(original));
    original->Destroy();
    EXPECT_STREQ(clone->GetName(), "Original");
    clone->SetNameInfo(nullptr);
    EXPECT_STREQ(clone->GetName(), "");
}

TEST(CurveNodeTree, DeleteAndClearDestroyChildrenOnce)
{
    NodePtr root(TransformTree());
    KFCurveNode* rotation = root->Get(1);
    root->Delete(rotation);
    EXPECT_EQ(root->GetCount(), 2);
    // A child destroyed directly leaves its parent's list.
    root->Get(0)->Destroy();
    EXPECT_EQ(root->GetCount(), 1);
    root->Clear();
    EXPECT_EQ(root->GetCount(), 0);

    // A container only lists its children.
    NodePtr owner(KFCurveNodeCreate("owner"));
    KFCurveNode* child = KFCurveNodeCreate("child");
    owner->Add(child);
    {
        NodePtr container(KFCurveNodeCreate("container"));
        container->SetContainerType(0x8);
        container->Add(child);
        EXPECT_EQ(child->GetParent(), owner.get());
    }
    EXPECT_EQ(owner->Get(0), child);
}

TEST(CurveNodeTree, SharedTimeWarpLivesUntilItsLastHolderGoes)
{
    KFCurveNode* warp = KFCurveNodeCreate("warp", KDataTypeTimeWarp::DataType);
    EXPECT_STREQ(warp->GetTimeWarpName(), "");
    NodePtr a(KFCurveNodeCreate("a"));
    NodePtr b(KFCurveNodeCreate("b"));
    a->TimeWarpSet(warp);
    b->TimeWarpSet(warp);
    a.reset();
    EXPECT_STREQ(b->TimeWarpGet()->GetName(), "warp");
    // A node cannot warp its own time.
    b->TimeWarpSet(b.get());
    EXPECT_EQ(b->TimeWarpGet(), warp);
}

TEST(CurveNodeTree, DataNodeChainStopsOnLoops)
{
    NodePtr a(KFCurveNodeCreate("a"));
    NodePtr b(KFCurveNodeCreate("b"));
    NodePtr c(KFCurveNodeCreate("c"));
    a->DataNodeSet(b.get());
    b->DataNodeSet(c.get());
    EXPECT_EQ(a->DataNodeGet(), c.get());
    a->DataNodeSet(a.get());
    EXPECT_EQ(a->DataNodeGet(), a.get());
    a->DataNodeSet(b.get());
    c->DataNodeSet(a.get());
    EXPECT_EQ(a->DataNodeGet(), a.get());
}

TEST(CurveNodeTree, GetTransformCurvesFindsNineCurves)
{
    NodePtr root(TransformTree());
    KFCurve* t[3] = {};
    KFCurve* r[3] = {};
    KFCurve* s[3] = {};
    ASSERT_TRUE(root->GetTransformCurves(t, r, s));
    EXPECT_EQ(t[2], root->Get(0)->Get(2)->FCurveGet());
    EXPECT_EQ(r[0], root->Get(1)->Get(0)->FCurveGet());
    EXPECT_EQ(s[1], root->Get(2)->Get(1)->FCurveGet());
    root->Get(2)->Get(1)->FCurveSet(nullptr, true);
    EXPECT_FALSE(root->GetTransformCurves(t, r, s));
}

TEST(CurveNodeTree, UserLockAndExtrapolationRespectIt)
{
    NodePtr node(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    node->CreateLayerAt(1);
    node->UserLockAdd();
    EXPECT_TRUE(node->Get(2)->IsUserLocked());
    EXPECT_TRUE(node->LayerGet(1)->Get(0)->IsUserLocked());
    EXPECT_FALSE(node->Get(0)->SetPostExtrapolation(kFCurveExtrapolationRepetition));
    EXPECT_TRUE(node->Get(0)->SetPostExtrapolation(kFCurveExtrapolationRepetition, false));
    node->UserLockRemove();
    EXPECT_FALSE(node->LayerGet(1)->IsUserLocked());
    EXPECT_FALSE(node->SetPreExtrapolation(kFCurveExtrapolationConstant));
}

}  // namespace
}  // namespace qelsdk_600
