// A function curve: one animated scalar channel made of time-ordered keys.
#ifndef QELSDK_CURVES_KFCURVE_H
#define QELSDK_CURVES_KFCURVE_H

#include <cstddef>

#include "base/karraytemplate.h"
#include "base/ktime.h"
#include "base/ktypes.h"
#include "curves/kfcurveevent.h"
#include "curves/kfcurvekey.h"

namespace qelsdk_600 {

class KFCurve;
class KQel;

// A change callback: the curve, its merged pending event and the user data
// given at registration. The curve owns neither the function nor the data.
typedef void (*kFCurveCallback)(KFCurve* curve, KFCurveEvent* event, void* object);

// Extrapolation types, before the first key and after the last.
enum : kUInt {
    kFCurveExtrapolationConstant = 1,
    kFCurveExtrapolationRepetition = 2,
    kFCurveExtrapolationMirrorRepetition = 3,
    kFCurveExtrapolationKeepSlope = 4
};

// Regions of the all-keys view (MapIndexAll).
enum : int {
    kFCurveRegionBefore = 0,
    kFCurveRegionPreRepetition = 1,
    kFCurveRegionKeys = 2,
    kFCurveRegionPostRepetition = 3,
    kFCurveRegionAfter = 4
};

// Keys per storage block and per step of the block table.
constexpr int kFCurveKeysPerBlock = 32;
constexpr int kFCurveKeysPerTableStep = 2048;

// Moving a key to within this time of its neighbour counts as crossing it;
// 1e-5 s, set again by every curve constructor.
extern KTime gsTimeEpsilon;
// When true, the left derivative of a TCB key (other than the last) equals
// its right derivative. False unless changed.
extern bool gsTCB4051EvalMode;

// One animated channel: a default value used while there are no keys, a
// colour, keys stored by 32 in 1024-byte blocks, pre- and post-extrapolation,
// change callbacks with update ids, and a one-entry evaluation candidate.
// Times are KTime ticks; derivatives are value units per second. Key
// accessors do not check their index: callers keep 0 <= i < KeyGetCount().
// A curve is used by one thread at a time.
class KFCurve {
public:
    KFCurve();
    // Removes the keys, then tells every callback (event 512, key -1).
    virtual ~KFCurve();
    KFCurve(const KFCurve&) = delete;
    KFCurve& operator=(const KFCurve&) = delete;

    // Deletes the curve; the argument is ignored.
    void Destroy(int local = 0);

    // ---- Colour, default value, extrapolation ----

    // Address of the three colour floats (red, green, blue; 1, 1, 1 at first).
    float* GetColor() { return mColor; }
    // Copies three floats; a null pointer changes nothing.
    void SetColor(const float* color);
    // The value of a curve without keys.
    float GetValue() const { return mValue; }
    // Queues event 1 and advances the update id.
    void SetValue(float value);
    // Types: kFCurveExtrapolation...; counts: repetitions (0xFFFFFFFF for
    // keep slope means "forever"). Setters queue event 16 with key -1.
    void SetPreExtrapolation(kUInt type);
    kUInt GetPreExtrapolation() const { return mPreExtrapolation; }
    void SetPreExtrapolationCount(kUInt count);
    kUInt GetPreExtrapolationCount() const { return mPreExtrapolationCount; }
    void SetPostExtrapolation(kUInt type);
    kUInt GetPostExtrapolation() const { return mPostExtrapolation; }
    void SetPostExtrapolationCount(kUInt count);
    kUInt GetPostExtrapolationCount() const { return mPostExtrapolationCount; }
    void SetWasData(int wasData) { mWasData = wasData; }
    int GetWasData() const { return mWasData; }

    // ---- Key storage ----

    int KeyGetCount() const { return mKeyCount; }
    // Address of key i; valid until the key set changes. Indices inside
    // allocated blocks are accepted.
    KFCurveKey* KeyGetPtr(int index)
    {
        if (mPendingCount > 0)
            FlushPending();
        return RawKey(index);
    }
    const KFCurveKey* KeyGetPtr(int index) const
    {
        if (mPendingCount > 0)
            const_cast<KFCurve*>(this)->FlushPending();  // only ever set through a non-const call
        return mKeyBlocks[index >> 5] + (index & 31);
    }
    KFCurveKey* KeyGetRaw(int index) { return KeyGetPtr(index); }
    // A copy of key i.
    KFCurveKey KeyGet(int index) const { return *KeyGetPtr(index); }
    // Keys the block table can address (a multiple of 2048, 0 without table).
    int KeyGetCapacity() const { return mKeyCapacity; }
    // Number of allocated key blocks.
    int KeyGetBlockCount() const { return mLastBlock + 1; }

