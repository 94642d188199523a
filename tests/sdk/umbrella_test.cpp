// The umbrella header alone must be enough to use the SDK: every public header
// compiles in one unit without clashes, and the layers work together through it.
#include "qelsdk.h"

#include <gtest/gtest.h>

#include <string>

#include "common/scratch_dir.h"

namespace qelsdk_600 {
namespace {

TEST(Umbrella, CurveStoredInAFieldFileReadsBackThroughOneInclude)
{
    scratch::ScratchDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string path = dir.File("curve.qel");

    KFCurve curve;
    KTime second;
    second.SetSecondDouble(1.0);
    curve.KeyAdd(KTime(0), nullptr);
    curve.KeyAdd(second, nullptr);
    curve.KeySetValue(0, 0.0f);
    curve.KeySetValue(1, 10.0f);
    curve.KeySetInterpolation(0, kFCurveInterpolationLinear);

    KQel writer;
    ASSERT_TRUE(writer.ProjectCreate(path.c_str(), true, false, nullptr));
    writer.FieldWriteBegin("Curve");
    writer.FieldWriteBlockBegin();
    curve.QelStore(&writer);
    writer.FieldWriteBlockEnd();
    writer.FieldWriteEnd();
    ASSERT_TRUE(writer.ProjectClose());

    KQel reader;
    ASSERT_TRUE(reader.ProjectOpenDirect(path.c_str(), true, true, nullptr));
    ASSERT_TRUE(reader.FieldReadBegin("Curve"));
    ASSERT_TRUE(reader.FieldReadBlockBegin());
    KFCurve back;
    back.QelRetrieve(&reader);
    reader.FieldReadBlockEnd();
    reader.FieldReadEnd();
    reader.ProjectClose();

    KTime quarter;
    quarter.SetSecondDouble(0.25);
    EXPECT_EQ(back.KeyGetCount(), 2);
    EXPECT_NEAR(back.Evaluate(quarter, nullptr), 2.5, 1e-4);
}

}  // namespace
}  // namespace qelsdk_600
