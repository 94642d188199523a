// The curve's native-file fields: round trips in both forms, older key
// versions, the older-reader spelling and hostile "Key" fields.
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/scratch_dir.h"
#include "curve_builders.h"
#include "curves/kfcurve.h"
#include "file/kqel.h"

namespace qelsdk_600 {
namespace {

using scratch::ScratchDir;
using testing_curves::CurvePtr;
using testing_curves::FillUniform;
using testing_curves::Sec;
using testing_curves::StrictlyIncreasing;

// Writes `body` inside the block of a field "Curve".
void WriteCurveFile(const std::string& path, bool binary, const std::function<void(KQel&)>& body)
{
    KQel file;
    ASSERT_TRUE(file.ProjectCreate(path.c_str(), binary, false, nullptr));
    file.FieldWriteBegin("Curve");
    file.FieldWriteBlockBegin();
    body(file);
    file.FieldWriteBlockEnd();
    file.FieldWriteEnd();
    ASSERT_TRUE(file.ProjectClose());
}

// Runs `body` inside the block of the field "Curve".
void ReadCurveFile(const std::string& path, const std::function<void(KQel&)>& body)
{
    KQel file;
    ASSERT_TRUE(file.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(file.FieldReadBegin("Curve"));
    ASSERT_TRUE(file.FieldReadBlockBegin());
    body(file);
    file.FieldReadBlockEnd();
    file.FieldReadEnd();
    file.ProjectClose();
}

CurvePtr RoundTrip(KFCurve& curve, bool binary, bool olderForm = false)
{
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), binary, [&](KQel& file) { curve.QelStore(&file, false, true, olderForm); });
    CurvePtr result;
    ReadCurveFile(scratch.File("curve.qel"), [&](KQel& file) { result.reset(KFCurveCreate(&file, false, true)); });
    return result;
}

// Reads a curve from hand-made fields.
CurvePtr ReadFields(bool binary, const std::function<void(KQel&)>& fields)
{
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), binary, fields);
    CurvePtr result;
    ReadCurveFile(scratch.File("curve.qel"), [&](KQel& file) { result.reset(KFCurveCreate(&file, false, true)); });
    return result;
}

void WriteHeader(KQel& file, double defaultValue, int version, int count)
{
    file.FieldWriteBegin("Default");
    file.FieldWriteD(defaultValue);
    file.FieldWriteEnd();
    if (version >= 0) {
        file.FieldWriteBegin("KeyVer");
        file.FieldWriteI(version);
        file.FieldWriteEnd();
    }
    file.FieldWriteBegin("KeyCount");
    file.FieldWriteI(count);
    file.FieldWriteEnd();
}

// Every interpolation, tangent mode, constant mode and weight mode, with the
// data a file keeps for each (nothing a key group does not store).
void FillMixed(KFCurve& curve, int n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    std::uniform_real_distribution<float> weight(0.01f, 0.9f);
    std::uniform_int_distribution<int> gap(1, 2000000000);
    long long ticks = -5000000000000LL;
    for (int i = 0; i < n; ++i) {
        ticks += gap(random);
        const KTime time(ticks);
        const int kind = i % 11;
        curve.KeyAppendFast(time, 0.0f);
        KFCurveKey* key = curve.KeyGetPtr(i);
        const float v = value(random);
        switch (kind) {
        case 0:
            key->Set(time, v, kFCurveInterpolationConstant, kFCurveConstantStandard);
            break;
        case 1:
            key->Set(time, v, kFCurveInterpolationConstant, kFCurveConstantNext);
            break;
        case 2:
            key->Set(time, v, kFCurveInterpolationLinear, 0);
            break;
        case 3:
            key->SetTCB(time, v, value(random) / 1000, value(random) / 1000, value(random) / 1000);
            break;
        case 4:  // flat auto: written "a"
            key->Set(time, v, kFCurveInterpolationCubic, kFCurveTangentAuto);
            break;
        default: {
            static const kUInt modes[] = {kFCurveTangentAuto, kFCurveTangentAutoBreak, kFCurveTangentUser,
                                          kFCurveTangentUserBreak};
            const kUInt mode = modes[kind % 4];
            const kUInt weights = static_cast<kUInt>(kind % 4) << 24;
            key->Set(time, v, kFCurveInterpolationCubic, mode, value(random), value(random), weights,
                     weight(random), weight(random));
            if (!(weights & kFCurveWeightedRight))
                key->SetDataDouble(eKFCurveRightWeight, kFCurveDefaultWeight);
            if (!(weights & kFCurveWeightedNextLeft))
                key->SetDataDouble(eKFCurveNextLeftWeight, kFCurveDefaultWeight);
            break;
        }
        }
    }
    // A smooth auto key is one whose left and right auto values cancel.
    for (int i = 1; i < n; ++i) {
        KFCurveKey* key = curve.KeyGetPtr(i);
        if (key->GetInterpolation() == kFCurveInterpolationCubic && key->GetTangeantMode() == kFCurveTangentAuto &&
            (key->GetDataFloat(0) != 0.0f || key->GetDataFloat(1) != 0.0f))
            key->SetDataDouble(eKFCurveRightDerivative, -curve.KeyGetLeftAuto(i));
    }
}

