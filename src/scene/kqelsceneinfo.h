// The descriptive record of a scene.
#ifndef QELSDK_SCENE_KQELSCENEINFO_H
#define QELSDK_SCENE_KQELSCENEINFO_H

#include "base/kstring.h"

namespace qelsdk_600 {

class KQelThumbnail;

// Six texts that callers read and write directly, stored in files as
// "Title", "Subject", "Author", "Keywords", "Revision" and "Comment", and a
// thumbnail that the record points to without owning it (the manager owns
// thumbnails). Made and destroyed by the manager.
class KQelSceneInfo {
public:
    // Six empty texts, no thumbnail.
    KQelSceneInfo();
    // Leaves the thumbnail alone.
    ~KQelSceneInfo();
    // Copies the six texts and the thumbnail pointer (shared, not copied).
    KQelSceneInfo& operator=(const KQelSceneInfo& pOther);

    KQelThumbnail* GetSceneThumbnail() const { return mThumbnail; }
    // Replaces the pointer; the previous thumbnail is not destroyed.
    void SetSceneThumbnail(KQelThumbnail* pThumbnail) { mThumbnail = pThumbnail; }
    // Empties the six texts and forgets the thumbnail.
    void Clear();

    KString mTitle;
    KString mSubject;
    KString mAuthor;
    KString mKeywords;
    KString mRevision;
    KString mComment;

private:
    KQelThumbnail* mThumbnail;
};

}  // namespace qelsdk_600

#endif
