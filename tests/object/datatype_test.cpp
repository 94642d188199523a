#include <gtest/gtest.h>

#include <cstring>

#include "object/kdatatype.h"
#include "object/kprogress.h"
#include "object/kstreamoptions.h"

namespace qelsdk_600 {
namespace {

TEST(DataType, EveryNameUsedByTheSceneResolves)
{
    const struct {
        const char* mName;
        int mMembers;
        kPropertyType mType;
    } cases[] = {
        {"Lcl Translation", 3, kPropertyVector3D}, {"Lcl Rotation", 3, kPropertyVector3D},
        {"Lcl Scaling", 3, kPropertyVector3D},     {"Translation", 3, kPropertyVector3D},
        {"Rotation", 3, kPropertyVector3D},        {"Scaling", 3, kPropertyVector3D},
        {"Vector", 3, kPropertyVector3D},          {"Visibility", 1, kPropertyDouble},
        {"Occlusion", 1, kPropertyDouble},         {"IK Reach Translation", 1, kPropertyDouble},
        {"IK Reach Rotation", 1, kPropertyDouble}, {"Number", 1, kPropertyDouble},
        {"Real", 1, kPropertyDouble},              {"Roll", 1, kPropertyDouble},
        {"FieldOfView", 1, kPropertyDouble},       {"Intensity", 1, kPropertyDouble},
        {"Cone angle", 1, kPropertyDouble},        {"Fog", 1, kPropertyDouble},
        {"Shape", 1, kPropertyDouble},             {"Color", 3, kPropertyColorRGB},
        {"ColorAndAlpha", 4, kPropertyColorRGBA},  {"Vector4", 4, kPropertyVector4D},
        {"Bool", 1, kPropertyBool},                {"Integer", 1, kPropertyInt},
        {"Enum", 1, kPropertyEnum},                {"Time", 1, kPropertyTime},
        {"Action", 1, kPropertyAction},
    };
    for (const auto& c : cases) {
        KDataType* type = KDataTypeGet(c.mName);
        ASSERT_NE(nullptr, type) << c.mName;
        EXPECT_STREQ(c.mName, type->GetName());
        EXPECT_EQ(c.mMembers, type->GetMemberCount()) << c.mName;
        EXPECT_EQ(c.mType, DataTypeToPropertyType(type)) << c.mName;
        EXPECT_GT(type->SizeOf(), 0) << c.mName;
        EXPECT_LE(type->SizeOf(), 32) << c.mName;
    }
}

TEST(DataType, SingletonsAreTheRegisteredObjects)
{
    EXPECT_EQ(KDataTypeLclTranslation::DataType, KDataTypeGet("Lcl Translation"));
    EXPECT_EQ(KDataTypeLclRotation::DataType, KDataTypeGet("Lcl Rotation"));
    EXPECT_EQ(KDataTypeLclScaling::DataType, KDataTypeGet("Lcl Scaling"));
    EXPECT_EQ(KDataTypeVisibility::DataType, KDataTypeGet("Visibility"));
    EXPECT_EQ(KDataTypeOcclusion::DataType, KDataTypeGet("Occlusion"));
    EXPECT_EQ(KDataTypeIKReachTranslation::DataType, KDataTypeGet("IK Reach Translation"));
    EXPECT_EQ(KDataTypeNumber::DataType, KDataTypeGet("Number"));
    EXPECT_TRUE(KDataTypeScalingUV::DataType->Is(KDataTypeVector::DataType));
    EXPECT_TRUE(KDataTypeTimeWarp::DataType->Is(KDataTypeNumber::DataType));
    EXPECT_FALSE(KDataTypeNumber::DataType->Is(KDataTypeVisibility::DataType));
    EXPECT_EQ(3, KDataTypeMatrixRotation::DataType->GetMemberCount());
    EXPECT_EQ(3, KDataTypeMatrixScaling::DataType->GetMemberCount());
    // Names are distinct, so a lookup by name finds the very object.
    for (int i = 0; i < KDataTypeGetCount(); ++i)
        EXPECT_EQ(KDataTypeGetAt(i), KDataTypeGet(KDataTypeGetAt(i)->GetName()));
    EXPECT_EQ(nullptr, KDataTypeGetAt(KDataTypeGetCount()));
}

TEST(DataType, UnknownNamesAndNullGiveNothing)
{
    EXPECT_EQ(nullptr, KDataTypeGet("lcl translation"));
    EXPECT_EQ(nullptr, KDataTypeGet("Unidentified"));
    EXPECT_EQ(nullptr, KDataTypeGet(""));
    EXPECT_EQ(nullptr, KDataTypeGet(nullptr));
    EXPECT_EQ(kPropertyUnknown, DataTypeToPropertyType(nullptr));
}

struct CallbackLog {
    int mProgressCalls = 0;
    float mLastPercent = 0.0f;
    const char* mLastTitle = "unset";
    int mMessageCalls = 0;
};

void RecordProgress(const char* pTitle, const char*, float pPercent, void* pUserData)
{
    CallbackLog* log = static_cast<CallbackLog*>(pUserData);
    ++log->mProgressCalls;
    log->mLastPercent = pPercent;
    log->mLastTitle = pTitle;
}

int AnswerTwo(const char*, const char*, const char*, const char*, const char*, int, void* pUserData)
{
    ++static_cast<CallbackLog*>(pUserData)->mMessageCalls;
    return 2;
}

TEST(StreamOptions, DefaultCallbacksDoNothingAndAnswerTheDefault)
{
    KStreamOptions options;
    options.UpdateProgress(nullptr, "Reading", 50.0f);
    EXPECT_EQ(1, options.ShowMessage(0, "Time Code File", "Load x?", "Yes", "No", nullptr, 1));
    EXPECT_EQ(7, options.ShowMessage(3, "t", "m", nullptr, nullptr, nullptr, 7));
    EXPECT_TRUE(options.Is(KStreamOptions::ClassId));
    EXPECT_TRUE(options.Is(KObject::ClassId));
}

TEST(StreamOptions, CallbacksReceiveTheirUserDataAndCopyAndResetWork)
{
    CallbackLog log;
    KStreamOptions options;
    options.SetProgressCallback(RecordProgress, &log);
    options.SetMessageCallback(1, AnswerTwo, &log);
    options.SetMessageCallback(-1, AnswerTwo, &log);  // ignored
    options.UpdateProgress(nullptr, "Reading animation frames", 12.5f);
    EXPECT_EQ(1, log.mProgressCalls);
    EXPECT_EQ(12.5f, log.mLastPercent);
    EXPECT_EQ(nullptr, log.mLastTitle);
    EXPECT_EQ(2, options.ShowMessage(1, "Error", "text", "OK", nullptr, nullptr, 0));
    EXPECT_EQ(0, options.ShowMessage(0, "Error", "text", "OK", nullptr, nullptr, 0));

    KStreamOptions copy;
    copy = options;
    EXPECT_EQ(2, copy.ShowMessage(1, "Error", "text", "OK", nullptr, nullptr, 0));
    EXPECT_EQ(2, log.mMessageCalls);

    options.Reset();
    options.UpdateProgress(nullptr, "x", 1.0f);
    EXPECT_EQ(1, log.mProgressCalls);
    EXPECT_EQ(0, options.ShowMessage(1, "Error", "text", "OK", nullptr, nullptr, 0));
    EXPECT_EQ(2, log.mMessageCalls);
}

TEST(Progress, GlobalProgressExistsAndAcceptsEveryOperation)
{
    KProgress* progress = KGetGlobalProgress();
    ASSERT_NE(nullptr, progress);
    EXPECT_EQ(progress, KGetGlobalProgress());
    progress->ProgressBegin();
    progress->DivideSection(3);
    progress->UpdateSection(nullptr, nullptr);
    progress->CloseSection();
    progress->ProgressDone();
}

}  // namespace
}  // namespace qelsdk_600