class KFCurveFileForms : public ::testing::TestWithParam<bool> {};

TEST_P(KFCurveFileForms, MixedCurveRoundTripsRecordForRecord)
{
    KFCurve curve;
    FillMixed(curve, 10000, 7);
    curve.SetValue(-2.5f);
    const float color[3] = {0.1f, 0.2f, 0.3f};
    curve.SetColor(color);
    curve.SetPreExtrapolation(kFCurveExtrapolationMirrorRepetition);
    curve.SetPreExtrapolationCount(4);
    curve.SetPostExtrapolation(kFCurveExtrapolationKeepSlope);
    curve.SetPostExtrapolationCount(0xFFFFFFFFu);

    CurvePtr back = RoundTrip(curve, GetParam());
    ASSERT_TRUE(back);
    ASSERT_EQ(back->KeyGetCount(), curve.KeyGetCount());
    for (int i = 0; i < curve.KeyGetCount(); ++i)
        ASSERT_EQ(std::memcmp(back->KeyGetPtr(i), curve.KeyGetPtr(i), sizeof(KFCurveKey)), 0)
            << "key " << i << " kind " << i % 11;
    EXPECT_EQ(back->GetValue(), -2.5f);
    EXPECT_EQ(back->GetColor()[2], 0.3f);
    EXPECT_EQ(back->GetPreExtrapolation(), kFCurveExtrapolationMirrorRepetition);
    EXPECT_EQ(back->GetPreExtrapolationCount(), 4u);
    EXPECT_EQ(back->GetPostExtrapolation(), kFCurveExtrapolationKeepSlope);
    EXPECT_EQ(back->GetPostExtrapolationCount(), 0xFFFFFFFFu);
    EXPECT_TRUE(back->CheckCurve());
}

TEST_P(KFCurveFileForms, CurveWithoutKeysKeepsDefaultAndColour)
{
    KFCurve curve;
    curve.SetValue(3.0f);
    const float color[3] = {0.5f, 0.25f, 1.0f};
    curve.SetColor(color);
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), GetParam(), [&](KQel& file) { curve.QelStore(&file, false, true); });
    ReadCurveFile(scratch.File("curve.qel"), [&](KQel& file) {
        EXPECT_EQ(file.FieldGetInstanceCount("KeyVer"), 0);
        EXPECT_EQ(file.FieldGetInstanceCount("Pre-Extrapolation"), 0);
        KFCurve back;
        FillUniform(back, kFCurveInterpolationLinear, 0, {{0, 1.0f}});
        EXPECT_FALSE(back.QelRetrieve(&file, false, true));
        EXPECT_EQ(back.KeyGetCount(), 0);
        EXPECT_EQ(back.GetValue(), 3.0f);
        EXPECT_EQ(back.GetColor()[1], 0.25f);
    });
}

