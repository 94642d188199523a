#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/kset.h"
#include "common/scratch_dir.h"
#include "curves/kfcurvesettings.h"
#include "file/kqel.h"
#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;
using testing_curves::FillUniform;
using testing_curves::NodePtr;
using testing_curves::PropertyNode;
using testing_curves::Sec;
using testing_curves::TransformTree;

// Writes every child of root as a "Channel" inside a "Take" block, as the
// file writers do.
void WriteTake(const std::string& path, bool binary, KFCurveNode* root, bool onlyDefaults = false)
{
    KQel qel;
    ASSERT_TRUE(qel.ProjectCreate(path.c_str(), binary, false, nullptr));
    qel.FieldWriteBegin("Take");
    qel.FieldWriteC("Take 001");
    qel.FieldWriteBlockBegin();
    for (int i = 0; i < root->GetCount(); ++i)
        root->Get(i)->QelStore(&qel, onlyDefaults, true, true, "Channel", true, false);
    qel.FieldWriteBlockEnd();
    qel.FieldWriteEnd();
    ASSERT_TRUE(qel.ProjectClose());
}

// Reads every "Channel" of the take into template (null: new nodes under a
// fresh root that the caller owns).
int ReadTake(const std::string& path, KFCurveNode* templateNode, bool create = true)
{
    KQel qel;
    EXPECT_TRUE(qel.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << qel.GetLastErrorString();
    EXPECT_TRUE(qel.FieldReadBegin("Take"));
    EXPECT_TRUE(qel.FieldReadBlockBegin());
    int count = 0;
    while (KFCurveNodeCreate(&qel, templateNode, false, create, false))
        ++count;
    qel.FieldReadBlockEnd();
    qel.FieldReadEnd();
    return count;
}

class CurveNodeFile : public ::testing::TestWithParam<bool> {};

TEST_P(CurveNodeFile, TransformTreeRoundTripsIntoTheTemplateCurves)
{
    ScratchDir dir;
    const std::string path = dir.File("take.qel");
    KFCurveNode* warp = KFCurveNodeCreate("warp", KDataTypeTimeWarp::DataType);
    warp->FCurveSet(KFCurveCreate());
    // Time warps live while a node refers to them: this one outlasts the
    // source tree.
    NodePtr keeper(KFCurveNodeCreate("keeper"));
    keeper->TimeWarpSet(warp);
    KSet timeWarps;
    timeWarps.Add(12, reinterpret_cast<kReference>(warp));
    KFCurve_SetTWSet(&timeWarps);
    {
        NodePtr source(TransformTree());
        KFCurveNode* translation = source->Get(0);
        FillUniform(*translation->Get(0)->FCurveGet(), kFCurveInterpolationLinear, 0, {{0.0, 1.0f}, {1.0, 5.0f}});
        translation->CreateLayerAt(2);
        translation->LayerGet(2)->Get(1)->FCurveGet()->SetValue(7.0f);
        source->Get(1)->TimeWarpSet(warp);
        WriteTake(path, GetParam(), source.get());
    }
    const std::string text = ReadFile(path);
    if (!GetParam()) {
        EXPECT_NE(text.find("Channel: \"T\""), std::string::npos);
        EXPECT_EQ(text.find("Lcl Translation"), std::string::npos);
        EXPECT_NE(text.find("TimeWarpID: 12"), std::string::npos);
    }

    NodePtr target(TransformTree());
    KFCurve* x = target->Get(0)->Get(0)->FCurveGet();
    EXPECT_EQ(ReadTake(path, target.get()), 3);
    KFCurveNode::NameInfo* shared = target->Get(0)->Get(1)->GetNameInfo();
    KFCurve_SetTWSet(nullptr);

    ASSERT_EQ(target->GetCount(), 3);
    KFCurveNode* translation = target->Get(0);
    EXPECT_EQ(translation->Get(0)->FCurveGet(), x);
    ASSERT_EQ(x->KeyGetCount(), 2);
    EXPECT_FLOAT_EQ(x->KeyGetValue(1), 5.0f);
    EXPECT_EQ(x->KeyGetTime(1), Sec(1.0));
    EXPECT_EQ(translation->GetLayerType(), 1);
    KFCurveNode* layer = translation->LayerGet();
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->GetLayerID(), 2);
    EXPECT_EQ(layer->ObjectLayerGet(), translation);
    ASSERT_EQ(layer->GetCount(), 3);
    EXPECT_FLOAT_EQ(layer->Get(1)->FCurveGet()->GetValue(), 7.0f);
    // The layer's channels share the base channels' name records.
    EXPECT_EQ(layer->Get(1)->GetNameInfo(), shared);
    EXPECT_EQ(layer->Get(1)->ObjectLayerGet(), translation->Get(1));
    EXPECT_EQ(target->Get(1)->TimeWarpGet(), warp);
    EXPECT_EQ(target->Get(1)->GetLayerType(), 2);
    EXPECT_EQ(target->Get(2)->GetLayerType(), 3);
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, CurveNodeFile, ::testing::Values(false, true));