    // Makes room for n keys without changing the key count and invalidates
    // the candidate. False (nothing lost, capacity unchanged where the table
    // could not grow) when memory runs out or n is beyond what the table can
    // address.
    bool InitBuffers(int n);
    // Frees the blocks and table steps that the current keys do not need.
    void KeyShrink();
    // Removes every key and frees all storage; queues event 16 with key -1.
    void KeyClear();
    // Holds callbacks so that changes merge into one event.
    void KeyModifyBegin();
    // As KeyModifyBegin, then InitBuffers(n) for a caller that fills keys
    // directly; returns InitBuffers' result.
    bool KeyModifyBegin(int n);
    // Advances the update id, invalidates the candidate and delivers the
    // merged event.
    void KeyModifyEnd();
    // As KeyModifyEnd, also setting the key count to n (clamped to the room
    // made by InitBuffers).
    void KeyModifyEnd(int n);
    // Appends a cubic auto key without search or order check: the caller
    // supplies increasing times. Returns the new index; -1 (nothing added)
    // when memory runs out. Queues no event.
    int KeyAppendFast(KTime time, float value);

    // Zero-filled allocation counted in the process-wide memory counter;
    // null on failure.
    static void* WatchMalloc(std::size_t size);
    // Frees memory from WatchMalloc; a null pointer frees and counts nothing.
    static void WatchFree(void* pointer, std::size_t size);
    // Bytes currently allocated through WatchMalloc (saturated to int).
    static int GetRecordingMemory();

    // ---- Key editing (keeps times strictly increasing) ----
    // Each change invalidates the candidate and queues events; `last` is a
    // KeyFind hint, read and set to the resulting index when given.

    // Replaces key i by a copy of `key` when its time lies strictly between
    // those of keys i-1 and i+1. 0 when stored (event 16 for i); 1 and nothing
    // changed when the time would break the order.
    int KeySet(int index, const KFCurveKey& key);
    // The same with key `sourceIndex` of another curve.
    int KeySet(int index, KFCurve* source, int sourceIndex);
    // Adds a copy of `key` at `time`, or replaces the key already at that
    // time. Returns the key's index; -1 (nothing changed) when memory runs out.
    int KeyAdd(KTime time, const KFCurveKey& key, int* last = nullptr);
    // Adds a cubic auto key holding the curve's value at `time`.
    int KeyAdd(KTime time, int* last = nullptr);
    // Adds a copy of key `sourceIndex` of another curve at `time`.
    int KeyAdd(KTime time, KFCurve* source, int sourceIndex, int* last = nullptr);
    // Inserts a key at `time` that leaves the curve's shape as it was, taking
    // the interpolation and tangent mode of the key before it. Returns the
    // new key's index (the existing key's when one is at that time).
    int KeyInsert(KTime time, int* last = nullptr);
    // 1 for an index outside [0, count); else removes the key, keeping the
    // left tangent of the key after it, and returns 0. Removing the only key
    // makes its value the default value.
    int KeyRemove(int index);
    // Moves key i to a new time and returns its index afterwards; a key moved
    // onto or past a neighbour is re-added there (never onto another key),
    // and the neighbours keep their tangents.
    int KeyMove(int index, KTime time);
    // Moves all (or the selected) keys by a time and a value delta; without
    // keys (and not selected only) the default value moves. Returns 0.
    int KeyMoveOf(bool selectedOnly, KTime delta, float valueDelta);
    // Value edits of all or the selected keys; the default value follows
    // only when not selected only. Return 0.
    int KeyMoveValueTo(bool selectedOnly, float value);
    int KeyScaleValue(bool selectedOnly, float factor);
    int KeyScaleValueAndTangeant(bool selectedOnly, float factor);
    int KeyScaleTangeant(bool selectedOnly, float factor);
    // Splices the source's keys in, its first key at `at`, that key getting
    // `left` as its left tangent. A source without keys changes nothing.
    void Insert(KFCurve* source, KTime at, const KFCurveTangeantInfo& left);
    void Insert(KFCurve* source, KTime at, float leftDerivative, bool weighted, float weight);
    // Mean key interval (0 with fewer than two keys). Optional outputs:
    // whether the last interval is within 0.0001 s of the running mean (and
    // that interval), and the largest interval.
    KTime KeyGetAverageRate(bool* regular = nullptr, KTime* regularInterval = nullptr,
                            KTime* largestInterval = nullptr);
    // 2: evenly spaced keys of one interpolation with auto tangents; 1: such
    // keys unevenly spaced, or fewer than two; 0: otherwise. Outputs the
    // first key time and first interval.
    int GuessWasData(KTime* firstTime = nullptr, KTime* firstInterval = nullptr);

