// Gobos: the "GoboManager" block of distinct gobos and the light that uses
// each.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "content/kqellight.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelgobo.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

namespace {

// Lights share a gobo when the path (byte for byte) and the three switches
// agree.
std::string GoboKey(const KQelGobo& pGobo)
{
    std::string key(pGobo.mPath.Buffer(), static_cast<std::size_t>(pGobo.mPath.GetLen()));
    key += '\0';
    key += pGobo.mGroundProjection ? '1' : '0';
    key += pGobo.mVolumetricProjection ? '1' : '0';
    key += pGobo.mFrontVolumetricProjection ? '1' : '0';
    return key;
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WriteGobo(KQelScene& pScene)
{
    native_detail::WriteBlock block(File(), "GoboManager");
    WriteGoboSection(pScene);
    return true;
}

void KQelWriterQel::WriteGoboSection(KQelScene& pScene)
{
    KArrayTemplate<KQelNode*> lights;
    pScene.GetEntity()->FillNodeArray(lights, KQelNodeAttribute::eLight, false);
    std::vector<KQelGobo> gobos;
    std::unordered_map<std::string, std::size_t> byKey;
    std::vector<std::pair<KQelNode*, KString>> uses;
    int counter = 0;
    for (int i = lights.GetCount() - 1; i >= 0; --i) {
        KQelLight* light = lights[i]->GetLight();
        if (!light || !light->GetFileName())
            continue;
        KQelGobo gobo;
        gobo.mName = "gobo-";
        gobo.mName += counter++;
        gobo.mPath = light->GetFileName();
        gobo.mGroundProjection = light->GetGroundProjection();
        gobo.mVolumetricProjection = light->GetVolumetricProjection();
        gobo.mFrontVolumetricProjection = light->GetFrontVolumetricProjection();
        auto inserted = byKey.emplace(GoboKey(gobo), gobos.size());
        if (inserted.second)
            gobos.push_back(gobo);
        uses.emplace_back(lights[i], gobos[inserted.first->second].mName);
    }
    for (std::size_t i = gobos.size(); i-- > 0;) {
        native_detail::WriteBlock block(File(), "Gobo");
        WriteKQelGobo(gobos[i]);
    }
    for (const auto& use : uses) {
        File().FieldWriteBegin("LightGobo");
        File().FieldWriteC(use.first->GetName());
        File().FieldWriteC(use.second.Buffer());
        File().FieldWriteEnd();
    }
}

void KQelWriterQel::WriteKQelGobo(KQelGobo& pGobo)
{
    KQel& file = File();
    native_detail::WriteFieldI(file, "Version", 250);
    native_detail::WriteFieldC(file, "GoboName", pGobo.mName.Buffer());
    native_detail::WriteFieldC(file, "GoboPath", pGobo.mPath.Buffer());
    file.FieldWriteBegin("DrawComponent");
    file.FieldWriteI(pGobo.mGroundProjection ? 1 : 0);
    file.FieldWriteI(pGobo.mVolumetricProjection ? 1 : 0);
    file.FieldWriteI(pGobo.mFrontVolumetricProjection ? 1 : 0);
    file.FieldWriteEnd();
}

// ---- Reader ----

void KQelReaderQel::ReadGobo(KQelScene& pScene)
{
    native_detail::ReadBlock block(File(), "GoboManager");
    if (block.IsOpen())
        ReadGoboSection(pScene);
}

void KQelReaderQel::ReadGoboSection(KQelScene& pScene)
{
    std::vector<KQelGobo> gobos;
    std::unordered_map<std::string, std::size_t> byName;
    while (mFile->FieldReadBegin("Gobo")) {
        if (mFile->FieldReadBlockBegin()) {
            KQelGobo gobo;
            ReadKQelGobo(gobo);
            byName.emplace(gobo.mName.Buffer(), gobos.size());
            gobos.push_back(gobo);
            mFile->FieldReadBlockEnd();
        }
        mFile->FieldReadEnd();
    }
    // One index serves every "LightGobo": a tree walk per field would make
    // the block quadratic in the number of lights.
    native_detail::NodeNameIndex nodes;
    bool indexed = false;
    while (mFile->FieldReadBegin("LightGobo")) {
        const KString nodeName = mFile->FieldReadC();
        const std::string goboName = mFile->FieldReadC();
        mFile->FieldReadEnd();
        if (!indexed && pScene.GetRootNode()) {
            nodes.Build(*pScene.GetRootNode());
            indexed = true;
        }
        KQelNode* node = nodes.Find(nodeName.Buffer());
        KQelLight* light = node ? node->GetLight() : nullptr;
        auto gobo = byName.find(goboName);
        if (!light || gobo == byName.end())
            continue;
        const KQelGobo& found = gobos[gobo->second];
        light->SetFileName(found.mPath.Buffer());
        light->SetGroundProjection(found.mGroundProjection);
        light->SetVolumetricProjection(found.mVolumetricProjection);
        light->SetFrontVolumetricProjection(found.mFrontVolumetricProjection);
    }
}

void KQelReaderQel::ReadKQelGobo(KQelGobo& pGobo)
{
    pGobo.mName = mFile->FieldReadC("GoboName", "");
    pGobo.mPath = mFile->FieldReadC("GoboPath", "");
    if (mFile->FieldReadBegin("DrawComponent")) {
        pGobo.mGroundProjection = mFile->FieldReadI() != 0;
        pGobo.mVolumetricProjection = mFile->FieldReadI() != 0;
        pGobo.mFrontVolumetricProjection = mFile->FieldReadI() != 0;
        mFile->FieldReadEnd();
    }
}

}  // namespace qelsdk_600