TEST_P(KFCurveFileForms, OnlyDefaultsWritesTheDefaultAlone)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 1.0f}, {1, 2.0f}});
    curve.SetValue(4.0f);
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), GetParam(), [&](KQel& file) { curve.QelStore(&file, true, true); });
    ReadCurveFile(scratch.File("curve.qel"), [&](KQel& file) {
        EXPECT_EQ(file.FieldGetInstanceCount("Key"), 0);
        EXPECT_EQ(file.FieldGetInstanceCount("Color"), 0);
        CurvePtr back(KFCurveCreate(&file, true, true));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->KeyGetCount(), 0);
        EXPECT_EQ(back->GetValue(), 4.0f);
    });
}

TEST_P(KFCurveFileForms, ExtrapolationBlockOnlyWhenItSaysSomething)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 1.0f}, {1, 2.0f}});
    curve.SetPostExtrapolationCount(3);  // constant with count 3; pre stays constant, 0
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), GetParam(), [&](KQel& file) { curve.QelStore(&file, false, false); });
    ReadCurveFile(scratch.File("curve.qel"), [&](KQel& file) {
        EXPECT_EQ(file.FieldGetInstanceCount("Pre-Extrapolation"), 0);
        ASSERT_TRUE(file.FieldReadBegin("Post-Extrapolation"));
        ASSERT_TRUE(file.FieldReadBlockBegin());
        EXPECT_EQ(file.FieldReadCH("Type", 0), 'C');
        EXPECT_EQ(file.FieldReadI("Repetition", 0), 3);
        file.FieldReadBlockEnd();
        file.FieldReadEnd();
    });
}

TEST_P(KFCurveFileForms, MissingDefaultLeavesTheCurveAlone)
{
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), GetParam(), [](KQel& file) {
        file.FieldWriteBegin("Other");
        file.FieldWriteI(1);
        file.FieldWriteEnd();
    });
    ReadCurveFile(scratch.File("curve.qel"), [](KQel& file) {
        KFCurve curve;
        FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 1.0f}});
        EXPECT_TRUE(curve.QelRetrieve(&file));
        EXPECT_EQ(curve.KeyGetCount(), 1);
        EXPECT_EQ(KFCurveCreate(&file, &curve), nullptr);
        EXPECT_EQ(KFCurveCreate(&file), nullptr);
        EXPECT_EQ(curve.KeyGetCount(), 1);
    });
}

TEST_P(KFCurveFileForms, AnnouncedCountBeyondTheValuesIsNotTrusted)
{
    const int before = KFCurve::GetRecordingMemory();
    CurvePtr curve = ReadFields(GetParam(), [](KQel& file) {
        WriteHeader(file, 1.0, 4004, 100000000);
        file.FieldWriteBegin("Key");
        for (int i = 0; i < 2; ++i) {
            file.FieldWriteT(Sec(i));
            file.FieldWriteD(i);
            file.FieldWriteCH('L');
        }
        file.FieldWriteT(Sec(5));  // a key cut short
        file.FieldWriteEnd();
    });
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->KeyGetCount(), 2);
    EXPECT_LE(curve->KeyGetCapacity(), 2048);
    EXPECT_LT(KFCurve::GetRecordingMemory() - before, 64 * 1024);

    CurvePtr missing = ReadFields(GetParam(), [](KQel& file) { WriteHeader(file, 6.0, 4004, 5); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->KeyGetCount(), 0);
    EXPECT_EQ(missing->GetValue(), 6.0f);
}

