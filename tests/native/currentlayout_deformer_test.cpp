// Skin and cluster objects of the current layout.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqeldeformer.h"
#include "block_test_util.h"

namespace qelsdk_600 {
namespace blocktest {
namespace {

using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;

void WriteMatrix(KQel& pFile, const char* pName, const std::vector<double>& pRows)
{
    native_detail::WriteFieldDn(pFile, pName, pRows.data(), static_cast<int>(pRows.size()));
}

const std::vector<double> kMirrorX = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1};
const std::vector<double> kFlatY = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
const std::vector<double> kShiftX = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 0, 0, 1};

TEST(DeformerBlocks, ClustersAndSkinsTakeTheirFields)
{
    const struct {
        const char* mName;
        const char* mType;
        std::function<void(KQel&)> mFields;
        std::function<void(KQelDeformer&)> mCheck;
    } cases[] = {
        {"skin accuracy", "Skin", [](KQel& f) { WriteFieldD(f, "Link_DeformAcuracy", 12.5); },
         [](KQelDeformer& d) { EXPECT_EQ(d.GetDeformAccuracy(), 12.5); }},
        {"skin without accuracy keeps 50", "Skin", [](KQel& f) { WriteFieldC(f, "Mode", "Additive"); },
         [](KQelDeformer& d) { EXPECT_EQ(d.GetDeformAccuracy(), 50.0); }},
        {"mode in lower case, three indices and two weights", "Cluster",
         [](KQel& f) {
             WriteFieldC(f, "Mode", "additive");
             f.FieldWriteBegin("Indexes");
             for (int i : {4, 5, 6})
                 f.FieldWriteI(i);
             f.FieldWriteEnd();
             WriteMatrix(f, "Weights", {0.25, 0.5});
             f.FieldWriteBegin("UserData");
             f.FieldWriteC("id");
             f.FieldWriteC("data");
             f.FieldWriteEnd();
         },
         [](KQelDeformer& d) {
             EXPECT_EQ(d.GetLinkMode(), KQelLink::eAdditive);
             EXPECT_EQ(Values(d.GetControlPointIndices()), (std::vector<int>{4, 5, 6}));
             ASSERT_EQ(d.GetControlPointWeights().GetCount(), 3);
             EXPECT_EQ(d.GetControlPointWeights()[1], 0.5);
             EXPECT_EQ(d.GetControlPointWeights()[2], 0.0);
             EXPECT_EQ(std::string(d.GetUserData().Buffer()), "data");
         }},
        {"weights without indexes", "Cluster", [](KQel& f) { WriteMatrix(f, "Weights", {0.25, 0.5}); },
         [](KQelDeformer& d) {
             EXPECT_EQ(d.GetControlPointIndices().GetCount(), 0);
             EXPECT_EQ(d.GetControlPointWeights().GetCount(), 0);
         }},
        {"a mirrored transform comes back as it was", "Cluster", [](KQel& f) { WriteMatrix(f, "Transform", kMirrorX); },
         [](KQelDeformer& d) {
             KQelXMatrix m;
             const double* values = d.GetTransformMatrix(m);
             for (int i = 0; i < 16; ++i)
                 EXPECT_NEAR(values[i], kMirrorX[i], 1e-9) << i;
         }},
        {"a flat axis scales by 0 without NaN", "Cluster", [](KQel& f) { WriteMatrix(f, "Transform", kFlatY); },
         [](KQelDeformer& d) {
             KQelXMatrix m;
             const double* values = d.GetTransformMatrix(m);
             for (int i = 0; i < 16; ++i)
                 EXPECT_NEAR(values[i], kFlatY[i], 1e-9) << i;
         }},
        {"the transform link alone is also the transform", "Cluster",
         [](KQel& f) {
             WriteMatrix(f, "TransformLink", kShiftX);
             WriteBlock model(f, "AssociateModel");
             WriteMatrix(f, "Transform", kShiftX);
         },
         [](KQelDeformer& d) {
             KQelXMatrix m;
             EXPECT_EQ(d.GetTransformMatrix(m).GetT()[0], 5.0);
             EXPECT_EQ(d.GetTransformLinkMatrix(m).GetT()[0], 5.0);
             EXPECT_EQ(d.GetTransformAssociateModelMatrix(m).GetT()[0], 10.0);
             EXPECT_FALSE(d.IsTransformParentSet());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        Blocks blocks;
        const std::string path = blocks.dir.File("deformer.qel");
        WriteBlocks(blocks, path, true, [&](BlockWriter&, KQel& f) {
            WriteBlock object(f, "Deformer", "Deformer::D");
            c.mFields(f);
        });
        KQelDeformer* deformer = blocks.manager.CreateKQelDeformer("D", c.mType);
        ReadBlocks(
            blocks, path,
            [&](BlockReader& pReader, KQel& pFile) {
                native_detail::ReadBlock object(pFile, "Deformer");
                pReader.ReadKQelDeformer(*deformer);
            },
            false);
        c.mCheck(*deformer);
    }
}

}  // namespace
}  // namespace blocktest
}  // namespace qelsdk_600
