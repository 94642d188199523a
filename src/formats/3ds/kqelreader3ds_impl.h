// Private pieces of the 3D Studio reader, shared by its source files.
#ifndef QELSDK_FORMATS_3DS_KQELREADER3DS_IMPL_H
#define QELSDK_FORMATS_3DS_KQELREADER3DS_IMPL_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/karraytemplate.h"
#include "formats/3ds/kqelreader3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"

namespace qelsdk_600 {

class KQelMaterial;
class KQelNode;
class KQelTexture;

namespace reader3ds_detail {

// The take the tracks go to.
constexpr char kDefaultTakeName[] = "default take";

// Full object names (kind prefix included) to the first object of that name
// in the manager's order: the manager's FindKQel... answers in constant
// time, for one read.
template <class T>
using ObjectMap = std::unordered_map<std::string, T*>;

// Record names to the index of the first record of that name.
using RecordMap = std::unordered_map<std::string, int>;

// Whether the last toolkit call failed and errors are not ignored.
inline bool ToolkitFailed()
{
    return ftkerr3ds && !ignoreftkerr3ds;
}

// The records of a table by name (exact), first of each name.
template <class Record>
void MapRecordNames(const KArrayTemplate<Record*>& pTable, RecordMap& pMap)
{
    pMap.clear();
    pMap.reserve(static_cast<std::size_t>(pTable.GetCount()));
    for (int i = 0; i < pTable.GetCount(); ++i) {
        if (const Record* record = pTable.GetAt(i))
            pMap.emplace(record->name, i);
    }
}

// The index mapped to pName, -1 when absent.
inline int FindRecord(const RecordMap& pMap, const char* pName)
{
    const auto found = pMap.find(pName);
    return found == pMap.end() ? -1 : found->second;
}

}  // namespace reader3ds_detail

struct KQelReader3DS::ReadState {
    // Material records and meshes, omni lights, spot lights and cameras by
    // name.
    reader3ds_detail::RecordMap mMaterialRecords;
    reader3ds_detail::RecordMap mMeshes;
    reader3ds_detail::RecordMap mOmnilights;
    reader3ds_detail::RecordMap mSpotlights;
    reader3ds_detail::RecordMap mCameras;
    // The manager's materials, textures and nodes by full name; each is
    // filled when first needed and kept current as this read adds objects.
    reader3ds_detail::ObjectMap<KQelMaterial> mMaterialObjects;
    reader3ds_detail::ObjectMap<KQelTexture> mTextureObjects;
    reader3ds_detail::ObjectMap<KQelNode> mNodeObjects;
    // Per motion record: the index of the mesh, omni light, spot light or
    // camera of its name whose attribute its node carries, -1 for none.
    std::vector<int> mObjectMesh;
    std::vector<int> mOmnilightOf;
    std::vector<int> mSpotlightOf;
    std::vector<int> mCameraOf;
    // The file's solid background colour.
    float mBackground[3] = {0.0f, 0.0f, 0.0f};

    void Clear();
};

}  // namespace qelsdk_600

#endif