TEST_P(KFCurveFileForms, BadKeysAreDroppedAndTheRestStands)
{
    struct Key {
        double seconds;
        char letter;
    };
    struct Case {
        const char* name;
        std::vector<Key> keys;
        std::vector<double> kept;
    };
    const Case cases[] = {
        {"same time twice", {{1, 'L'}, {1, 'L'}, {2, 'L'}}, {1, 2}},
        {"unknown letter", {{1, 'L'}, {2, 'X'}, {3, 'L'}}, {1, 3}},
        // Order is judged against the keys kept, not the dropped one.
        {"earlier after a dropped key", {{5, 'L'}, {2, 'X'}, {3, 'L'}}, {5}},
        {"later after a dropped key", {{1, 'L'}, {9, 'X'}, {2, 'L'}}, {1, 2}},
        {"all dropped", {{1, 'X'}, {2, 'Y'}}, {}},
    };
    for (const Case& c : cases) {
        CurvePtr curve = ReadFields(GetParam(), [&](KQel& file) {
            WriteHeader(file, 8.0, 4004, static_cast<int>(c.keys.size()));
            file.FieldWriteBegin("Key");
            for (const Key& key : c.keys) {
                file.FieldWriteT(Sec(key.seconds));
                file.FieldWriteD(key.seconds * 10);
                file.FieldWriteCH(key.letter);
            }
            file.FieldWriteEnd();
        });
        ASSERT_TRUE(curve) << c.name;
        ASSERT_EQ(curve->KeyGetCount(), static_cast<int>(c.kept.size())) << c.name;
        for (std::size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(curve->KeyGetTime(static_cast<int>(i)), Sec(c.kept[i])) << c.name;
            EXPECT_EQ(curve->KeyGetValue(static_cast<int>(i)), static_cast<float>(c.kept[i] * 10)) << c.name;
        }
        // The file's default stands even when every key is dropped.
        EXPECT_EQ(curve->GetValue(), 8.0f) << c.name;
        EXPECT_TRUE(curve->CheckCurve()) << c.name;
    }
}

TEST_P(KFCurveFileForms, Version4003HasNoConstantModeLetter)
{
    CurvePtr curve = ReadFields(GetParam(), [](KQel& file) {
        WriteHeader(file, 0.0, 4003, 3);
        file.FieldWriteBegin("Key");
        file.FieldWriteT(Sec(0));
        file.FieldWriteD(1.0);
        file.FieldWriteCH('L');
        file.FieldWriteT(Sec(1));
        file.FieldWriteD(2.0);
        file.FieldWriteCH('C');
        file.FieldWriteT(Sec(2));
        file.FieldWriteD(3.0);
        file.FieldWriteCH('U');
        file.FieldWriteCH('a');
        file.FieldWriteEnd();
    });
    ASSERT_TRUE(curve);
    ASSERT_EQ(curve->KeyGetCount(), 3);
    EXPECT_EQ(curve->KeyGetInterpolation(1), kFCurveInterpolationConstant);
    EXPECT_EQ(curve->KeyGetConstantMode(1), kFCurveConstantStandard);
    EXPECT_EQ(curve->KeyGetTime(2), Sec(2));
    EXPECT_EQ(curve->KeyGetTangeantMode(2), kFCurveTangentAuto);
}

TEST_P(KFCurveFileForms, Version4000AutoKeyCarriesItsNextLeftDerivative)
{
    CurvePtr curve = ReadFields(GetParam(), [](KQel& file) {
        WriteHeader(file, 0.0, 4000, 2);
        file.FieldWriteBegin("Key");
        file.FieldWriteT(Sec(0));
        file.FieldWriteD(1.0);
        file.FieldWriteCH('U');
        file.FieldWriteCH('a');
        file.FieldWriteD(0.5);
        file.FieldWriteT(Sec(1));
        file.FieldWriteD(2.0);
        file.FieldWriteCH('U');
        file.FieldWriteCH('a');
        file.FieldWriteD(0.0);
        file.FieldWriteEnd();
    });
    ASSERT_TRUE(curve);
    ASSERT_EQ(curve->KeyGetCount(), 2);
    EXPECT_EQ(curve->KeyGetDataFloat(0, eKFCurveNextLeftDerivative), 0.5f);
    EXPECT_EQ(curve->KeyGetTime(1), Sec(1));
}

