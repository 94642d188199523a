#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "io/kstreamoptionsbase.h"
#include "io/kstreamoptionsmotion.h"
#include "io/kstreamoptionsqel.h"
#include "scene/kqeltakeinfo.h"

namespace qelsdk_600 {
namespace {

typedef KStreamOptionsBase B;

TEST(StreamOptionsQel, DefaultsAndRangeChecks)
{
    KStreamOptionsQel options;
    for (int i = -1; i <= KStreamOptionsQel::eOptionCount; ++i) {
        bool expected = i >= 0 && i <= KStreamOptionsQel::ePivot;
        EXPECT_EQ(expected, options.GetOption(static_cast<KStreamOptionsQel::EOption>(i))) << i;
    }
    options.SetOption(static_cast<KStreamOptionsQel::EOption>(13), true);
    EXPECT_FALSE(options.GetOption(static_cast<KStreamOptionsQel::EOption>(13)));
    options.SetContentCount(static_cast<KStreamOptionsQel::EContentCount>(6), 5);
    options.SetContentCount(static_cast<KStreamOptionsQel::EContentCount>(-1), 5);
    for (int i = -1; i <= KStreamOptionsQel::eContentCountTotal; ++i)
        EXPECT_EQ(0, options.GetContentCount(static_cast<KStreamOptionsQel::EContentCount>(i)));
    EXPECT_EQ(nullptr, options.mSceneInfo);
    EXPECT_FALSE(options.mIsPasswordProtected);
    EXPECT_FALSE(options.mIsTemplate);
}

TEST(StreamOptionsQel, AssignmentCopiesEverythingAndSelfAssignmentNothing)
{
    KStreamOptionsQel source;
    source.SetOption(KStreamOptionsQel::eModelAttribute, false);
    source.SetOption(KStreamOptionsQel::eEmbedMedia, true);
    source.SetContentCount(KStreamOptionsQel::eContentMedia, 7);
    source.mCurrentTakeName = "Walk";
    source.mIsPasswordProtected = true;
    source.mPassword = "pw";
    source.mIsTemplate = true;
    source.mSceneInfo = reinterpret_cast<KQelSceneInfo*>(&source);  // only compared

    KStreamOptionsQel copy;
    copy = source;
    source.Reset();
    EXPECT_FALSE(copy.GetOption(KStreamOptionsQel::eModelAttribute));
    EXPECT_TRUE(copy.GetOption(KStreamOptionsQel::eEmbedMedia));
    EXPECT_EQ(7, copy.GetContentCount(KStreamOptionsQel::eContentMedia));
    EXPECT_STREQ("Walk", copy.mCurrentTakeName.Buffer());
    EXPECT_TRUE(copy.mIsPasswordProtected);
    EXPECT_STREQ("pw", copy.mPassword.Buffer());
    EXPECT_TRUE(copy.mIsTemplate);
    EXPECT_EQ(reinterpret_cast<KQelSceneInfo*>(&source), copy.mSceneInfo);
    copy.mSceneInfo = nullptr;

    KStreamOptionsQel& alias = copy;
    copy = alias;
    EXPECT_STREQ("Walk", copy.mCurrentTakeName.Buffer());
    EXPECT_EQ(7, copy.GetContentCount(KStreamOptionsQel::eContentMedia));
}

TEST(StreamOptionsQel, TakeRecordsAreDeepCopiesThatOutliveTheSource)
{
    auto fill = [](KStreamOptionsQel& pOptions, int pCount, const char* pPrefix) {
        for (int i = 0; i < pCount; ++i) {
            auto* take = new KQelTakeInfo;
            take->mName = pPrefix;
            take->mName += i;
            take->mLocalTimeSpan = KTimeSpan(KTime(i), KTime(10 * i));
            pOptions.mTakeInfo.Add(take);
        }
    };
    KStreamOptionsQel* source = KStreamOptionsQelCreate();
    fill(*source, 3, "Take");
    KStreamOptionsQel copy;
    fill(copy, 5, "Old");
    copy = *source;
    source->mTakeInfo[0]->mName = "Changed";
    source->Destroy();

    ASSERT_EQ(3, copy.mTakeInfo.GetCount());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ("Take" + std::to_string(i), copy.mTakeInfo[i]->mName.Buffer());
        EXPECT_EQ(10 * i, copy.mTakeInfo[i]->mLocalTimeSpan.GetStop().Get());
    }
    KStreamOptionsQel& alias = copy;
    copy = alias;
    ASSERT_EQ(3, copy.mTakeInfo.GetCount());
    EXPECT_STREQ("Take2", copy.mTakeInfo[2]->mName.Buffer());
}

TEST(StreamOptions, ClassIdentityFollowsTheParents)
{
    KStreamOptionsQel qel;
    KStreamOptions3ds studio;
    KStreamOptionsDxf dxf;
    KStreamOptionsObj obj;
    KStreamOptionsMotion motion;
    const struct {
        KStreamOptions* mOptions;
        const char* mName;
        int mOwnId;
        int mParentId;
    } cases[] = {
        {&qel, "KStreamOptionsQel", KStreamOptionsQel::ClassId, KStreamOptions::ClassId},
        {&studio, "KStreamOptions3ds", KStreamOptions3ds::ClassId, KStreamOptionsBase::ClassId},
        {&dxf, "KStreamOptionsDxf", KStreamOptionsDxf::ClassId, KStreamOptionsBase::ClassId},
        {&obj, "KStreamOptionsObj", KStreamOptionsObj::ClassId, KStreamOptionsBase::ClassId},
        {&motion, "KStreamOptionsMotion", KStreamOptionsMotion::ClassId, KStreamOptions::ClassId},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        EXPECT_STREQ(c.mName, c.mOptions->GetClassIdName());
        EXPECT_EQ(c.mOwnId, c.mOptions->GetClassId());
        EXPECT_TRUE(c.mOptions->Is(c.mParentId));
        EXPECT_TRUE(c.mOptions->Is(KStreamOptions::ClassId));
        EXPECT_TRUE(c.mOptions->Is(KObject::ClassId));
        EXPECT_TRUE(c.mOptions->Is(KPlug::ClassId));
        EXPECT_EQ(KObject::ClassGroupId, c.mOptions->GetClassGroupId());
        for (const auto& other : cases) {
            if (other.mOwnId != c.mOwnId) {
                EXPECT_FALSE(c.mOptions->Is(other.mOwnId)) << other.mName;
            }
        }
    }
}

TEST(StreamOptionsBase, OptionNumbersOutsideTheTableAnswerNothing)
{
    KStreamOptions3ds options;
    for (int n : {-1, 0, 18}) {
        auto option = static_cast<B::EOption>(n);
        options.SetOption(option, 9);
        options.SetValid(option, true);
        options.SetName(option, "x");
        EXPECT_EQ(0, options.GetOption(option));
        EXPECT_FALSE(options.IsValid(option));
        EXPECT_TRUE(options.GetName(option).IsEmpty());
        EXPECT_EQ(B::eNoOption, options.GetGroupId(option));
    }
    // A number the kind does not use stays as constructed.
    EXPECT_FALSE(options.IsValid(B::eForceTriangulation));
    EXPECT_EQ(B::eImportExportOption, options.GetMode(B::eForceTriangulation));
    EXPECT_EQ(B::eValue, options.GetType(B::eForceTriangulation));
}

TEST(StreamOptionsBase, KindsFillTheirTables)
{
    KStreamOptions3ds studio;
    KStreamOptionsDxf dxf;
    KStreamOptionsObj obj;
    const struct {
        const KStreamOptionsBase* mOptions;
        B::EOption mOption;
        const char* mName;
        int mValue;
        B::EOptionMode mMode;
        B::EOptionType mType;
        B::EOption mGroup;
    } cases[] = {
        {&studio, B::eCreateReferenceNode, "Create Reference Node", 0, B::eImportExportOption,
         B::eValue, B::eNoOption},
        {&studio, B::eTextureMapping, "Texture Mapping", 1, B::eImportExportOption, B::eValue,
         B::eMaterials},
        {&studio, B::eReduceKeys, "Reduce Keys", 0, B::eImportOption, B::eValue, B::eNoOption},
        {&studio, B::eUVPerPolygon, "UV per polygon", 1, B::eExportOption, B::eValue, B::eNoOption},
        {&dxf, B::eObjectDerivationHeading, "Object Derivation", 0, B::eImportOption, B::eHeading,
         B::eNoOption},
        {&dxf, B::eLayerBlockEntity, "Layer~Block~Entity", 0, B::eImportOption, B::eChoice,
         B::eNoOption},
        {&dxf, B::eForceTriangulation, "Force Triangulation", 1, B::eExportOption, B::eValue,
         B::eNoOption},
        {&obj, B::eForceTriangulation, "Force Triangulation", 0, B::eExportOption, B::eValue,
         B::eNoOption},
        {&obj, B::eEvaluateDeformations, "Evaluate Link/Shape deformations", 1, B::eExportOption,
         B::eValue, B::eNoOption},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        EXPECT_TRUE(c.mOptions->IsValid(c.mOption));
        EXPECT_STREQ(c.mName, c.mOptions->GetName(c.mOption).Buffer());
        EXPECT_EQ(c.mValue, c.mOptions->GetOption(c.mOption));
        EXPECT_EQ(c.mMode, c.mOptions->GetMode(c.mOption));
        EXPECT_EQ(c.mType, c.mOptions->GetType(c.mOption));
        EXPECT_EQ(c.mGroup, c.mOptions->GetGroupId(c.mOption));
    }
    EXPECT_FALSE(obj.IsValid(B::eWeldVertices));
}

TEST(StreamOptionsBase, OnlyThreeDStudioKeepsATakeName)
{
    KStreamOptions3ds studio;
    KStreamOptionsDxf dxf;
    studio.SetTakeName("default take");
    dxf.SetTakeName("default take");
    EXPECT_STREQ("default take", studio.GetTakeName());
    EXPECT_EQ(nullptr, dxf.GetTakeName());
}

TEST(StreamOptionsBase, AssignmentCopiesTheTableButNotTheFileSettings)
{
    KStreamOptions3ds source;
    source.SetOption(B::eAnim, 0);
    source.SetName(B::eAnim, "Animation");
    source.SetContentCount(2, 11);
    source.SetTakeName("Run");
    source.SetOverwriteExistingFiles(true);
    KStreamOptions3ds copy;
    copy = source;
    EXPECT_EQ(0, copy.GetOption(B::eAnim));
    EXPECT_STREQ("Animation", copy.GetName(B::eAnim).Buffer());
    EXPECT_EQ(11, copy.GetContentCount(2));
    EXPECT_STREQ("", copy.GetTakeName());
    EXPECT_FALSE(copy.GetOverwriteExistingFiles());

    KStreamOptions3ds& alias = copy;
    copy = alias;
    EXPECT_STREQ("Animation", copy.GetName(B::eAnim).Buffer());
}

TEST(StreamOptionsDxf, DerivationAndChoiceMapBothWays)
{
    const struct {
        int mDerivation;
        int mChoice;
    } cases[] = {{0, 0}, {1, 2}, {2, 1}};
    for (const auto& c : cases) {
        KStreamOptionsDxf options;
        options.SetObjectDerivation(static_cast<KStreamOptionsDxf::EObjectDerivation>(c.mDerivation));
        EXPECT_EQ(c.mChoice, options.GetOption(B::eLayerBlockEntity));
        EXPECT_EQ(c.mDerivation, options.GetObjectDerivation());

        KStreamOptionsDxf chosen;
        chosen.SetOption(B::eLayerBlockEntity, c.mChoice);
        EXPECT_EQ(c.mDerivation, chosen.GetObjectDerivation());
    }
    KStreamOptionsDxf options;
    options.SetObjectDerivation(KStreamOptionsDxf::eNodePerEntity);
    options.SetOption(B::eLayerBlockEntity, 7);
    EXPECT_EQ(KStreamOptionsDxf::eNodePerEntity, options.GetObjectDerivation());
    options.SetObjectDerivation(static_cast<KStreamOptionsDxf::EObjectDerivation>(3));
    EXPECT_EQ(7, options.GetOption(B::eLayerBlockEntity));
}

// A skeleton object that reports its destruction.
class Skeleton : public KObject {
public:
    explicit Skeleton(int& pDestroyed) : mDestroyed(pDestroyed) {}
    ~Skeleton() override { ++mDestroyed; }

private:
    int& mDestroyed;
};

TEST(StreamOptionsMotion, DefaultsRangesAndFrameCount)
{
    KStreamOptionsMotion options;
    EXPECT_EQ(KTime::GetGlobalTimeMode(), options.GetTimeMode());
    EXPECT_EQ(0, options.GetFrameCount());
    EXPECT_EQ(nullptr, options.GetASFScene());
    for (int i = -1; i <= KStreamOptionsMotion::eOptionCount; ++i)
        EXPECT_EQ(KStreamOptionsMotion::eUnset,
                  options.GetOption(static_cast<KStreamOptionsMotion::EOption>(i)));
    options.SetOption(KStreamOptionsMotion::eRenameDuplicateNames, KStreamOptionsMotion::eOn);
    EXPECT_EQ(KStreamOptionsMotion::eOn, options.GetOption(KStreamOptionsMotion::eRenameDuplicateNames));
    EXPECT_STREQ("RenameDuplicateNames",
                 KStreamOptionsMotion::GetOptionName(KStreamOptionsMotion::eRenameDuplicateNames));
    EXPECT_STREQ("ImportSetOccludedToLastValidPosition",
                 KStreamOptionsMotion::GetOptionName(KStreamOptionsMotion::eImportSetOccludedToLastValidPosition));
    EXPECT_STREQ("", KStreamOptionsMotion::GetOptionName(KStreamOptionsMotion::eOptionCount));
    options.SetFrameCount(-5);
    EXPECT_EQ(0, options.GetFrameCount());
}

TEST(StreamOptionsMotion, TimeModeAndFramePeriod)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const KTime::ETimeMode global = KTime::GetGlobalTimeMode();
    const double globalRate = KTime::GetFrameRate(global);
    const struct {
        int mMode;
        double mRate;
        KTime::ETimeMode mExpectedMode;
        double mExpectedRate;
    } cases[] = {
        {0, 30.0, KTime::eFRAMES30, 30.0},
        {0, 24.0004, KTime::eCINEMA, 24.0004},
        {0, 29.97, KTime::eNTSC_DROP_FRAME, 29.97},
        {0, 17.0, KTime::eDEFAULT_MODE, 17.0},
        {0, 0.0, global, globalRate},
        {0, -25.0, global, globalRate},
        {0, nan, global, globalRate},
        {0, inf, global, globalRate},
        {KTime::ePAL, 99.0, KTime::ePAL, 25.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mRate);
        KStreamOptionsMotion options;
        options.SetTimeMode(static_cast<KTime::ETimeMode>(c.mMode), c.mRate);
        EXPECT_EQ(c.mExpectedMode, options.GetTimeMode());
        EXPECT_DOUBLE_EQ(c.mExpectedRate, options.GetFrameRate());
        // A found mode times its frames; only the custom mode uses the rate.
        double periodRate = c.mExpectedMode == KTime::eDEFAULT_MODE ? c.mExpectedRate
                                                                    : KTime::GetFrameRate(c.mExpectedMode);
        EXPECT_NEAR(KTime::kTicksPerSecond / periodRate,
                    static_cast<double>(options.GetFramePeriod().Get()), 1.0);
    }

