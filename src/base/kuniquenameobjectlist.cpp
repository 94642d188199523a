#include "base/kuniquenameobjectlist.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace qelsdk_600 {

namespace {

const char* const kDefaultName = "Default";

// Longest run of trailing digits parsed as a number; more digits than this
// could overflow, so such names are treated as having no number.
const size_t kMaxDigits = 18;

}  // namespace

struct KUniqueNameObjectList::Index {
    std::unordered_map<const void*, std::string> mNameOfObject;
    std::unordered_set<std::string> mNames;
    // For a stem (the name before its number), numbers 1..n are known taken.
    // Names are never freed one by one, so this only saves repeated probes and
    // gives the same result as trying every number in turn.
    std::unordered_map<std::string, unsigned long long> mTakenUpTo;
};

KUniqueNameObjectList::KUniqueNameObjectList(unsigned int hashBits, unsigned int growthStep)
    : mIndex(new Index)
{
    size_t buckets = size_t(1) << std::min(hashBits, 20u);
    mIndex->mNames.reserve(std::max<size_t>(buckets, growthStep));
    mIndex->mNameOfObject.reserve(std::max<size_t>(buckets, growthStep));
}

KUniqueNameObjectList::~KUniqueNameObjectList() = default;

const char* KUniqueNameObjectList::AddObject(const char* name, const void* object)
{
    auto known = mIndex->mNameOfObject.find(object);
    if (known != mIndex->mNameOfObject.end())
        return known->second.c_str();

    std::string candidate = (name && *name) ? name : kDefaultName;
    if (mIndex->mNames.count(candidate)) {
        // Split off the trailing number; a name without one counts from " 1".
        size_t digitsStart = candidate.size();
        while (digitsStart > 0 && candidate[digitsStart - 1] >= '0' && candidate[digitsStart - 1] <= '9')
            --digitsStart;
        std::string stem;
        unsigned long long number;
        size_t digits = candidate.size() - digitsStart;
        if (digits > 0 && digits <= kMaxDigits) {
            stem = candidate.substr(0, digitsStart);
            number = std::stoull(candidate.substr(digitsStart)) + 1;
        } else {
            stem = candidate + " ";
            number = 1;
        }
        unsigned long long& takenUpTo = mIndex->mTakenUpTo[stem];
        bool contiguous = number <= takenUpTo + 1;
        if (contiguous)
            number = takenUpTo + 1;
        for (;; ++number) {
            candidate = stem + std::to_string(number);
            if (!mIndex->mNames.count(candidate))
                break;
        }
        if (contiguous)
            takenUpTo = number;
    }
    mIndex->mNames.insert(candidate);
    return mIndex->mNameOfObject.emplace(object, std::move(candidate)).first->second.c_str();
}

const char* KUniqueNameObjectList::GetNameByObject(const void* object) const
{
    auto found = mIndex->mNameOfObject.find(object);
    return found == mIndex->mNameOfObject.end() ? nullptr : found->second.c_str();
}

int KUniqueNameObjectList::GetCount() const
{
    return static_cast<int>(mIndex->mNameOfObject.size());
}

void KUniqueNameObjectList::Clear()
{
    mIndex->mNameOfObject.clear();
    mIndex->mNames.clear();
    mIndex->mTakenUpTo.clear();
}

}  // namespace qelsdk_600
