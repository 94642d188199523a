#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "motion/kqelmotionc3d.h"
#include "motion_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace motiontest;

const int kC3d = KQelImporter::eC3d;

using C3dTest = motiontest::MarkerTest;

// The bytes of a file with pBytes at pOffset instead of what it held.
std::string Patched(std::string pFile, size_t pOffset, const std::string& pBytes)
{
    return pFile.replace(pOffset, pBytes.size(), pBytes);
}

// A loader over an open file, for the record-level tests.
struct Loader : KViconLoaderBase {
    Loader(FILE* pFile, int pForm)
    {
        mFile = pFile;
        mFileForm = pForm;
    }
    ~Loader() override { mFile = nullptr; }
};

void PrefixOff(KStreamOptionsMotion& pOptions)
{
    pOptions.SetOption(KStreamOptionsMotion::eImportActorPrefix, KStreamOptionsMotion::eOff);
}

void IntegerData(KStreamOptionsMotion& pOptions)
{
    pOptions.SetOption(KStreamOptionsMotion::eExportC3DRealFormat, KStreamOptionsMotion::eOff);
}

// Reads a parameter value from pBytes through a record scope of pScope
// bytes.
KViconArray ValueOf(const std::string& pBytes, int pScope)
{
    FILE* file = std::tmpfile();
    std::fwrite(pBytes.data(), 1, pBytes.size(), file);
    std::rewind(file);
    Loader loader(file, eViconIntel);
    KIScope scope{loader, pScope};
    KViconArray value(scope);
    std::fclose(file);
    return value;
}

TEST(C3dNumberForms, FloatsAndWordsConvertBetweenForms)
{
    const struct {
        int mFrom, mTo;
        unsigned char mIn[4], mOut[4];
    } cases[] = {
        {eViconDec, eViconIntel, {0x80, 0x40, 0x00, 0x00}, {0x00, 0x00, 0x80, 0x3F}},
        {eViconIntel, eViconDec, {0x00, 0x00, 0x80, 0x3F}, {0x80, 0x40, 0x00, 0x00}},
        {eViconMips, eViconIntel, {0x3F, 0x80, 0x00, 0x00}, {0x00, 0x00, 0x80, 0x3F}},
        {eViconDec, eViconMips, {0x80, 0x40, 0x00, 0x00}, {0x3F, 0x80, 0x00, 0x00}},
        {eViconDec, eViconIntel, {0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00}},
        {eViconIntel, eViconDec, {0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00}},
        {eViconDec, eViconIntel, {0x00, 0x80, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x80}},
    };
    for (const auto& c : cases) {
        unsigned char bytes[4];
        std::memcpy(bytes, c.mIn, 4);
        KViconLoaderBase::ConvertFloatBytes(c.mFrom, c.mTo, bytes);
        EXPECT_EQ(0, std::memcmp(bytes, c.mOut, 4)) << c.mFrom << " to " << c.mTo;
    }
    for (int form : {eViconIntel, eViconDec, eViconMips}) {
        kShort word = 0x0102;
        KViconLoaderBase::ConvertShort(eViconIntel, form, word);
        EXPECT_EQ(form == eViconMips ? 0x0201 : 0x0102, word);
    }
}