    KStreamOptionsMotion options;
    options.SetTimeMode(KTime::ePAL);
    for (int refused : {-1, int(KTime::eTIME_MODE_COUNT), 40}) {
        options.SetTimeMode(static_cast<KTime::ETimeMode>(refused), 30.0);
        EXPECT_EQ(KTime::ePAL, options.GetTimeMode());
    }
    options.SetTimeMode(KTime::eDEFAULT_MODE, 1e15);
    EXPECT_GE(options.GetFramePeriod().Get(), 1);
}

TEST(StreamOptionsMotion, OwnedSkeletonEndsWithItsOwnerOnly)
{
    int destroyed = 0;
    {
        KStreamOptionsMotion owner;
        owner.SetASFScene(new Skeleton(destroyed), true);
        KStreamOptionsMotion copy;
        copy = owner;
        EXPECT_EQ(owner.GetASFScene(), copy.GetASFScene());
        copy.Reset();
        EXPECT_EQ(0, destroyed);

        // Self-assignment keeps the ownership; so does taking back a copy
        // that points at the owned skeleton.
        KStreamOptionsMotion& alias = owner;
        owner = alias;
        copy = owner;
        owner = copy;
        EXPECT_EQ(0, destroyed);

        // Setting the same object again does not end it.
        owner.SetASFScene(owner.GetASFScene(), true);
        EXPECT_EQ(0, destroyed);
        // Replacing it does.
        owner.SetASFScene(new Skeleton(destroyed), true);
        EXPECT_EQ(1, destroyed);
        // Assigning another skeleton over an owned one ends the owned one.
        int other = 0;
        Skeleton borrowed(other);
        KStreamOptionsMotion lender;
        lender.SetASFScene(&borrowed, false);
        owner = lender;
        EXPECT_EQ(2, destroyed);
        EXPECT_EQ(&borrowed, owner.GetASFScene());
        owner.SetASFScene(new Skeleton(destroyed), true);
    }
    EXPECT_EQ(3, destroyed);
}

}  // namespace
}  // namespace qelsdk_600
