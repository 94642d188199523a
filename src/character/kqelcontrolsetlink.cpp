#include "character/kqelcontrolsetlink.h"

namespace qelsdk_600 {
namespace {

// Effectors whose flags in a new or reset control set differ from the
// plain defaults.
struct KEffectorDefaultFlags {
    EEffectorNodeId mId;
    bool mTActive;
    bool mRActive;
    bool mCandidateTActive;
    bool mCandidateRActive;
};

const KEffectorDefaultFlags sEffectorDefaultFlags[] = {
    {eHipsEffector, true, true, false, false},
    {eLeftAnkleEffector, true, true, true, true},
    {eRightAnkleEffector, true, true, true, true},
    {eLeftWristEffector, true, false, true, false},
    {eRightWristEffector, true, false, true, false},
};

}  // namespace

void KQelEffector::Reset()
{
    mNode = nullptr;
    mShow = true;
    mTActive = false;
    mRActive = false;
    mCandidateTActive = false;
    mCandidateRActive = false;
}

void KQelEffector::ResetToDefault(EEffectorNodeId pId)
{
    Reset();
    for (const KEffectorDefaultFlags& flags : sEffectorDefaultFlags) {
        if (flags.mId != pId)
            continue;
        mTActive = flags.mTActive;
        mRActive = flags.mRActive;
        mCandidateTActive = flags.mCandidateTActive;
        mCandidateRActive = flags.mCandidateRActive;
    }
}

}  // namespace qelsdk_600