TEST(C3dParameters, ValuesReadAsTheirDimensionsSay)
{
    // LABELS of 4 characters by 3: the file's first size is the row length.
    const KViconArray labels = ValueOf(std::string("\xff\x02\x04\x03" "ABCDEFGHIJKL", 16), 16);
    ASSERT_EQ(KViconArray::eChar, labels.GetType());
    EXPECT_EQ(3, labels.GetSize(0));
    EXPECT_EQ(4, labels.GetSize(1));
    EXPECT_EQ(0, labels.GetSize(2));
    const KViconArray second = labels[1];
    EXPECT_EQ(0, std::memcmp("EFGH", second.GetVectorPtr(), 4));
    EXPECT_EQ(4, second.GetElementCount());

    const KViconArray single = ValueOf(std::string("\x02\x00\x34\x12", 4), 4);
    EXPECT_EQ(1, single.GetDimensions());
    EXPECT_EQ(1, single.GetSize(0));
    EXPECT_EQ(0x1234, static_cast<int>(single));
    EXPECT_EQ(1, static_cast<int>(ValueOf(std::string("\x01\x00\x07", 3), 3)));
    const KViconArray real = ValueOf(std::string("\x04\x00\x00\x00\x20\xc0", 6), 6);
    EXPECT_EQ(-2, static_cast<short>(real));
    EXPECT_FLOAT_EQ(-2.5f, static_cast<float>(real));

    const struct {
        const char* mName;
        std::string mBytes;
        int mScope;
    } empties[] = {
        {"type 3", std::string("\x03\x00\x01\x02\x03", 5), 5},
        {"255 x 255 x 255 in 20 bytes", std::string("\xff\x03\xff\xff\xff", 5) + std::string(15, 'x'), 20},
        {"data past the record", std::string("\x02\x01\x04\x01\x02\x03\x04", 7), 7},
        {"cut before the sizes", std::string("\xff\x02\x04", 3), 3},
    };
    for (const auto& c : empties) {
        SCOPED_TRACE(c.mName);
        const KViconArray value = ValueOf(c.mBytes, c.mScope);
        EXPECT_TRUE(value.IsEmpty());
        EXPECT_EQ(0, static_cast<int>(value));
        EXPECT_EQ(0.0, static_cast<double>(value));
    }
}

TEST(C3dParameters, ConversionsSaturateReals)
{
    KViconArray real(KViconArray::eFloat32, {1});
    real = 1e30f;
    EXPECT_EQ(32767, static_cast<short>(real));
    real = std::nanf("");
    EXPECT_EQ(0, static_cast<int>(real));
    KViconArray word(KViconArray::eInt16, {1});
    word = -70000.7;
    EXPECT_EQ(-32768, static_cast<short>(word));
    word = 0x12345;
    EXPECT_EQ(0x2345, static_cast<int>(word));  // low-order bits kept
}

TEST(C3dParameters, HelpersPadAlignAndStrip)
{
    KViconArray text(KViconArray::eChar, {5});
    StrNCpy(text, "AB", 5);
    EXPECT_EQ(0, std::memcmp("AB   ", text.GetVectorPtr(), 5));
    StrNCpy(text, "x\x80yz", 5);
    EXPECT_EQ(0, std::memcmp("x    ", text.GetVectorPtr(), 5));
    EXPECT_EQ(1024, KmAlign(513, 512));
    EXPECT_EQ(512, KmAlign(512, 512));
    char stripped[8];
    Strip(stripped, "RFHD  \0zz", 8);
    EXPECT_STREQ("RFHD", stripped);
    EXPECT_EQ("LFHD", RemovePrefix("Actor1:LFHD"));
    EXPECT_EQ("LFHD", RemovePrefix("LFHD"));
}

// The six hand-made files: names, time code, axes, units, gaps and analog
// values skipped, whatever the form.
TEST_F(C3dTest, HandMadeFilesReadTheSameInEveryForm)
{
    for (const char* form : {"intel", "dec", "mips"}) {
        for (const char* data : {"int", "real"}) {
            const std::string name = std::string("hand_") + form + "_" + data + ".c3d";
            SCOPED_TRACE(name);
            motiontest::Fixture fixture;
            const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, DataFile("c3d/" + name), kC3d);
            ASSERT_TRUE(result.mRead);
            EXPECT_EQ(Seconds(3.0), result.mStart);  // 100 / 50 + 0:0:1:0
            EXPECT_EQ(2, result.mFrameCount);
            EXPECT_DOUBLE_EQ(50.0, result.mFrameRate);
            KQelNode* reference = motiontest::Reference(*fixture.mScene);
            ASSERT_EQ("C3D:optical", motiontest::ShortName(reference));
            ASSERT_EQ(3, reference->GetChildCount());
            const char* names[] = {"Actor1_LFHD", "RFHD", "0002"};
            // (-X, Z, Y) in centimetres; RFHD holds its frame 1 place
            // through the gap; the third point has none before frame 2.
            const double expected[3][2][4] = {
                {{-1.0, 3.0, 2.0, 0.0}, {-1.1, 3.1, 2.1, 0.0}},
                {{0.4, 1.2, 0.8, 0.0}, {0.4, 1.2, 0.8, 1.0}},
                {{0.0, 0.0, 0.0, 1.0}, {-0.1, 0.3, 0.2, 0.0}},
            };
            for (int m = 0; m < 3; ++m) {
                KQelNode* marker = reference->GetChild(m);
                EXPECT_EQ(names[m], motiontest::ShortName(marker));
                const auto track = motiontest::Sample(marker, result.mStart, Seconds(0.02), 2);
                for (int f = 0; f < 2; ++f) {
                    EXPECT_NEAR(expected[m][f][0], track.mX[f], 1e-6);
                    EXPECT_NEAR(expected[m][f][1], track.mY[f], 1e-6);
                    EXPECT_NEAR(expected[m][f][2], track.mZ[f], 1e-6);
                    EXPECT_EQ(expected[m][f][3], track.mOcclusion[f]);
                }
            }
        }
    }
}

