#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "curves/kfcurvefiltermatrixconverter.h"
#include "math/kmfunctions.h"
#include "node_builders.h"

namespace qelsdk_600 {
namespace {

using testing_curves::FillUniform;
using testing_curves::kFrame;
using testing_curves::NodePtr;
using testing_curves::Sec;
using testing_curves::TransformTree;
typedef KFCurveFilterMatrixConverter Converter;

// Curve of channel ("T", "R", "S") and axis (0 X, 1 Y, 2 Z).
KFCurve* Channel(KFCurveNode* root, const char* channel, int axis)
{
    static const char* const kAxes[3] = {"X", "Y", "Z"};
    return root->FindRecursive(channel)->FindRecursive(kAxes[axis])->FCurveGet();
}

// A converter as the callers set it up, with the post-filters off.
void Configure(Converter& converter, KTime period)
{
    converter.SetResamplingPeriod(period);
    converter.SetGenerateLastKeyExactlyAtEndTime(true);
    converter.SetResampleTranslation(false);
    converter.SetApplyUnroll(false);
    converter.SetApplyConstantKeyReducer(false);
}

KgeAMatrix Rotation(double x, double y, double z)
{
    KgeAMatrix m;
    KmXYZtoR(m, x, y, z);
    return m;
}

KgeAMatrix Translation(double x, double y, double z)
{
    KgeAMatrix m;
    m.mData[3][0] = x;
    m.mData[3][1] = y;
    m.mData[3][2] = z;
    return m;
}

KgeAMatrix Scaling(double x, double y, double z)
{
    KgeAMatrix m;
    m.mData[0][0] = x;
    m.mData[1][1] = y;
    m.mData[2][2] = z;
    return m;
}

void ExpectAffineNear(const KgeAMatrix& a, const KgeAMatrix& b, double tolerance)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_NEAR(a.mData[row][column], b.mData[row][column], tolerance) << row << "," << column;
}

TEST(MatrixConverter, TrailingRotationComposesEveryKey)
{
    NodePtr root(TransformTree());
    FillUniform(*Channel(root.get(), "R", 0), kFCurveInterpolationCubic, kFCurveTangentAuto,
                {{0.0, 0.0f}, {1.0, 90.0f}});
    FillUniform(*Channel(root.get(), "R", 1), kFCurveInterpolationLinear, 0, {{0.0, 10.0f}, {1.0, 20.0f}});
    Channel(root.get(), "R", 2)->SetValue(5.0f);
    FillUniform(*Channel(root.get(), "T", 0), kFCurveInterpolationLinear, 0, {{0.0, 1.0f}, {1.0, 2.0f}});
    NodePtr original(root->Clone(false));
    KFCurve* translation = Channel(root.get(), "T", 0);

    Converter converter;
    Configure(converter, kFrame);
    converter.SetSourceMatrix(Converter::kTrailingMatrix, Rotation(0.0, 0.0, 90.0));
    ASSERT_TRUE(converter.Apply(*root, true));

    for (int axis = 0; axis < 3; ++axis) {
        ASSERT_EQ(Channel(root.get(), "R", axis)->KeyGetCount(), 31) << axis;
        ASSERT_EQ(Channel(root.get(), "S", axis)->KeyGetCount(), 31) << axis;
    }
    for (int k = 0; k < 31; ++k) {
        const KTime time = kFrame * k;
        double angles[3];
        for (int axis = 0; axis < 3; ++axis) {
            KFCurve* curve = Channel(root.get(), "R", axis);
            ASSERT_EQ(curve->KeyGetTime(k), time);
            angles[axis] = curve->KeyGetValue(k);
            EXPECT_NEAR(Channel(root.get(), "S", axis)->KeyGetValue(k), 1.0, 1e-6);
        }
        KgeAMatrix source = Rotation(Channel(original.get(), "R", 0)->Evaluate(time),
                                     Channel(original.get(), "R", 1)->Evaluate(time),
                                     Channel(original.get(), "R", 2)->Evaluate(time));
        KgeAMatrix expected;
        KmRR(expected, source, Rotation(0.0, 0.0, 90.0));  // the trailing turn applies first
        // 1e-4 degrees of rotation.
        ExpectAffineNear(Rotation(angles[0], angles[1], angles[2]), expected, 1.7e-6);
    }
    // Translation is neither resampled nor replaced.
    EXPECT_EQ(Channel(root.get(), "T", 0), translation);
    EXPECT_EQ(translation->KeyGetCount(), 2);
    EXPECT_FALSE(converter.GetResampleTranslation());
}

TEST(MatrixConverter, EquivalentCellsChangeNothingButThePostFilters)
{
    NodePtr root(TransformTree());
    FillUniform(*Channel(root.get(), "T", 0), kFCurveInterpolationLinear, 0,
                {{0.0, 5.0f}, {0.5, 5.0f}, {1.0, 5.0f}});
    FillUniform(*Channel(root.get(), "R", 0), kFCurveInterpolationLinear, 0, {{0.0, 350.0f}, {1.0, 350.0f}});
    Converter converter;
    converter.SetResamplingPeriod(kFrame);
    EXPECT_FALSE(converter.Apply(*root, true));
    EXPECT_EQ(converter.GetLastErrorID(), 1);
    EXPECT_STREQ(converter.GetLastErrorString(), "MatrixConverter, No key were changed by filter.");
    // The constant key reducer emptied the flat translation curve ...
    EXPECT_EQ(Channel(root.get(), "T", 0)->KeyGetCount(), 0);
    EXPECT_FLOAT_EQ(Channel(root.get(), "T", 0)->GetValue(), 5.0f);
    // ... and the rotation was unrolled against (0, 0, 0) before the
    // reducer left one key of it.
    KFCurve* x = Channel(root.get(), "R", 0);
    EXPECT_NEAR(x->KeyGetCount() > 0 ? x->KeyGetValue(0) : x->GetValue(), -10.0, 1e-4);
}

TEST(MatrixConverter, PostFiltersResampleTheRotationOnThePeriod)
{
    NodePtr root(TransformTree());
    FillUniform(*Channel(root.get(), "R", 0), kFCurveInterpolationCubic, kFCurveTangentAuto,
                {{0.0, 0.0f}, {1.0, 45.0f}});
    Converter converter;
    converter.SetResamplingPeriod(Sec(0.1));
    converter.SetApplyConstantKeyReducer(false);
    EXPECT_FALSE(converter.Apply(*root, true));
    EXPECT_EQ(Channel(root.get(), "R", 0)->KeyGetCount(), 11);
}

TEST(MatrixConverter, OffsetsAndPivotsMoveTheTranslation)
{
    const struct {
        Converter::EMatrixID id;
        KgeAMatrix matrix;
        double rotationZ;
        double raise[3];
    } cases[] = {
        {Converter::kRotatedOffsetMatrix, Translation(1.0, 2.0, 3.0), 0.0, {1.0, 2.0, 3.0}},
        // The offset turns with the rotation.
        {Converter::kRotatedOffsetMatrix, Translation(1.0, 0.0, 0.0), 90.0, {0.0, 1.0, 0.0}},
        // Turning about (1, 0, 0) moves the origin to (1, -1, 0).
        {Converter::kRotationPivotMatrix, Translation(1.0, 0.0, 0.0), 90.0, {1.0, -1.0, 0.0}},
        {Converter::kPreTranslationMatrix, Translation(1.0, 2.0, 3.0), 0.0, {1.0, 2.0, 3.0}},
    };
    for (const auto& c : cases) {
        NodePtr root(TransformTree());
        const double defaults[3] = {0.5, 1.5, 2.5};
        for (int axis = 0; axis < 3; ++axis) {
            Channel(root.get(), "T", axis)->SetValue(static_cast<float>(defaults[axis]));
            FillUniform(*Channel(root.get(), "T", axis), kFCurveInterpolationLinear, 0,
                        {{0.0, 0.0f}, {1.0, 10.0f * (axis + 1)}});
        }
        Channel(root.get(), "R", 2)->SetValue(static_cast<float>(c.rotationZ));
        Converter converter;
        Configure(converter, Sec(1.0));
        // A pre-translation leaves the switch alone; the caller asks for it.
        converter.SetResampleTranslation(c.id == Converter::kPreTranslationMatrix);
        converter.SetSourceMatrix(c.id, c.matrix);
        ASSERT_TRUE(converter.Apply(*root, true)) << c.id;
        EXPECT_TRUE(converter.GetResampleTranslation()) << c.id;
        for (int axis = 0; axis < 3; ++axis) {
            KFCurve* curve = Channel(root.get(), "T", axis);
            // Keys stay at their times, each raised by the offset.
            ASSERT_EQ(curve->KeyGetCount(), 2) << c.id;
            EXPECT_EQ(curve->KeyGetTime(1), Sec(1.0));
            EXPECT_NEAR(curve->KeyGetValue(0), c.raise[axis], 1e-5) << c.id << " " << axis;
            EXPECT_NEAR(curve->KeyGetValue(1), 10.0 * (axis + 1) + c.raise[axis], 1e-4) << c.id << " " << axis;
            EXPECT_NEAR(curve->GetValue(), defaults[axis] + c.raise[axis], 1e-5) << c.id << " " << axis;
        }
    }
}

TEST(MatrixConverter, NonPositivePeriodIsRefused)
{
    for (KTime period : {KTime(0), KTime(-kFrame.Get())}) {
        NodePtr root(TransformTree());
        FillUniform(*Channel(root.get(), "R", 0), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {1.0, 10.0f}});
        KFCurve* before = Channel(root.get(), "R", 0);
        Converter converter;
        Configure(converter, period);
        converter.SetSourceMatrix(Converter::kTrailingMatrix, Rotation(0.0, 0.0, 90.0));
        EXPECT_FALSE(converter.Apply(*root, true));
        EXPECT_EQ(converter.GetLastErrorID(), 1);
        EXPECT_EQ(Channel(root.get(), "R", 0), before);
        EXPECT_EQ(before->KeyGetCount(), 2);
        EXPECT_FLOAT_EQ(Channel(root.get(), "R", 2)->GetValue(), 0.0f);
    }
}

