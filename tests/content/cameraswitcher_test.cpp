#include <cstring>

#include <gtest/gtest.h>

#include "content/kqelcameraswitcher.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

void ExpectNames(const KQelCameraSwitcher& pSwitcher, std::initializer_list<const char*> pNames)
{
    ASSERT_EQ(pSwitcher.GetCameraNameCount(), static_cast<int>(pNames.size()));
    unsigned int i = 0;
    for (const char* name : pNames)
        EXPECT_STREQ(pSwitcher.GetCameraName(i++), name);
    EXPECT_EQ(pSwitcher.GetCameraName(i), nullptr);  // past the end
}

TEST(CameraSwitcher, KeepsCopiesOfTheNamesInOrder)
{
    KQelSdkManager manager;
    KQelCameraSwitcher& switcher = *manager.CreateKQelCameraSwitcher();
    EXPECT_EQ(switcher.GetAttributeType(), KQelNodeAttribute::eCameraSwitcher);
    EXPECT_STREQ(switcher.GetTypeName().Buffer(), "");
    EXPECT_EQ(switcher.GetTypeFlags().GetCount(), 0);
    ExpectNames(switcher, {});

    char buffer[8];
    std::strcpy(buffer, "A");
    switcher.AddCameraName(buffer);
    std::strcpy(buffer, "Z");
    switcher.AddCameraName("B");
    switcher.AddCameraName(nullptr);
    switcher.AddCameraName("");
    switcher.AddCameraName("B");
    ExpectNames(switcher, {"A", "B", "", "B"});
    EXPECT_EQ(switcher.GetCameraName(0xFFFFFFFFu), nullptr);
}

TEST(CameraSwitcher, AssignmentAppendsTheOthersNames)
{
    KQelSdkManager manager;
    KQelCameraSwitcher& source = *manager.CreateKQelCameraSwitcher();
    KQelCameraSwitcher& target = *manager.CreateKQelCameraSwitcher();
    KQelCameraSwitcher& fresh = *manager.CreateKQelCameraSwitcher();
    source.AddCameraName("A");
    source.AddCameraName("B");
    target.AddCameraName("C");
    target = source;
    fresh = source;
    ExpectNames(target, {"C", "A", "B"});
    ExpectNames(fresh, {"A", "B"});
    KQelCameraSwitcher& alias = source;
    source = alias;
    ExpectNames(source, {"A", "B"});
}

TEST(CameraSwitcher, DefaultCameraIndexOnNoNodeIsZeroAndIgnoresWrites)
{
    KQelSdkManager manager;
    KQelCameraSwitcher& switcher = *manager.CreateKQelCameraSwitcher();
    switcher.SetDefaultCameraIndex(3);
    EXPECT_EQ(switcher.GetDefaultCameraIndex(), 0);
}

}  // namespace
}  // namespace qelsdk_600
