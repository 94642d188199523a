// The pending change record that a function curve hands to its callbacks.
#ifndef QELSDK_CURVES_KFCURVEEVENT_H
#define QELSDK_CURVES_KFCURVEEVENT_H

namespace qelsdk_600 {

// Event kinds; a merged record holds the OR of the kinds it received.
enum : int {
    kFCurveEventDefaultValue = 1,  // the curve's default value
    kFCurveEventKey = 16,          // keys, times, tangents or extrapolation
    kFCurveEventSelection = 256,   // selection or tangent visibility
    kFCurveEventDestroy = 512,     // the curve is being destroyed
    kFCurveEventKeyValue = 2048    // the value of one key
};

// Changes merged since the last delivery. A key index of -1 stands for the
// whole curve; -1 in the first or last key field also means "none yet".
class KFCurveEvent {
public:
    KFCurveEvent() : mType(0), mReserved(0), mKeyIndexStart(-1), mKeyIndexStop(-1), mEventCount(0) {}

    // Kind 0, no keys, count 0 (the reserved word is left alone).
    void Clear()
    {
        mType = 0;
        mKeyIndexStart = -1;
        mKeyIndexStop = -1;
        mEventCount = 0;
    }

    // Merges one change: ORs the kind, counts it and widens the key range.
    void Add(int type, int keyIndex)
    {
        mType |= type;
        ++mEventCount;
        if (mKeyIndexStart == -1 || keyIndex < mKeyIndexStart)
            mKeyIndexStart = keyIndex;
        if (keyIndex > mKeyIndexStop)
            mKeyIndexStop = keyIndex;
    }

    int mType;
    int mReserved;  // 0 from construction; no curve operation changes it
    int mKeyIndexStart;
    int mKeyIndexStop;
    int mEventCount;
};

}  // namespace qelsdk_600

#endif