    // ---- Per-key fields (no index checks) ----

    // Sets every field of key i (see KFCurveKey::Set); no event.
    void KeySet(int index, KTime time, float value, kUInt interpolation = kFCurveInterpolationCubic,
                kUInt tangentMode = kFCurveTangentAuto, float rightDerivative = 0.0f,
                float nextLeftDerivative = 0.0f, kUInt weightMode = 0,
                float rightWeight = kFCurveDefaultWeight, float nextLeftWeight = kFCurveDefaultWeight,
                float rightVelocity = 0.0f, float nextLeftVelocity = 0.0f)
    {
        KeyGetPtr(index)->Set(time, value, interpolation, tangentMode, rightDerivative, nextLeftDerivative,
                              weightMode, rightWeight, nextLeftWeight, rightVelocity, nextLeftVelocity);
    }
    void KeySetTCB(int index, KTime time, float value, float tension, float continuity, float bias)
    {
        KeyGetPtr(index)->SetTCB(time, value, tension, continuity, bias);
    }
    kUInt KeyGetInterpolation(int index) const { return KeyGetPtr(index)->GetInterpolation(); }
    void KeySetInterpolation(int index, kUInt interpolation) { KeyGetPtr(index)->SetInterpolation(interpolation); }
    kUInt KeyGetConstantMode(int index) const { return KeyGetPtr(index)->GetConstantMode(); }
    void KeySetConstantMode(int index, kUInt mode) { KeyGetPtr(index)->SetConstantMode(mode); }
    kUInt KeyGetTangeantMode(int index) const { return KeyGetPtr(index)->GetTangeantMode(); }
    void KeySetTangeantMode(int index, kUInt mode) { KeyGetPtr(index)->SetTangeantMode(mode); }
    kUInt KeyGetTangeantWeightMode(int index) const { return KeyGetPtr(index)->GetTangeantWeightMode(); }
    void KeySetTangeantWeightMode(int index, kUInt bits, kUInt mask = kFCurveWeightedMask)
    {
        KeyGetPtr(index)->SetTangeantWeightMode(bits, mask);
    }
    kUInt KeyGetTangeantVelocityMode(int index) const { return KeyGetPtr(index)->GetTangeantVelocityMode(); }
    void KeySetTangeantVelocityMode(int index, kUInt bits, kUInt mask = kFCurveVelocityMask)
    {
        KeyGetPtr(index)->SetTangeantVelocityMode(bits, mask);
    }
    double KeyGetDataDouble(int index, int item) const { return KeyGetPtr(index)->GetDataDouble(item); }
    void KeySetDataDouble(int index, int item, float value) { KeyGetPtr(index)->SetDataDouble(item, value); }
    float KeyGetDataFloat(int index, int item) const { return KeyGetPtr(index)->GetDataFloat(item); }
    void KeySetDataFloat(int index, int item, float value) { KeyGetPtr(index)->SetDataFloat(item, value); }
    float* KeyGetDataPtr(int index) { return KeyGetPtr(index)->GetDataPtr(); }
    float KeyGetValue(int index) const { return KeyGetPtr(index)->GetValue(); }
    // The three value setters queue event 2048 for the key.
    void KeySetValue(int index, float value);
    void KeyIncValue(int index, float delta);
    void KeyMultValue(int index, float factor);
    void KeyMultTangeant(int index, float factor) { KeyGetPtr(index)->MultTangeant(factor); }
    // Time setters neither reorder nor check.
    KTime KeyGetTime(int index) const { return KeyGetPtr(index)->GetTime(); }
    void KeySetTime(int index, KTime time) { KeyGetPtr(index)->SetTime(time); }
    void KeyIncTime(int index, KTime delta) { KeyGetPtr(index)->IncTime(delta); }
    bool KeyGetSelected(int index) const { return KeyGetPtr(index)->GetSelected(); }
    void KeySetSelected(int index, bool selected) { KeyGetPtr(index)->SetSelected(selected); }
    bool KeyGetFocus(int index) const { return KeyGetPtr(index)->GetFocus(); }
    void KeySetFocus(int index, bool focus) { KeyGetPtr(index)->SetFocus(focus); }
    kUInt KeyGetTangeantVisibility(int index) const { return KeyGetPtr(index)->GetTangeantVisibility(); }
    void KeySetTangeantVisibility(int index, kUInt visibility) { KeyGetPtr(index)->SetTangeantVisibility(visibility); }
    bool KeyGetBreak(int index) const { return KeyGetPtr(index)->GetBreak(); }
    void KeySetBreak(int index, bool broken) { KeyGetPtr(index)->SetBreak(broken); }