TEST_P(KFCurveFileForms, Version3999BezierHandlesBecomeDerivatives)
{
    // Absolute handle values 1 and 2 around keys 0 and 3: the Bezier 0, 1,
    // 2, 3, a straight line.
    CurvePtr curve = ReadFields(GetParam(), [](KQel& file) {
        WriteHeader(file, 0.0, 3999, 2);
        file.FieldWriteBegin("Key");
        file.FieldWriteT(Sec(0));
        file.FieldWriteD(0.0);
        file.FieldWriteCH('B');
        file.FieldWriteCH('b');
        file.FieldWriteD(-1.0);
        file.FieldWriteD(1.0);
        file.FieldWriteT(Sec(1));
        file.FieldWriteD(3.0);
        file.FieldWriteCH('B');
        file.FieldWriteCH('b');
        file.FieldWriteD(2.0);
        file.FieldWriteD(4.0);
        file.FieldWriteEnd();
    });
    ASSERT_TRUE(curve);
    ASSERT_EQ(curve->KeyGetCount(), 2);
    EXPECT_EQ(curve->KeyGetTangeantMode(0), kFCurveTangentUserBreak);
    EXPECT_EQ(curve->KeyGetTangeantMode(1), kFCurveTangentUser);  // the last key: auto, then user
    EXPECT_FLOAT_EQ(static_cast<float>(curve->KeyGetRightDerivative(0)), 3.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(curve->KeyGetLeftDerivative(1)), 3.0f);
    EXPECT_FLOAT_EQ(curve->Evaluate(Sec(0.5)), 1.5f);
}

TEST_P(KFCurveFileForms, Version3999TCBKeyIsRewrittenAfterUserKey)
{
    // Old keys without a version: a user key, then a TCB key, then a linear
    // key. The TCB key becomes user-break with its TCB derivatives.
    CurvePtr curve = ReadFields(GetParam(), [](KQel& file) {
        WriteHeader(file, 0.0, -1, 4);
        file.FieldWriteBegin("Key");
        file.FieldWriteT(Sec(0));
        file.FieldWriteD(0.0);
        file.FieldWriteCH('U');
        file.FieldWriteCH('s');
        file.FieldWriteD(1.0);
        file.FieldWriteD(1.0);
        file.FieldWriteT(Sec(1));
        file.FieldWriteD(1.0);
        file.FieldWriteCH('T');
        file.FieldWriteD(0.0);
        file.FieldWriteD(0.0);
        file.FieldWriteD(0.0);
        file.FieldWriteT(Sec(2));
        file.FieldWriteD(3.0);
        file.FieldWriteCH('L');
        file.FieldWriteT(Sec(3));
        file.FieldWriteD(3.0);
        file.FieldWriteCH('L');
        file.FieldWriteEnd();
    });
    ASSERT_TRUE(curve);
    ASSERT_EQ(curve->KeyGetCount(), 4);
    EXPECT_EQ(curve->KeyGetTangeantMode(1), kFCurveTangentUserBreak);
    // TCB 0, 0, 0 at key 1: the mean of the slopes 1 and 2.
    EXPECT_FLOAT_EQ(static_cast<float>(curve->KeyGetRightDerivative(1)), 1.5f);
    // Its next-left: half of slope 2 plus slope 0.
    EXPECT_FLOAT_EQ(curve->KeyGetDataFloat(1, eKFCurveNextLeftDerivative), 1.0f);
    // The last key turns cubic auto.
    EXPECT_EQ(curve->KeyGetInterpolation(3), kFCurveInterpolationCubic);
}

