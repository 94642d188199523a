// Block storage of keys: 32 keys per 1024-byte block, a table of block
// pointers grown 2048 keys at a time, and the process-wide memory counter.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "curves/kfcurve.h"

namespace qelsdk_600 {

namespace {

// 64-bit so that large curves cannot overflow it; read back saturated.
kLongLong gRecordingMemory = 0;

constexpr int kBlocksPerTableStep = kFCurveKeysPerTableStep / kFCurveKeysPerBlock;
constexpr std::size_t kBlockBytes = kFCurveKeysPerBlock * sizeof(KFCurveKey);
// The largest capacity that still fits an int.
constexpr int kMaxCapacity = INT_MAX / kFCurveKeysPerTableStep * kFCurveKeysPerTableStep;

static_assert(kBlockBytes == 1024, "a key block is 1024 bytes");

// Table steps needed for n keys.
int TableSteps(int keys)
{
    return static_cast<int>((static_cast<kLongLong>(keys) + kFCurveKeysPerTableStep - 1) / kFCurveKeysPerTableStep);
}

// Table size in bytes: pointer-sized entries, 64 per step.
std::size_t TableBytes(int steps)
{
    return static_cast<std::size_t>(steps) * kBlocksPerTableStep * sizeof(KFCurveKey*);
}

}  // namespace

void* KFCurve::WatchMalloc(std::size_t size)
{
    void* memory = std::calloc(1, size);
    if (memory)
        gRecordingMemory += static_cast<kLongLong>(size);
    return memory;
}

void KFCurve::WatchFree(void* pointer, std::size_t size)
{
    if (!pointer)
        return;
    gRecordingMemory -= static_cast<kLongLong>(size);
    std::free(pointer);
}

int KFCurve::GetRecordingMemory()
{
    if (gRecordingMemory > INT_MAX)
        return INT_MAX;
    if (gRecordingMemory < INT_MIN)
        return INT_MIN;
    return static_cast<int>(gRecordingMemory);
}

bool KFCurve::InitBuffers(int n)
{
    bool ok = true;
    if (n > kMaxCapacity) {
        ok = false;
    } else if (n > mKeyCapacity) {
        const int steps = TableSteps(n);
        KFCurveKey** table = static_cast<KFCurveKey**>(WatchMalloc(TableBytes(steps)));
        if (table) {
            if (mKeyBlocks && mKeyCapacity > 0) {
                std::memcpy(table, mKeyBlocks, static_cast<std::size_t>(mKeyCapacity / kFCurveKeysPerBlock) *
                                                   sizeof(KFCurveKey*));
                WatchFree(mKeyBlocks, TableBytes(TableSteps(mKeyCapacity)));
            }
            mKeyBlocks = table;
            mKeyCapacity = steps * kFCurveKeysPerTableStep;
        } else {
            ok = false;
        }
    }
    if (mKeyBlocks && n > 0) {
        const int lastNeeded = std::min(n, mKeyCapacity) - 1;
        for (int block = mLastBlock + 1; block <= lastNeeded / kFCurveKeysPerBlock; ++block) {
            KFCurveKey* keys = static_cast<KFCurveKey*>(WatchMalloc(kBlockBytes));
            if (!keys) {
                ok = false;
                break;
            }
            mKeyBlocks[block] = keys;
            mLastBlock = block;
        }
    }
    mCandidateTime = KTIME_INFINITE;
    return ok;
}

void KFCurve::KeyShrink()
{
    if (mPendingCount > 0)
        FlushPending();
    if (!mKeyBlocks)
        return;
    if (mKeyCount == 0) {
        if (mKeyCapacity > 0)
            FreeStorage();
        return;
    }
    const int lastNeeded = (mKeyCount - 1) / kFCurveKeysPerBlock;
    if (lastNeeded < mLastBlock) {
        int freed = 0;
        for (int block = lastNeeded + 1; block <= mLastBlock && mKeyBlocks[block]; ++block) {
            WatchFree(mKeyBlocks[block], kBlockBytes);
            mKeyBlocks[block] = nullptr;
            ++freed;
        }
        mLastBlock -= freed;
    }
    if (mKeyCapacity / kFCurveKeysPerTableStep > mKeyCount / kFCurveKeysPerTableStep + 1) {
        const int steps = TableSteps(mKeyCount);
        KFCurveKey** table = static_cast<KFCurveKey**>(WatchMalloc(TableBytes(steps)));
        if (!table)
            return;  // keep the larger table; nothing is lost
        // Only the allocated blocks move, and never more than the new table
        // holds: at a count that is a multiple of 2048 one more entry would
        // run past its end.
        const int entries = std::min(mLastBlock + 1, steps * kBlocksPerTableStep);
        std::memcpy(table, mKeyBlocks, static_cast<std::size_t>(entries) * sizeof(KFCurveKey*));
        WatchFree(mKeyBlocks, TableBytes(TableSteps(mKeyCapacity)));
        mKeyBlocks = table;
        mKeyCapacity = steps * kFCurveKeysPerTableStep;
    }
}

void KFCurve::FreeStorage()
{
    DropPending();
    if (mKeyBlocks) {
        for (int block = mKeyCapacity / kFCurveKeysPerBlock - 1; block >= 0; --block)
            if (mKeyBlocks[block])
                WatchFree(mKeyBlocks[block], kBlockBytes);
        WatchFree(mKeyBlocks, TableBytes(TableSteps(mKeyCapacity)));
    }
    mKeyBlocks = nullptr;
    mKeyCapacity = 0;
    mLastBlock = -1;
}

void KFCurve::KeyClear()
{
    mCandidateTime = KTIME_INFINITE;
    FreeStorage();
    mKeyCount = 0;
    CallbackAddEvent(kFCurveEventKey, -1);
}

void KFCurve::KeyModifyBegin()
{
    CallbackEnable(false);
}

bool KFCurve::KeyModifyBegin(int n)
{
    if (mPendingCount > 0)
        FlushPending();  // the caller fills blocks directly
    CallbackEnable(false);
    return InitBuffers(n);
}

void KFCurve::KeyModifyEnd()
{
    AdvanceUpdateId();
    mCandidateTime = KTIME_INFINITE;
    CallbackEnable(true);
}

void KFCurve::KeyModifyEnd(int n)
{
    if (mPendingCount > 0)
        FlushPending();
    mCandidateTime = KTIME_INFINITE;
    AdvanceUpdateId();
    // Never more keys than allocated blocks hold.
    const int room = (mLastBlock + 1) * kFCurveKeysPerBlock;
    mKeyCount = std::max(0, std::min(n, room));
    CallbackEnable(true);
}

int KFCurve::KeyAppendFast(KTime time, float value)
{
    if (mPendingCount > 0)
        FlushPending();
    if (mKeyCount >= kMaxCapacity || !InitBuffers(mKeyCount + 1))
        return -1;
    const int index = mKeyCount++;
    Key(index)->Set(time, value, kFCurveInterpolationCubic, kFCurveTangentAuto, 0.0f, 0.0f, 0,
                    kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
    AdvanceUpdateId();
    mCandidateTime = KTIME_INFINITE;
    return index;
}

// ---- Pending run of out-of-order adds ----

namespace {

// Curves shorter than this shift their records at once; the run holds at
// most this many keys.
constexpr int kPendingThreshold = 4096;
constexpr int kPendingCapacity = 2048;

}  // namespace

void KFCurve::DropPending()
{
    if (mPending)
        WatchFree(mPending, kPendingCapacity * sizeof(KFCurveKey));
    mPending = nullptr;
    mKeyCount -= mPendingCount;
    mPendingCount = 0;
}

bool KFCurve::KeyAddPending(KTime time, const KFCurveKey& key, int* last, int& index)
{
    const int stored = mKeyCount - mPendingCount;
    if (stored < kPendingThreshold)
        return false;
    const kLongLong t = time.Get();
    // First stored key at or after the time, searched without merging.
    int lo = 0;
    int hi = stored;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (RawKey(mid)->GetTime().Get() < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == stored && mPendingCount == 0)
        return false;  // an append: nothing to shift
    int rank = 0;
    {
        int a = 0;
        int b = mPendingCount;
        while (a < b) {
            const int mid = a + (b - a) / 2;
            if (mPending[mid].GetTime().Get() < t)
                a = mid + 1;
            else
                b = mid;
        }
        rank = a;
    }
    KFCurveKey copy = key;
    copy.SetTime(time);
    index = lo + rank;
    if (lo < stored && RawKey(lo)->GetTime() == time) {
        *RawKey(lo) = copy;  // the key at that time is replaced, in place
    } else if (rank < mPendingCount && mPending[rank].GetTime() == time) {
        mPending[rank] = copy;
    } else {
        if (mPendingCount == kPendingCapacity) {
            FlushPending();
            return KeyAddPending(time, key, last, index);
        }
        if (!mPending) {
            mPending = static_cast<KFCurveKey*>(WatchMalloc(kPendingCapacity * sizeof(KFCurveKey)));
            if (!mPending)
                return false;
        }
        // Room in the blocks first, so that merging never needs memory.
        if (!InitBuffers(mKeyCount + 1))
            return false;
        std::memmove(static_cast<void*>(mPending + rank + 1), mPending + rank,
                     static_cast<std::size_t>(mPendingCount - rank) * sizeof(KFCurveKey));
        mPending[rank] = copy;
        ++mPendingCount;
        ++mKeyCount;
        AdvanceUpdateId();
    }
    mCandidateTime = KTIME_INFINITE;
    if (last)
        *last = index;
    CallbackAddEvent(kFCurveEventKey, index);
    return true;
}

void KFCurve::FlushPending()
{
    const int pending = mPendingCount;
    const int total = mKeyCount;
    int stored = total - pending - 1;
    int write = total - 1;
    mPendingCount = 0;  // before anything that might look at the keys
    // Merged from the back: only the stored keys after the first pending
    // one move, each once.
    for (int j = pending - 1; j >= 0; --j) {
        const kLongLong t = mPending[j].GetTime().Get();
        while (stored >= 0 && RawKey(stored)->GetTime().Get() > t)
            *RawKey(write--) = *RawKey(stored--);
        *RawKey(write--) = mPending[j];
    }
    WatchFree(mPending, kPendingCapacity * sizeof(KFCurveKey));
    mPending = nullptr;
}

}  // namespace qelsdk_600
