// Construction, default value, extrapolation settings, per-key value setters,
// selection and the candidate reset of KFCurve.
#include "curves/kfcurve.h"

namespace qelsdk_600 {

KTime gsTimeEpsilon;
bool gsTCB4051EvalMode = false;

KFCurve* KFCurveCreate()
{
    return new KFCurve;
}

KFCurve::KFCurve()
    : mColor{1.0f, 1.0f, 1.0f},
      mValue(0.0f),
      mUpdateId(0),
      mCallbackEnable(true),
      mEventRecording(true),
      mKeyBlocks(nullptr),
      mKeyCount(0),
      mKeyCapacity(0),
      mLastBlock(-1),
      mPending(nullptr),
      mPendingCount(0),
      mPreExtrapolation(kFCurveExtrapolationConstant),
      mPreExtrapolationCount(0),
      mPostExtrapolation(kFCurveExtrapolationConstant),
      mPostExtrapolationCount(0),
      mWasData(0),
      mLastSearchIndex(0),
      mCandidateTime(KTIME_INFINITE),
      mCandidateValue(0.0f),
      mCallbackFunctions(16),
      mCallbackObjects(16),
      mDelivery(nullptr)
{
    CallbackClear();
    CandidateClear();
    gsTimeEpsilon.SetSecondDouble(1e-5);
}

KFCurve::~KFCurve()
{
    KeyClear();
    // Destruction is always told, even inside a batch or with recording off.
    mCallbackEnable = true;
    mEventRecording = true;
    CallbackAddEvent(kFCurveEventDestroy, -1);
}

void KFCurve::Destroy(int)
{
    delete this;
}

void KFCurve::SetColor(const float* color)
{
    if (!color)
        return;
    mColor[0] = color[0];
    mColor[1] = color[1];
    mColor[2] = color[2];
}

void KFCurve::SetValue(float value)
{
    mValue = value;
    CallbackAddEvent(kFCurveEventDefaultValue, -1);
    AdvanceUpdateId();
}

void KFCurve::SetPreExtrapolation(kUInt type)
{
    mPreExtrapolation = type;
    CallbackAddEvent(kFCurveEventKey, -1);
}

void KFCurve::SetPreExtrapolationCount(kUInt count)
{
    mPreExtrapolationCount = count;
    CallbackAddEvent(kFCurveEventKey, -1);
}

void KFCurve::SetPostExtrapolation(kUInt type)
{
    mPostExtrapolation = type;
    CallbackAddEvent(kFCurveEventKey, -1);
}

void KFCurve::SetPostExtrapolationCount(kUInt count)
{
    mPostExtrapolationCount = count;
    CallbackAddEvent(kFCurveEventKey, -1);
}

void KFCurve::KeySetValue(int index, float value)
{
    Key(index)->SetValue(value);
    CallbackAddEvent(kFCurveEventKeyValue, index);
}

void KFCurve::KeyIncValue(int index, float delta)
{
    Key(index)->IncValue(delta);
    CallbackAddEvent(kFCurveEventKeyValue, index);
}

void KFCurve::KeyMultValue(int index, float factor)
{
    Key(index)->MultValue(factor);
    CallbackAddEvent(kFCurveEventKeyValue, index);
}

void KFCurve::CandidateClear()
{
    mCandidateTime = KTIME_INFINITE;
    mCandidateValue = 0.0f;
}

int KFCurve::KeyGetSelectionCount() const
{
    int selected = 0;
    for (int i = 0; i < mKeyCount; ++i)
        if (Key(i)->GetSelected())
            ++selected;
    return selected;
}

void KFCurve::KeySelectAll()
{
    SelectAll(true);
}

void KFCurve::KeyUnselectAll()
{
    SelectAll(false);
}

void KFCurve::SelectAll(bool selected)
{
    int changed = 0;
    int first = -1;
    int recent = -1;
    for (int i = mKeyCount - 1; i >= 0; --i) {
        KFCurveKey* key = Key(i);
        if (key->GetSelected() == selected)
            continue;
        key->SetSelected(selected);
        if (first == -1)
            first = i;
        recent = i;
        ++changed;
    }
    if (changed == 1) {
        CallbackAddEvent(kFCurveEventSelection, first);
    } else if (changed > 1) {
        // Held rather than a key batch: ending a key batch would advance the
        // values update id, and a selection must leave value caches valid.
        const bool wasEnabled = mCallbackEnable;
        CallbackEnable(false);
        CallbackAddEvent(kFCurveEventSelection, first);
        CallbackAddEvent(kFCurveEventSelection, recent);
        CallbackEnable(wasEnabled);
    }
}

void KFCurve::KeyTangeantHide()
{
    for (int i = mKeyCount - 1; i >= 0; --i) {
        KFCurveKey* key = Key(i);
        if (key->GetTangeantVisibility())
            key->SetTangeantVisibility(0);
    }
    CallbackAddEvent(kFCurveEventSelection, -1);
}

}  // namespace qelsdk_600
