// Attribute blocks of the older layout: cameras, lights, nulls, markers,
// skeletons, optical references and camera switchers, written and read back;
// the fields' defaults, versions and text tables; and the camera fix-ups
// after a read.
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "content/kqellight.h"
#include "content/kqelmarker.h"
#include "curves/kfcurve.h"
#include "object/kobject.h"
#include "block_test_util.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnull.h"
#include "scene/kqelscene.h"
#include "scene/kqelskeleton.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace blocktest {
namespace {

using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;
using native_detail::WriteFieldI;

typedef KQelCamera Camera;

TEST(AttributeBlocks, CameraReadsBackEveryValueInBothForms)
{
    for (bool producer : {false, true}) {
        for (bool binary : {true, false}) {
            SCOPED_TRACE(std::string(producer ? "producer " : "model ") + (binary ? "binary" : "text"));
            Blocks blocks;
            Camera* written = blocks.manager.CreateKQelCamera();
            Camera* read = blocks.manager.CreateKQelCamera();
            Camera* fresh = blocks.manager.CreateKQelCamera();
            SetCamera(*written);
            RoundTrip(
                blocks, binary, [&](BlockWriter& pWriter) { pWriter.WriteKQelCamera(*written, producer); },
                [&](BlockReader& pReader) {
                    // The attribute entry takes the first "Type" of a model block.
                    if (!producer) {
                        EXPECT_STREQ(pReader.Fields().FieldReadC("Type", ""), "Camera");
                    }
                    pReader.ReadKQelCamera(*read);
                });
            for (const auto& value : kCameraValues) {
                EXPECT_NEAR(value.second(*read), value.second(*written), 1e-9) << value.first;
                EXPECT_NE(value.second(*fresh), value.second(*written)) << value.first << " is not tested";
            }
            EXPECT_STREQ(read->GetBackgroundMediaName(), "back");
        }
    }
}

// A camera block written field by field, read into a new camera.
Camera* ReadCameraFields(Blocks& pBlocks, const std::function<void(KQel&)>& pFields, bool pOlder = true)
{
    const std::string path = pBlocks.dir.File("camera.qel");
    WriteBlocks(pBlocks, path, true, [&](BlockWriter&, KQel& f) {
        WriteBlock model(f, "Model", "Model::A");
        pFields(f);
    });
    Camera* camera = pBlocks.manager.CreateKQelCamera();
    ReadBlocks(
        pBlocks, path,
        [&](BlockReader& pReader, KQel& pFile) {
            native_detail::ReadBlock model(pFile, "Model");
            pReader.ReadKQelCamera(*camera);
        },
        pOlder);
    return camera;
}

TEST(AttributeBlocks, CameraFieldsFollowTheirVersionDefaultsAndTables)
{
    const struct {
        const char* mName;
        std::function<void(KQel&)> mFields;
        bool mOlder;
        std::function<bool(Camera&)> mExpected;
    } cases[] = {
        {"no version: integer aspect and the lens as an angle",
         [](KQel& f) {
             WriteFieldI(f, "AspectType", 2);
             WriteFieldI(f, "AspectW", 640);
             WriteFieldI(f, "AspectH", 480);
             WriteFieldD(f, "Aperture", 90.0);
             WriteFieldD(f, "FocalLength", 99.0);
         },
         true,
         [](Camera& c) {
             return c.GetAspectWidth() == 640 && c.GetAspectHeight() == 480 && c.GetFocalLength() != 99.0 &&
                    std::fabs(c.GetAngleOfView() - 90.0) < 1e-6;
         }},
        {"an unknown format reads as custom", [](KQel& f) { WriteFieldC(f, "FormatName", "pal"); }, true,
         [](Camera& c) { return c.GetFormat() == 0; }},
        {"a missing film format reads as 35mm TV", [](KQel&) {}, true,
         [](Camera& c) { return c.GetApertureFormat() == Camera::e35mmTVProjection; }},
        {"an unknown film format reads as custom", [](KQel& f) { WriteFieldC(f, "ApertureFormat", "Imax "); }, true,
         [](Camera& c) { return c.GetApertureFormat() == Camera::eCustomAperture; }},
        {"colours default to black, green and grey",
         [](KQel& f) { WriteFieldI(f, "Version", 220); }, true,
         [](Camera& c) {
             return c.GetBackgroundColor() == KQelColor(0, 0, 0, 1) && c.GetAudioColor() == KQelColor(0, 1, 0, 1) &&
                    c.GetFrameColor() == KQelColor(0.3, 0.3, 0.3, 1);
         }},
        {"out-of-range enumerations count as absent",
         [](KQel& f) {
             WriteFieldI(f, "Type", 7);
             WriteFieldI(f, "ApertureMode", -1);
             WriteFieldI(f, "ViewFrustumPlane", 3);
             WriteFieldI(f, "SafeAreaStyle", 1000000);
         },
         true,
         [](Camera& c) {
             return c.GetProjectionType() == Camera::ePerspective && c.GetApertureMode() == 0 &&
                    c.GetBackgroundDisplayMode() == Camera::eWhenMedia && c.GetSafeAreaStyle() == Camera::eSquare;
         }},
        {"current layout reads only its few fields",
         [](KQel& f) {
             WriteFieldI(f, "Version", 220);
             WriteFieldD(f, "NearPlane", 3.0);
             WriteFieldI(f, "ShowAudio", 1);
             WriteFieldI(f, "ShowInfoOnMoving", 0);
         },
         false,
         [](Camera& c) {
             return c.GetNearPlane() != 3.0 && c.GetShowAudio() && !c.GetShowInfoOnMoving() &&
                    c.GetAudioColor() == KQelColor(0, 1, 0, 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        Blocks blocks;
        Camera* camera = ReadCameraFields(blocks, c.mFields, c.mOlder);
        EXPECT_TRUE(c.mExpected(*camera));
    }
}

}  // namespace
}  // namespace blocktest
}  // namespace qelsdk_600

namespace qelsdk_600 {
namespace blocktest {
namespace {

// A node carrying pAttribute.
template <class T>
T* OnNode(Blocks& pBlocks, T* pAttribute)
{
    pBlocks.manager.CreateKQelNode("Carrier")->SetNodeAttribute(pAttribute);
    return pAttribute;
}

TEST(AttributeBlocks, LightReadsBackItsValuesAndDefaultsByVersion)
{
    Blocks blocks;
    KQelLight* light = OnNode(blocks, blocks.manager.CreateKQelLight());
    light->SetLightType(KQelLight::eSpot);
    light->SetCastLight(false);
    KQelColor color(0.25, 0.5, 0.75, 1.0);  // exact in the curves' floats
    light->SetDefaultColor(color);
    light->SetDefaultIntensity(75);
    light->SetDefaultConeAngle(30);
    light->SetDefaultFog(12);
    KQelLight* read = OnNode(blocks, blocks.manager.CreateKQelLight());
    RoundTrip(blocks, false, [&](BlockWriter& pWriter) { pWriter.WriteKQelLight(*light); },
              [&](BlockReader& pReader) {
                  EXPECT_STREQ(pReader.Fields().FieldReadC("Type", ""), "Light");
                  pReader.ReadKQelLight(*read);
              });
    KQelColor readColor;
    EXPECT_EQ(read->GetLightType(), KQelLight::eSpot);
    EXPECT_FALSE(read->GetCastLight());
    EXPECT_TRUE(read->GetDefaultColor(readColor) == color);
    EXPECT_FLOAT_EQ(read->GetDefaultIntensity(), 75);
    EXPECT_FLOAT_EQ(read->GetDefaultConeAngle(), 30);
    EXPECT_FLOAT_EQ(read->GetDefaultFog(), 12);

    const struct {
        const char* mName;
        std::function<void(KQel&)> mFields;
        KQelLight::ELightType mType;
        bool mCast;
        double mIntensity;
    } cases[] = {
        {"version 202 without intensity gives 0",
         [](KQel& f) { WriteFieldI(f, "LightTypeVersion", 202); }, KQelLight::ePoint, true, 0.0},
        {"version 201 ignores the values",
         [](KQel& f) {
             WriteFieldI(f, "LightTypeVersion", 201);
             WriteFieldD(f, "Intensity", 5.0);
             WriteFieldI(f, "LightType", 1);
             WriteFieldI(f, "CastLight", 0);
         },
         KQelLight::eInfinite, false, 50.0},
        {"a type outside the list is a point", [](KQel& f) { WriteFieldI(f, "LightType", 3); }, KQelLight::ePoint,
         true, 50.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        KQelLight* hand = OnNode(blocks, blocks.manager.CreateKQelLight());
        hand->SetDefaultIntensity(50.0);
        const std::string path = blocks.dir.File("light.qel");
        WriteBlocks(blocks, path, true, [&](BlockWriter&, KQel& f) {
            WriteBlock model(f, "Model", "Model::A");
            c.mFields(f);
        });
        ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel& pFile) {
            native_detail::ReadBlock model(pFile, "Model");
            pReader.ReadKQelLight(*hand);
        });
        EXPECT_EQ(hand->GetLightType(), c.mType);
        EXPECT_EQ(hand->GetCastLight(), c.mCast);
        EXPECT_FLOAT_EQ(hand->GetDefaultIntensity(), c.mIntensity);
    }
}

TEST(AttributeBlocks, NullsMarkersSkeletonsAndOpticalReferencesReadBack)
{
    typedef KQelSkeleton Skeleton;
    struct Case {
        const char* mName;
        const char* mType;  // the block's "Type"
        std::function<void(BlockWriter&, Blocks&)> mWrite;
        std::function<void(BlockReader&, Blocks&)> mReadAndCheck;
    };
    auto skeleton = [](Skeleton::ESkeletonType pWritten, const char* pType, Skeleton::ESkeletonType pRead) {
        return Case{pType, pType,
                    [=](BlockWriter& pWriter, Blocks& pBlocks) {
                        Skeleton* s = pBlocks.manager.CreateKQelSkeleton();
                        s->SetSkeletonType(pWritten);
                        s->SetLimbLength(3.5);
                        s->SetLimbNodeSize(42);
                        s->SetLimbNodeColor(KQelColor(0.1, 0.2, 0.3, 1));
                        EXPECT_TRUE(pWriter.WriteKQelSkeleton(*s));
                    },
                    // The model block reads skeleton fields itself: the
                    // fields are checked as written.
                    [=](BlockReader& pReader, Blocks&) {
                        KQel& file = pReader.Fields();
                        EXPECT_EQ(file.FieldReadD("LimbLength", -1.0), pRead == Skeleton::eLimb ? 3.5 : -1.0);
                        native_detail::ReadBlock properties(file, "Properties");
                        ASSERT_TRUE(properties.IsOpen());
                        EXPECT_EQ(file.FieldReadD("Size", 0.0), 42.0);
                        EXPECT_EQ(file.FieldGetInstanceCount("Color"), pRead == Skeleton::eRoot ? 0 : 1);
                    }};
    };
    auto marker = [](KQelMarker::EType pType, const char* pText) {
        return Case{pText, pText,
                    [=](BlockWriter& pWriter, Blocks& pBlocks) {
                        KQelNode* node = pBlocks.manager.CreateKQelNode("M");
                        KQelMarker* m = pBlocks.manager.CreateKQelMarker();
                        m->SetType(pType);
                        node->SetNodeAttribute(m);
                        m->SetLook(KQelMarker::eSphere);
                        m->SetSize(7);
                        m->SetColor(KQelColor(0.5, 0.25, 0.125, 1));
                        m->SetShowLabel(true);
                        m->SetDefaultIKReachTranslation(60);
                        m->SetDefaultIKReachRotation(40);
                        pWriter.WriteKQelMarker(*node);
                    },
                    [=](BlockReader& pReader, Blocks& pBlocks) {
                        KQelMarker* m = pBlocks.manager.CreateKQelMarker();
                        m->SetType(pType);
                        pBlocks.manager.CreateKQelNode("R")->SetNodeAttribute(m);
                        pReader.ReadKQelMarker(*m);
                        EXPECT_EQ(m->GetLook(), KQelMarker::eSphere);
                        EXPECT_EQ(m->GetSize(), 7);
                        EXPECT_TRUE(m->GetColor() == KQelColor(0.5, 0.25, 0.125, 1));
                        EXPECT_TRUE(m->GetShowLabel());
                        const bool ik = pType == KQelMarker::eIKEffector;
                        EXPECT_FLOAT_EQ(m->GetDefaultIKReachTranslation(), ik ? 60 : 0);
                        EXPECT_FLOAT_EQ(m->GetDefaultIKReachRotation(), ik ? 40 : 0);
                        for (const char* name : {"IK Reach Translation", "IK Reach Rotation"})
                            EXPECT_EQ(m->GetPropertyHandler()->FindPropertyByName(name) != nullptr, ik) << name;
                    }};
    };
    const Case cases[] = {
        {"null", "Null",
         [](BlockWriter& pWriter, Blocks& pBlocks) {
             KQelNull* n = pBlocks.manager.CreateKQelNull();
             n->SetSize(33);
             pWriter.WriteKQelNull(n);
         },
         [](BlockReader& pReader, Blocks& pBlocks) {
             KQelNull* n = pBlocks.manager.CreateKQelNull();
             pReader.ReadKQelNull(*n);
             EXPECT_EQ(n->GetSize(), 33);
         }},
        {"no null", "Null", [](BlockWriter& pWriter, Blocks&) { pWriter.WriteKQelNull(nullptr); },
         [](BlockReader& pReader, Blocks& pBlocks) {
             KQelNull* n = pBlocks.manager.CreateKQelNull();
             n->SetSize(1);
             pReader.ReadKQelNull(*n);
             EXPECT_EQ(n->GetSize(), 100);
         }},
        marker(KQelMarker::eStandard, "Marker"),
        marker(KQelMarker::eOptical, "OpticalMarker"),
        marker(KQelMarker::eIKEffector, "IKEffector"),
        marker(KQelMarker::eFKEffector, "FKEffector"),
        skeleton(Skeleton::eRoot, "Root", Skeleton::eRoot),
        skeleton(Skeleton::eLimb, "Limb", Skeleton::eLimb),
        skeleton(Skeleton::eLimbNode, "LimbNode", Skeleton::eLimbNode),
        // An effector is written as a root.
        skeleton(Skeleton::eEffector, "Root", Skeleton::eRoot),
        {"optical reference", "Optical",
         [](BlockWriter& pWriter, Blocks& pBlocks) {
             pWriter.WriteKQelOpticalReference(*pBlocks.manager.CreateKQelOpticalReference());
         },
         [](BlockReader&, Blocks&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        Blocks blocks;
        RoundTrip(blocks, true, [&](BlockWriter& pWriter) { c.mWrite(pWriter, blocks); },
                  [&](BlockReader& pReader) {
                      EXPECT_STREQ(pReader.Fields().FieldReadC("Type", ""), c.mType);
                      c.mReadAndCheck(pReader, blocks);
                  });
    }
}

TEST(AttributeBlocks, OlderMarkerBlocksKeepTheColourInAChannel)
{
    Blocks blocks;
    const std::string path = blocks.dir.File("old.qel");
    WriteBlocks(blocks, path, true, [&](BlockWriter&, KQel& f) {
        {
            WriteBlock model(f, "Model", "Model::M");
            {
                WriteBlock other(f, "Channel", "Visibility");
            }
            WriteBlock channel(f, "Channel", "Color");
            for (const char* component : {"X", "Y", "Z"}) {
                WriteBlock inner(f, "Channel", component);
                WriteFieldD(f, "Default", component[0] == 'X' ? 0.25 : 0.75);
            }
        }
    });
    KQelMarker* marker = OnNode(blocks, blocks.manager.CreateKQelMarker());
    marker->SetSize(9);
    ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel& pFile) {
        native_detail::ReadBlock model(pFile, "Model");
        pReader.ReadKQelMarker(*marker);
        // Later readers meet every "Channel" again.
        EXPECT_EQ(pFile.FieldReadC("Channel", ""), std::string("Visibility"));
    });
    EXPECT_TRUE(marker->GetColor() == KQelColor(0.25, 0.75, 0.75, 1));
    EXPECT_EQ(marker->GetSize(), 9);
}

TEST(AttributeBlocks, AnimatedIKReachIsLeftToItsTake)
{
    Blocks blocks;
    KQelScene* scene = blocks.manager.CreateKQelScene();
    KQelNode* node = blocks.manager.CreateKQelNode("Effector");
    scene->GetRootNode()->AddChild(node);
    KQelMarker* marker = blocks.manager.CreateKQelMarker();
    marker->SetType(KQelMarker::eIKEffector);
    node->SetNodeAttribute(marker);
    marker->SetDefaultIKReachTranslation(60);
    marker->SetDefaultIKReachRotation(40);
    ASSERT_TRUE(scene->CreateTake("Walk"));
    KFCurve* curve = node->GetTakeNode(node->GetTakeNodeCount() - 1)->GetIKReachTranslation();
    ASSERT_NE(curve, nullptr);
    curve->KeyAdd(KTime());
    KQelMarker* read = blocks.manager.CreateKQelMarker();
    read->SetType(KQelMarker::eIKEffector);
    blocks.manager.CreateKQelNode("Read")->SetNodeAttribute(read);
    read->SetDefaultIKReachTranslation(5);
    RoundTrip(blocks, true, [&](BlockWriter& pWriter) { pWriter.WriteKQelMarker(*node); },
              [&](BlockReader& pReader) { pReader.ReadKQelMarker(*read); });
    EXPECT_FLOAT_EQ(read->GetDefaultIKReachTranslation(), 0);
    EXPECT_FLOAT_EQ(read->GetDefaultIKReachRotation(), 40);
}

}  // namespace
}  // namespace blocktest
}  // namespace qelsdk_600