TEST(CurveNodeFileText, DefaultsOnlyAndNeutralLayersWriteNoLayerFields)
{
    ScratchDir dir;
    const std::string path = dir.File("defaults.qel");
    NodePtr root(TransformTree());
    root->Get(0)->CreateLayerAt(1);
    WriteTake(path, false, root.get(), true);
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.find("LayerChannel"), std::string::npos);
    EXPECT_EQ(text.find("LayerID"), std::string::npos);
    EXPECT_NE(text.find("LayerType: 2"), std::string::npos);
    EXPECT_EQ(text.find("Channel: \"X\" {\n\t\t\tDefault"), text.find("Channel: \"X\""));
}

TEST(CurveNodeFileText, SuffixedAndShortNamesFindTheirChildren)
{
    ScratchDir dir;
    const std::string path = dir.File("names.qel");
    const std::string longName(3000, 'q');
    WriteFile(path, "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\nTake: \"t\" {\n"
                    "\tChannel: \"Lcl Rotation  (3)\" {\n\t\tChannel: \"Y\" {\n\t\t\tDefault: 4\n\t\t}\n\t}\n"
                    "\tChannel: \"" + longName + " (x)\" {\n\t\tDefault: 9\n\t}\n"
                    "\tChannel: \"Unknown\" {\n\t\tDefault: 1\n\t}\n}\n");
    NodePtr root(TransformTree());
    KFCurveNode* other = root->FindOrCreate(longName.c_str(), true);
    EXPECT_EQ(ReadTake(path, root.get(), false), 2);
    EXPECT_FLOAT_EQ(root->Get(1)->Get(1)->FCurveGet()->GetValue(), 4.0f);
    EXPECT_FLOAT_EQ(other->FCurveGet()->GetValue(), 9.0f);
    EXPECT_EQ(root->GetCount(), 4);  // "Unknown" was skipped, not created
}

TEST(CurveNodeFileText, OldSectionVersionResetsLongNamedLayerTypes)
{
    ScratchDir dir;
    const std::string path = dir.File("old.qel");
    for (const char* version : {"4000", "6000"}) {
        WriteFile(path, std::string("; QEL text file\nQelHeader:  {\n\tVersion: ") + version +
                            "\n}\nTake: \"t\" {\n"
                            "\tChannel: \"Lcl Rotation\" {\n\t\tLayerType: 2\n\t}\n}\n");
        NodePtr root(TransformTree());
        ReadTake(path, root.get(), false);
        EXPECT_EQ(root->Get(1)->GetLayerType(), std::string(version) == "4000" ? 0 : 2) << version;
    }
}

TEST(CurveNodeFileText, TimeWarpOfAnAxisMovesToItsParent)
{
    ScratchDir dir;
    const std::string path = dir.File("warp.qel");
    WriteFile(path, "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\nTake: \"t\" {\n"
                    "\tChannel: \"T\" {\n\t\tChannel: \"Y\" {\n\t\t\tTimeWarpID: 4\n\t\t}\n"
                    "\t\tChannel: \"Z\" {\n\t\t\tTimeWarpID: 99\n\t\t}\n\t}\n}\n");
    KFCurveNode* warp = KFCurveNodeCreate("warp", KDataTypeTimeWarp::DataType);
    KSet timeWarps;
    timeWarps.Add(4, reinterpret_cast<kReference>(warp));
    KFCurve_SetTWSet(&timeWarps);
    NodePtr root(TransformTree());
    ReadTake(path, root.get());
    KFCurve_SetTWSet(nullptr);
    EXPECT_EQ(root->Get(0)->TimeWarpGet(), warp);
    EXPECT_EQ(root->Get(0)->Get(1)->TimeWarpGet(), nullptr);
    EXPECT_EQ(root->Get(0)->Get(2)->TimeWarpGet(), nullptr);
}

