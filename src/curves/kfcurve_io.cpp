// The native-file fields of KFCurve: writing in the current and the older
// reader's spelling, reading every key version with its fix-up passes.
#include <climits>
#include <cmath>
#include <vector>

#include "curves/kfcurve.h"
#include "curves/kfcurve_impl.h"
#include "file/kqel.h"

namespace qelsdk_600 {

namespace {

constexpr int kKeyVersion = 4004;
// Time, value and interpolation letter: the fewest values a key is made of.
constexpr int kMinValuesPerKey = 3;

bool IsCubic(const KFCurveKey* key)
{
    return key->GetInterpolation() == kFCurveInterpolationCubic;
}

bool IsCubicWithMode(const KFCurveKey* key, kUInt mode)
{
    return IsCubic(key) && key->GetTangeantMode() == mode;
}

bool IsCubicUserOrBreak(const KFCurveKey* key)
{
    return IsCubicWithMode(key, kFCurveTangentUser) || IsCubicWithMode(key, kFCurveTangentUserBreak);
}

struct ExtrapolationLetter {
    kUInt mode;
    char letter;
};

const ExtrapolationLetter kExtrapolationLetters[] = {
    {kFCurveExtrapolationConstant, 'C'},
    {kFCurveExtrapolationRepetition, 'R'},
    {kFCurveExtrapolationMirrorRepetition, 'M'},
    {kFCurveExtrapolationKeepSlope, 'K'},
};

char LetterOfExtrapolation(kUInt mode)
{
    for (const ExtrapolationLetter& entry : kExtrapolationLetters)
        if (entry.mode == mode)
            return entry.letter;
    return '0';
}

kUInt ExtrapolationOfLetter(char letter)
{
    for (const ExtrapolationLetter& entry : kExtrapolationLetters)
        if (entry.letter == letter)
            return entry.mode;
    return 0;
}

char LetterOfWeightMode(kUInt mode)
{
    switch (mode & kFCurveWeightedMask) {
    case kFCurveWeightedRight:
        return 'r';
    case kFCurveWeightedNextLeft:
        return 'l';
    case kFCurveWeightedMask:
        return 'a';
    default:
        return 'n';
    }
}

kUInt WeightModeOfLetter(char letter)
{
    switch (letter) {
    case 'r':
        return kFCurveWeightedRight;
    case 'l':
        return kFCurveWeightedNextLeft;
    case 'a':
        return kFCurveWeightedMask;
    default:
        return 0;
    }
}

void WriteWeights(KQel* file, const KFCurveKey* key)
{
    const kUInt mode = key->GetTangeantWeightMode();
    file->FieldWriteCH(LetterOfWeightMode(mode));
    if (mode & kFCurveWeightedRight)
        file->FieldWriteD(key->GetDataDouble(eKFCurveRightWeight));
    if (mode & kFCurveWeightedNextLeft)
        file->FieldWriteD(key->GetDataDouble(eKFCurveNextLeftWeight));
}

void WriteExtrapolation(KQel* file, const char* name, kUInt mode, kUInt count)
{
    if (mode == 0 || (mode == kFCurveExtrapolationConstant && count == 0))
        return;
    file->FieldWriteBegin(name);
    file->FieldWriteBlockBegin();
    file->FieldWriteBegin("Type");
    file->FieldWriteCH(LetterOfExtrapolation(mode));
    file->FieldWriteEnd();
    file->FieldWriteBegin("Repetition");
    file->FieldWriteI(static_cast<int>(count));
    file->FieldWriteEnd();
    file->FieldWriteBlockEnd();
    file->FieldWriteEnd();
}

// Reads an extrapolation block; false when the field is absent.
bool ReadExtrapolation(KQel* file, const char* name, kUInt& mode, kUInt& count)
{
    if (!file->FieldReadBegin(name))
        return false;
    const bool hasBlock = file->FieldReadBlockBegin();
    if (hasBlock) {
        mode = ExtrapolationOfLetter(file->FieldReadCH("Type", '0'));
        count = static_cast<kUInt>(file->FieldReadI("Repetition", 0));
        file->FieldReadBlockEnd();
    }
    file->FieldReadEnd();
    return hasBlock;
}

// Forgets the next-left weight of the key before an auto key.
void ResetNextLeftWeight(KFCurveKey* previous)
{
    previous->SetTangeantWeightMode(0, kFCurveWeightedNextLeft);
    previous->SetDataDouble(eKFCurveNextLeftWeight, kFCurveDefaultWeight);
}

// Leaves the TCB overlay of items 2 and 3 behind when a key stops being TCB.
void ResetWeights(KFCurveKey* key)
{
    key->SetTangeantWeightMode(0, kFCurveWeightedMask);
    key->SetDataDouble(eKFCurveRightWeight, kFCurveDefaultWeight);
    key->SetDataDouble(eKFCurveNextLeftWeight, kFCurveDefaultWeight);
}

double Seconds(const KFCurveKey* from, const KFCurveKey* to)
{
    return kfcurve_detail::SecondsBetween(from->GetTime(), to->GetTime());
}

}  // namespace

// Typed, bounded reads from the open "Key" field: nothing is read past its
// last value, and in the binary form a value of the wrong type is left for
// the next reader instead of being reinterpreted.
class KFCurve::KeyField {
public:
    KeyField(KQel* file, bool binary) : mFile(file), mBinary(binary) {}

