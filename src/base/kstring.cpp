#include "base/kstring.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace qelsdk_600 {

namespace {

// FindAndReplace refuses occurrences that begin after this index, as callers expect.
const int kLastReplaceIndex = 4095;

// ASCII folding keeps results independent of the process locale.
inline unsigned char FoldLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

inline unsigned char FoldUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Writes the decimal text of value into buffer (at least 12 bytes); returns the length.
int FormatInt(int value, char* buffer, int size)
{
    std::to_chars_result result = std::to_chars(buffer, buffer + size, value);
    return static_cast<int>(result.ptr - buffer);
}

// "%f" text without the locale's decimal point.
int FormatFloat(float value, char* buffer, int size)
{
    std::to_chars_result result = std::to_chars(buffer, buffer + size, static_cast<double>(value),
                                                std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return 0;
    return static_cast<int>(result.ptr - buffer);
}

// Large enough for any float in fixed notation with six decimals.
const int kNumberBufferSize = 64;

// Whether text points into [begin, begin + length]; compared as integers so
// that pointers into unrelated objects are not compared directly.
inline bool PointsInto(const char* text, const char* begin, int length)
{
    std::uintptr_t t = reinterpret_cast<std::uintptr_t>(text);
    std::uintptr_t b = reinterpret_cast<std::uintptr_t>(begin);
    return t >= b && t <= b + static_cast<std::uintptr_t>(length);
}

}  // namespace

void KString::Init()
{
    mData = mInPlace;
    mInPlace[0] = '\0';
    mLen = 0;
    mCapacity = kInPlaceLength;
    mValid = true;
}

void KString::ReleaseHeap()
{
    if (mData != mInPlace)
        std::free(mData);
    mData = mInPlace;
    mCapacity = kInPlaceLength;
}

void KString::SetInvalid()
{
    ReleaseHeap();
    Init();
    mValid = false;
}

bool KString::Reserve(int length)
{
    if (length < 0)
        return false;
    if (length <= mCapacity)
        return true;
    // Doubling keeps repeated appends linear.
    long long wanted = std::max<long long>(length, 2LL * mCapacity);
    if (wanted > INT_MAX - 1)
        wanted = INT_MAX - 1;
    if (wanted < length)
        return false;
    char* grown;
    if (mData == mInPlace) {
        grown = static_cast<char*>(std::malloc(static_cast<size_t>(wanted) + 1));
        if (grown)
            std::memcpy(grown, mInPlace, static_cast<size_t>(mLen) + 1);
    } else {
        grown = static_cast<char*>(std::realloc(mData, static_cast<size_t>(wanted) + 1));
    }
    if (!grown)
        return false;
    mData = grown;
    mCapacity = static_cast<int>(wanted);
    return true;
}

bool KString::Assign(const char* text, int count)
{
    if (PointsInto(text, mData, mLen)) {
        // A piece of this string's own text: it is never longer than the text.
        std::memmove(mData, text, static_cast<size_t>(count));
    } else {
        if (!Reserve(count))
            return false;
        std::memcpy(mData, text, static_cast<size_t>(count));
    }
    mLen = count;
    mData[mLen] = '\0';
    mValid = true;
    return true;
}

bool KString::AppendBytes(const char* text, int count)
{
    if (count <= 0)
        return true;
    if (count > INT_MAX - 1 - mLen)
        return false;
    // The text may be a piece of this string, which Reserve can move.
    bool inside = PointsInto(text, mData, mLen);
    std::ptrdiff_t offset = inside ? text - mData : 0;
    if (!Reserve(mLen + count))
        return false;
    if (inside)
        text = mData + offset;
    std::memmove(mData + mLen, text, static_cast<size_t>(count));
    mLen += count;
    mData[mLen] = '\0';
    return true;
}

KString::KString()
{
    Init();
}

KString::KString(const KString& other)
{
    Init();
    if (!other.mValid || !Assign(other.mData, other.mLen))
        SetInvalid();
}

KString::KString(KString&& other) noexcept
{
    Init();
    *this = std::move(other);
}

KString::KString(const char* text)
{
    Init();
    *this = text;
}

KString::KString(const char* buffer, int count)
{
    Init();
    if (!buffer || count < 0) {
        SetInvalid();
        return;
    }
    const void* end = std::memchr(buffer, '\0', static_cast<size_t>(count));
    int length = end ? static_cast<int>(static_cast<const char*>(end) - buffer) : count;
    if (!Assign(buffer, length))
        SetInvalid();
}

KString::KString(int value)
{
    Init();
    char buffer[kNumberBufferSize];
    Assign(buffer, FormatInt(value, buffer, kNumberBufferSize));
}

KString::KString(float value)
{
    Init();
    *this = value;
}

KString::~KString()
{
    ReleaseHeap();
}

KString& KString::operator=(const KString& other)
{
    if (this == &other)
        return *this;
    if (!other.mValid || !Assign(other.mData, other.mLen))
        SetInvalid();
    return *this;
}

KString& KString::operator=(KString&& other) noexcept
{
    if (this == &other)
        return *this;
    ReleaseHeap();
    if (other.mData != other.mInPlace) {
        mData = other.mData;
        mCapacity = other.mCapacity;
    } else {
        std::memcpy(mInPlace, other.mInPlace, static_cast<size_t>(other.mLen) + 1);
    }
    mLen = other.mLen;
    mValid = other.mValid;
    other.Init();
    return *this;
}

KString& KString::operator=(const char* text)
{
    // Texts too long to count in an int are refused rather than cut.
    size_t length = text ? std::strlen(text) : 0;
    if (!text || length > static_cast<size_t>(INT_MAX - 1) || !Assign(text, static_cast<int>(length)))
        SetInvalid();
    return *this;
}

KString& KString::operator=(float value)
{
    char buffer[kNumberBufferSize];
    int length = FormatFloat(value, buffer, kNumberBufferSize);
    if (!Assign(buffer, length))
        SetInvalid();
    return *this;
}

KString& KString::operator+=(const char* text)
{
    if (!text) {
        SetInvalid();
        return *this;
    }
    size_t length = std::strlen(text);
    if (mValid && (length > static_cast<size_t>(INT_MAX - 1) || !AppendBytes(text, static_cast<int>(length))))
        SetInvalid();
    return *this;
}

KString& KString::operator+=(const KString& other)
{
    if (!other.mValid) {
        SetInvalid();
        return *this;
    }
    if (mValid && !AppendBytes(other.mData, other.mLen))
        SetInvalid();
    return *this;
}

KString& KString::operator+=(int value)
{
    char buffer[kNumberBufferSize];
    int length = FormatInt(value, buffer, kNumberBufferSize);
    if (mValid && !AppendBytes(buffer, length))
        SetInvalid();
    return *this;
}

KString& KString::Append(const char* text)
{
    return *this += text;
}

KString& KString::Empty()
{
    ReleaseHeap();
    Init();
    return *this;
}

char& KString::operator[](unsigned int index)
{
    if (index < static_cast<unsigned int>(mLen))
        return mData[index];
    // Out of range: a byte that is reset on every use, so a stray write
    // through it can neither corrupt the string nor be read back.
    static thread_local char scratch;
    scratch = '\0';
    return scratch;
}

char KString::operator[](unsigned int index) const
{
    return index < static_cast<unsigned int>(mLen) ? mData[index] : '\0';
}

int KString::Compare(const char* text) const
{
    return std::strcmp(mData, text ? text : "");
}

int KString::CompareNoCase(const char* text) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(mData);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text ? text : "");
    for (;; ++a, ++b) {
        int difference = FoldLower(*a) - FoldLower(*b);
        if (difference != 0 || *a == '\0')
            return difference;
    }
}