TEST(CurveNodeFileText, MalformedChannelsReadAsDefaults)
{
    ScratchDir dir;
    const std::string path = dir.File("bad.qel");
    WriteFile(path, "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\nTake: \"t\" {\n"
                    "\tChannel: \n"
                    "\tChannel: \"odd\" {\n\t\tLayerType: 9\n\t\tLayerID: -4\n\t\tTimeWarpID: 3\n"
                    "\t\tDefault: \"text\"\n\t}\n}\n");
    NodePtr root(KFCurveNodeCreate("root"));
    EXPECT_EQ(ReadTake(path, root.get()), 2);
    ASSERT_EQ(root->GetCount(), 2);
    EXPECT_STREQ(root->Get(0)->GetName(), "");
    KFCurveNode* odd = root->Get(1);
    EXPECT_EQ(odd->GetLayerType(), 0);
    EXPECT_EQ(odd->TimeWarpGet(), nullptr);
    ASSERT_NE(odd->FCurveGet(), nullptr);
    EXPECT_EQ(odd->FCurveGet()->KeyGetCount(), 0);
}

TEST(CurveNodeFileText, LayersReadReplaceTheTemplateLayers)
{
    ScratchDir dir;
    const std::string path = dir.File("layers.qel");
    WriteFile(path, "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\nTake: \"t\" {\n"
                    "\tChannel: \"T\" {\n\t\tLayerChannel: \"T\" {\n\t\t\tLayerID: 4\n"
                    "\t\t\tChannel: \"X\" {\n\t\t\t\tDefault: 6\n\t\t\t}\n\t\t}\n\t}\n}\n");
    NodePtr root(TransformTree());
    root->Get(0)->CreateLayerAt(1);
    root->Get(0)->CreateLayerAt(2);
    ReadTake(path, root.get());
    EXPECT_EQ(testing_curves::LayerIDs(root->Get(0)), (std::vector<int>{0, 4}));
    EXPECT_FLOAT_EQ(root->Get(0)->LayerGet(4)->Get(0)->FCurveGet()->GetValue(), 6.0f);
}

TEST(CurveNodeFileText, RetrieveRenamesTheNode)
{
    ScratchDir dir;
    const std::string path = dir.File("one.qel");
    WriteFile(path, "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\n"
                    "Channel: \"Intensity\" {\n\tDefault: 3.5\n}\n");
    KQel qel;
    ASSERT_TRUE(qel.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    NodePtr node(KFCurveNodeCreate("before"));
    EXPECT_FALSE(node->QelRetrieve(&qel, false, true, false));
    EXPECT_STREQ(node->GetName(), "Intensity");
    EXPECT_STREQ(node->GetTimeWarpName(), "Intensity");
    ASSERT_NE(node->FCurveGet(), nullptr);
    EXPECT_FLOAT_EQ(node->FCurveGet()->GetValue(), 3.5f);
}

TEST(CurveNodeFileText, DeepNestingIsCutWithoutExhaustingTheStack)
{
    ScratchDir dir;
    const std::string path = dir.File("deep.qel");
    const int depth = 5000;
    std::string text = "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\nTake: \"t\" {\n";
    for (int i = 0; i < depth; ++i)
        text += "Channel: \"n\" {\nLayerChannel: \"n\" {\n";
    for (int i = 0; i < depth; ++i)
        text += "}\n}\n";
    for (int i = 0; i < 2000; ++i)
        text += "Channel: \"skip\" {\n}\n";
    text += "}\n";
    WriteFile(path, text);

    KQel qel;
    ASSERT_TRUE(qel.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << qel.GetLastErrorString();
    ASSERT_TRUE(qel.FieldReadBegin("Take"));
    ASSERT_TRUE(qel.FieldReadBlockBegin());
    NodePtr root(KFCurveNodeCreate("root"));
    root->FCurveSet(KFCurveCreate());  // a root with a curve skips unknown channels
    EXPECT_EQ(KFCurveNodeCreate(&qel, root.get(), false, true, false), nullptr);
    qel.FieldReadBlockEnd();
    qel.FieldReadEnd();
    EXPECT_EQ(root->GetCount(), 0);

    KQel again;
    ASSERT_TRUE(again.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(again.FieldReadBegin("Take"));
    ASSERT_TRUE(again.FieldReadBlockBegin());
    NodePtr top(KFCurveNodeCreate(&again, false, false));
    ASSERT_NE(top, nullptr);
    int levels = 0;
    for (KFCurveNode* node = top.get(); node; node = node->Get(0) ? node->Get(0) : node->LayerGet())
        ++levels;
    EXPECT_GT(levels, 1);
    EXPECT_LE(levels, KFCurveNode::kMaxReadDepth + 1);
}

}  // namespace
}  // namespace qelsdk_600
