// Text string with value semantics.
#ifndef QELSDK_BASE_KSTRING_H
#define QELSDK_BASE_KSTRING_H

namespace qelsdk_600 {

// A zero-terminated byte string. Texts of up to 62 characters live in place,
// longer ones on the heap. A null input or a failed allocation makes the string
// invalid (IsOK false); invalidity spreads through copies and concatenation,
// and an invalid string reads as the empty text. Numbers are written the same
// whatever the process locale.
class KString {
public:
    // Which ends UnPad trims: the end, the start, or both.
    enum PaddingType { kRight = 0, kLeft = 1, kBoth = 2 };

    // Characters kept in place before the text moves to the heap.
    static const int kInPlaceLength = 62;

    // The empty string.
    KString();
    KString(const KString& other);
    KString(KString&& other) noexcept;
    // Copy of a C text; null gives an invalid string.
    KString(const char* text);
    // The first count bytes of a buffer, stopping early at a NUL; a null
    // buffer or a negative count gives an invalid string.
    KString(const char* buffer, int count);
    // Decimal text of the number ("%d").
    explicit KString(int value);
    // Fixed-point text of the number with six decimals ("%f"), e.g. "30.000000".
    explicit KString(float value);
    ~KString();

    // Assignments replace the text; an invalid source or a null text makes
    // this string invalid. Assigning from this string's own buffer is safe.
    KString& operator=(const KString& other);
    KString& operator=(KString&& other) noexcept;
    KString& operator=(const char* text);
    // Fixed-point text of the number with six decimals ("%f").
    KString& operator=(float value);

    // Appends in place; a null text or an invalid operand makes it invalid.
    KString& operator+=(const char* text);
    KString& operator+=(const KString& other);
    // Appends the signed decimal text of the number.
    KString& operator+=(int value);
    KString& Append(const char* text);
    // A character would otherwise be taken as a number and appended as digits.
    KString& operator+=(char) = delete;

    // False after a null input or a failed allocation.
    bool IsOK() const { return mValid; }
    // Length in bytes; 0 for the empty or an invalid string.
    int GetLen() const { return mLen; }
    bool IsEmpty() const { return mLen == 0; }
    // Releases a heap buffer and makes the string empty and valid.
    KString& Empty();

    // The characters, zero-terminated, valid while the string lives and is not
    // changed. Writing through the buffer must keep the length unchanged.
    char* Buffer() { return mData; }
    const char* Buffer() const { return mData; }
    char* GetBuffer() { return mData; }
    const char* GetBuffer() const { return mData; }
    operator const char*() const { return mData; }

    // The character at an index; out of range gives a scratch byte that
    // reads 0 (writing to it changes nothing in the string).
    char& operator[](unsigned int index);
    char operator[](unsigned int index) const;

    // strcmp order; a null text and an invalid string count as empty.
    int Compare(const char* text) const;
    // The same comparison with ASCII letters folded to lower case.
    int CompareNoCase(const char* text) const;
    bool operator==(const KString& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const KString& other) const;
    bool operator!=(const char* text) const;
    bool operator<(const KString& other) const;
    bool operator<(const char* text) const;

    // Position of the first occurrence at or after start, -1 when none; a
    // null text gives 0.
    int Find(const char* text, unsigned int start = 0) const;
    int Find(char c, unsigned int start = 0) const;
    // Position of the last occurrence of the character, -1 when none.
    int ReverseFind(char c) const;

    // New strings: the first count characters, the characters from start to
    // the end, count characters from start, the last count characters; each
    // is cut to what exists. An invalid string gives invalid copies.
    KString Left(unsigned int count) const;
    KString Mid(unsigned int start) const;
    KString Mid(unsigned int start, unsigned int count) const;
    KString Right(unsigned int count) const;
    // Copies with ASCII letters in upper or lower case.
    KString Upper() const;
    KString Lower() const;
    // Copy without white space (space, \t, \n, \v, \f, \r) at the given ends.
    KString UnPad(PaddingType type) const;
    // Copy with the characters in reverse order.
    KString Reverse() const;

    // Replaces the first occurrence of find at or after start by replacement.
    // False, with nothing changed, when find is null or empty, absent, or its
    // occurrence begins after index 4095. The result may be of any length.
    bool FindAndReplace(const char* find, const char* replacement,
                        unsigned int start = 0);

    // Tokens are the non-empty runs between any of the delimiter characters.
    // An invalid or empty string has none; a null delimiter set splits nothing.
    int GetTokenCount(const char* delimiters) const;
    // Token index (0-based); the empty string when out of range.
    KString GetToken(int index, const char* delimiters) const;

private:
    void Init();
    void SetInvalid();
    // Sets the text to count bytes from text (which may lie in this string).
    bool Assign(const char* text, int count);
    bool AppendBytes(const char* text, int count);
    // Makes room for length characters plus the terminator, keeping the text.
    bool Reserve(int length);
    void ReleaseHeap();

    char* mData;
    int mLen;
    int mCapacity;  // characters that fit, terminator excluded
    bool mValid;
    char mInPlace[kInPlaceLength + 1];
};

// Concatenations; an invalid operand or a null text gives an invalid result.
KString operator+(const KString& left, const KString& right);
KString operator+(const KString& left, const char* right);
// The string followed by the signed decimal text of the number.
KString operator+(const KString& left, int right);
KString operator+(const KString& left, char right) = delete;

// Text on the left: compared as text, never as pointers.
bool operator==(const char* left, const KString& right);
bool operator!=(const char* left, const KString& right);

}  // namespace qelsdk_600

#endif