bool KString::operator==(const KString& other) const
{
    return mLen == other.mLen && std::memcmp(mData, other.mData, static_cast<size_t>(mLen)) == 0;
}

bool KString::operator==(const char* text) const
{
    return Compare(text) == 0;
}

bool KString::operator!=(const KString& other) const
{
    return !(*this == other);
}

bool KString::operator!=(const char* text) const
{
    return Compare(text) != 0;
}

bool KString::operator<(const KString& other) const
{
    return Compare(other.mData) < 0;
}

bool KString::operator<(const char* text) const
{
    return Compare(text) < 0;
}

int KString::Find(const char* text, unsigned int start) const
{
    if (!text)
        return 0;
    if (start > static_cast<unsigned int>(mLen))
        return -1;
    const char* found = std::strstr(mData + start, text);
    return found ? static_cast<int>(found - mData) : -1;
}

int KString::Find(char c, unsigned int start) const
{
    if (start >= static_cast<unsigned int>(mLen))
        return -1;
    const void* found = std::memchr(mData + start, c, static_cast<size_t>(mLen) - start);
    return found ? static_cast<int>(static_cast<const char*>(found) - mData) : -1;
}

int KString::ReverseFind(char c) const
{
    for (int i = mLen - 1; i >= 0; --i) {
        if (mData[i] == c)
            return i;
    }
    return -1;
}

