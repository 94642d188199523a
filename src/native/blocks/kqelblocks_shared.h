// Block bodies that more than one native class writes identically.
// Internal to src/native/.
#ifndef QELSDK_NATIVE_BLOCKS_KQELBLOCKS_SHARED_H
#define QELSDK_NATIVE_BLOCKS_KQELBLOCKS_SHARED_H

#include <vector>

#include "io/kstreamoptionsqel.h"

namespace qelsdk_600 {

class KQel;
class KQelSceneInfo;
class KQelTakeInfo;
class KQelThumbnail;

namespace native_detail {

// "SceneInfo" "SceneInfo::GlobalInfo" with "Type", "Version", the thumbnail
// and "MetaData"; nothing for null.
void WriteSceneInfoBlock(KQel& pFile, KQelSceneInfo* pSceneInfo);
// "Thumbnail" with its format, size and one integer per byte; nothing for
// null or size 0.
void WriteThumbnailBlock(KQel& pFile, KQelThumbnail* pThumbnail);

// What a "Summary" block holds.
struct SummaryContent {
    bool mTemplate = false;
    bool mPasswordProtected = false;
    int mCounts[KStreamOptionsQel::eContentCountTotal] = {};
    KQelSceneInfo* mSceneInfo = nullptr;
    const char* mCurrentTake = "";
    std::vector<const KQelTakeInfo*> mTakes;
};
// The "Summary" block at the current level.
void WriteSummaryBlock(KQel& pFile, const SummaryContent& pContent);

}  // namespace native_detail
}  // namespace qelsdk_600

#endif
