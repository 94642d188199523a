#include "formats/3ds/krenamingstrategy3ds.h"

#include <cstring>

namespace qelsdk_600 {

KRenamingStrategy3DS::KRenamingStrategy3DS() = default;

KRenamingStrategy3DS::~KRenamingStrategy3DS() = default;

void KRenamingStrategy3DS::Clear()
{
    mCounters.clear();
    mProduced.clear();
}

bool KRenamingStrategy3DS::Rename(KName& pName)
{
    return Rename(pName, 10);
}

bool KRenamingStrategy3DS::Rename(KName& pName, int pMaxLen)
{
    char* name = pName.GetCurrentName();
    if (!name)
        return false;
    RemoveTVPrefix(name);
    if (pMaxLen >= 3 && std::strlen(name) > static_cast<std::size_t>(pMaxLen - 3))
        ReduceName(name, pMaxLen - 3);
    const std::string text = name;
    auto recorded = mCounters.find(text);
    if (recorded == mCounters.end()) {
        recorded = mCounters.emplace(text, 0).first;
        if (mProduced.insert(text).second) {
            pName.SetCurrentName(text.c_str());
            return false;
        }
    }
    // Numbered on until the name is one this pass has not produced.
    std::string candidate;
    do {
        const std::string number = std::to_string(++recorded->second);
        std::size_t keep = text.size();
        if (pMaxLen > 0 && keep + number.size() > static_cast<std::size_t>(pMaxLen))
            keep = number.size() < static_cast<std::size_t>(pMaxLen) ? pMaxLen - number.size() : 0;
        candidate = text.substr(0, keep) + number;
    } while (!mProduced.insert(candidate).second);
    pName.SetCurrentName(candidate.c_str());
    return true;
}

KRenamingStrategy* KRenamingStrategy3DS::Clone()
{
    return new KRenamingStrategy3DS;
}

bool KRenamingStrategy3DS::RemoveTVPrefix(char*& pName)
{
    if (char* separator = std::strstr(pName, "::"))
        std::memmove(pName, separator + 2, std::strlen(separator + 2) + 1);
    return true;
}

bool KRenamingStrategy3DS::ReduceName(char*& pName, int pLength)
{
    if (pLength >= 0 && std::strlen(pName) > static_cast<std::size_t>(pLength))
        pName[pLength] = '\0';
    return true;
}

}  // namespace qelsdk_600
