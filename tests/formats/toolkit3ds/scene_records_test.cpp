// Lights, cameras, the background, keyframer settings and motions: their
// rules, defaults and replacing puts.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit3ds_test_util.h"

namespace qelsdk_600 {
namespace {

using namespace test3ds;

class Toolkit3dsSceneRecords : public NewDatabaseTest {
protected:
    chunk3ds* Object(const char* name)
    {
        chunk3ds* object = nullptr;
        FindNamedObject3ds(mNew, name, &object);
        return object;
    }
};

TEST_F(Toolkit3dsSceneRecords, SpotlightsAreNeverOmniLights)
{
    light3ds* light = nullptr;
    InitLight3ds(&light);
    std::strcpy(light->name, "omni");
    PutOmnilight3ds(mNew, light);
    InitSpotlight3ds(&light);
    std::strcpy(light->name, "spot");
    PutSpotlight3ds(mNew, light);
    ReleaseLight3ds(&light);
    EXPECT_EQ(GetOmnilightCount3ds(mNew), 1u);
    EXPECT_EQ(GetSpotlightCount3ds(mNew), 1u);
    // An aspect of 1 and an empty exclusion list write nothing.
    EXPECT_EQ(Below(Object("spot"), DL_SPOT_ASPECT), nullptr);
    EXPECT_EQ(Below(Object("omni"), DL_EXCLUDE), nullptr);
    GetOmnilightByName3ds(mNew, "spot", &light);
    EXPECT_EQ(light, nullptr);
    GetOmnilightByIndex3ds(mNew, 0, &light);
    ASSERT_NE(light, nullptr);
    EXPECT_STREQ(light->name, "omni");
    EXPECT_EQ(light->spot, nullptr);
    GetSpotlightByIndex3ds(mNew, 0, &light);
    EXPECT_STREQ(light->name, "spot");
    ASSERT_NE(light->spot, nullptr);
    // A record used for a spotlight comes back from an omni light without
    // its spotlight part.
    GetOmnilightByIndex3ds(mNew, 0, &light);
    EXPECT_EQ(light->spot, nullptr);
    ReleaseLight3ds(&light);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsSceneRecords, CamerasHoldTheirLens)
{
    camera3ds* camera = nullptr;
    InitCamera3ds(&camera);
    std::strcpy(camera->name, "cam");
    EXPECT_EQ(camera->fov, 45.0f);
    PutCamera3ds(mNew, camera);
    const CameraData3ds* d = static_cast<CameraData3ds*>(ReadChunkData3ds(Below(Object("cam"), N_CAMERA)));
    EXPECT_FLOAT_EQ(d->focal, 53.333332f);
    camera3ds* back = nullptr;
    GetCameraByName3ds(mNew, "cam", &back);
    EXPECT_NEAR(back->fov, 45.0, 1e-5);
    ReleaseCamera3ds(&back);
    database3ds* project = nullptr;
    InitDatabase3ds(&project);
    CreateNewDatabase3ds(project, ProjectFile3ds);
    PutCamera3ds(project, camera);
    EXPECT_EQ(Errors(), std::vector<int>{ERR_WRONG_DATABASE});
    ReleaseDatabase3ds(&project);
    ReleaseCamera3ds(&camera);
}

TEST_F(Toolkit3dsSceneRecords, BackgroundTypesAndColours)
{
    background3ds* background = nullptr;
    InitBackground3ds(&background);
    PutBackground3ds(mNew, background);
    chunk3ds* mdata = Below(mNew->topchunk, MDATA);
    for (std::uint32_t tag : {BIT_MAP, SOLID_BGND, V_GRADIENT})
        EXPECT_NE(Below(mdata, tag), nullptr) << tag;
    for (std::uint32_t tag : {USE_BIT_MAP, USE_SOLID_BGND, USE_V_GRADIENT})
        EXPECT_EQ(Below(mdata, tag), nullptr) << tag;
    ReleaseBackground3ds(&background);

    // Two flags: the bitmap wins. Two gradient colours: the bottom one keeps
    // its default.
    ReadBytes(MeshFile(Chunk(USE_SOLID_BGND) + Chunk(USE_BIT_MAP) +
                       Chunk(V_GRADIENT, F32(0.3f),
                             {Chunk(COLOR_F, F32(1) + F32(0) + F32(0)), Chunk(COLOR_F, F32(0) + F32(1) + F32(0))})));
    GetBackground3ds(mDb, &background);
    EXPECT_EQ(background->bgndused, UseBitmapBgnd3ds);
    EXPECT_EQ(background->gradtop.r, 1.0f);
    EXPECT_EQ(background->gradmid.g, 1.0f);
    EXPECT_EQ(background->gradbottom.b, 0.0f);
    EXPECT_EQ(background->bitmap, nullptr);
    ReleaseBackground3ds(&background);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsSceneRecords, KeyframerSettings)
{
    kfsets3ds* settings = nullptr;
    InitKfSets3ds(&settings);
    EXPECT_EQ(settings->anim.length, 30u);
    EXPECT_EQ(settings->anim.curframe, 0u);
    EXPECT_EQ(settings->seg.use, 0);
    EXPECT_EQ(settings->seg.end, 30u);
    // An existing header keeps its revision and name.
    ReadBytes(MeshFile(""));
    chunk3ds* header = Below(mDb->topchunk, KFHDR);
    KfHdrData3ds* d = static_cast<KfHdrData3ds*>(ReadChunkData3ds(header));
    d->revision = 2;
    std::free(d->filename);
    d->filename = strdup3ds("scene");
    settings->anim.length = 100;
    PutKfSets3ds(mDb, settings);
    EXPECT_EQ(d->revision, 2);
    EXPECT_STREQ(d->filename, "scene");
    EXPECT_EQ(d->animlength, 100);
    EXPECT_EQ(Below(mDb->topchunk, KFSEG), nullptr);
    ReleaseKfSets3ds(&settings);
    // Reading a database without a keyframer section gives it one.
    database3ds* bare = nullptr;
    InitDatabase3ds(&bare);
    InitChunkAs3ds(&bare->topchunk, M3DMAGIC);
    GetKfSets3ds(bare, &settings);
    EXPECT_EQ(settings->anim.length, 30u);
    EXPECT_NE(Below(bare->topchunk, KFDATA), nullptr);
    ReleaseKfSets3ds(&settings);
    ReleaseDatabase3ds(&bare);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsSceneRecords, MotionsStartAtTheirDefaults)
{
    objectmotion3ds* object = nullptr;
    InitObjectMotion3ds(&object, 0, 0, 0, 0, 0);
    EXPECT_EQ(object->morphsmooth, 24.0f);
    EXPECT_EQ(object->pos.keys, nullptr);
    cameramotion3ds* camera = nullptr;
    InitCameraMotion3ds(&camera, 0, 2, 0, 0);
    ASSERT_EQ(camera->fov.keycount, 2u);
    EXPECT_EQ(camera->fov.values[1], 60.0f);
    EXPECT_EQ(camera->fov.keys[1].time, 0u);
    spotmotion3ds* spot = nullptr;
    InitSpotlightMotion3ds(&spot, 0, 1, 1, 1, 0, 0);
    EXPECT_EQ(spot->hot.values[0], 90.0f);
    EXPECT_EQ(spot->fall.values[0], 90.0f);
    EXPECT_EQ(spot->color.values[0].g, 0.0f);
    omnimotion3ds* omni = nullptr;
    InitOmnilightMotion3ds(&omni, 0, 1);
    EXPECT_EQ(omni->color.values[0].g, 1.0f);
    ReleaseObjectMotion3ds(&object);
    ReleaseCameraMotion3ds(&camera);
    ReleaseSpotlightMotion3ds(&spot);
    ReleaseOmnilightMotion3ds(&omni);
}

TEST_F(Toolkit3dsSceneRecords, MotionsWriteWhatTheyHold)
{
    objectmotion3ds* object = nullptr;
    InitObjectMotion3ds(&object, 2, 0, 0, 0, 0);
    std::strcpy(object->name, "box");
    // A track with keys but no values is not written.
    object->scale.keycount = 2;
    object->scale.keys = static_cast<keyheader3ds*>(std::calloc(2, sizeof(keyheader3ds)));
    PutObjectMotion3ds(mNew, object);
    std::strcpy(object->name, DummyName3ds);
    PutObjectMotion3ds(mNew, object);
    chunk3ds* box = FindNodeTagByNameAndType3ds(mNew, "box", OBJECT_NODE_TAG);
    chunk3ds* dummy = FindNodeTagByNameAndType3ds(mNew, DummyName3ds, OBJECT_NODE_TAG);
    EXPECT_EQ(Below(box, BOUNDBOX), nullptr);
    EXPECT_NE(Below(dummy, BOUNDBOX), nullptr);
    EXPECT_NE(Below(box, POS_TRACK_TAG), nullptr);
    EXPECT_EQ(Below(box, SCL_TRACK_TAG), nullptr);
    // Read back without a smoothing chunk, the angle is 0.
    objectmotion3ds* back = nullptr;
    GetObjectMotion3ds(box, &back);
    EXPECT_EQ(back->morphsmooth, 0.0f);
    ReleaseObjectMotion3ds(&back);
    ReleaseObjectMotion3ds(&object);
    // An index at the count leaves the record untouched.
    cameramotion3ds* camera = nullptr;
    GetCameraMotionByIndex3ds(mNew, GetCameraNodeCount3ds(mNew), &camera);
    EXPECT_EQ(camera, nullptr);
    EXPECT_EQ(Errors(), std::vector<int>());
}

TEST_F(Toolkit3dsSceneRecords, DummiesOfOtherInstancesNeverReplaceEachOther)
{
    objectmotion3ds* dummy = nullptr;
    InitObjectMotion3ds(&dummy, 1, 0, 0, 0, 0);
    std::strcpy(dummy->name, DummyName3ds);
    for (const char* instance : {"a", "b"}) {
        std::strcpy(dummy->instance, instance);
        PutObjectMotion3ds(mNew, dummy);
    }
    ASSERT_EQ(GetObjectNodeCount3ds(mNew), 2u);
    chunk3ds* a = FindNodeTagByNameAndType3ds(mNew, "$$$DUMMY.a", OBJECT_NODE_TAG);
    chunk3ds* b = FindNodeTagByNameAndType3ds(mNew, "$$$DUMMY.b", OBJECT_NODE_TAG);
    ASSERT_NE(a, nullptr);
    chunk3ds* xdata = nullptr;
    InitChunkAs3ds(&xdata, XDATA_SECTION);
    AddChildOrdered3ds(a, xdata);
    std::strcpy(dummy->instance, "a");
    dummy->pos.values[0] = {7, 8, 9};
    PutObjectMotion3ds(mNew, dummy);
    EXPECT_EQ(GetObjectNodeCount3ds(mNew), 2u);
    EXPECT_EQ(FindNodeTagByNameAndType3ds(mNew, "$$$DUMMY.b", OBJECT_NODE_TAG), b);
    chunk3ds* replaced = FindNodeTagByNameAndType3ds(mNew, "$$$DUMMY.a", OBJECT_NODE_TAG);
    EXPECT_NE(Below(replaced, XDATA_SECTION), nullptr);
    objectmotion3ds* back = nullptr;
    GetObjectMotionByName3ds(mNew, "$$$DUMMY.a", &back);
    EXPECT_EQ(back->pos.values[0].y, 8.0f);
    ReleaseObjectMotion3ds(&back);
    ReleaseObjectMotion3ds(&dummy);
    EXPECT_EQ(Errors(), std::vector<int>());
}

}  // namespace
}  // namespace qelsdk_600
