// Bind and rest poses, character poses (nested scenes) and constraints.
#include <cstring>

#include "character/kqelcharacter.h"
#include "file/iqelobject.h"
#include "io/kqelexporter.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "math/kqelmatrix.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqelpose.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

namespace {

using native_detail::ReadBlock;
using native_detail::WriteBlock;
using native_detail::WriteFieldC;
using native_detail::WriteFieldD;
using native_detail::WriteFieldDn;
using native_detail::WriteFieldI;

// What a nested character-pose scene leaves out, on both sides: attributes,
// materials, textures, shapes, gobos, pivots, animation, global settings.
const KStreamOptionsQel::EOption kNestedOff[] = {
    KStreamOptionsQel::eModelAttribute, KStreamOptionsQel::eMaterial,  KStreamOptionsQel::eTexture,
    KStreamOptionsQel::eShape,          KStreamOptionsQel::eGobo,      KStreamOptionsQel::ePivot,
    KStreamOptionsQel::eAnimation,      KStreamOptionsQel::eGlobalSettings};

void SwitchNestedOff(KStreamOptionsQel& pOptions, bool pWriting)
{
    for (KStreamOptionsQel::EOption option : kNestedOff)
        pOptions.SetOption(option, false);
    // Media are never embedded in a nested scene.
    if (pWriting)
        pOptions.SetOption(KStreamOptionsQel::eEmbedMedia, false);
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WritePose(KQelScene& pScene)
{
    KQel& file = File();
    for (int i = 0, n = pScene.GetPoseCount(); i < n; ++i) {
        KQelPose* pose = pScene.GetPose(i);
        if (!pose)
            continue;
        WriteBlock block(file, "Pose", pose->GetName());
        WriteFieldC(file, "Type", pose->GetTypeName().Buffer());
        WriteKQelPose(*pose);
    }
    return pScene.GetPoseCount() > 0;
}

bool KQelWriterQel::WriteKQelPose(KQelPose& pPose)
{
    KQel& file = File();
    const bool rest = pPose.GetTypeName() == "RestPose";
    WriteFieldI(file, "NbPoseNodes", pPose.GetCount());
    for (int i = 0, n = pPose.GetCount(); i < n; ++i) {
        WriteBlock entry(file, "PoseNode");
        WriteFieldC(file, "Node", pPose.GetNodeName(i).Buffer());
        WriteFieldDn(file, "Matrix", static_cast<const double*>(pPose.GetMatrix(i)), 16);
        if (rest)
            WriteFieldI(file, "Local", pPose.IsLocalMatrix(i) ? 1 : 0);
    }
    return true;
}

bool KQelWriterQel::WriteCharacterPose(KQelScene& pScene)
{
    KQel& file = File();
    for (int i = 0, n = pScene.GetCharacterPoseCount(); i < n; ++i) {
        KQelCharacterPose* pose = pScene.GetCharacterPose(i);
        if (!pose)
            continue;
        WriteBlock block(file, "Pose", pose->GetName());
        WriteFieldC(file, "Type", "CharacterPose");
        WriteBlock scene(file, "PoseScene");
        WriteKQelCharacterPose(*pose);
    }
    return pScene.GetCharacterPoseCount() > 0;
}

bool KQelWriterQel::WriteKQelCharacterPose(KQelCharacterPose& pPose)
{
    KQelScene* scene = pPose.GetScene();
    KQelExporter* exporter = mManager.CreateKQelExporter();
    if (!scene || !exporter) {
        if (exporter)
            mManager.DestroyKQelExporter(exporter);
        return false;
    }
    KStreamOptionsQel options;
    SwitchNestedOff(options, true);
    const bool written = exporter->Export(*scene, &options, mFile);
    mManager.DestroyKQelExporter(exporter);
    return written;
}

bool KQelWriterQel::WriteConstraint(KQelScene& pScene)
{
    const int count = pScene.GetCharacterCount();
    if (count == 0)
        return true;
    KQel& file = File();
    WriteBlock constraints(file, "Constraints");
    WriteFieldD(file, "Version", 4.0);
    WriteBlock group(file, "Group", "Constraint Group");
    for (int i = 0; i < count; ++i) {
        KQelCharacter* character = pScene.GetCharacter(i);
        if (!character)
            continue;
        WriteBlock constraint(file, "Constraint", character->GetName());
        WriteFieldC(file, "Type", "Character");
        WriteFieldI(file, "MultiLayer", 1);
        WriteFieldC(file, "Flags", "Active");
        WriteFieldC(file, "Description", "Character");
    }
    return true;
}

// ---- Reader ----

bool KQelReaderQel::ReadPoses(KQelScene& pScene)
{
    if (!mOptions->GetOption(KStreamOptionsQel::eCharacter))
        return false;
    return ReadCharacterPose(pScene) != 0;
}

int KQelReaderQel::ReadCharacterPose(KQelScene& pScene)
{
    return ReadPoseBlocks(pScene, true);
}

bool KQelReaderQel::ReadPose(KQelScene& pScene)
{
    ReadPoseBlocks(pScene, false);
    return true;
}

int KQelReaderQel::ReadPoseBlocks(KQelScene& pScene, bool pCharacterPoses)
{
    KQel& file = File();
    int answer = 1;
    while (file.FieldReadBegin("Pose")) {
        const KString name = file.FieldReadC();
        if (file.FieldReadBlockBegin()) {
            const KString type = file.FieldReadC("Type", "");
            if (type == "CharacterPose") {
                if (pCharacterPoses)
                    ReadCharacterPoseBlock(pScene, name);
            } else if (type == "BindPose" || type == "RestPose") {
                answer = 0;
                const bool bind = type == "BindPose";
                if (KQelPose* pose = mManager.CreateKQelPose(name.Buffer(), bind)) {
                    if (!ReadKQelPose(pose, bind) || !pScene.AddPose(pose))
                        mManager.DestroyKQelPose(pose);
                }
            }
            file.FieldReadBlockEnd();
        }
        file.FieldReadEnd();
    }
    return answer;
}

void KQelReaderQel::ReadCharacterPoseBlock(KQelScene& pScene, const KString& pName)
{
    ReadBlock scene(File(), "PoseScene");
    if (!scene.IsOpen())
        return;
    const int index = pScene.CreateCharacterPose(pName.Buffer());
    KQelCharacterPose* pose = index < 0 ? nullptr : pScene.GetCharacterPose(index);
    if (!pose)
        return;
    if (!ReadKQelCharacterPose(*pose)) {
        pScene.DestroyCharacterPose(index);
        MarkCorruptData(pName.Buffer(), "PoseScene");
    }
}

bool KQelReaderQel::ReadKQelPose(KQelPose* pPose, bool pBindPose)
{
    if (!pPose)
        return true;
    KQel& file = File();
    const int count = file.FieldReadI("NbPoseNodes", 0);
    // Fewer entries than announced simply end the pose; a huge count costs
    // nothing beyond the entries present.
    for (int i = 0; i < count && file.FieldReadBegin("PoseNode"); ++i) {
        if (file.FieldReadBlockBegin()) {
            const KString node = file.FieldReadC("Node", "");
            KQelMatrix matrix;  // the identity when "Matrix" is absent
            file.FieldReadDn("Matrix", static_cast<double*>(matrix), nullptr, 16);
            const bool local = !pBindPose && file.FieldReadI("Local", 0) != 0;
            pPose->Add(node.Buffer(), matrix, local);
            file.FieldReadBlockEnd();
        }
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadKQelCharacterPose(KQelCharacterPose& pPose)
{
    KQelScene* scene = pPose.GetScene();
    KQelImporter* importer = mManager.CreateKQelImporter();
    if (!scene || !importer) {
        if (importer)
            mManager.DestroyKQelImporter(importer);
        return false;
    }
    KStreamOptions* options = importer->GetImportOptions(mFile);
    if (!options) {
        mManager.DestroyKQelImporter(importer);
        return false;
    }
    if (options->Is(KStreamOptionsQel::ClassId))
        SwitchNestedOff(*static_cast<KStreamOptionsQel*>(options), false);
    const bool read = importer->Import(*scene, options, mFile);
    options->Destroy();
    mManager.DestroyKQelImporter(importer);
    return read;
}

}  // namespace qelsdk_600
