#include "base/kname.h"

#include <string>
#include <unordered_map>

namespace qelsdk_600 {

KName::KName(const char* name) : mInitialName(name), mCurrentName(name) {}

KName::KName(const KName& other) = default;

KName& KName::operator=(const KName& other) = default;

KName::~KName() = default;

void KName::SetInitialName(const char* name)
{
    mInitialName = name;
    mCurrentName = name;
}

void KName::SetCurrentName(const char* name)
{
    mCurrentName = name;
}

char* KName::GetInitialName()
{
    return mInitialName.Buffer();
}

const char* KName::GetInitialName() const
{
    return mInitialName.Buffer();
}

char* KName::GetCurrentName()
{
    return mCurrentName.Buffer();
}

const char* KName::GetCurrentName() const
{
    return mCurrentName.Buffer();
}

KRenamingStrategy::~KRenamingStrategy() = default;

// Names seen, each with its repeat counter. Hashed: each name has one record,
// so this finds the same record as a walk of the list in order would.
struct KNumberRenamingStrategy::Records {
    std::unordered_map<std::string, long long> mCounters;
};

KNumberRenamingStrategy::KNumberRenamingStrategy() : mRecords(new Records) {}

KNumberRenamingStrategy::KNumberRenamingStrategy(const KNumberRenamingStrategy& other)
    : KRenamingStrategy(), mRecords(new Records(*other.mRecords))
{
}

KNumberRenamingStrategy& KNumberRenamingStrategy::operator=(const KNumberRenamingStrategy& other)
{
    if (this != &other)
        *mRecords = *other.mRecords;
    return *this;
}

KNumberRenamingStrategy::~KNumberRenamingStrategy()
{
    Clear();
}

void KNumberRenamingStrategy::Clear()
{
    mRecords->mCounters.clear();
}

bool KNumberRenamingStrategy::Rename(KName& name)
{
    std::string current(name.GetCurrentName());
    auto found = mRecords->mCounters.find(current);
    if (found == mRecords->mCounters.end()) {
        mRecords->mCounters.emplace(std::move(current), 0);
        return false;
    }
    ++found->second;
    current += std::to_string(found->second);
    name.SetCurrentName(current.c_str());
    return true;
}

KRenamingStrategy* KNumberRenamingStrategy::Clone()
{
    return new KNumberRenamingStrategy(*this);
}

}  // namespace qelsdk_600
