// Block bodies that more than one native class writes identically.
// Internal to src/native/.
#ifndef QELSDK_NATIVE_BLOCKS_KQELBLOCKS_SHARED_H
#define QELSDK_NATIVE_BLOCKS_KQELBLOCKS_SHARED_H

#include <vector>

#include "io/kstreamoptionsqel.h"

namespace qelsdk_600 {

class IQelObject;
class KError;
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

// The options' take records whose selected flag is set (progress steps).
int SelectedTakeCount(const KStreamOptionsQel& pOptions);

// Closes the field file (or, with pDiscard, abandons a file being written)
// and deletes the object. On failure records pNotOpenedId when the file
// layer's id is 3, else pOtherId with the file layer's text. False without a
// file (pNotOpenedId) or when closing failed.
bool CloseFieldFile(IQelObject*& pFile, bool pDiscard, KError& pError, int pNotOpenedId, int pOtherId);

}  // namespace native_detail
}  // namespace qelsdk_600

#endif