    // ---- Selection ----

    int KeyGetSelectionCount() const;
    // Select or unselect every key; changes are reported as event 256.
    void KeySelectAll();
    void KeyUnselectAll();
    // Clears the tangent visibility of every key; event 256 with key -1.
    void KeyTangeantHide();

    // ---- Callbacks and update ids ----

    // Reports one change (kind, key index or -1): merges it, bumps the update
    // id and, unless callbacks are held, delivers and clears the event.
    // Nothing at all while event recording is off.
    void CallbackAddEvent(int type, int keyIndex);
    // Turning callbacks back on delivers a pending event once.
    void CallbackEnable(bool enable);
    bool CallbackIsEnable() const { return mCallbackEnable; }
    // Drops the pending event without delivering it.
    void CallbackClear() { mEvent.Clear(); }
    // Appends a registration; the same pair may be registered several times.
    void CallbackRegister(kFCurveCallback callback, void* object);
    // Removes the last registration of that exact pair, if any.
    void CallbackUnregister(kFCurveCallback callback, void* object);
    // Low 16 bits: changes of every kind but 256; high 16 bits: kind 256.
    kUInt GetUpdateId() const { return mUpdateId; }
    // The low 16 bits: unchanged by selection, so value caches stay valid.
    kUInt GetValuesUpdateId() const { return mUpdateId & 0xFFFFu; }

    // ---- Candidate ----

    // No candidate (time infinite), value 0.
    void CandidateClear();
    bool IsCandidate() const { return mCandidateTime != KTIME_INFINITE; }
    float CandidateGet() const { return mCandidateValue; }
    KTime CandidateGetTime() const { return mCandidateTime; }
    // Stores a pending value (as a float) at a time.
    void CandidateSet(KTime time, double value);
    // The candidate value when `time` is the candidate time, else the curve's
    // value there, which becomes the candidate.
    float CandidateEvaluate(KTime time, int* last = nullptr);
    // Turns the candidate into a key: a new key between keys, or the key
    // within `tolerance` (in key indices) of the candidate time moved to it.
    // A `time` other than infinite becomes the candidate time first. Returns
    // 1 (nothing changed) without a candidate, else 0.
    int CandidateKey(int* last = nullptr, int interpolation = kFCurveInterpolationCubic,
                     int tangentMode = kFCurveTangentAuto, bool broken = false, bool setType = true,
                     KTime time = KTIME_INFINITE, double tolerance = 0.0);

    // ---- Copy, delete, replace, peaks ----

