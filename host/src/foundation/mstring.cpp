#include <vesk/MString.h>
#include <vesk/MStringArray.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "foundation/number_text.h"

MString::MString(const char* text)
{
    if (text)
        mText = text;
}

MString::MString(const char* text, int length)
{
    if (text && length > 0)
        mText.assign(text, static_cast<size_t>(length));
}

MString& MString::operator=(const char* text)
{
    return set(text);
}

unsigned int MString::numChars() const
{
    unsigned int count = 0;
    for (unsigned char c : mText)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

MString& MString::operator+=(const MString& other)
{
    mText += other.mText;
    return *this;
}

MString& MString::operator+=(const char* text)
{
    if (text)
        mText += text;
    return *this;
}

MString& MString::operator+=(double value)
{
    mText += vesk::shortestText(value);
    return *this;
}

MString& MString::operator+=(int value)
{
    mText += std::to_string(value);
    return *this;
}

MString& MString::operator+=(unsigned int value)
{
    mText += std::to_string(value);
    return *this;
}

MString& MString::set(const char* text)
{
    if (text)
        mText = text;
    else
        mText.clear();
    return *this;
}

MString& MString::set(double value)
{
    mText = vesk::shortestText(value);
    return *this;
}

bool MString::operator==(const char* text) const
{
    return mText == (text ? text : "");
}

MStatus MString::split(char separator, MStringArray& pieces) const
{
    pieces.clear();
    size_t start = 0;
    while (start <= mText.size()) {
        size_t end = mText.find(separator, start);
        if (end == std::string::npos)
            end = mText.size();
        if (end > start)
            pieces.append(MString(mText.c_str() + start, static_cast<int>(end - start)));
        start = end + 1;
    }
    return MStatus::kSuccess;
}

MString MString::substring(int start, int end) const
{
    if (start < 0)
        start = 0;
    const int last = static_cast<int>(mText.size()) - 1;
    if (end > last)
        end = last;
    if (start > end)
        return MString();
    return MString(mText.c_str() + start, end - start + 1);
}

int MString::index(char c) const
{
    const size_t p = mText.find(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int MString::rindex(char c) const
{
    const size_t p = mText.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

MString MString::toLowerCase() const
{
    MString out(*this);
    for (char& c : out.mText)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

MString MString::toUpperCase() const
{
    MString out(*this);
    for (char& c : out.mText)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

MString operator+(const MString& a, const MString& b)
{
    MString out(a);
    out += b;
    return out;
}

MString operator+(const MString& a, const char* b)
{
    MString out(a);
    out += b;
    return out;
}

MString operator+(const char* a, const MString& b)
{
    MString out(a);
    out += b;
    return out;
}

MString operator+(const MString& a, double b)
{
    MString out(a);
    out += b;
    return out;
}

MString operator+(const MString& a, int b)
{
    MString out(a);
    out += b;
    return out;
}