namespace qelsdk_600 {
namespace blocktest {
namespace {

KQelNode* AddCameraNode(Blocks& pBlocks, KQelNode& pParent, const char* pName)
{
    KQelNode* node = pBlocks.manager.CreateKQelNode(pName);
    node->SetNodeAttribute(pBlocks.manager.CreateKQelCamera());
    pParent.AddChild(node);
    return node;
}

TEST(AttributeBlocks, SwitcherIndicesFollowTheCamerasOfTheTree)
{
    // Tree order A, B (below A), C; the switcher lists C, A, B, X.
    Blocks blocks;
    KQelScene* scene = blocks.manager.CreateKQelScene();
    KQelNode* a = AddCameraNode(blocks, *scene->GetRootNode(), "A");
    AddCameraNode(blocks, *a, "B");
    AddCameraNode(blocks, *scene->GetRootNode(), "C");
    KQelCameraSwitcher* switcher = scene->GetCameraSwitcher()->GetCameraSwitcher();
    ASSERT_NE(switcher, nullptr);
    const std::string path = blocks.dir.File("switcher.qel");
    WriteBlocks(blocks, path, true, [&](BlockWriter&, KQel& f) {
        WriteBlock block(f, "Switcher");
        WriteFieldI(f, "CameraId", 2);
        f.FieldWriteBegin("CameraIndexName");
        for (const char* name : {"Model::C", "Model::A", "Model::B", "Model::X"})
            f.FieldWriteC(name);
        f.FieldWriteEnd();
    });
    const float keys[] = {1.0f, 2.0f, 3.0f, 4.0f, 0.0f, 2.7f, -1.0f, 5.0f, std::numeric_limits<float>::quiet_NaN(),
                          1e30f};
    const float expected[] = {3.0f, 1.0f, 2.0f, 4.0f, 0.0f, 1.0f, -1.0f, 5.0f, 0.0f, 1e30f};
    KFCurve* curve = nullptr;
    ReadBlocks(blocks, path, [&](BlockReader& pReader, KQel&) {
        EXPECT_TRUE(pReader.ReadCameraSwitcher(*scene));
        curve = scene->GetCameraSwitcher()->GetDefaultTakeNode()->GetCameraIndex();
        ASSERT_NE(curve, nullptr);
        for (int k = 0; k < 10; ++k) {
            const int index = curve->KeyAdd(KTime(k * 1000));
            curve->KeySetValue(index, keys[k]);
        }
        pReader.ReorderCameraSwitcherIndices(*scene);
    });
    ASSERT_EQ(switcher->GetCameraNameCount(), 4);
    EXPECT_STREQ(switcher->GetCameraName(0), "Model::C");
    // The default index 2 named A, first in the tree.
    EXPECT_EQ(switcher->GetDefaultCameraIndex(), 1);
    for (int k = 0; k < 10; ++k) {
        if (std::isnan(expected[k]))
            continue;
        if (k == 8)
            EXPECT_TRUE(std::isnan(curve->KeyGetValue(k)));
        else
            EXPECT_EQ(curve->KeyGetValue(k), expected[k]) << "key " << k;
    }
}

}  // namespace
}  // namespace blocktest
}  // namespace qelsdk_600
