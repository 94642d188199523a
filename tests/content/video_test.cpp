#include <gtest/gtest.h>

#include "content/kqellight.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

typedef KQelVideo V;

// pVideo connected as a source of pObject's property set.
void Connect(KQelVideo* pVideo, KPlug* pObject)
{
    ASSERT_TRUE(pObject->ConnectSrc(pVideo->GetPropertyHandler()));
}

TEST(KQelVideo, StartsWithoutFileAsAKeptFormatClip)
{
    KQelSdkManager manager;
    KQelVideo* video = manager.CreateKQelVideo("Clip");
    ASSERT_NE(video, nullptr);
    EXPECT_STREQ(video->GetName(), "Video::Clip");
    EXPECT_EQ(video->GetFileName(), nullptr);
    EXPECT_STREQ(video->GetRelativeFileName(), "");
    EXPECT_EQ(video->GetPlaySpeed(), 1.0);
    EXPECT_EQ(video->GetFrameRate(), 0.0);
    EXPECT_TRUE(video->GetOriginalFormat());
    EXPECT_FALSE(video->ImageTextureGetMipMap());
    EXPECT_STREQ(video->GetTypeName().Buffer(), "Clip");
    EXPECT_EQ(video->GetTypeFlags().GetCount(), 1);
    EXPECT_EQ(video->GetClassID(), KQelVideoProperties::ClassId);

    KQelVideoProperties* set = video->GetPropertyHandler();
    const char* names[] = {"FrameRate",  "LastFrame", "Width",         "Height",      "Path",
                           "StartFrame", "StopFrame", "PlaySpeed",     "Offset",      "InterlaceMode",
                           "FreeRunning", "Loop",     "AccessMode"};
    ASSERT_EQ(set->GetPropertyCount(), 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_STREQ(set->GetProperty(i)->GetPropertyName(), names[i]);
        EXPECT_FALSE(set->GetProperty(i)->IsAnimatable()) << names[i];
    }
    EXPECT_EQ(set->Path.AsString(), KString(""));
    EXPECT_STREQ(KQelVideoProperties::InterlaceModeAsString(V::eDiskAsync), "Disk Async");
    EXPECT_STREQ(KQelVideoProperties::AccessModeAsString(V::eFullFrameOddEven), "Full Frame Odd/Even");
    EXPECT_EQ(KQelVideoProperties::AccessModeAsString(static_cast<V::EAccessMode>(8)), nullptr);
}

TEST(KQelVideo, FileNamesAreRefusedEmptyAndKeptWhenUnchanged)
{
    KQelSdkManager manager;
    KQelVideo* video = manager.CreateKQelVideo("Clip");
    EXPECT_FALSE(video->SetFileName(""));
    EXPECT_FALSE(video->SetFileName(nullptr));
    EXPECT_EQ(video->GetFileName(), nullptr);
    ASSERT_TRUE(video->SetFileName("a.tif"));
    const char* stored = video->GetFileName();
    EXPECT_TRUE(video->SetFileName("a.tif"));
    EXPECT_EQ(video->GetFileName(), stored);
    // A shorter name reuses the storage; the property reads the field.
    EXPECT_TRUE(video->SetFileName("b"));
    EXPECT_EQ(video->GetFileName(), stored);
    EXPECT_STREQ(stored, "b");
    EXPECT_TRUE(video->SetFileName("a/much/longer/name.tif"));
    EXPECT_STREQ(video->GetFileName(), "a/much/longer/name.tif");
    EXPECT_EQ(video->GetPropertyHandler()->Path.AsString(), KString("a/much/longer/name.tif"));
    // Writing the property goes through the same field.
    video->GetPropertyHandler()->Path.Set("c.tif");
    EXPECT_STREQ(video->GetFileName(), "c.tif");

    EXPECT_FALSE(video->SetRelativeFileName(""));
    EXPECT_TRUE(video->SetRelativeFileName("rel/c.tif"));
    EXPECT_STREQ(video->GetRelativeFileName(), "rel/c.tif");
}

