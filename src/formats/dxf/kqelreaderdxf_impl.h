// Private state of KQelReaderDxf shared by its source files.
#ifndef QELSDK_FORMATS_DXF_KQELREADERDXF_IMPL_H
#define QELSDK_FORMATS_DXF_KQELREADERDXF_IMPL_H

#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/dxf/kqeldxf_impl.h"
#include "formats/dxf/kqelreaderdxf.h"

namespace qelsdk_600 {

struct KQelReaderDxf::ReadState {
    // Set when the read must stop (expansion limits); every loop checks it.
    bool mAborted = false;
    // Built on the first INSERT: each block name's first definition (the
    // position just after its name pair) and the group-0 pairs of the file.
    bool mBlocksIndexed = false;
    std::unordered_map<std::string, std::int64_t> mBlocks;
    long long mEntityCount = 0;
    // What INSERTs made during this read.
    long long mBlockNodes = 0;
    long long mBlockPoints = 0;
    // Blocks being read for INSERTs, outermost first.
    std::vector<std::string> mInserting;
    // Reason and block of each skipped-insert line already written.
    std::set<std::pair<std::string, std::string>> mReported;
};

struct KQelReaderDxf::SectionTarget {
    enum EMode { eNodePerEntity, eMeshPerLayer, eMeshPerBlock };

    SectionTarget(EMode pMode, KQelNode* pParent, KQelNode* pInsertParent)
        : mMode(pMode), mParent(pParent), mInsertParent(pInsertParent)
    {
    }

    EMode mMode;
    // Parent of entity nodes.
    KQelNode* mParent;
    // Parent of the nodes of INSERTs.
    KQelNode* mInsertParent;
    dxf_detail::LayerSet* mLayers = nullptr;
    dxf_detail::MeshLists* mLists = nullptr;
    bool mHasGeometry = false;
    // An INSERT read under mParent itself.
    bool mHasInserts = false;
};

}  // namespace qelsdk_600

#endif
