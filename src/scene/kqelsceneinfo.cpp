#include "scene/kqelsceneinfo.h"

namespace qelsdk_600 {

KQelSceneInfo::KQelSceneInfo() : mThumbnail(nullptr) {}

KQelSceneInfo::~KQelSceneInfo() {}

KQelSceneInfo& KQelSceneInfo::operator=(const KQelSceneInfo& pOther)
{
    mTitle = pOther.mTitle;
    mSubject = pOther.mSubject;
    mAuthor = pOther.mAuthor;
    mKeywords = pOther.mKeywords;
    mRevision = pOther.mRevision;
    mComment = pOther.mComment;
    mThumbnail = pOther.mThumbnail;
    return *this;
}

void KQelSceneInfo::Clear()
{
    mTitle.Empty();
    mSubject.Empty();
    mAuthor.Empty();
    mKeywords.Empty();
    mRevision.Empty();
    mComment.Empty();
    mThumbnail = nullptr;
}

}  // namespace qelsdk_600