    bool HasValue() { return mFile->FieldReadGetRemain() > 0; }
    char Type() { return mFile->FieldReadGetType(); }
    bool Binary() const { return mBinary; }

    // A number; false (nothing consumed) when none is left or, binary, the
    // next value is not a number (with `floating`, not a double or float).
    bool Number(double& value, bool floating = false)
    {
        if (!HasValue())
            return false;
        if (mBinary) {
            const char type = Type();
            if (type != 'D' && type != 'F' && (floating || (type != 'I' && type != 'L')))
                return false;
        }
        value = mFile->FieldReadD();
        return true;
    }
    // A number into a float, 0 when it is missing.
    float Float()
    {
        double value = 0.0;
        Number(value);
        return static_cast<float>(value);
    }
    // A character; false (nothing consumed) when none is left or, binary,
    // the next value is not a character.
    bool Letter(char& letter)
    {
        if (!HasValue() || (mBinary && Type() != 'C'))
            return false;
        letter = mFile->FieldReadCH();
        return true;
    }
    KTime Time() { return mFile->FieldReadT(); }
    // The weight group: a letter, then the weights it announces.
    void Weights(KFCurveKey* key)
    {
        char letter = 'n';
        Letter(letter);
        const kUInt mode = WeightModeOfLetter(letter);
        key->SetTangeantWeightMode(mode, kFCurveWeightedMask);
        if (mode & kFCurveWeightedRight)
            key->SetDataDouble(eKFCurveRightWeight, Float());
        if (mode & kFCurveWeightedNextLeft)
            key->SetDataDouble(eKFCurveNextLeftWeight, Float());
    }

private:
    KQel* mFile;
    bool mBinary;
};


// ---- Writing ----

bool KFCurve::QelStore(KQel* file, bool onlyDefaults, bool withColor, bool olderForm)
{
    if (!file)
        return false;
    file->FieldWriteBegin("Default");
    file->FieldWriteD(mValue);
    file->FieldWriteEnd();
    if (onlyDefaults)
        return false;

    if (mKeyCount > 0) {
        // A key of no known interpolation could not be read back, and in the
        // text form would shift every value after it.
        int written = 0;
        for (int i = 0; i < mKeyCount; ++i) {
            const kUInt interpolation = Key(i)->GetInterpolation();
            if (interpolation == kFCurveInterpolationConstant || interpolation == kFCurveInterpolationLinear ||
                interpolation == kFCurveInterpolationCubic)
                ++written;
        }
        file->FieldWriteBegin("KeyVer");
        file->FieldWriteI(kKeyVersion);
        file->FieldWriteEnd();
        file->FieldWriteBegin("KeyCount");
        file->FieldWriteI(written);
        file->FieldWriteEnd();
        file->FieldWriteBegin("Key");
        for (int i = 0; i < mKeyCount; ++i) {
            const KFCurveKey* key = Key(i);
            const kUInt interpolation = key->GetInterpolation();
            if (interpolation == kFCurveInterpolationConstant) {
                file->FieldWriteT(key->GetTime());
                file->FieldWriteD(key->GetValue());
                file->FieldWriteCH('C');
                file->FieldWriteCH(key->GetConstantMode() == kFCurveConstantNext ? 'n' : 's');
                continue;
            }
            if (interpolation == kFCurveInterpolationLinear) {
                file->FieldWriteT(key->GetTime());
                file->FieldWriteD(key->GetValue());
                file->FieldWriteCH('L');
                continue;
            }
            if (interpolation != kFCurveInterpolationCubic)
                continue;
            file->FieldWriteT(key->GetTime());
            file->FieldWriteD(key->GetValue());
            file->FieldWriteCH('U');
            const kUInt mode = key->GetTangeantMode();
            const double right = key->GetDataFloat(eKFCurveRightDerivative);
            const double nextLeft = key->GetDataFloat(eKFCurveNextLeftDerivative);
            if (mode == kFCurveTangentTCB) {
                file->FieldWriteCH('t');
                file->FieldWriteD(key->GetDataFloat(eKFCurveTCBTension));
                file->FieldWriteD(key->GetDataFloat(eKFCurveTCBContinuity));
                file->FieldWriteD(key->GetDataFloat(eKFCurveTCBBias));
            } else if (mode == kFCurveTangentUser || mode == kFCurveTangentUserBreak) {
                file->FieldWriteCH(mode == kFCurveTangentUser ? 's' : 'b');
                file->FieldWriteD(right);
                file->FieldWriteD(nextLeft);
                WriteWeights(file, key);
            } else if ((mode == kFCurveTangentAuto || mode == kFCurveTangentAutoBreak) && !olderForm) {
                if (right == 0.0 && nextLeft == 0.0) {
                    file->FieldWriteCH('a');
                } else {
                    file->FieldWriteCH(mode == kFCurveTangentAuto ? 'p' : 'q');
                    file->FieldWriteD(right);
                    file->FieldWriteD(nextLeft);
                    WriteWeights(file, key);
                }
            } else if (mode == kFCurveTangentAuto || mode == kFCurveTangentAutoBreak) {
                const bool flat =
                    right == 0.0 && (i == 0 || Key(i - 1)->GetDataFloat(eKFCurveNextLeftDerivative) == 0.0f);
                const bool last = i == mKeyCount - 1;
                if (flat) {
                    const KFCurveKey* next = last ? nullptr : Key(i + 1);
                    if (next && IsCubic(next) && (next->GetTangeantMode() & kFCurveTangentUser)) {
                        file->FieldWriteCH('d');
                        file->FieldWriteD(KeyGetLeftDerivative(i + 1));
                        WriteWeights(file, key);
                    } else {
                        file->FieldWriteCH('a');
                    }
                } else {
                    file->FieldWriteCH((mode & kFCurveTangentBreak) ? 'b' : 's');
                    file->FieldWriteD(KeyGetRightDerivative(i));
                    file->FieldWriteD(last ? 0.0 : KeyGetLeftDerivative(i + 1));
                    WriteWeights(file, key);
                }
            } else {
                // No tangent mode evaluates flat on both sides: so does a
                // user tangent of 0, which unlike nothing reads back in step.
                file->FieldWriteCH('s');
                file->FieldWriteD(0.0);
                file->FieldWriteD(0.0);
                WriteWeights(file, key);
            }
        }
        file->FieldWriteEnd();
        WriteExtrapolation(file, "Pre-Extrapolation", mPreExtrapolation, mPreExtrapolationCount);
        WriteExtrapolation(file, "Post-Extrapolation", mPostExtrapolation, mPostExtrapolationCount);
    }
    if (withColor) {
        file->FieldWriteBegin("Color");
        for (float component : mColor)
            file->FieldWriteD(component);
        file->FieldWriteEnd();
    }
    return false;
}

// ---- Reading ----

bool KFCurve::QelRetrieve(KQel* file, bool onlyDefaults, bool withColor)
{
    if (!file || !file->FieldReadBegin("Default"))
        return true;
    return QelInternalRetrieve(file, onlyDefaults, withColor);
}

KFCurve* KFCurveCreate(KQel* file, KFCurve* curve, bool onlyDefaults, bool withColor)
{
    if (!file || !file->FieldReadBegin("Default"))
        return nullptr;
    if (curve)
        curve->KeyClear();
    else
        curve = KFCurveCreate();
    curve->QelInternalRetrieve(file, onlyDefaults, withColor);
    return curve;
}

KFCurve* KFCurveCreate(KQel* file, bool onlyDefaults, bool withColor)
{
    return KFCurveCreate(file, nullptr, onlyDefaults, withColor);
}

bool KFCurve::QelInternalRetrieve(KQel* file, bool onlyDefaults, bool withColor)
{
    KeyClear();
    if (!file)
        return false;
    mValue = static_cast<float>(file->FieldReadD());
    file->FieldReadEnd();
    if (onlyDefaults)
        return false;

    const int version = file->FieldReadI("KeyVer", 0);
    const int announced = file->FieldReadI("KeyCount", 0);
    std::vector<int> rejected;  // slots to drop, in increasing order
    if (announced != 0) {
        KeyModifyBegin();
        if (announced > 0 && file->FieldReadBegin("Key")) {
            KeyField field(file, file->IsBinary());
            // Never more slots than the field's values can fill.
            const int room = file->FieldReadGetCount() / kMinValuesPerKey;
            const int slots = announced < room ? announced : room;
            const char timeType = field.Binary() ? field.Type() : 'L';
            const bool timesTyped = timeType == 'L' || timeType == 'D' || timeType == 'F';
            if (slots > 0 && timesTyped && InitBuffers(slots)) {
                char previousLetter = 0;
                int lastKept = -1;
                for (int i = 0; i < slots && field.HasValue(); ++i) {
                    // Key i is the last one while it is read: nothing looks
                    // at slots not read yet.
                    mKeyCount = i + 1;
                    char letter = 0;
                    bool bad = !ReadKey(field, i, version, timeType, previousLetter, letter);
                    // Ordered against the last key kept: a dropped key's time
                    // says nothing of where the next one may go.
                    if (!bad && lastKept >= 0 && Key(lastKept)->GetTime() >= Key(i)->GetTime())
                        bad = true;
                    if (bad)
                        rejected.push_back(i);
                    else
                        lastKept = i;
                    previousLetter = letter;
                }
            }
            file->FieldReadEnd();
        }
        KeyModifyEnd(mKeyCount);
        kUInt mode = mPreExtrapolation;
        kUInt count = mPreExtrapolationCount;
        if (ReadExtrapolation(file, "Pre-Extrapolation", mode, count)) {
            SetPreExtrapolation(mode);
            SetPreExtrapolationCount(count);
        }
        mode = mPostExtrapolation;
        count = mPostExtrapolationCount;
        if (ReadExtrapolation(file, "Post-Extrapolation", mode, count)) {
            SetPostExtrapolation(mode);
            SetPostExtrapolationCount(count);
        }
    }
    if (withColor && file->FieldReadBegin("Color")) {
        double components[3];
        if (file->FieldReadDn(components, 3) == 3) {
            for (int c = 0; c < 3; ++c)
                mColor[c] = static_cast<float>(components[c]);
        }
        file->FieldReadEnd();
    }
    RemoveKeys(rejected.data(), static_cast<int>(rejected.size()));
    if (version <= 3999 && mKeyCount > 0)
        ConvertOldKeys();
    return false;
}

bool KFCurve::ReadKey(KeyField& field, int i, int version, char timeType, char previousLetter, char& letter)
{
    KFCurveKey* key = Key(i);
    KFCurveKey* previous = i > 0 ? Key(i - 1) : nullptr;
    key->SetFlags(0);
    key->Set(KTime(0), 0.0f, 0, 0, 0.0f, 0.0f, 0, kFCurveDefaultWeight, kFCurveDefaultWeight, 0.0f, 0.0f);
    bool good = true;

    // Time: in the binary form, values of another type are skipped first.
    if (field.Binary()) {
        while (field.HasValue() && field.Type() != timeType)
            field.Time();
        if (!field.HasValue() || field.Type() != timeType) {
            key->SetTime(KTIME_INFINITE);
            return false;
        }
    }
    key->SetTime(field.Time());
    if (key->GetTime().Get() == LLONG_MIN)
        good = false;

    double value = 0.0;
    if (!field.Number(value, true))
        return false;
    key->SetValue(static_cast<float>(value));

    letter = 0;
    if (!field.Letter(letter))
        return false;

    const bool oldVersion = version <= 4003;
    auto leftAutoAfterAuto = [&]() {
        if (oldVersion && previous && IsCubic(previous) && (previous->GetTangeantMode() & kFCurveTangentAuto))
            KeySetLeftAuto(i, 100.0f);
    };
    switch (letter) {
    case 'C':
    case 'A':
    case 'Z': {
        key->SetInterpolation(kFCurveInterpolationConstant);
        char mode = 0;
        if (version > 4003 && field.Letter(mode))
            key->SetConstantMode(mode == 'n' ? kFCurveConstantNext : kFCurveConstantStandard);
        else
            key->SetConstantMode(kFCurveConstantStandard);
        leftAutoAfterAuto();
        return good;
    }
    case 'L':
        key->SetInterpolation(kFCurveInterpolationLinear);
        leftAutoAfterAuto();
        return good;
    case 'U':
        key->SetInterpolation(kFCurveInterpolationCubic);
        return ReadCurrentTangent(field, i, version) && good;
    case 'T':
        key->SetInterpolation(kFCurveInterpolationCubic);
        key->SetTangeantMode(kFCurveTangentTCB);
        key->SetDataFloat(eKFCurveTCBTension, field.Float());
        key->SetDataFloat(eKFCurveTCBContinuity, field.Float());
        key->SetDataFloat(eKFCurveTCBBias, field.Float());
        break;
    case 'B':
    case 'H':
    case 'I':
    case 'O':
    case 'R': {
        key->SetInterpolation(kFCurveInterpolationCubic);
        char tangent = 0;
        field.Letter(tangent);
        const bool previousTCB = previous && IsCubicWithMode(previous, kFCurveTangentTCB);
        if (tangent == 'A' || tangent == 'a') {
            key->SetTangeantMode(kFCurveTangentAuto);
        } else if (tangent == 'B' || tangent == 'b') {
            key->SetTangeantMode(kFCurveTangentUserBreak);
            const float left = field.Float();
            if (previous && !previousTCB)
                previous->SetDataDouble(eKFCurveNextLeftDerivative, left);
            key->SetDataDouble(eKFCurveRightDerivative, field.Float());
        } else {
            key->SetTangeantMode(kFCurveTangentUser);
            const float both = field.Float();
            if (previous && !previousTCB)
                previous->SetDataDouble(eKFCurveNextLeftDerivative, both);
            key->SetDataDouble(eKFCurveRightDerivative, both);
        }
        break;
    }
    default:
        return false;
    }

    // Old Bezier handles of the key before: absolute control values turned
    // into derivatives over the segment.
    if (previous && previousLetter == 'B') {
        const double dt = Seconds(previous, key);
        if (dt > 0.0) {
            previous->SetDataDouble(eKFCurveRightDerivative,
                                    static_cast<float>((previous->GetDataFloat(eKFCurveRightDerivative) -
                                                        previous->GetValue()) * 3.0 / dt));
            const double nextLeft =
                letter == 'B'
                    ? (previous->GetDataFloat(eKFCurveNextLeftDerivative) - key->GetValue()) * -3.0 / dt
                    : 0.0;
            previous->SetDataDouble(eKFCurveNextLeftDerivative, static_cast<float>(nextLeft));
        }
    }
    return good;
}

bool KFCurve::ReadCurrentTangent(KeyField& field, int i, int version)
{
    KFCurveKey* key = Key(i);
    KFCurveKey* previous = i > 0 ? Key(i - 1) : nullptr;
    char tangent = 'a';
    if (!field.Binary()) {
        if (!field.Letter(tangent))
            return false;
    } else if (field.HasValue() && field.Type() == 'C') {
        field.Letter(tangent);
    }
    switch (tangent) {
    case 'a':
    case 'A':
        key->SetTangeantMode(kFCurveTangentAuto);
        // Current files keep the weight the key before wrote for this side.
        if (version >= 4002 && version < kKeyVersion && previous)
            ResetNextLeftWeight(previous);
        key->SetDataDouble(eKFCurveNextLeftDerivative, 0.0f);
        key->SetDataDouble(eKFCurveRightDerivative,
                           version <= 4003 && previous &&
                                   previous->GetInterpolation() == kFCurveInterpolationLinear
                               ? -100.0f
                               : 0.0f);
        if (version <= 4003 && previous && IsCubic(previous) && (previous->GetTangeantMode() & kFCurveTangentUser))
            previous->SetDataDouble(eKFCurveNextLeftDerivative, 0.0f);
        if (version == 4000)
            key->SetDataDouble(eKFCurveNextLeftDerivative, field.Float());
        return true;
    case 'd':
    case 'D':
        key->SetTangeantMode(kFCurveTangentAuto);
        key->SetDataDouble(eKFCurveNextLeftDerivative, field.Float());
        key->SetDataDouble(eKFCurveRightDerivative, 0.0f);
        if (version >= 4002) {
            if (previous)
                ResetNextLeftWeight(previous);
            field.Weights(key);
        }
        return true;
    case 'p':
    case 'P':
        key->SetTangeantMode(kFCurveTangentAuto);
        key->SetDataDouble(eKFCurveRightDerivative, field.Float());
        key->SetDataDouble(eKFCurveNextLeftDerivative, field.Float());
        if (previous && std::fabs(KeyGetLeftAuto(i) + KeyGetRightAuto(i)) > 0.001f)
            key->SetTangeantMode(kFCurveTangentAutoBreak);
        field.Weights(key);
        return true;
    case 'q':
    case 'Q':
        key->SetTangeantMode(kFCurveTangentAutoBreak);
        key->SetDataDouble(eKFCurveRightDerivative, field.Float());
        key->SetDataDouble(eKFCurveNextLeftDerivative, field.Float());
        field.Weights(key);
        return true;
    case 's':
    case 'S':
    case 'b':
    case 'B':
        key->SetTangeantMode(tangent == 's' || tangent == 'S' ? kFCurveTangentUser : kFCurveTangentUserBreak);
        key->SetDataDouble(eKFCurveRightDerivative, field.Float());
        key->SetDataDouble(eKFCurveNextLeftDerivative, field.Float());
        if (version <= 3999 && previous && IsCubicWithMode(previous, kFCurveTangentAuto))
            previous->SetDataDouble(eKFCurveNextLeftDerivative, key->GetDataFloat(eKFCurveRightDerivative));
        if (version >= 4002)
            field.Weights(key);
        return true;
    case 't':
    case 'T':
        key->SetTangeantMode(kFCurveTangentTCB);
        key->SetDataFloat(eKFCurveTCBTension, field.Float());
        key->SetDataFloat(eKFCurveTCBContinuity, field.Float());
        key->SetDataFloat(eKFCurveTCBBias, field.Float());
        return true;
    default:
        return false;
    }
}

void KFCurve::RemoveKeys(const int* rejected, int rejectedCount)
{
    if (rejectedCount <= 0)
        return;
    const int count = mKeyCount;
    // One pass for every dropped run: the key after each run keeps the left
    // tangent it had, as a removal one key at a time would leave it.
    struct Restore {
        int index;  // old index of the key after the run
        KFCurveTangeantInfo info;
    };
    std::vector<Restore> restores;
    for (int r = 0; r < rejectedCount; ++r) {
        const int end = rejected[r];
        if (r + 1 < rejectedCount && rejected[r + 1] == end + 1)
            continue;
        if (end + 1 < count)
            restores.push_back({end + 1, KeyGetLeftDerivativeInfo(end + 1)});
    }
    std::vector<int> newIndex(static_cast<std::size_t>(count), -1);
    int next = 0;
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (next < rejectedCount && rejected[next] == i) {
            ++next;
            continue;
        }
        if (kept != i)
            *Key(kept) = *Key(i);
        newIndex[static_cast<std::size_t>(i)] = kept++;
    }
    mKeyCount = kept;
    mCandidateTime = KTIME_INFINITE;
    for (auto it = restores.rbegin(); it != restores.rend(); ++it)
        KeySetLeftDerivativeInfo(newIndex[static_cast<std::size_t>(it->index)], it->info);
    // With every key dropped the stored default value stands.
    CallbackAddEvent(kFCurveEventKey, -1);
}

