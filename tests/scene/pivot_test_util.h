// Helpers shared by the pivot conversion and pivot replacement tests.
#ifndef QELSDK_TESTS_SCENE_PIVOT_TEST_UTIL_H
#define QELSDK_TESTS_SCENE_PIVOT_TEST_UTIL_H

#include <cstring>
#include <utility>
#include <vector>

#include "base/ktime.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "scene/kqelnode.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

inline KTime At(double pSeconds)
{
    KTime time;
    time.SetSecondDouble(pSeconds);
    return time;
}

// Channels 0 to 8: translation, Euler rotation, scaling, each X, Y, Z.
inline KFCurve* Channel(KQelTakeNode* pTake, int pChannel)
{
    return pTake->GetChannel(static_cast<KQelTakeNode::EChannel>(KQelTakeNode::eTranslationX + pChannel));
}

inline void AddKey(KFCurve* pCurve, double pSeconds, float pValue)
{
    pCurve->KeySetValue(pCurve->KeyAdd(At(pSeconds)), pValue);
}

// A curve's default value and keys (time, value), compared bit for bit.
struct CurveState {
    float mDefault;
    std::vector<std::pair<long long, float>> mKeys;

    bool operator==(const CurveState& pOther) const
    {
        if (std::memcmp(&mDefault, &pOther.mDefault, sizeof(float)) != 0 || mKeys.size() != pOther.mKeys.size())
            return false;
        for (std::size_t i = 0; i < mKeys.size(); ++i) {
            if (mKeys[i].first != pOther.mKeys[i].first ||
                std::memcmp(&mKeys[i].second, &pOther.mKeys[i].second, sizeof(float)) != 0)
                return false;
        }
        return true;
    }
};

inline CurveState StateOf(KFCurve* pCurve)
{
    CurveState state{pCurve->GetValue(), {}};
    for (int i = 0; i < pCurve->KeyGetCount(); ++i)
        state.mKeys.emplace_back(pCurve->KeyGetTime(i).Get(), pCurve->KeyGetValue(i));
    return state;
}

// Takes the translation ("T") channel out of a take, as a file may leave it.
inline void DropTranslation(KQelTakeNode* pTake)
{
    KFCurveNode* transform = pTake->GetKFCurveNode()->FindRecursive("Transform");
    transform->Delete(transform->Find("T"));
}

}  // namespace qelsdk_600

#endif