TEST_P(KFCurveFileForms, OlderReaderSpellingOfAutoKeys)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 1.0f}, {2, 0.0f}, {3, 2.0f}});
    curve.KeySetTangeantMode(1, kFCurveTangentUser);
    curve.KeyGetPtr(1)->SetDataDouble(eKFCurveRightDerivative, 2.0f);
    curve.KeyGetPtr(1)->SetDataDouble(eKFCurveNextLeftDerivative, 2.0f);
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), GetParam(), [&](KQel& file) { curve.QelStore(&file, false, false, true); });
    ReadCurveFile(scratch.File("curve.qel"), [&](KQel& file) {
        EXPECT_EQ(file.FieldReadI("KeyVer", 0), 4004);
        ASSERT_TRUE(file.FieldReadBegin("Key"));
        // Key 0, flat auto before a user key: "d" and key 1's left derivative.
        EXPECT_EQ(file.FieldReadT(), Sec(0));
        EXPECT_EQ(file.FieldReadD(), 0.0);
        EXPECT_EQ(file.FieldReadCH(), 'U');
        EXPECT_EQ(file.FieldReadCH(), 'd');
        EXPECT_EQ(file.FieldReadD(), curve.KeyGetLeftDerivative(1));
        EXPECT_EQ(file.FieldReadCH(), 'n');
        // Key 1, user.
        EXPECT_EQ(file.FieldReadT(), Sec(1));
        EXPECT_EQ(file.FieldReadD(), 1.0);
        EXPECT_EQ(file.FieldReadCH(), 'U');
        EXPECT_EQ(file.FieldReadCH(), 's');
        EXPECT_EQ(file.FieldReadD(), 2.0);
        EXPECT_EQ(file.FieldReadD(), 2.0);
        EXPECT_EQ(file.FieldReadCH(), 'n');
        // Key 2: stored left derivative 2 makes it not flat: computed values.
        EXPECT_EQ(file.FieldReadT(), Sec(2));
        EXPECT_EQ(file.FieldReadD(), 0.0);
        EXPECT_EQ(file.FieldReadCH(), 'U');
        EXPECT_EQ(file.FieldReadCH(), 's');
        EXPECT_FLOAT_EQ(static_cast<float>(file.FieldReadD()), static_cast<float>(curve.KeyGetRightDerivative(2)));
        EXPECT_FLOAT_EQ(static_cast<float>(file.FieldReadD()), static_cast<float>(curve.KeyGetLeftDerivative(3)));
        EXPECT_EQ(file.FieldReadCH(), 'n');
        // Key 3, the last: flat (its left is stored on key 2 as 0).
        EXPECT_EQ(file.FieldReadT(), Sec(3));
        EXPECT_EQ(file.FieldReadD(), 2.0);
        EXPECT_EQ(file.FieldReadCH(), 'U');
        EXPECT_EQ(file.FieldReadCH(), 'a');
        EXPECT_EQ(file.FieldReadGetRemain(), 0);
        file.FieldReadEnd();
    });
}

TEST_P(KFCurveFileForms, CurrentSpellingOfKeyGroups)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentAuto, {{0, 0.0f}, {1, 1.0f}, {2, 2.0f}});
    curve.KeyGetPtr(1)->SetDataDouble(eKFCurveRightDerivative, 0.5f);
    curve.KeySetInterpolation(2, kFCurveInterpolationConstant);
    curve.KeySetConstantMode(2, kFCurveConstantNext);
    ScratchDir scratch;
    WriteCurveFile(scratch.File("curve.qel"), GetParam(), [&](KQel& file) { curve.QelStore(&file); });
    ReadCurveFile(scratch.File("curve.qel"), [&](KQel& file) {
        ASSERT_TRUE(file.FieldReadBegin("Key"));
        file.FieldReadT();
        file.FieldReadD();
        EXPECT_EQ(file.FieldReadCH(), 'U');
        EXPECT_EQ(file.FieldReadCH(), 'a');  // both items 0: nothing more
        file.FieldReadT();
        file.FieldReadD();
        EXPECT_EQ(file.FieldReadCH(), 'U');
        EXPECT_EQ(file.FieldReadCH(), 'p');
        EXPECT_EQ(file.FieldReadD(), 0.5);
        EXPECT_EQ(file.FieldReadD(), 0.0);
        EXPECT_EQ(file.FieldReadCH(), 'n');
        file.FieldReadT();
        file.FieldReadD();
        EXPECT_EQ(file.FieldReadCH(), 'C');
        EXPECT_EQ(file.FieldReadCH(), 'n');
        EXPECT_EQ(file.FieldReadGetRemain(), 0);
        file.FieldReadEnd();
        EXPECT_EQ(file.FieldReadI("KeyCount", 0), 3);
    });
}

