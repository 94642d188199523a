// Host text: a byte string with value semantics.
#ifndef VESK_MSTRING_H
#define VESK_MSTRING_H

#include <string>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

class MStringArray;

// A text of bytes (UTF-8 passes through unchanged). A null C string counts as
// the empty text. Numbers are written locale-free.
class VESK_API MString {
public:
    MString() {}
    // Copies the text up to its terminating zero; null gives "".
    MString(const char* text);
    // Copies `length` bytes; a null text or a negative length gives "".
    MString(const char* text, int length);
    MString(const MString& other) = default;
    MString& operator=(const MString& other) = default;
    MString& operator=(const char* text);

    // The bytes, zero-terminated; valid until the text changes.
    const char* asChar() const { return mText.c_str(); }
    // Length in bytes, and in characters (UTF-8 continuation bytes not counted).
    unsigned int length() const { return static_cast<unsigned int>(mText.size()); }
    unsigned int numChars() const;

    MString& operator+=(const MString& other);
    MString& operator+=(const char* text);
    // Appends the shortest text that reads back as exactly this double
    // ("1", "0.1", "1e-07", "-0", "nan", "inf", "-inf").
    MString& operator+=(double value);
    // Appends the decimal text of the integer.
    MString& operator+=(int value);
    MString& operator+=(unsigned int value);

    // Replaces the text; set(double) writes as operator+=(double).
    MString& set(const char* text);
    MString& set(double value);

    bool operator==(const MString& other) const { return mText == other.mText; }
    bool operator!=(const MString& other) const { return mText != other.mText; }
    bool operator==(const char* text) const;
    bool operator!=(const char* text) const { return !(*this == text); }
    // Bytewise order.
    bool operator<(const MString& other) const { return mText < other.mText; }

    // Clears the array, then appends every non-empty piece between
    // occurrences of the separator, in order.
    MStatus split(char separator, MStringArray& pieces) const;
    // Bytes start to end, both included; an empty text when start > end or
    // start is past the end (end is cut to the last byte).
    MString substring(int start, int end) const;
    // Position of the first or last occurrence of the byte, or -1.
    int index(char c) const;
    int rindex(char c) const;
    // Copies with ASCII letters changed in case.
    MString toLowerCase() const;
    MString toUpperCase() const;

private:
    std::string mText;
};

VESK_API MString operator+(const MString& a, const MString& b);
VESK_API MString operator+(const MString& a, const char* b);
VESK_API MString operator+(const char* a, const MString& b);
VESK_API MString operator+(const MString& a, double b);
VESK_API MString operator+(const MString& a, int b);

#endif