    // Copies default value, colour, candidate and extrapolation of `source`,
    // and its keys when `withKeys` (else this curve ends without keys).
    void CopyFrom(KFCurve& source, bool withKeys = true);
    // A new curve (the caller owns it) with this curve's default value,
    // colour, extrapolation and the keys inside [start, stop].
    KFCurve* Copy(KTime start = KTIME_MINUS_INFINITE, KTime stop = KTIME_INFINITE);
    // Deletes keys first..last (both included; indices outside the keys are
    // clamped to them). False when the curve has no keys. Deleting every key
    // makes key 0's value the default value.
    bool Delete(int first, int last);
    // Deletes the keys strictly between two times (keys at them stay).
    bool Delete(KTime start, KTime stop);
    // Replaces this curve's keys inside [start, stop] by the source's keys
    // there. `exactSpan` keeps start and stop rather than shrinking them to
    // the source's keys; `keyEmptySpan` keys the source's default value over
    // a span where the source has no key.
    void Replace(KFCurve* source, KTime start = KTIME_MINUS_INFINITE, KTime stop = KTIME_INFINITE,
                 bool exactSpan = false, bool keyEmptySpan = false);
    // Replace for an Euler angle channel: the keys added are offset by (or,
    // mirrored, reflected about) `spanAngle`; the keys after them by
    // `afterAngle` (degrees).
    void ReplaceForEulerXYZ(KFCurve* source, KTime start, KTime stop, float spanAngle, float afterAngle,
                            bool mirrorSpan, bool mirrorAfter, bool exactSpan = false, bool keyEmptySpan = false);
    // Replace for a quaternion channel: each key added is scaled by a factor
    // running linearly from `startFactor` at start to `stopFactor` at stop.
    void ReplaceForQuaternion(KFCurve* source, KTime start, KTime stop, float startFactor, float stopFactor,
                              bool exactSpan = false, bool keyEmptySpan = false);
    // Extrema strictly inside the segment from key i to key i+1: their count
    // (0, 1 or 2; 0 when there is no such segment) and their times and/or
    // values. Only the outputs counted are written.
    int FindPeaks(int index, KTime& firstTime, KTime& secondTime);
    int FindPeaks(int index, float& firstValue, float& secondValue);
    int FindPeaks(int index, KTime& firstTime, float& firstValue, KTime& secondTime, float& secondValue);
    // Cubic auto key with both auto values exactly 0 and no weighted side.
    bool IsKeyInterpolationPureCubicAuto(int index);
    // True when the block storage is consistent with the key count.
    bool CheckCurve() const;

    // ---- Native file ----

    // Writes the curve's fields ("Default", "KeyVer", "KeyCount", "Key",
    // extrapolation blocks, "Color") into the file's open scope. Only
    // "Default" when `onlyDefaults`; "Color" when `withColor`; `olderForm`
    // spells auto tangents for older readers. Returns false.
    bool QelStore(KQel* file, bool onlyDefaults = false, bool withColor = true, bool olderForm = false);
    // Reads a curve written by QelStore. Without a "Default" field returns
    // true and leaves the curve as it was; else QelInternalRetrieve's result.
    bool QelRetrieve(KQel* file, bool onlyDefaults = false, bool withColor = true);
    // The same with "Default" already begun. Bad keys are dropped, never
    // trusted: returns false.
    bool QelInternalRetrieve(KQel* file, bool onlyDefaults = false, bool withColor = true);

    // ---- Tangents (value units per second) ----
    // Unlike the plain accessors these answer 0 (or change nothing) for an
    // index outside the keys.

    double KeyGetLeftDerivative(int index);
    double KeyGetRightDerivative(int index);
    // Writes key index's left tangent (stored on key index-1) in the form the
    // pair of keys needs; nothing for index <= 0.
    void KeySetLeftDerivative(int index, float derivative);
    // Nothing for the last key.
    void KeySetRightDerivative(int index, float derivative);
    // Auto form of a side: 100 follows the left slope, -100 the right one,
    // 0 their mean.
    float KeyGetLeftAuto(int index);
    void KeySetLeftAuto(int index, float autoValue);
    float KeyGetRightAuto(int index);
    void KeySetRightAuto(int index, float autoValue);
    // Add to a stored user derivative.
    void KeyIncLeftDerivative(int index, float delta);
    void KeyIncRightDerivative(int index, float delta);
    // Scales both derivatives of a user or broken key.
    void KeyMultDerivative(int index, float factor);
    KFCurveTangeantInfo KeyGetLeftDerivativeInfo(int index);
    KFCurveTangeantInfo KeyGetRightDerivativeInfo(int index);
    // Restores a side as captured by the getters (key removal, insertion).
    void KeySetLeftDerivativeInfo(int index, const KFCurveTangeantInfo& info);
    void KeySetRightDerivativeInfo(int index, const KFCurveTangeantInfo& info);

