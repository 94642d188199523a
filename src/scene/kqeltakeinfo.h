// The description of one take of a scene.
#ifndef QELSDK_SCENE_KQELTAKEINFO_H
#define QELSDK_SCENE_KQELTAKEINFO_H

#include "base/kstring.h"
#include "base/ktime.h"

namespace qelsdk_600 {

class KQelThumbnail;

// A take's name, texts, time spans and import settings, kept by the scene.
// A value type: copies copy every field, and the thumbnail pointer is shared
// by the copies, none of which owns it.
class KQelTakeInfo {
public:
    // Empty texts, selected, spans (0, 0), import offset 0 of type 1, no
    // thumbnail.
    KQelTakeInfo();
    KQelTakeInfo(const KQelTakeInfo& pOther) = default;
    KQelTakeInfo& operator=(const KQelTakeInfo& pOther) = default;
    ~KQelTakeInfo();

    KQelThumbnail* GetTakeThumbnail() const { return mTakeThumbnail; }
    // Replaces the pointer; the previous thumbnail is not destroyed.
    void SetTakeThumbnail(KQelThumbnail* pThumbnail) { mTakeThumbnail = pThumbnail; }

    KString mName;
    // The take of the receiving scene that gets this take's animation on
    // import; empty by default.
    KString mImportName;
    // The take's comment.
    KString mDescription;
    // Only selected takes are imported.
    bool mSelect;
    KTimeSpan mLocalTimeSpan;
    KTimeSpan mReferenceTimeSpan;
    // Time shift of an imported take; with type 1 the offset is the shift.
    KTime mImportOffset;
    int mImportOffsetType;

private:
    KQelThumbnail* mTakeThumbnail;
};

}  // namespace qelsdk_600

#endif
