// The scene's camera switcher block and the camera fix-ups after a read:
// background textures named by old camera blocks, and switcher indices
// renumbered to the cameras of the scene just read.
#include <cmath>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "content/kqelcamera.h"
#include "content/kqelcameraswitcher.h"
#include "curves/kfcurve.h"
#include "native/blocks/kqelblockio.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelentity.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelobject.h"
#include "scene/kqelscene.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

namespace {

// The camera nodes of the tree, a node before its children, children in
// order (the producer cameras are not in the tree).
std::vector<KQelNode*> CameraOrder(KQelScene& pScene)
{
    std::vector<KQelNode*> cameras;
    if (KQelNode* root = pScene.GetRootNode()) {
        native_detail::WalkBelow(*root, [&](KQelNode* pNode) {
            if (pNode->GetCamera())
                cameras.push_back(pNode);
            return true;
        });
    }
    return cameras;
}

KQelCameraSwitcher* SceneSwitcher(KQelScene& pScene)
{
    KQelNode* node = pScene.GetCameraSwitcher();
    return node ? node->GetCameraSwitcher() : nullptr;
}

}  // namespace

// ---- Writer ----

bool KQelWriterQel::WriteKQelCameraSwitcher(KQelCameraSwitcher& pSwitcher)
{
    KQel& file = File();
    native_detail::WriteFieldC(file, "AnimationMode", "Global");
    native_detail::WriteFieldI(file, "Version", 100);
    native_detail::WriteFieldC(file, "Name", "Camera Switcher");
    native_detail::WriteFieldI(file, "CameraId", pSwitcher.GetDefaultCameraIndex());
    native_detail::WriteFieldI(file, "CameraName", 100);
    return true;
}

bool KQelWriterQel::WriteCameraSwitcher(KQelScene& pScene)
{
    const std::vector<KQelNode*> cameras = CameraOrder(pScene);
    KQelNode* node = pScene.GetCameraSwitcher();
    if (cameras.empty() || !node)
        return true;
    KQel& file = File();
    native_detail::WriteBlock block(file, "Switcher");
    WriteKQelNodeParameters(*node);
    file.FieldWriteBegin("CameraIndexName");
    for (KQelNode* camera : cameras)
        file.FieldWriteC(camera->GetName());
    file.FieldWriteEnd();
    return true;
}

// ---- Reader ----

bool KQelReaderQel::ReadKQelCameraSwitcher(KQelCameraSwitcher& pSwitcher)
{
    KQel& file = File();
    pSwitcher.SetDefaultCameraIndex(file.FieldReadI("CameraId", 0));
    pSwitcher.ClearCameraNames();
    if (file.FieldReadBegin("CameraIndexName")) {
        for (int i = 0, n = file.FieldReadGetCount(); i < n; ++i)
            pSwitcher.AddCameraName(file.FieldReadC());
        file.FieldReadEnd();
    }
    return true;
}

bool KQelReaderQel::ReadCameraSwitcher(KQelScene& pScene)
{
    native_detail::ReadBlock block(File(), "Switcher");
    if (!block.HasField())
        return false;
    if (block.IsOpen()) {
        if (KQelCameraSwitcher* switcher = SceneSwitcher(pScene))
            ReadKQelCameraSwitcher(*switcher);
    }
    return true;
}

bool KQelReaderQel::ResolveCameraBackgrounds(KQelScene& pScene)
{
    const int pairs = mCameraBackgroundTable.GetCount();
    KQelEntity* entity = pScene.GetEntity();
    if (pairs == 0 || !entity)
        return true;
    // Only cameras still on a node of the scene: a camera block read into an
    // attribute that did not last leaves its pair behind.
    std::unordered_set<const KQelCamera*> cameras;
    for (KQelNode* node : CameraOrder(pScene))
        cameras.insert(node->GetCamera());
    std::unordered_map<std::string, std::vector<KQelTexture*>> textures;
    for (int i = 0, n = entity->GetTextureCount(); i < n; ++i) {
        KQelObject* texture = entity->GetReferencedObject(KQelEntity::eTextures, i);
        if (texture)
            textures[texture->GetName()].push_back(entity->GetTexture(i));
    }
    for (int i = 0; i < pairs; ++i) {
        char* name = nullptr;
        KQelCamera* camera = reinterpret_cast<KQelCamera*>(mCameraBackgroundTable.GetFromIndex(i, &name));
        const auto found = name ? textures.find(name) : textures.end();
        if (found == textures.end() || !cameras.count(camera))
            continue;
        for (KQelTexture* texture : found->second)
            camera->SetBackgroundTexture(texture);
    }
    return true;
}

void KQelReaderQel::ReorderCameraSwitcherIndices(KQelScene& pScene)
{
    KQelCameraSwitcher* switcher = SceneSwitcher(pScene);
    const int names = switcher ? switcher->GetCameraNameCount() : 0;
    if (names == 0)
        return;
    std::unordered_map<std::string, int> positions;
    const std::vector<KQelNode*> cameras = CameraOrder(pScene);
    for (size_t j = 0; j < cameras.size(); ++j)
        positions.emplace(cameras[j]->GetName(), static_cast<int>(j) + 1);
    std::vector<int> renumbered(names, -1);
    for (int n = 0; n < names; ++n) {
        const auto found = positions.find(switcher->GetCameraName(n));
        if (found != positions.end())
            renumbered[n] = found->second;
    }
    // An index names camera v of the switcher's list (from 1); one outside
    // the list, not finite, or naming no camera of the tree stays.
    auto renumber = [&](float pValue, float& pNew) {
        if (!std::isfinite(pValue) || pValue < 1.0f || pValue >= static_cast<float>(names) + 1.0f)
            return false;
        const int entry = renumbered[static_cast<int>(pValue) - 1];
        pNew = static_cast<float>(entry);
        return entry != -1;
    };
    KQelNode* node = pScene.GetCameraSwitcher();
    for (int t = 0, takes = node->GetTakeNodeCount(); t < takes; ++t) {
        KQelTakeNode* take = node->GetTakeNode(t);
        KFCurve* curve = take ? take->GetCameraIndex() : nullptr;
        if (!curve)
            continue;
        float value = 0.0f;
        if (renumber(curve->GetValue(), value))
            curve->SetValue(value);
        for (int k = 0, keys = curve->KeyGetCount(); k < keys; ++k) {
            if (renumber(curve->KeyGetValue(k), value))
                curve->KeySetValue(k, value);
        }
    }
}

}  // namespace qelsdk_600