    // Weights: a side without weight reads 0.33333334. A TCB key has no
    // weights (its bias overlays them): setting them on it stores nothing.
    bool KeyIsLeftTangeantWeighted(int index) const;
    bool KeyIsRightTangeantWeighted(int index) const;
    float KeyGetLeftTangeantWeight(int index) const;
    float KeyGetRightTangeantWeight(int index) const;
    void KeySetLeftTangeantWeight(int index, float weight);
    void KeySetRightTangeantWeight(int index, float weight);
    void KeySetLeftTangeantWeightedMode(int index, bool weighted);
    void KeySetRightTangeantWeightedMode(int index, bool weighted);

    // Velocities: a side without velocity reads 0.
    bool KeyIsLeftTangeantVelocity(int index) const;
    bool KeyIsRightTangeantVelocity(int index) const;
    float KeyGetLeftTangeantVelocity(int index) const;
    float KeyGetRightTangeantVelocity(int index) const;
    void KeySetLeftTangeantVelocity(int index, float velocity);
    void KeySetRightTangeantVelocity(int index, float velocity);
    void KeySetLeftTangeantVelocityMode(int index, bool velocity);
    void KeySetRightTangeantVelocityMode(int index, bool velocity);

    // Value of the inner Bezier control point of the segment on each side.
    float KeyGetLeftBezierTangeant(int index);
    float KeyGetRightBezierTangeant(int index);
    void KeySetLeftBezierTangeant(int index, float value);
    void KeySetRightBezierTangeant(int index, float value);

    // Changes the interpolation (resp. tangent mode) of all or selected keys,
    // keeping the derivatives on both sides of each changed key.
    void KeyTangeantSetInterpolation(bool selectedOnly, kUInt interpolation);
    void KeyTangeantSetMode(bool selectedOnly, kUInt tangentMode);

    // ---- Evaluation ----

    // Fractional key index of a time, without extrapolation: -1 without
    // keys, -0.5 before the first key, count - 0.5 after the last. `last` is
    // the search hint (the curve's own when null), read and updated.
    double KeyFind(KTime time, int* last = nullptr);
    // Fractional index with the repetitions folded back into the keys.
    double KeyFindAll(KTime time, int* last = nullptr);
    // Value at a time, extrapolated before and after the keys.
    float Evaluate(KTime time, int* last = nullptr);
    // Value at a fractional key index; indices outside [0, count - 1] are
    // clamped to it.
    float EvaluateIndex(double index);
    // Derivative (value units per second) at a time; 0 outside the keys.
    float EvaluateLeftDerivative(KTime time, int* last = nullptr);
    float EvaluateRightDerivative(KTime time, int* last = nullptr);
    // Time curve of a weighted segment: X(1 - t) - target, X the Bezier with
    // control points 0, w1, 1 - w2, 1.
    static double CubicWarp(float t, float target, float w1, float w2);
    // Secant root of f(x, a, b, c) = 0 started from x1 and x2; at most 15
    // steps, the last estimate when it does not converge.
    static float rtsec(double (*function)(float, float, float, float), float x1, float x2, float a, float b,
                       float c);

    // ---- All-keys view (repetitions count as keys) ----