KString KString::Left(unsigned int count) const
{
    if (!mValid)
        return KString(nullptr);
    return KString(mData, static_cast<int>(std::min<unsigned int>(count, mLen)));
}

KString KString::Mid(unsigned int start) const
{
    if (!mValid)
        return KString(nullptr);
    if (start >= static_cast<unsigned int>(mLen))
        return KString();
    return KString(mData + start, mLen - static_cast<int>(start));
}

KString KString::Mid(unsigned int start, unsigned int count) const
{
    if (!mValid)
        return KString(nullptr);
    if (start >= static_cast<unsigned int>(mLen))
        return KString();
    unsigned int rest = static_cast<unsigned int>(mLen) - start;
    return KString(mData + start, static_cast<int>(std::min(count, rest)));
}

KString KString::Right(unsigned int count) const
{
    if (!mValid)
        return KString(nullptr);
    int length = static_cast<int>(std::min<unsigned int>(count, mLen));
    return KString(mData + mLen - length, length);
}

KString KString::Upper() const
{
    KString result(*this);
    for (int i = 0; i < result.mLen; ++i)
        result.mData[i] = static_cast<char>(FoldUpper(static_cast<unsigned char>(result.mData[i])));
    return result;
}

KString KString::Lower() const
{
    KString result(*this);
    for (int i = 0; i < result.mLen; ++i)
        result.mData[i] = static_cast<char>(FoldLower(static_cast<unsigned char>(result.mData[i])));
    return result;
}

KString KString::UnPad(PaddingType type) const
{
    if (!mValid)
        return KString(nullptr);
    int first = 0;
    int last = mLen;
    if (type == kLeft || type == kBoth) {
        while (first < last && IsSpace(mData[first]))
            ++first;
    }
    if (type == kRight || type == kBoth) {
        while (last > first && IsSpace(mData[last - 1]))
            --last;
    }
    return KString(mData + first, last - first);
}

KString KString::Reverse() const
{
    KString result(*this);
    std::reverse(result.mData, result.mData + result.mLen);
    return result;
}

bool KString::FindAndReplace(const char* find, const char* replacement, unsigned int start)
{
    if (!mValid || !find || !*find || !replacement)
        return false;
    int position = Find(find, start);
    if (position < 0 || position > kLastReplaceIndex)
        return false;
    int findLength = static_cast<int>(std::strlen(find));
    size_t replacementLength = std::strlen(replacement);
    if (replacementLength > static_cast<size_t>(INT_MAX - 1 - (mLen - findLength)))
        return false;
    // Built aside: the replacement may be a piece of this string.
    KString result(mData, position);
    if (!result.AppendBytes(replacement, static_cast<int>(replacementLength)) ||
        !result.AppendBytes(mData + position + findLength, mLen - position - findLength))
        return false;
    *this = std::move(result);
    return true;
}

int KString::GetTokenCount(const char* delimiters) const
{
    if (!delimiters)
        delimiters = "";
    int count = 0;
    const char* cursor = mData;
    for (;;) {
        cursor += std::strspn(cursor, delimiters);
        if (!*cursor)
            return count;
        ++count;
        cursor += std::strcspn(cursor, delimiters);
    }
}

KString KString::GetToken(int index, const char* delimiters) const
{
    if (!delimiters)
        delimiters = "";
    if (index < 0)
        return KString();
    const char* cursor = mData;
    for (int i = 0;; ++i) {
        cursor += std::strspn(cursor, delimiters);
        if (!*cursor)
            return KString();
        size_t length = std::strcspn(cursor, delimiters);
        if (i == index)
            return KString(cursor, static_cast<int>(length));
        cursor += length;
    }
}

KString operator+(const KString& left, const KString& right)
{
    KString result(left);
    result += right;
    return result;
}

KString operator+(const KString& left, const char* right)
{
    KString result(left);
    result += right;
    return result;
}

KString operator+(const KString& left, int right)
{
    KString result(left);
    result += right;
    return result;
}

bool operator==(const char* left, const KString& right)
{
    return right == left;
}

bool operator!=(const char* left, const KString& right)
{
    return right != left;
}

}  // namespace qelsdk_600
