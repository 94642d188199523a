// Blend shapes: shapes of the base geometry with their weights in percent
// and animation, the warnings about unusable targets, and the target nodes
// removed.
#include <gtest/gtest.h>

#include <limits>

#include <vesk/MFnBlendShapeDeformer.h>

#include "content/kqelshape.h"
#include "curves/kfcurve.h"
#include "export/deformer_fixture.h"

using namespace qelsdk_600;

namespace {

// A unit quad "NAME" raised at its first two corners by pZ.
std::string Quad(const char* pName, double pZ, const char* pParent = nullptr)
{
    std::string text = std::string("polyMesh -n ") + pName;
    if (pParent)
        text += std::string(" -p ") + pParent;
    const std::string z = std::to_string(pZ);
    return text + " -pt \"0 0 " + z + "  1 0 " + z + "  1 1 0  0 1 0\" -f \"0 1 2 3\"";
}

class BlendShapeTest : public DeformerTest {
public:
    KQelGeometry* Geometry(const char* pNode)
    {
        KQelNode* node = Node(pNode);
        return node ? node->GetGeometry() : nullptr;
    }
    std::vector<std::string> ShapeNames(const char* pNode)
    {
        std::vector<std::string> names;
        KQelGeometry* geometry = Geometry(pNode);
        for (int i = 0; geometry && i < geometry->GetShapeCount(); ++i)
            names.push_back(geometry->GetShapeName(i));
        return names;
    }
    // The shape's channel in the take (the default take when null).
    KFCurve* ShapeChannel(const char* pNode, int pShape, const char* pTake = nullptr)
    {
        KQelNode* node = Node(pNode);
        if (!node || (pTake && !node->SetCurrentTakeNode(pTake)))
            return nullptr;
        return Geometry(pNode)->GetShapeChannel(pTake ? node->GetCurrentTakeNode() : node->GetDefaultTakeNode(),
                                                pShape);
    }
};

}  // namespace

// Weight 0 keyed from 0 to 1, weight 1 at 0.5: the channels' defaults are
// the weights now in percent, the keyed one animated in "Take 001"; the
// shapes hold the targets' points and normals; no target node is left.
TEST_F(BlendShapeTest, WeightsBecomePercentAndTargetsBecomeShapes)
{
    for (const std::string& text :
         {Quad("face", 0), Quad("smile", 0.5), Quad("frown", -0.5), std::string("blendShape -n mix smile frown face"),
          std::string("setKeyframe -t 1 -v 0 mix.smileShape"), std::string("setKeyframe -t 25 -v 1 mix.smileShape"),
          std::string("setAttr mix.frownShape 0.5"), std::string("currentTime 13")})
        ASSERT_TRUE(Run(text));
    ASSERT_TRUE(ExportAndRead());

    EXPECT_EQ(ShapeNames("face"), (std::vector<std::string>{"mix.smileShape", "mix.frownShape"}));
    EXPECT_EQ(Node("smile"), nullptr);
    EXPECT_EQ(Node("frown"), nullptr);
    ASSERT_NE(ShapeChannel("face", 1), nullptr);
    EXPECT_EQ(ShapeChannel("face", 1)->GetValue(), 50.0f);
    EXPECT_EQ(ShapeChannel("face", 0)->GetValue(), 50.0f);
    EXPECT_EQ(ShapeChannel("face", 1, "Take 001")->KeyGetCount(), 0);
    KFCurve* keyed = ShapeChannel("face", 0, "Take 001");
    ASSERT_NE(keyed, nullptr);
    ASSERT_EQ(keyed->KeyGetCount(), 2);
    EXPECT_EQ(keyed->KeyGetValue(0), 0.0f);
    EXPECT_EQ(keyed->KeyGetValue(1), 100.0f);

    KQelShape* smile = Geometry("face")->GetShape(0);
    ASSERT_EQ(smile->GetControlPointsCount(), 4);
    EXPECT_EQ(smile->GetControlPoints()[1][2], 0.5);
    EXPECT_EQ(smile->GetControlPoints()[1][3], 0.0);
    ASSERT_NE(smile->GetNormals(), nullptr);
}

// A weight whose percent lies past float range keeps the largest float
// rather than an undefined conversion.
TEST_F(BlendShapeTest, AWeightPastFloatRangeSaturates)
{
    for (const std::string& text : {Quad("face", 0), Quad("smile", 0.5), std::string("blendShape -n mix smile face"),
                                    std::string("setAttr mix.smileShape -1e300")})
        ASSERT_TRUE(Run(text));
    ASSERT_TRUE(ExportAndRead());
    ASSERT_NE(ShapeChannel("face", 0), nullptr);
    EXPECT_EQ(ShapeChannel("face", 0)->GetValue(), -std::numeric_limits<float>::max());
}