// Offsets of the hand-made layout (tests/data/c3d/README.md).
const size_t kUsesPrefixesName = 552;
const size_t kUnitsText = 584;
const size_t kXScreenText = 602;
const size_t kYScreenText = 620;
const size_t kScaleWord = 12;
const size_t kLabelsDimensions = 1026;

TEST_F(C3dTest, PatchedParametersChangeNamesUnitsAndAxes)
{
    const std::string file = ReadFile(DataFile("c3d/hand_intel_real.c3d"));
    const struct {
        const char* mName;
        std::string mBytes;
        bool mPrefixOption;
        const char* mFirstName;
        double mPoint[3];  // LFHD at frame 1, (10, 20, 30) in the file
    } cases[] = {
        {"prefix option off", file, false, "LFHD", {-1.0, 3.0, 2.0}},
        {"no USES_PREFIXES", Patched(file, kUsesPrefixesName, "X"), true, "LFHD", {-1.0, 3.0, 2.0}},
        {"metres", Patched(file, kUnitsText, "m "), true, "Actor1_LFHD", {-1000.0, 3000.0, 2000.0}},
        {"centimetres", Patched(file, kUnitsText, "cm"), true, "Actor1_LFHD", {-10.0, 30.0, 20.0}},
        {"inches", Patched(file, kUnitsText, "in"), true, "Actor1_LFHD", {-25.4, 76.2, 50.8}},
        {"feet", Patched(file, kUnitsText, "FT"), true, "Actor1_LFHD", {-304.8, 914.4, 609.6}},
        {"+X and +Y", Patched(file, kYScreenText, "+Y"), true, "Actor1_LFHD", {-1.0, 2.0, -3.0}},
        {"-Y and +Z", Patched(file, kXScreenText, "-Y"), true, "Actor1_LFHD", {2.0, 3.0, 1.0}},
        {"+Y and +Z", Patched(file, kXScreenText, "+Y"), true, "Actor1_LFHD", {-2.0, 3.0, -1.0}},
        {"unknown letter", Patched(file, kXScreenText, "+Q"), true, "Actor1_LFHD", {-1.0, 3.0, 2.0}},
        {"one axis twice", Patched(file, kYScreenText, "-X"), true, "Actor1_LFHD", {-1.0, 3.0, 2.0}},
        // LABELS of one dimension, 22 characters: one label of all of them.
        {"one-dimensional labels",
         Patched(file, kLabelsDimensions, std::string("\x01\x16" "Actor1:LFHDRFHD       \0\0", 26)), true,
         "Actor1_LFHDRFHD", {-1.0, 3.0, 2.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.c3d");
        WriteFile(path, c.mBytes);
        motiontest::Fixture fixture;
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, path, kC3d,
                                                 c.mPrefixOption ? nullptr : PrefixOff);
        ASSERT_TRUE(result.mRead);
        KQelNode* marker = motiontest::Reference(*fixture.mScene)->GetChild(0);
        EXPECT_EQ(c.mFirstName, motiontest::ShortName(marker));
        const auto track = motiontest::Sample(marker, result.mStart, Seconds(0.02), 1);
        EXPECT_NEAR(c.mPoint[0], track.mX[0], 1e-4);
        EXPECT_NEAR(c.mPoint[1], track.mY[0], 1e-4);
        EXPECT_NEAR(c.mPoint[2], track.mZ[0], 1e-4);
    }
}

TEST_F(C3dTest, RealTrialReadsTheSameInAllSixFiles)
{
    const char* files[] = {"pc_real.c3d", "pc_int.c3d", "DEC_INT.C3D", "Dec_real.c3d", "sgi_int.c3d", "sgi_real.c3d"};
    const double step = 0.28118187 * 0.1;  // one integer step, in centimetres
    std::vector<motiontest::Track> reference;
    for (const char* name : files) {
        SCOPED_TRACE(name);
        motiontest::Fixture fixture;
        const std::string path = DataFile(std::string("c3d/") + name);
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, path, kC3d);
        ASSERT_TRUE(result.mRead);
        EXPECT_EQ(89, result.mFrameCount);
        EXPECT_DOUBLE_EQ(50.0, result.mFrameRate);
        EXPECT_EQ(Seconds(0.02), result.mStart);
        KQelNode* root = motiontest::Reference(*fixture.mScene);
        ASSERT_EQ(36, root->GetChildCount());
        EXPECT_EQ("RFT1", motiontest::ShortName(root->GetChild(0)));
        int occluded = 0;
        for (int m = 0; m < 36; ++m) {
            const auto track = motiontest::Sample(root->GetChild(m), result.mStart, Seconds(0.02), 89);
            if (reference.size() < 36) {
                reference.push_back(track);
                continue;
            }
            for (int f = 0; f < 89; ++f) {
                ASSERT_EQ(reference[m].mOcclusion[f], track.mOcclusion[f]) << m << " " << f;
                occluded += track.mOcclusion[f] == 1.0;
                ASSERT_NEAR(reference[m].mX[f], track.mX[f], step);
                ASSERT_NEAR(reference[m].mY[f], track.mY[f], step);
                ASSERT_NEAR(reference[m].mZ[f], track.mZ[f], step);
            }
        }
        if (name != files[0]) {
            EXPECT_GT(occluded, 0);
        }
    }
}