    // count + (pre count + post count) x (count - 1), 32-bit unsigned; 0
    // without keys.
    kUInt KeyGetCountAll() const;
    // Key index and region (kFCurveRegion...) of an all-keys index.
    int MapIndexAll(int index, int& region) const;
    // The key at an all-keys index; null when no key stands there.
    KFCurveKey* KeyGetRawAll(int index);
    // The time of that repetition of the key; t(0) for a single key, 0
    // without keys; saturates at the infinite times.
    KTime KeyGetTimeAll(int index) const;

private:
    KFCurveKey* RawKey(int index) { return mKeyBlocks[index >> 5] + (index & 31); }
    // Adds a key to the sorted pending run of a long curve (see mPending);
    // false when the key must take the ordinary path.
    bool KeyAddPending(KTime time, const KFCurveKey& key, int* last, int& index);
    // Merges the pending run into the blocks in one pass.
    void FlushPending();
    void DropPending();
    KFCurveKey* Key(int index) { return KeyGetPtr(index); }
    const KFCurveKey* Key(int index) const { return KeyGetPtr(index); }
    // Bumps the low (values) half of the update id.
    void AdvanceUpdateId() { mUpdateId = (mUpdateId & 0xFFFF0000u) | ((mUpdateId + 1) & 0xFFFFu); }
    void DeliverEvent();
    // A delivery in progress: the index of the registration being called,
    // and the delivery it is nested in (a callback that changes the curve
    // starts a nested one). Unregistering adjusts every open delivery.
    struct Delivery {
        int mIndex;
        Delivery* mOuter;
    };
    void FreeStorage();
    // Slopes of the segments before and after key i (value per second).
    double SlopeIn(int index) const;
    double SlopeOut(int index) const;
    double TCBRight(int index) const;
    double TCBLeft(int index, int parameterKey) const;
    void SelectAll(bool selected);
    // Changes key i's interpolation (or tangent mode) keeping its tangents.
    void RetypeKey(int index, kUInt bits, bool tangentMode);
    // Derivative inside the segment after key i at fraction u.
    float SegmentDerivative(int index, double fraction);
    // EvaluateLeftDerivative / EvaluateRightDerivative; the side matters only
    // exactly on a key.
    float EvaluateDerivative(KTime time, int* last, bool leftOfKey);
    // First key whose time is at or after `time` (count when none); O(log n),
    // O(1) next to the hint. Stores the result in the hint.
    int KeyLowerBound(KTime time, int* last);
    // Moves `count` records from index `from` to index `to` across blocks
    // (overlap allowed); both ranges lie inside allocated blocks.
    void MoveKeys(int to, int from, int count);
    // Re-adds key i at `time` (never onto another key) keeping the moved key's
    // left tangent and those of its old and new neighbours; the new index.
    int KeyMoveAcross(int index, KTime time);
    // Event 16 for the first and the last key changed by a whole-curve edit.
    void ReportEditedRange(int first, int last);
    // Shared body of the value and tangent scaling family.
    int KeyEditValues(bool selectedOnly, int operation, float operand);
    // Shared body of the replace family; `edit` (null for a plain replace)
    // changes the values of the keys added and of those after them.
    struct ReplaceEdit;
    void ReplaceSpan(KFCurve* source, KTime start, KTime stop, bool exactSpan, bool keyEmptySpan,
                     const ReplaceEdit* edit);
    // Reading of the "Key" field: one key into slot i (false when it is to
    // be dropped), and the drop of the listed slots (increasing order).
    class KeyField;
    bool ReadKey(KeyField& field, int index, int version, char timeType, char previousLetter, char& letter);
    bool ReadCurrentTangent(KeyField& field, int index, int version);
    void RemoveKeys(const int* rejected, int count);
    // Fix-up passes for keys read from files older than key version 4000.
    void ConvertOldKeys();

    float mColor[3];
    float mValue;
    kUInt mUpdateId;
    bool mCallbackEnable;
    bool mEventRecording;  // off while an edit reports one event of its own
    KFCurveKey** mKeyBlocks;
    int mKeyCount;
    int mKeyCapacity;
    int mLastBlock;  // -1 when no block exists
    // Keys added out of order to a long curve wait here, sorted by time and
    // counted in mKeyCount, until the next access to the keys merges them in
    // one pass (or the run of 2048 fills): n random adds then move about
    // n^2 / 2048 records instead of n^2 / 4. The blocks already have room.
    KFCurveKey* mPending;
    int mPendingCount;
    kUInt mPreExtrapolation;
    kUInt mPreExtrapolationCount;
    kUInt mPostExtrapolation;
    kUInt mPostExtrapolationCount;
    int mWasData;
    int mLastSearchIndex;
    KTime mCandidateTime;
    float mCandidateValue;
    KFCurveEvent mEvent;
    KArrayTemplate<kFCurveCallback> mCallbackFunctions;
    KArrayTemplate<void*> mCallbackObjects;
    Delivery* mDelivery;  // innermost open delivery, null when none
};

// A new empty curve; the caller owns it (Destroy or delete).
KFCurve* KFCurveCreate();
// Reads a curve from the file's open scope into `curve` (its keys cleared
// first) or, when null, into a new curve the caller owns. Null, nothing
// changed, when the scope holds no "Default" field.
KFCurve* KFCurveCreate(KQel* file, KFCurve* curve, bool onlyDefaults = false, bool withColor = true);
KFCurve* KFCurveCreate(KQel* file, bool onlyDefaults = false, bool withColor = true);

}  // namespace qelsdk_600

#endif