// Per base, each kind of warning shows its dialog once: "face" has three
// targets on weight 0 (the first is used, the others stay in the scene),
// two deleted targets, a target left out of the selection exported and one
// of another point count; "cheek" one deleted target.
TEST_F(BlendShapeTest, EachKindOfWarningShowsOneDialogPerBase)
{
    Params().SetBoolParam(QelVeskUserParams::kExportShowUI, true);
    for (const std::string& text :
         {Quad("face", 0), Quad("cheek", 0), Quad("a", 0.25), Quad("b", 0.5), Quad("c", 1.0), Quad("gone1", 1),
          Quad("gone2", 1), Quad("ghost", 1), Quad("cheekGone", 1),
          std::string("polyMesh -n big -pt \"0 0 0  1 0 0  1 1 0  0 1 0  2 2 0\" -f \"0 1 2 3\""),
          std::string("blendShape -n mix c gone1 gone2 ghost big face"), std::string("blendShape -e -t face 0 a 0.25 mix"),
          std::string("blendShape -e -t face 0 b 0.5 mix"), std::string("blendShape -n other cheekGone cheek"),
          std::string("delete gone1 gone2 cheekGone"), std::string("select -r face cheek a b c big")})
        ASSERT_TRUE(Run(text));
    Params().SetBoolParam(QelVeskUserParams::kExportSelectionOnly, true);
    for (int i = 0; i < 4; ++i)
        standin::queueReply("QEL Export Warning", standin::Reply::press("Ok"));
    ASSERT_TRUE(ExportAndRead());

    std::vector<std::string> messages;
    for (const standin::DialogRecord& dialog : standin::dialogs())
        messages.push_back(dialog.message.substr(0, dialog.message.find('\n')));
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "The TargetObject for weight slider : other.cheekGoneShape is not available in the scene.",
                            "The BaseObject :  / face / faceShape has multiple targets affected by weight : mix.cShape",
                            "The TargetObject for weight slider : mix.gone1Shape is not available in the scene.",
                            "The TargetObject :  / big / bigShape number of vertices does not match the baseObject "
                            "number of vertices.",
                        }));
    EXPECT_EQ(LogLinesWith("is not available in the scene.").size(), 4u);
    EXPECT_EQ(LogLinesWith(" / ghost / ghostShape is not available").size(), 1u);
    EXPECT_EQ(LogLinesWith("(most likely").size(), 4u);
    EXPECT_EQ(LogLinesWith("The plugin will only use the first target.").size(), 1u);
    EXPECT_EQ(ShapeNames("face"), (std::vector<std::string>{"mix.cShape"}));
    EXPECT_EQ(Geometry("face")->GetShape(0)->GetControlPoints()[0][2], 0.25);
    EXPECT_EQ(Node("a"), nullptr);
    EXPECT_NE(Node("b"), nullptr);
    EXPECT_NE(Node("c"), nullptr);
    EXPECT_EQ(Node("big"), nullptr);
}

// A transform holding two blended shapes meets each weight's name twice:
// the second time adds nothing and says nothing.
TEST_F(BlendShapeTest, ARepeatedShapeNameIsSkippedSilently)
{
    for (const std::string& text : {Quad("face", 0), Quad("smile", 0.5), Quad("smile2", 0.75)})
        ASSERT_TRUE(Run(text));
    MObject second = MakeMesh("spare", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
    MFnDagNode(object("face")).addChild(MFnDagNode(second).child(0));
    MFnBlendShapeDeformer blend;
    blend.create(object("faceShape"));
    ASSERT_TRUE(blend.addBaseObject(object("spareShape")));
    ASSERT_TRUE(blend.addTarget(object("faceShape"), 0, object("smileShape"), 1.0));
    ASSERT_TRUE(blend.addTarget(object("spareShape"), 0, object("smile2Shape"), 1.0));
    ASSERT_TRUE(ExportAndRead());

    ASSERT_EQ(ShapeNames("face").size(), 1u);
    EXPECT_EQ(Geometry("face")->GetShape(0)->GetControlPoints()[0][2], 0.75);
    EXPECT_TRUE(LogLinesWith("QEL Export Warning").empty());
}

TEST_F(BlendShapeTest, AShapeNamedLikeItsNodeIsPrefixed)
{
    for (const std::string& text : {Quad("face", 0), Quad("smile", 0.5), std::string("blendShape -n mix smile face")})
        ASSERT_TRUE(Run(text));
    ASSERT_TRUE(vesk::fixture::nameAsIs("mix", "Model::faceMix"));
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(ShapeNames("face"), (std::vector<std::string>{"sModel::faceMix.smileShape"}));
}

// Targets on weights 0 and 3: each shape takes the name and value of its
// own weight.
TEST_F(BlendShapeTest, SparseWeightIndicesKeepEachShapeWithItsWeight)
{
    for (const std::string& text :
         {Quad("face", 0), Quad("smile", 0.5), Quad("frown", -0.5), std::string("blendShape -n mix smile face"),
          std::string("blendShape -e -t face 3 frown 1 mix"), std::string("setAttr mix.smileShape 0.5"),
          std::string("setAttr mix.frownShape 0.25")})
        ASSERT_TRUE(Run(text));
    ASSERT_TRUE(ExportAndRead());
    EXPECT_EQ(ShapeNames("face"), (std::vector<std::string>{"mix.smileShape", "mix.frownShape"}));
    EXPECT_EQ(ShapeChannel("face", 0)->GetValue(), 50.0f);
    EXPECT_EQ(ShapeChannel("face", 1)->GetValue(), 25.0f);
    EXPECT_EQ(Geometry("face")->GetShape(1)->GetControlPoints()[0][2], -0.5);
}