TEST_F(C3dTest, HostileFilesFailWithNothingAdded)
{
    const std::string file = ReadFile(DataFile("c3d/hand_intel_int.c3d"));
    const struct {
        const char* mName;
        std::string mBytes;
    } cases[] = {
        {"no key", Patched(file, 1, "\x40")},
        {"no points", Patched(file, 2, std::string("\0\0", 2))},
        {"65535 points in a small file", Patched(file, 2, "\xff\xff")},
        {"parameter block 0", Patched(file, 0, std::string("\0", 1))},
        {"parameter block past the end", Patched(file, 0, "\x40")},
        {"data block 0", Patched(file, 16, std::string("\0\0", 2))},
        {"data block 1", Patched(file, 16, std::string("\1\0", 2))},
        {"data block past the end", Patched(file, 16, std::string("\x40\0", 2))},
        {"65535 events", Patched(file, 300, "\xff\xff")},
        {"24 events", Patched(file, 300, std::string("\x18\0", 2))},
        {"last frame before the first", Patched(file, 8, std::string("\x63\0", 2))},
        {"data cut inside a point", file.substr(0, 2560 + 28 + 5)},
        {"header cut", file.substr(0, 200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.c3d");
        WriteFile(path, c.mBytes);
        motiontest::ExpectReadFails<KQelReaderVicon>(mFixture.mManager, *mFixture.mScene, path, 2, KTime::eFRAMES50);
    }
}

TEST_F(C3dTest, OddHeaderScalesAndRatesAreCorrected)
{
    const std::string file = ReadFile(DataFile("c3d/hand_intel_int.c3d"));
    float nan = std::nanf("");
    float tiny = 0.0005f;
    const struct {
        const char* mName;
        size_t mOffset;
        std::string mBytes;
        double mRate;
        double mLfhdX;  // file X 10 mm at scale 0.25 is the word 40
    } cases[] = {
        {"NaN scale", kScaleWord, std::string(reinterpret_cast<char*>(&nan), 4), 50.0, -40 * 0.1449 * 0.1},
        {"tiny scale", kScaleWord, std::string(reinterpret_cast<char*>(&tiny), 4), 50.0, -40 * 0.1449 * 0.1},
        {"rate 0", 20, std::string(4, '\0'), 30.0, -1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string path = mDir.File("case.c3d");
        WriteFile(path, Patched(file, c.mOffset, c.mBytes));
        motiontest::Fixture fixture;
        const auto result = motiontest::ReadFile(fixture.mManager, *fixture.mScene, path, kC3d);
        ASSERT_TRUE(result.mRead);
        EXPECT_DOUBLE_EQ(c.mRate, result.mFrameRate);
        KQelNode* marker = motiontest::Reference(*fixture.mScene)->GetChild(0);
        EXPECT_NEAR(c.mLfhdX, marker->GetCurrentTakeNode()->GetTranslationX()->KeyGetValue(0), 1e-5);
    }
}

// Still markers, the first occluded where its occlusion curve (keyed every
// 1/30 s from 0.99 s) is above 0.5.
void BuildScene(KQelSdkManager& pManager, KQelScene& pScene, int pMarkers, const float* pOcclusion, int pFrames)
{
    for (int m = 0; m < pMarkers; ++m) {
        KQelNode* node = motiontest::AddMarkerNode(pManager, pScene.GetRootNode(), ("M" + std::to_string(m)).c_str(),
                                                   true, KQelVector4(1.5 + m, -2.25, 3.125, 0.0));
        for (int f = 0; f < pFrames && m == 0; ++f)
            motiontest::AddKey(node->GetCurrentTakeNode()->GetOcclusion(), Seconds(0.99 + f / 30.0), pOcclusion[f],
                               true);
    }
    pScene.SetCurrentTake("Take");
}

TEST_F(C3dTest, WrittenFileHoldsTheFixedLayout)
{
    const float occlusion[4] = {0.4f, 0.5f, 0.6f, 1.0f};
    BuildScene(mFixture.mManager, *mFixture.mScene, 3, occlusion, 4);
    for (bool real : {false, true}) {
        SCOPED_TRACE(real);
        const std::string path = mDir.File("out.c3d");
        ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eC3d,
                                          Seconds(0.99), 4, 30.0, real ? nullptr : IntegerData));
        const std::string bytes = ReadFile(path);
        auto word = [&bytes](size_t pAt) { return (unsigned char)bytes[pAt] | ((unsigned char)bytes[pAt + 1] << 8); };
        EXPECT_EQ(0x5002, word(0));
        EXPECT_EQ(3, word(2));
        EXPECT_EQ(30, word(6));  // 29.7 rounds up
        EXPECT_EQ(33, word(8));
        EXPECT_EQ(85, (unsigned char)bytes[515]);
        const int dataBlock = word(16);
        const size_t frameBytes = real ? 3 * 16 : 3 * 8;
        EXPECT_EQ((dataBlock - 1) * 512 + 4 * frameBytes, bytes.size());
        const size_t dataStart = bytes.find("DATA_START");
        ASSERT_NE(std::string::npos, dataStart);
        EXPECT_EQ(dataBlock, word(dataStart + 10 + 4));
        // The camera byte (integer) or R (float, DEC form) of the first
        // point in each frame: 0.4 and 0.5 valid, 0.6 and 1.0 not.
        for (int f = 0; f < 4; ++f) {
            const size_t at = (dataBlock - 1) * 512 + f * frameBytes;
            if (real)
                EXPECT_EQ(f < 2 ? std::string(4, '\0') : std::string("\x80\xc0\x00\x00", 4), bytes.substr(at + 12, 4));
            else
                EXPECT_EQ(f < 2 ? 0 : 128, (unsigned char)bytes[at + 7]);
        }
    }
}

TEST_F(C3dTest, WrittenFilesReadBack)
{
    const auto first =
        motiontest::ReadFile(mFixture.mManager, *mFixture.mScene, DataFile("c3d/pc_real.c3d"), kC3d);
    ASSERT_TRUE(first.mRead);
    mFixture.mScene->GetRootNode()->SetSelected(true, true);
    for (bool real : {true, false}) {
        SCOPED_TRACE(real);
        const std::string path = mDir.File("trial.c3d");
        ASSERT_TRUE(motiontest::WriteFile(mFixture.mManager, *mFixture.mScene, path, KQelExporter::eC3d, first.mStart,
                                          first.mFrameCount, first.mFrameRate,
                                          real ? nullptr : IntegerData));
        motiontest::Fixture again;
        const auto second = motiontest::ReadFile(again.mManager, *again.mScene, path, kC3d);
        ASSERT_TRUE(second.mRead);
        EXPECT_EQ(first.mStart, second.mStart);
        KQelNode* before = motiontest::Reference(*mFixture.mScene);
        KQelNode* after = motiontest::Reference(*again.mScene);
        ASSERT_EQ(before->GetChildCount(), after->GetChildCount());
        const double tolerance = real ? 1e-6 : 0.0145;
        for (int m = 0; m < before->GetChildCount(); ++m) {
            ASSERT_EQ(motiontest::ShortName(before->GetChild(m)), motiontest::ShortName(after->GetChild(m)));
            const auto a = motiontest::Sample(before->GetChild(m), first.mStart, Seconds(0.02), first.mFrameCount);
            const auto b = motiontest::Sample(after->GetChild(m), first.mStart, Seconds(0.02), first.mFrameCount);
            for (int f = 0; f < first.mFrameCount; ++f) {
                ASSERT_EQ(a.mOcclusion[f], b.mOcclusion[f]);
                if (a.mOcclusion[f] != 0.0)
                    continue;
                // Float data keeps single precision (relative to the size).
                const double scale = real ? std::max(1.0, std::fabs(a.mX[f]) + std::fabs(a.mY[f]) + std::fabs(a.mZ[f]))
                                          : 1.0;
                ASSERT_NEAR(a.mX[f], b.mX[f], tolerance * scale);
                ASSERT_NEAR(a.mY[f], b.mY[f], tolerance * scale);
                ASSERT_NEAR(a.mZ[f], b.mZ[f], tolerance * scale);
            }
        }
    }
}

TEST_F(C3dTest, FieldsThatCannotHoldTheSceneFailTheWrite)
{
    const struct {
        const char* mName;
        int mMarkers;
        int mLabelLength;  // of one more marker, when not 0
        double mStart;
        int mFrames;
        const char* mText;
    } cases[] = {
        {"256 markers", 256, 0, 0.0, 1, "A C3D file holds at most 255 markers"},
        {"255-character label", 1, 255, 0.0, 1, "C3D marker names hold at most 254 characters"},
        {"no frame", 1, 0, 0.0, 0, "A C3D file holds 1 to 65535 frames"},
        {"first frame past 65535", 1, 0, 3000.0, 1, "C3D frame numbers lie within 0 and 65535"},
        {"last frame past 65535", 1, 0, 2000.0, 30000, "C3D frame numbers lie within 0 and 65535"},
        {"negative start", 1, 0, -1.0, 1, "C3D frame numbers lie within 0 and 65535"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        motiontest::Fixture fixture;
        BuildScene(fixture.mManager, *fixture.mScene, c.mMarkers, nullptr, 0);
        if (c.mLabelLength)
            motiontest::AddMarkerNode(fixture.mManager, fixture.mScene->GetRootNode(),
                                      std::string(static_cast<std::size_t>(c.mLabelLength), 'L').c_str(), true);
        const std::string path = mDir.File("limit.c3d");
        KQelWriterVicon writer(fixture.mManager);
        ASSERT_TRUE(writer.FileCreate(path.c_str()));
        KStreamOptions* options = writer.GetWriteOptions();
        KStreamOptionsMotion& motion = *static_cast<KStreamOptionsMotion*>(options);
        motion.SetStart(Seconds(c.mStart));
        motion.SetFrameCount(c.mFrames);
        motion.SetTimeMode(KTime::eFRAMES30);
        EXPECT_FALSE(writer.Write(*fixture.mScene, options));
        EXPECT_EQ(KQelWriter::eUnidentifiedError, writer.GetLastErrorID());
        EXPECT_STREQ(c.mText, writer.GetLastErrorString());
        options->Destroy();
        writer.FileClose();
        EXPECT_EQ(0u, ReadFile(path).size());
    }
}

}  // namespace
}  // namespace qelsdk_600