TEST_P(KFCurveFileForms, WeightBeforeAFlatAutoKeySurvives)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationCubic, kFCurveTangentUser, {{0, 0.0f}, {1, 1.0f}});
    curve.KeySetTangeantMode(1, kFCurveTangentAuto);  // items 0 and 1 stay 0: written "a"
    curve.KeySetRightTangeantWeight(0, 0.5f);
    curve.KeySetLeftTangeantWeight(1, 0.25f);
    ASSERT_TRUE(curve.KeyIsLeftTangeantWeighted(1));
    CurvePtr back = RoundTrip(curve, GetParam());
    ASSERT_TRUE(back);
    ASSERT_EQ(back->KeyGetCount(), 2);
    EXPECT_TRUE(back->KeyIsLeftTangeantWeighted(1));
    EXPECT_EQ(back->KeyGetLeftTangeantWeight(1), curve.KeyGetLeftTangeantWeight(1));
    EXPECT_EQ(back->KeyGetRightTangeantWeight(0), curve.KeyGetRightTangeantWeight(0));
    EXPECT_FLOAT_EQ(back->Evaluate(Sec(0.3)), curve.Evaluate(Sec(0.3)));
}

TEST_P(KFCurveFileForms, KeysWithoutAReadableFormDoNotShiftTheOthers)
{
    KFCurve curve;
    FillUniform(curve, kFCurveInterpolationLinear, 0, {{0, 1.0f}, {1, 2.0f}, {2, 3.0f}, {3, 4.0f}});
    curve.KeySetInterpolation(1, kFCurveInterpolationCubic);
    curve.KeySetTangeantMode(1, 0);  // cubic without a tangent mode: flat
    curve.KeySetInterpolation(2, 0);  // no interpolation at all
    CurvePtr back = RoundTrip(curve, GetParam());
    ASSERT_TRUE(back);
    ASSERT_EQ(back->KeyGetCount(), 3);
    EXPECT_EQ(back->KeyGetTime(1), Sec(1));
    EXPECT_EQ(back->KeyGetTangeantMode(1), kFCurveTangentUser);
    EXPECT_EQ(back->KeyGetRightDerivative(1), 0.0);
    EXPECT_EQ(back->KeyGetTime(2), Sec(3));
    EXPECT_EQ(back->KeyGetValue(2), 4.0f);
    EXPECT_EQ(back->KeyGetInterpolation(2), kFCurveInterpolationLinear);
}

TEST_P(KFCurveFileForms, FuzzedKeyFieldNeverBreaksTheCurve)
{
    std::mt19937 random(GetParam() ? 99 : 98);
    const char letters[] = "CAZLUTBHIORadDpPqQsSbBtTnrlXx";
    const int versions[] = {-1, 0, 3999, 4000, 4002, 4003, 4004};
    for (int round = 0; round < 60; ++round) {
        const int version = versions[random() % 7];
        const int values = static_cast<int>(random() % 120);
        const int announced = static_cast<int>(random() % 3 == 0 ? random() : random() % 60) - 10;
        CurvePtr curve = ReadFields(GetParam(), [&](KQel& file) {
            WriteHeader(file, 1.0, version, announced);
            file.FieldWriteBegin("Key");
            for (int i = 0; i < values; ++i) {
                switch (random() % 7) {
                case 0:
                    file.FieldWriteT(KTime(static_cast<long long>(random()) * (random() % 2 ? 1 : -1000)));
                    break;
                case 1:
                    file.FieldWriteD(static_cast<double>(random() % 2000) / 7.0 - 100.0);
                    break;
                case 2:
                case 3:
                    file.FieldWriteCH(letters[random() % (sizeof letters - 1)]);
                    break;
                case 4:
                    file.FieldWriteI(static_cast<int>(random()));
                    break;
                case 5:
                    file.FieldWriteC("Ua");
                    break;
                default:
                    file.FieldWriteT(Sec(i));
                    break;
                }
            }
            file.FieldWriteEnd();
        });
        ASSERT_TRUE(curve) << round;
        EXPECT_LE(curve->KeyGetCount(), values / 3) << round;
        EXPECT_TRUE(StrictlyIncreasing(*curve)) << round;
        EXPECT_TRUE(curve->CheckCurve()) << round;
        for (int i = 0; i < curve->KeyGetCount(); ++i)
            curve->Evaluate(curve->KeyGetTime(i));
    }
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, KFCurveFileForms, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Binary" : "Text"; });

}  // namespace
}  // namespace qelsdk_600
