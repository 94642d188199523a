// Writes the seed corpus of native_fuzz: the older-layout writer's output in
// both forms (and with a password), and current-layout documents built
// field by field, binary and text, touching every section the driver reads.
#include <cstdio>
#include <string>

#include "character/kqelcharacter.h"
#include "content/kqelgloballightsettings.h"
#include "content/kqelglobaltimesettings.h"
#include "content/kqellight.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "content/kqeltexture.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvekey.h"
#include "file/kqel.h"
#include "io/kqelexporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/blocks/kqelblockio.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqellimits.h"
#include "scene/kqelnode.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqelsceneinfo.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

using namespace qelsdk_600;
using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;
using native_detail::WriteFieldI;

namespace {

// A triangle with a material and a texture, whose file gives the media
// section a clip.
void AddTexturedMesh(KQelSdkManager& manager, KQelScene& scene)
{
    KQelNode* node = manager.CreateKQelNode("Board");
    KQelMesh* mesh = manager.CreateKQelMesh();
    node->SetNodeAttribute(mesh);
    mesh->InitControlPoints(3);
    mesh->BeginPolygon();
    for (int corner : {0, 1, 2})
        mesh->AddPolygon(corner);
    mesh->EndPolygon();
    KQelTexture* texture = manager.CreateKQelTexture("Oak");
    texture->SetFileName("/maps/oak.png");
    texture->SetCropping(1, 2, 3, 4);
    mesh->AT(texture, 0);
    KQelMaterial* material = manager.CreateKQelMaterial("Coat");
    material->SetDefaultShininess(0.5);
    mesh->AM(material, 0);
    scene.GetRootNode()->AddChild(node);
}

void FillScene(KQelSdkManager& manager, KQelScene& scene)
{
    scene.CreateTake("Walk");
    KQelTakeInfo walk;
    walk.mName = "Walk";
    walk.mDescription = "a walk";
    scene.SetTakeInfo(walk);
    scene.SetCurrentTake("Walk");
    KQelSceneInfo* info = manager.CreateKQelSceneInfo();
    info->mTitle = "seed";
    scene.SetSceneInfo(info);
    for (const char* name : {"Spot", "Key"}) {
        KQelNode* node = manager.CreateKQelNode(name);
        KQelLight* light = manager.CreateKQelLight();
        node->SetNodeAttribute(light);
        light->SetFileName("gobo.tif");
        scene.GetRootNode()->AddChild(node);
    }
    // Model blocks with a target, a limit, a key and a user property; a rest
    // pose and a character over them.
    KQelNode* spot = scene.GetRootNode()->GetChild(0);
    KQelNode* key = scene.GetRootNode()->GetChild(1);
    spot->AddChild(manager.CreateKQelNode("Child"));
    spot->SetTarget(key);
    spot->SetPostTargetRotation(KQelVector4(90.0, 0.0, 0.0, 0.0));
    KQelLimitsUtilities(&key->GetLimits()).SetAuto(KQelLimitsUtilities::eScaling, false);
    KQelUserProperty* weight = manager.CreateKQelUserProperty("Weight", "Real", "");
    weight->ModifyFlag(KQelUserProperty::eUserProperty, true);
    key->AddProperty(weight);
    key->SetCurrentTakeNode("Walk");
    KFCurveKey curveKey;
    curveKey.Set(KTime(0), 1.0f);
    key->GetCurrentTakeNode()->GetTranslationX()->KeyAdd(KTime(0), curveKey);
    key->SetCurrentTakeNode(0);
    KQelPose* rest = manager.CreateKQelPose("Rest", false);
    rest->Add("Model::Spot", KQelMatrix(), true);
    scene.AddPose(rest);
    KQelCharacter* hero = scene.GetCharacter(scene.CreateCharacter("Hero"));
    KQelCharacterLink hips;
    hips.mNode = spot;
    hero->SetCharacterLink(eCharacterHips, hips, true);
    KQelGlobalLightSettings& light = *scene.GetGlobalLightSettings();
    light.AddShadowPlane(KQelGlobalLightSettings::KQelShadowPlane());
    light.SetShadowEnable(true);
    KQelGlobalTimeSettings& time = *scene.GetGlobalTimeSettings();
    KQelGlobalTimeSettings::KQelTimeMarker marker;
    marker.mName = "mark";
    time.AddTimeMarker(marker);
    time.SetCurrentTimeMarker(0);
    AddTexturedMesh(manager, scene);
}

bool WriteOlder(const std::string& path, KQelWriterQel::EExportMode mode, const char* password)
{
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    FillScene(manager, *scene);
    KQelExporter exporter(manager);
    KQelWriterQel writer(manager, exporter);
    writer.SetExportMode(mode);
    KStreamOptionsQel options;
    if (password) {
        options.mIsPasswordProtected = true;
        options.mPassword = password;
    }
    return writer.FileCreate(path.c_str()) && writer.Write(*scene, &options) && writer.FileClose();
}

void WriteObject(KQel& f, const char* type, const char* name, const char* subType)
{
    f.FieldWriteBegin(type);
    f.FieldWriteC(name);
    f.FieldWriteC(subType);
    f.FieldWriteBlockBegin();
    WriteFieldI(f, "Version", 100);
    f.FieldWriteBlockEnd();
    f.FieldWriteEnd();
}

void WriteConnect(KQel& f, const char* kind, const char* source, const char* destination, const char* property)
{
    f.FieldWriteBegin("Connect");
    f.FieldWriteC(kind);
    f.FieldWriteC(source);
    f.FieldWriteC(destination);
    if (property)
        f.FieldWriteC(property);
    f.FieldWriteEnd();
}

void WriteCurrentMain(KQel& f)
{
    static const char* const kTypes[] = {"Model", "SceneInfo", "Deformer", "Pose", "GenericNode",
                                         "Constraint", "ControlSetPlug", "Material", "Texture", "Video"};
    {
        WriteBlock definitions(f, "Definitions");
        WriteFieldI(f, "Version", 100);
        for (const char* type : kTypes)
            WriteFieldC(f, "ObjectType", type);
    }
    {
        WriteBlock objects(f, "Objects");
        WriteObject(f, "Model", "Model::A", "Null");
        WriteObject(f, "Model", "Model::B", "Camera");
        WriteObject(f, "Model", "Model::Producer Top", "Camera");
        WriteObject(f, "Deformer", "Deformer::Skin", "Skin");
        WriteObject(f, "Deformer", "SubDeformer::Cluster", "Cluster");
        WriteObject(f, "Pose", "Pose::Bind", "BindPose");
        WriteObject(f, "Pose", "Pose::Rest", "RestPose");
        WriteObject(f, "Pose", "Pose::Character", "CharacterPose");
        WriteObject(f, "GenericNode", "Generic", "");
        WriteObject(f, "Constraint", "Constraint::Hero", "Character");
        WriteObject(f, "ControlSetPlug", "ControlSetPlug::Plug", "ControlSetPlug");
        WriteObject(f, "Material", "Material::M", "");
        WriteObject(f, "Texture", "Texture::T", "");
        WriteObject(f, "Video", "Video::V", "Clip");
        f.FieldWriteBegin("SceneInfo");
        f.FieldWriteC("SceneInfo::GlobalInfo");
        f.FieldWriteC("UserData");
        f.FieldWriteBlockBegin();
        WriteFieldI(f, "Version", 100);
        {
            WriteBlock thumbnail(f, "Thumbnail");
            WriteFieldI(f, "Format", 0);
            WriteFieldI(f, "Size", 64);
            f.FieldWriteBegin("ImageData");
            for (int i = 0; i < 16; ++i)
                f.FieldWriteI(i * 16);
            f.FieldWriteEnd();
        }
        {
            WriteBlock meta(f, "MetaData");
            WriteFieldC(f, "Title", "seed");
        }
        f.FieldWriteBlockEnd();
        f.FieldWriteEnd();
    }
    {
        WriteBlock connections(f, "Connections");
        WriteConnect(f, "OO", "Model::A", "Model::Scene", nullptr);
        WriteConnect(f, "OO", "Model::B", "Model::A", nullptr);
        WriteConnect(f, "OO", "SubDeformer::Cluster", "Deformer::Skin", nullptr);
        WriteConnect(f, "OP", "Model::B", "Model::A", "LookAtProperty");
        WriteConnect(f, "PP", "Model::B", "Model::A", "Lcl Rotation");
    }
    {
        WriteBlock gobos(f, "GoboManager");
        {
            WriteBlock gobo(f, "Gobo");
            WriteFieldC(f, "GoboName", "gobo-0");
            WriteFieldC(f, "GoboPath", "gobo.tif");
        }
        f.FieldWriteBegin("LightGobo");
        f.FieldWriteC("Model::A");
        f.FieldWriteC("gobo-0");
        f.FieldWriteEnd();
    }
    {
        WriteBlock generic(f, "SceneGenericPersistence");
        WriteBlock info(f, "SceneInfo", "SceneInfo::GlobalInfo");
        WriteFieldC(f, "Type", "UserData");
    }
    WriteBlock version5(f, "Version5");
    {
        WriteBlock fog(f, "FogOptions");
        WriteFieldI(f, "FlogEnable", 1);
        WriteFieldD(f, "FogStart", 10.0);
    }
    {
        WriteBlock planes(f, "ShadowPlanes");
        WriteFieldI(f, "Count", 2);
        f.FieldWriteBegin("Plane");
        for (int i = 0; i < 6; ++i)
            f.FieldWriteD(i);
        f.FieldWriteI(1);
        f.FieldWriteEnd();
    }
    {
        WriteBlock renderer(f, "RendererSetting");
        WriteFieldC(f, "DefaultCamera", "Model::Producer Top");
    }
    WriteBlock settings(f, "Settings");
    WriteFieldC(f, "FrameRate", "24");
    WriteFieldI(f, "ReferenceTimeIndex", 0);
    WriteBlock marker(f, "TimeMarker", "m");
    WriteFieldI(f, "Loop", 1);
}

void WriteCurrentSummary(KQel& f)
{
    WriteBlock summary(f, "Summary");
    WriteFieldI(f, "Version", 101);
    {
        WriteBlock counts(f, "ContentCount");
        WriteFieldI(f, "Model", 2);
    }
    WriteBlock takes(f, "Takes");
    WriteFieldC(f, "Current", "Walk");
    WriteBlock take(f, "Take", "Walk");
    WriteFieldC(f, "FileName", "walk.tak");
    WriteFieldC(f, "Comments", "seed");
}

bool WriteCurrent(const std::string& path, bool binary)
{
    KQel f;
    if (!f.ProjectCreate(path.c_str(), binary, false, nullptr))
        return false;
    WriteCurrentMain(f);
    f.ProjectCloseSection();
    if (binary) {
        f.ProjectCreateExtensionSection(false);
        WriteCurrentSummary(f);
        f.ProjectCloseSection();
    }
    return f.ProjectClose();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    bool ok = WriteOlder(dir + "/older_binary.qel", KQelWriterQel::eBINARY, nullptr);
    ok = WriteOlder(dir + "/older_text.qel", KQelWriterQel::eASCII, nullptr) && ok;
    ok = WriteOlder(dir + "/older_password.qel", KQelWriterQel::eBINARY, "pw") && ok;
    ok = WriteCurrent(dir + "/current_binary.qel", true) && ok;
    ok = WriteCurrent(dir + "/current_text.qel", false) && ok;
    return ok ? 0 : 1;
}
