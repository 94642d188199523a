#include "io/kqelpluginrenamingstrategy.h"

#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/ktypes.h"

namespace qelsdk_600 {

namespace {

const char kExactMarker[] = "_ncl1_";
const char kCaseMarker[] = "_ncl2_";
const char kUpperTag[] = "ul";
const char kLowerTag[] = "lu";
// Positions that a case signature can encode.
const std::size_t kSignatureBits = 32;

// ASCII classes: names are renamed the same whatever the process locale.
inline bool IsUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

inline bool IsLower(char c)
{
    return c >= 'a' && c <= 'z';
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline char ToLower(char c)
{
    return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char ToUpper(char c)
{
    return IsLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

// Hash and equality of names, exact or without regard to ASCII letter case.
struct NameHash {
    bool mFold;
    std::size_t operator()(std::string_view text) const
    {
        std::size_t hash = static_cast<std::size_t>(14695981039346656037ull);
        for (char c : text)
            hash = (hash ^ static_cast<unsigned char>(mFold ? ToLower(c) : c)) *
                   static_cast<std::size_t>(1099511628211ull);
        return hash;
    }
};

struct NameEqual {
    bool mFold;
    bool operator()(std::string_view a, std::string_view b) const
    {
        if (!mFold)
            return a == b;
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (ToLower(a[i]) != ToLower(b[i]))
                return false;
        }
        return true;
    }
};

// The decimal digits at pText[pAt...]; 0 when there are none or the number
// does not fit 32 bits.
kUInt ParseMask(const std::string& pText, std::size_t pAt)
{
    kULongLong value = 0;
    for (std::size_t i = pAt; i < pText.size() && IsDigit(pText[i]); ++i) {
        value = value * 10 + static_cast<kULongLong>(pText[i] - '0');
        if (value > 0xFFFFFFFFull)
            return 0;
    }
    return static_cast<kUInt>(value);
}

// The mask after a tag in pText from pFrom on; 0 without the tag.
kUInt ReadTaggedMask(const std::string& pText, std::size_t pFrom, const char* pTag)
{
    std::size_t at = pText.find(pTag, pFrom);
    return at == std::string::npos ? 0 : ParseMask(pText, at + std::strlen(pTag));
}

}  // namespace

// The names given out, in order, with one index that finds the first
// clashing record in constant time: by exact spelling when only exact
// clashes count, else by spelling without regard to case, each group
// remembering its first record and the first record spelled otherwise than
// that one. Records live in a deque, so the views that key the index stay
// valid.
struct KQelPluginRenamingStrategy::Records {
    struct Record {
        std::string mName;
        kUInt mCounter;
    };
    struct Group {
        int mFirst;
        int mFirstOther;  // -1 while all records of the group share a spelling
    };
    typedef std::unordered_map<std::string_view, Group, NameHash, NameEqual> Index;

    std::deque<Record> mList;
    Index mIndex;

    // Empty, indexed for the clash type.
    void Reset(EClashType pType)
    {
        bool fold = pType != eExactClashOnly;
        mIndex = Index(0, NameHash{fold}, NameEqual{fold});
        mList.clear();
    }

    void Add(std::string pName)
    {
        int index = static_cast<int>(mList.size());
        mList.push_back(Record{std::move(pName), 0});
        std::string_view name = mList.back().mName;
        auto placed = mIndex.emplace(name, Group{index, -1});
        Group& group = placed.first->second;
        if (!placed.second && group.mFirstOther < 0 && mList[group.mFirst].mName != name)
            group.mFirstOther = index;
    }

    // The first record that clashes with the name under the clash type, or -1.
    int FindClash(std::string_view pName, EClashType pType) const
    {
        auto found = mIndex.find(pName);
        if (found == mIndex.end())
            return -1;
        const Group& group = found->second;
        if (pType == eCaseClashOnly && mList[group.mFirst].mName == pName)
            return group.mFirstOther;
        return group.mFirst;
    }

    // pBase, "_ncl1_" and the record's next counter, raised until no record
    // clashes with the result.
    std::string NextFree(int pRecord, const std::string& pBase, EClashType pType)
    {
        std::string candidate;
        do {
            kUInt counter = ++mList[pRecord].mCounter;
            candidate = pBase + kExactMarker + std::to_string(counter);
        } while (FindClash(candidate, pType) >= 0);
        return candidate;
    }
};

KQelPluginRenamingStrategy::KQelPluginRenamingStrategy(EMode pMode, bool pReplaceParentheses)
    : mMode(pMode),
      mClashType(eExactAndCaseClash),
      mRecords(new Records),
      mReplaceParentheses(pReplaceParentheses)
{
    mRecords->Reset(mClashType);
}

KQelPluginRenamingStrategy::~KQelPluginRenamingStrategy() {}

void KQelPluginRenamingStrategy::Clear() {}

bool KQelPluginRenamingStrategy::Rename(KName& pName)
{
    return mMode == eToQel ? RenameToQEL(pName) : RenameFromQEL(pName);
}

KRenamingStrategy* KQelPluginRenamingStrategy::Clone()
{
    return nullptr;
}

void KQelPluginRenamingStrategy::SetClashSoverType(EClashType pType)
{
    if (pType != mClashType)
        mRecords->Reset(pType);
    mClashType = pType;
}

bool KQelPluginRenamingStrategy::RenameToQEL(KName& pName)
{
    std::string incoming(pName.GetCurrentName());
    int clash = mRecords->FindClash(incoming, mClashType);
    if (clash < 0) {
        mRecords->Add(std::move(incoming));
        return false;
    }
    const std::string recorded = mRecords->mList[clash].mName;
    std::string renamed;
    if (recorded == incoming) {
        renamed = mRecords->NextFree(clash, recorded, mClashType);
    } else {
        // Same length: the names differ only in letter case.
        kUInt upper = 0;
        kUInt lower = 0;
        bool beyondSignature = false;
        for (std::size_t i = 0; i < recorded.size(); ++i) {
            if (recorded[i] == incoming[i])
                continue;
            if (i >= kSignatureBits)
                beyondSignature = true;
            else if (IsUpper(recorded[i]))
                upper |= kUInt(1) << i;
            else
                lower |= kUInt(1) << i;
        }
        if (beyondSignature) {
            renamed = mRecords->NextFree(clash, incoming, mClashType);
        } else {
            renamed = recorded + kCaseMarker;
            if (upper)
                renamed += kUpperTag + std::to_string(upper);
            if (lower)
                renamed += kLowerTag + std::to_string(lower);
            if (mRecords->FindClash(renamed, mClashType) >= 0)
                renamed = mRecords->NextFree(clash, renamed, mClashType);
        }
    }
    pName.SetCurrentName(renamed.c_str());
    mRecords->Add(std::move(renamed));
    return true;
}

bool KQelPluginRenamingStrategy::RenameFromQEL(KName& pName)
{
    std::string name(pName.GetCurrentName());
    bool changed = false;

    std::size_t open = name.rfind('(');
    std::size_t close = name.rfind(')');
    std::size_t cut = name.find(kExactMarker);
    if (cut == std::string::npos && open != std::string::npos) {
        bool digitsOnly = true;
        if (close != std::string::npos && close > open) {
            for (std::size_t i = open + 1; i < close && digitsOnly; ++i)
                digitsOnly = IsDigit(name[i]);
        }
        if (digitsOnly)
            cut = open;
    }
    if (cut != std::string::npos && cut > 0) {
        pName.SetInitialName(name.substr(0, cut).c_str());
        if (mReplaceParentheses) {
            name[cut] = '_';
            if (close != std::string::npos && close > cut)
                name[close] = '_';
        }
        pName.SetCurrentName(name.c_str());
        changed = true;
    }

    std::size_t marker = name.find(kCaseMarker);
    if (marker != std::string::npos && marker > 0) {
        kUInt upper = ReadTaggedMask(name, marker, kUpperTag);
        kUInt lower = ReadTaggedMask(name, marker, kLowerTag);
        pName.SetInitialName(name.c_str());
        std::size_t positions = marker < kSignatureBits ? marker : kSignatureBits;
        for (std::size_t i = 0; i < positions; ++i) {
            if (upper & (kUInt(1) << i))
                name[i] = ToLower(name[i]);
        }
        for (std::size_t i = 0; i < positions; ++i) {
            if (lower & (kUInt(1) << i))
                name[i] = ToUpper(name[i]);
        }
        pName.SetCurrentName(name.substr(0, marker).c_str());
        changed = true;
    } else {
        std::string initial(pName.GetInitialName());
        std::string current(pName.GetCurrentName());
        pName.SetInitialName(current.c_str());
        pName.SetCurrentName(initial.c_str());
    }

    KString current(pName.GetCurrentName());
    ReplaceNonAlphaNum(current, "_");
    pName.SetCurrentName(current.Buffer());
    return changed;
}

void KQelPluginRenamingStrategy::ReplaceNonAlphaNum(KString& pText, const char* pReplacement)
{
    char replacement = pReplacement && *pReplacement ? *pReplacement : '_';
    char* text = pText.Buffer();
    for (int i = 0, n = pText.GetLen(); i < n; ++i) {
        char c = text[i];
        if (!IsUpper(c) && !IsLower(c) && !IsDigit(c))
            text[i] = replacement;
    }
}

char* KQelPluginRenamingStrategy::NoPrefixName(const KString& pName)
{
    return NoPrefixName(pName.Buffer());
}

char* KQelPluginRenamingStrategy::NoPrefixName(const char* pName)
{
    static char sBuffer[256];
    const char* text = pName ? pName : "";
    if (const char* separator = std::strstr(text, "::"))
        text = separator + 2;
    std::size_t length = std::strlen(text);
    if (length >= sizeof(sBuffer))
        length = sizeof(sBuffer) - 1;
    std::memcpy(sBuffer, text, length);
    sBuffer[length] = '\0';
    return sBuffer;
}

}  // namespace qelsdk_600