void KFCurve::ConvertOldKeys()
{
    const int count = mKeyCount;
    KFCurveKey* last = Key(count - 1);
    last->SetInterpolation(kFCurveInterpolationCubic);
    last->SetTangeantMode(kFCurveTangentAuto);

    for (int i = count - 1; i >= 1; --i) {
        KFCurveKey* key = Key(i);
        const KFCurveKey* previous = Key(i - 1);
        const bool previousTCB = IsCubicWithMode(previous, kFCurveTangentTCB);
        if (IsCubicWithMode(key, kFCurveTangentUser) && previousTCB) {
            key->SetTangeantMode(kFCurveTangentUserBreak);
        } else if (key->GetInterpolation() == kFCurveInterpolationLinear && previousTCB) {
            const float r = static_cast<float>(KeyGetRightDerivative(i));
            key->SetInterpolation(kFCurveInterpolationCubic);
            key->SetTangeantMode(kFCurveTangentUserBreak);
            key->SetDataDouble(eKFCurveRightDerivative, r);
            key->SetDataDouble(eKFCurveNextLeftDerivative, r);
        } else if (IsCubicWithMode(key, kFCurveTangentAuto)) {
            double x = 0.0;
            if (i + 1 == count - 1)
                x = (static_cast<double>(Key(i + 1)->GetValue()) - key->GetValue()) / Seconds(key, Key(i + 1));
            else if (i + 1 < count)
                x = KeyGetRightDerivative(i + 1);
            if (IsCubicUserOrBreak(previous)) {
                key->SetTangeantMode(kFCurveTangentUser);
                key->SetDataDouble(eKFCurveRightDerivative, previous->GetDataFloat(eKFCurveNextLeftDerivative));
                key->SetDataDouble(eKFCurveNextLeftDerivative, static_cast<float>(x));
            } else if (previousTCB) {
                key->SetTangeantMode(kFCurveTangentTCB);
                key->SetDataFloat(eKFCurveTCBTension, previous->GetDataFloat(eKFCurveTCBTension));
                key->SetDataFloat(eKFCurveTCBContinuity, previous->GetDataFloat(eKFCurveTCBContinuity));
                key->SetDataFloat(eKFCurveTCBBias, previous->GetDataFloat(eKFCurveTCBBias));
                if (i + 1 < count) {
                    const float left = static_cast<float>(KeyGetLeftDerivative(i));
                    key->SetTangeantMode(kFCurveTangentUser);
                    ResetWeights(key);
                    key->SetDataDouble(eKFCurveRightDerivative, left);
                    key->SetDataDouble(eKFCurveNextLeftDerivative, static_cast<float>(x));
                }
            } else if (previous->GetInterpolation() == kFCurveInterpolationConstant) {
                key->SetTangeantMode(kFCurveTangentUser);
                key->SetDataDouble(eKFCurveRightDerivative, 0.0f);
                key->SetDataDouble(eKFCurveNextLeftDerivative, static_cast<float>(x));
            }
        }
    }

    for (int i = 0; i + 1 < count; ++i) {
        KFCurveKey* key = Key(i);
        if (IsCubicWithMode(key, kFCurveTangentAuto) && !IsCubicWithMode(Key(i + 1), kFCurveTangentAuto)) {
            const float a = static_cast<float>(KeyGetRightDerivative(i));
            const float b = static_cast<float>(KeyGetRightDerivative(i + 1));
            key->SetTangeantMode(kFCurveTangentUser);
            key->SetDataDouble(eKFCurveRightDerivative, a);
            key->SetDataDouble(eKFCurveNextLeftDerivative, b);
        }
    }

    for (int i = count - 1; i >= 1; --i) {
        KFCurveKey* key = Key(i);
        if (!IsCubicWithMode(key, kFCurveTangentTCB) || !IsCubicUserOrBreak(Key(i - 1)))
            continue;
        const double a = KeyGetRightDerivative(i);
        const double t = key->GetDataFloat(eKFCurveTCBTension);
        const double c = key->GetDataFloat(eKFCurveTCBContinuity);
        const double b = key->GetDataFloat(eKFCurveTCBBias);
        double nextLeft = 0.0;  // the last key has no segment after it
        if (i + 1 < count) {
            const KFCurveKey* next = Key(i + 1);
            if (IsCubicWithMode(next, kFCurveTangentTCB)) {
                nextLeft = KeyGetLeftDerivative(i + 1);
            } else {
                const double out = (static_cast<double>(next->GetValue()) - key->GetValue()) / Seconds(key, next);
                if (i + 2 >= count) {
                    nextLeft = (1.0 - t) * (1.0 + b) * (1.0 - c) * out;
                } else {
                    const KFCurveKey* after = Key(i + 2);
                    const double following =
                        (static_cast<double>(after->GetValue()) - next->GetValue()) / Seconds(next, after);
                    nextLeft = 0.5 * (1.0 - t) * ((1.0 + b) * (1.0 - c) * out + (1.0 - b) * (1.0 + c) * following);
                }
            }
        }
        key->SetTangeantMode(kFCurveTangentUserBreak);
        ResetWeights(key);
        key->SetDataDouble(eKFCurveRightDerivative, static_cast<float>(a));
        key->SetDataDouble(eKFCurveNextLeftDerivative, static_cast<float>(nextLeft));
    }
}

}  // namespace qelsdk_600