TEST(MatrixConverter, KeylessCurvesGetTheConvertedDefaultsOnly)
{
    NodePtr root(TransformTree());
    Channel(root.get(), "T", 0)->SetValue(4.0f);
    Converter converter;
    Configure(converter, KTime(0));  // no key: the period is not needed
    converter.SetSourceMatrix(Converter::kTrailingMatrix, Rotation(0.0, 0.0, 90.0));
    ASSERT_TRUE(converter.Apply(*root, true));
    EXPECT_NEAR(Channel(root.get(), "R", 2)->GetValue(), 90.0, 1e-5);
    EXPECT_EQ(Channel(root.get(), "R", 2)->KeyGetCount(), 0);
    EXPECT_FLOAT_EQ(Channel(root.get(), "T", 0)->GetValue(), 4.0f);
}

TEST(MatrixConverter, RefusesOtherShapesAndForms)
{
    NodePtr root(KFCurveNodeCreate("Transform"));
    root->Add(testing_curves::PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    root->Add(testing_curves::PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    Converter converter;
    Configure(converter, kFrame);
    converter.SetSourceMatrix(Converter::kTrailingMatrix, Rotation(0.0, 0.0, 90.0));
    EXPECT_FALSE(converter.Apply(*root, true));
    EXPECT_EQ(converter.GetLastErrorID(), 3);
    EXPECT_STREQ(converter.GetLastErrorString(), "MatrixConverter, Missing curve.");
    EXPECT_FLOAT_EQ(Channel(root.get(), "R", 2)->GetValue(), 0.0f);

    KFCurve curve;
    KFCurve* curves[1] = {&curve};
    EXPECT_FALSE(converter.Apply(curve));
    EXPECT_EQ(converter.GetLastErrorID(), 2);
    EXPECT_FALSE(converter.Apply(curves, 1));
    EXPECT_EQ(converter.GetLastErrorID(), 2);

    // Ids outside the table are ignored.
    converter.SetSourceMatrix(static_cast<Converter::EMatrixID>(13), Rotation(1.0, 2.0, 3.0));
    converter.SetDestMatrix(static_cast<Converter::EMatrixID>(-1), Rotation(1.0, 2.0, 3.0));
    KgeAMatrix out = Translation(7.0, 7.0, 7.0);
    converter.GetSourceMatrix(static_cast<Converter::EMatrixID>(99), out);
    EXPECT_DOUBLE_EQ(out.mData[3][0], 7.0);
}

TEST(MatrixConverter, WrittenKeysFollowTheSourceKeyKind)
{
    const struct {
        kUInt interpolation;
        kUInt mode;
        kUInt writtenInterpolation;
        kUInt writtenMode;
    } cases[] = {
        {kFCurveInterpolationLinear, 0, kFCurveInterpolationLinear, kFCurveTangentAuto},
        {kFCurveInterpolationCubic, kFCurveTangentTCB, kFCurveInterpolationCubic, kFCurveTangentTCB},
        {kFCurveInterpolationCubic, kFCurveTangentUserBreak, kFCurveInterpolationCubic, kFCurveTangentUserBreak},
        {kFCurveInterpolationCubic, kFCurveTangentAutoBreak, kFCurveInterpolationCubic, kFCurveTangentAutoBreak},
        {kFCurveInterpolationCubic, kFCurveTangentBreak, kFCurveInterpolationCubic, kFCurveTangentAuto},
        // Constant keys keep holding their own value, not the next one.
        {kFCurveInterpolationConstant, kFCurveConstantStandard, kFCurveInterpolationConstant,
         kFCurveConstantStandard},
        {kFCurveInterpolationConstant, kFCurveConstantNext, kFCurveInterpolationConstant, kFCurveConstantNext},
    };
    for (const auto& c : cases) {
        NodePtr root(TransformTree());
        KFCurve* x = Channel(root.get(), "R", 0);
        FillUniform(*x, c.interpolation, c.mode, {{0.0, 0.0f}, {1.0, 30.0f}});
        Converter converter;
        Configure(converter, Sec(0.25));
        converter.SetSourceMatrix(Converter::kPreRotationMatrix, Rotation(0.0, 0.0, 10.0));
        ASSERT_TRUE(converter.Apply(*root, true));
        KFCurve* written = Channel(root.get(), "R", 0);
        ASSERT_EQ(written->KeyGetCount(), 5);
        EXPECT_EQ(written->KeyGetInterpolation(2), c.writtenInterpolation) << c.interpolation << " " << c.mode;
        EXPECT_EQ(written->KeyGetTangeantMode(2), c.writtenMode) << c.interpolation << " " << c.mode;
        // Rotation channels without keys take cubic auto.
        EXPECT_EQ(Channel(root.get(), "R", 1)->KeyGetInterpolation(2), kFCurveInterpolationCubic);
    }
}

TEST(MatrixConverter, LastKeyAtTheEndOrOnTheGrid)
{
    for (bool exact : {true, false}) {
        NodePtr root(TransformTree());
        FillUniform(*Channel(root.get(), "R", 0), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {0.95, 10.0f}});
        Converter converter;
        Configure(converter, Sec(0.1));
        converter.SetGenerateLastKeyExactlyAtEndTime(exact);
        converter.SetSourceMatrix(Converter::kTrailingMatrix, Rotation(0.0, 0.0, 90.0));
        ASSERT_TRUE(converter.Apply(*root, true));
        KFCurve* x = Channel(root.get(), "R", 0);
        ASSERT_EQ(x->KeyGetCount(), 11);
        EXPECT_EQ(x->KeyGetTime(9), Sec(0.9));
        EXPECT_EQ(x->KeyGetTime(10), exact ? Sec(0.95) : Sec(0.1) * 10);
    }
}

TEST(MatrixConverter, LongPeriodsStillGetEveryKey)
{
    // 41 samples 1000 s apart: a key count estimated in seconds would fall
    // short of them.
    NodePtr root(TransformTree());
    FillUniform(*Channel(root.get(), "R", 0), kFCurveInterpolationLinear, 0, {{0.0, 0.0f}, {40000.0, 40.0f}});
    Converter converter;
    Configure(converter, Sec(1000.0));
    converter.SetSourceMatrix(Converter::kTrailingMatrix, Rotation(0.0, 0.0, 90.0));
    ASSERT_TRUE(converter.Apply(*root, true));
    KFCurve* x = Channel(root.get(), "R", 0);
    ASSERT_EQ(x->KeyGetCount(), 41);
    for (int k = 0; k < 41; ++k)
        EXPECT_EQ(x->KeyGetTime(k), Sec(1000.0) * k);
}

TEST(MatrixConverter, ResetMakesEveryMatrixIdentityAgain)
{
    NodePtr root(TransformTree());
    Channel(root.get(), "S", 0)->SetValue(1.0f);
    Converter converter;
    Configure(converter, kFrame);
    converter.SetSourceMatrix(Converter::kLeadingMatrix, Scaling(2.0, 2.0, 2.0));
    converter.Reset();
    Configure(converter, kFrame);
    converter.SetSourceMatrix(Converter::kTrailingMatrix, Rotation(0.0, 0.0, 90.0));
    ASSERT_TRUE(converter.Apply(*root, true));
    EXPECT_NEAR(Channel(root.get(), "S", 0)->GetValue(), 1.0, 1e-6);
    EXPECT_NEAR(Channel(root.get(), "R", 2)->GetValue(), 90.0, 1e-5);
}

TEST(MatrixConverter, SamplingRangeAlignsAndClips)
{
    const struct {
        bool onMultiple;
        KTime filterStop;
        KTime firstKey;
        KTime lastKey;
    } cases[] = {
        {true, KTIME_INFINITE, kFrame, Sec(1.0)},
        {false, KTIME_INFINITE, Sec(0.05), Sec(1.0)},
        {true, Sec(0.5), kFrame, Sec(0.5)},
    };
    for (const auto& c : cases) {
        NodePtr root(TransformTree());
        FillUniform(*Channel(root.get(), "S", 1), kFCurveInterpolationLinear, 0, {{0.05, 1.0f}, {1.0, 2.0f}});
        Converter converter;
        Configure(converter, kFrame);
        converter.SetResamplingOnFrameRateMultiple(c.onMultiple);
        converter.SetStopTime(c.filterStop);
        converter.SetSourceMatrix(Converter::kLeadingMatrix, Scaling(2.0, 2.0, 2.0));
        ASSERT_TRUE(converter.Apply(*root, true));
        KFCurve* y = Channel(root.get(), "S", 1);
        ASSERT_GT(y->KeyGetCount(), 1);
        EXPECT_EQ(y->KeyGetTime(0), c.firstKey);
        EXPECT_EQ(y->KeyGetTime(y->KeyGetCount() - 1), c.lastKey);
        // The leading scaling doubles every sample.
        const double last = c.lastKey.GetSecondDouble();
        EXPECT_NEAR(y->KeyGetValue(y->KeyGetCount() - 1), 2.0 * (1.0 + (last - 0.05) / 0.95),
                    1e-4);
    }
}

TEST(MatrixConverter, ExtractUndoesComposeForAnyDestination)
{
    // Destination models with pivots, pre- and post-rotation and offsets:
    // decomposing a total in one and composing it back gives the total.
    Converter::Cell cell;
    const struct {
        Converter::EMatrixID id;
        KgeAMatrix matrix;
    } matrices[] = {
        {Converter::kLeadingMatrix, Translation(0.0, 0.0, -2.0)},
        {Converter::kPostTranslationMatrix, Translation(0.5, 0.0, 0.0)},
        {Converter::kPreRotationMatrix, Rotation(0.0, 0.0, 30.0)},
        {Converter::kPostRotationMatrix, Rotation(10.0, 0.0, 0.0)},
        {Converter::kRotationPivotMatrix, Translation(1.0, 2.0, 0.0)},
        {Converter::kScalingPivotMatrix, Translation(0.0, -1.0, 3.0)},
        {Converter::kRotatedOffsetMatrix, Translation(0.0, 0.0, 1.0)},
        {Converter::kTrailingMatrix, Rotation(0.0, 20.0, 0.0)},
    };
    for (const auto& m : matrices) {
        cell.mMatrices[m.id] = m.matrix;
        cell.mIsIdentity[m.id] = false;
    }
    cell.mAllIdentity = false;

    Converter converter;
    const KgeAMatrix t = Translation(3.0, -4.0, 5.0);
    const KgeAMatrix r = Rotation(25.0, -40.0, 70.0);
    const KgeAMatrix s = Scaling(2.0, 0.5, 1.5);
    KgeAMatrix total;
    converter.ComputeTotalMatrix(total, cell, t, r, s);

    cell.InverseMatrices();
    KgeSVector scaling;
    KgeRVector rotation;
    KgeTVector translation;
    converter.ExtractTransforms(scaling, rotation, translation, total, cell);
    const double expectedRotation[3] = {25.0, -40.0, 70.0};
    const double expectedScaling[3] = {2.0, 0.5, 1.5};
    const double expectedTranslation[3] = {3.0, -4.0, 5.0};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(rotation[i], expectedRotation[i], 1e-6) << i;
        EXPECT_NEAR(scaling[i], expectedScaling[i], 1e-9) << i;
        EXPECT_NEAR(translation[i], expectedTranslation[i], 1e-9) << i;
    }
    // Inverting twice restores the cell.
    cell.InverseMatrices();
    ExpectAffineNear(cell.mMatrices[Converter::kPreRotationMatrix], Rotation(0.0, 0.0, 30.0), 1e-12);
}

TEST(MatrixConverter, MirroredMatricesDecomposeAndRecompose)
{
    const KgeAMatrix totals[] = {Scaling(-1.0, 1.0, 1.0), Scaling(2.0, -3.0, 4.0), Rotation(10.0, 20.0, 30.0)};
    Converter converter;
    Converter::Cell identity;
    for (const KgeAMatrix& total : totals) {
        KgeSVector scaling;
        KgeRVector rotation;
        KgeTVector translation;
        converter.ExtractTransforms(scaling, rotation, translation, total, identity);
        KgeAMatrix recomposed;
        converter.ComputeTotalMatrix(recomposed, identity, Translation(translation[0], translation[1], translation[2]),
                                     Rotation(rotation[0], rotation[1], rotation[2]),
                                     Scaling(scaling[0], scaling[1], scaling[2]));
        ExpectAffineNear(recomposed, total, 1e-9);
    }
}

}  // namespace
}  // namespace qelsdk_600