TEST(KQelVideo, TexturesAndTheirVideoShareFileNames)
{
    KQelSdkManager manager;
    KQelVideo* video = manager.CreateKQelVideo("Clip");
    video->SetFileName("clip.tif");
    KQelTexture* first = manager.CreateKQelTexture("First");
    KQelTexture* second = manager.CreateKQelTexture("Second");
    first->SetRelativeFileName("own/first.tif");
    Connect(video, first->GetPropertyHandler());
    Connect(video, second->GetPropertyHandler());
    // Connecting hands over the file name and the video's name; an empty
    // relative name is refused, so the texture keeps its own.
    EXPECT_EQ(first->GetVideo(), video);
    EXPECT_STREQ(first->GetFileName(), "clip.tif");
    EXPECT_STREQ(first->GetMediaName().Buffer(), "Video::Clip");
    EXPECT_STREQ(first->GetRelativeFileName(), "own/first.tif");

    video->SetFileName("other.tif");
    EXPECT_STREQ(first->GetFileName(), "other.tif");
    EXPECT_STREQ(second->GetFileName(), "other.tif");
    first->SetFileName("third.tif");
    EXPECT_STREQ(video->GetFileName(), "third.tif");
    EXPECT_STREQ(second->GetFileName(), "third.tif");
    second->SetRelativeFileName("rel/third.tif");
    EXPECT_STREQ(video->GetRelativeFileName(), "rel/third.tif");
    EXPECT_STREQ(first->GetRelativeFileName(), "rel/third.tif");

    // A texture whose first source is no video has none.
    KQelTexture* plain = manager.CreateKQelTexture("Plain");
    plain->GetPropertyHandler()->ConnectSrc(manager.CreateKQelTexture("Source")->GetPropertyHandler());
    EXPECT_EQ(plain->GetVideo(), nullptr);
    EXPECT_TRUE(plain->SetFileName("plain.tif"));
}

TEST(KQelVideo, ConnectingToANodeFeedsItsLightAndRegistersDownstream)
{
    KQelSdkManager manager;
    KQelEntity entity(manager);
    KQelNode* lamp = manager.CreateKQelNode("Lamp");
    KQelLight* light = manager.CreateKQelLight();
    lamp->SetNodeAttribute(light);
    KQelNode* plain = manager.CreateKQelNode("Plain");
    entity.GetRootNode()->AddChild(lamp);
    entity.GetRootNode()->AddChild(plain);

    KQelVideo* gobo = manager.CreateKQelVideo("Gobo");
    gobo->SetFileName("gobo.tif");
    Connect(gobo, lamp->GetPropertyHandler());
    EXPECT_STREQ(light->GetFileName(), "gobo.tif");
    // The node's parent is downstream of it, in the same store.
    EXPECT_EQ(entity.GetVideoCount(), 1);
    EXPECT_EQ(entity.GetVideo(0), gobo);

    KQelVideo* other = manager.CreateKQelVideo("Other");
    Connect(other, plain->GetPropertyHandler());
    EXPECT_EQ(plain->GetNodeAttribute(), nullptr);
    EXPECT_EQ(entity.GetVideoCount(), 2);
    // A second video of an existing name is not registered.
    KQelVideo* twin = manager.CreateKQelVideo("Gobo");
    Connect(twin, plain->GetPropertyHandler());
    EXPECT_EQ(entity.GetVideoCount(), 2);
}

TEST(KQelVideo, ResetKeepsNamesAndPropertiesAndRestoresTheFormatFlag)
{
    KQelSdkManager manager;
    KQelVideo* video = manager.CreateKQelVideo("Clip");
    video->SetFileName("clip.avi");
    video->SetRelativeFileName("rel/clip.avi");
    video->SetOriginalFormat(false);
    video->SetOriginalFilename("clip.png");
    video->ImageTextureSetMipMap(true);
    video->SetPlaySpeed(2.0);
    video->SetOffset(KTime(5));
    video->SetAccessMode(V::eFields);
    video->CreateTakeNode("Walk");
    video->Reset();
    EXPECT_EQ(video->GetTakeNodeCount(), 1);
    EXPECT_STREQ(video->GetFileName(), "clip.avi");
    EXPECT_STREQ(video->GetRelativeFileName(), "rel/clip.avi");
    EXPECT_TRUE(video->GetOriginalFormat());
    EXPECT_FALSE(video->ImageTextureGetMipMap());
    EXPECT_STREQ(video->GetOriginalFilename(), "");
    EXPECT_EQ(video->GetPlaySpeed(), 2.0);
    EXPECT_EQ(video->GetOffset(), KTime(5));
    EXPECT_EQ(video->GetAccessMode(), V::eFields);
}

}  // namespace
}  // namespace qelsdk_600
