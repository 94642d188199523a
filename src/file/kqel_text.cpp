// Text form: tokenizer and parser, escapes, locale-independent numbers.
#include <charconv>
#include <climits>
#include <cmath>

// The C++ library's from_chars for doubles rounds some inputs wrongly on
// 32-bit x86; this parser rounds correctly on every target.
#include <fast_float/fast_float.h>

#include "file/kqel_impl.h"

namespace qelsdk_600 {
namespace qel_detail {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsDelimiter(char c) {
    return IsSpace(c) || c == ';' || c == '{' || c == '}' || c == ',' || c == ':' || c == '"' ||
           c == '\'' || c == '#';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A token of the text: its kind and span.
struct Token {
    char mKind;  // 'b' bare, '"' quoted, '\'' char literal, '#' raw, or the punctuation itself
    std::uint64_t mBegin;
    std::uint64_t mLength;
};

class Tokenizer {
public:
    Tokenizer(const std::vector<char>& text, std::uint64_t pos) : mText(text), mPos(pos) {}

    // Skips blanks and comments; false at the end of the text.
    bool SkipBlank() {
        const std::uint64_t n = mText.size();
        while (mPos < n) {
            char c = mText[mPos];
            if (IsSpace(c)) {
                ++mPos;
            } else if (c == ';') {
                while (mPos < n && mText[mPos] != '\n') ++mPos;
            } else {
                return true;
            }
        }
        return false;
    }

    char Peek() const { return mText[mPos]; }
    std::uint64_t Pos() const { return mPos; }
    void SetPos(std::uint64_t pos) { mPos = pos; }

    // Reads the token at the position (SkipBlank has returned true).
    bool Next(Token& t, std::string& reason) {
        const std::uint64_t n = mText.size();
        char c = mText[mPos];
        t.mKind = c;
        if (c == '"' || c == '\'') {
            std::uint64_t p = mPos + 1;
            while (p < n && mText[p] != c) p += (mText[p] == '\\') ? 2 : 1;
            if (p >= n) {
                reason = "unterminated quoted text";
                return false;
            }
            t.mBegin = mPos + 1;
            t.mLength = p - t.mBegin;
            mPos = p + 1;
            return true;
        }
        if (c == '#') {
            std::uint64_t p = mPos + 1;
            while (p < n && HexDigit(mText[p]) >= 0) ++p;
            t.mBegin = mPos + 1;
            t.mLength = p - t.mBegin;
            mPos = p;
            if (t.mLength % 2 != 0 || (p < n && !IsDelimiter(mText[p]))) {
                reason = "bad raw value";
                return false;
            }
            return true;
        }
        if (c == '{' || c == '}' || c == ',' || c == ':') {
            t.mBegin = mPos++;
            t.mLength = 1;
            return true;
        }
        std::uint64_t p = mPos;
        while (p < n && !IsDelimiter(mText[p])) ++p;
        t.mKind = 'b';
        t.mBegin = mPos;
        t.mLength = p - mPos;
        mPos = p;
        return true;
    }

private:
    const std::vector<char>& mText;
    std::uint64_t mPos;
};

char ClassifyBare(const char* text, std::size_t length) {
    long long i;
    // "-0" is how a negative zero double is written; as an integer it would
    // lose its sign.
    if (ParseInteger(text, length, i) && !(i == 0 && text[0] == '-'))
        return (i >= INT_MIN && i <= INT_MAX) ? 'I' : 'L';
    double d;
    if (ParseDouble(text, length, d)) return 'D';
    return length == 1 ? 'C' : 'S';
}

bool IsNameToken(const Token& t) { return t.mKind == 'b' || t.mKind == '"'; }

}  // namespace

bool ParseInteger(const char* text, std::size_t length, long long& out) {
    if (length == 0) return false;
    auto r = std::from_chars(text, text + length, out, 10);
    return r.ec == std::errc() && r.ptr == text + length;
}

bool ParseDouble(const char* text, std::size_t length, double& out) {
    if (length == 0) return false;
    // Out of range gives infinity or zero of the same sign, as the nearest
    // double.
    auto r = fast_float::from_chars(text, text + length, out);
    return r.ec == std::errc() && r.ptr == text + length;
}

void AppendInteger(std::string& out, long long value) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendDouble(std::string& out, double value) {
    char buf[32];
    // The shortest text that reads back to the same double.
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendFloat(std::string& out, float value) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendQuoted(std::string& out, const char* text, std::size_t length, char quote) {
    static const char kHex[] = "0123456789abcdef";
    out += quote;
    for (std::size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' || c == static_cast<unsigned char>(quote)) {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    out += quote;
}

void Unescape(const char* text, std::size_t length, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 >= length) {
            out += c;
            continue;
        }
        char e = text[++i];
        switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                int hi = i + 1 < length ? HexDigit(text[i + 1]) : -1;
                int lo = i + 2 < length ? HexDigit(text[i + 2]) : -1;
                if (hi >= 0 && lo >= 0) {
                    out += static_cast<char>(hi * 16 + lo);
                    i += 2;
                } else {
                    out += 'x';
                }
                break;
            }
            default: out += e; break;
        }
    }
}

bool ParseText(TextDocument& doc, std::string& reason) {
    doc.mNodes.clear();
    doc.mValues.clear();
    doc.mNames.clear();
    const std::vector<char>& text = doc.mText;
    Tokenizer tk(text, 0);  // the magic line is a comment
    std::vector<std::uint64_t> open;  // nodes whose block is open
    std::string name;
    Token t;
    while (true) {
        if (!tk.SkipBlank()) break;
        if (!tk.Next(t, reason)) return false;
        if (t.mKind == '}') {
            if (open.empty()) {
                reason = "'}' without a block";
                return false;
            }
            doc.mNodes[open.back()].mEnd = doc.mNodes.size();
            open.pop_back();
            continue;
        }
        if (!IsNameToken(t)) {
            reason = "field name expected";
            return false;
        }
        if (t.mKind == '"') {
            Unescape(&text[t.mBegin], t.mLength, name);
        } else {
            name.assign(&text[t.mBegin], t.mLength);
        }
        if (name.empty() || !tk.SkipBlank() || tk.Peek() != ':') {
            reason = "field name and ':' expected";
            return false;
        }
        tk.Next(t, reason);
        TextNode node;
        node.mNameOffset = doc.mNames.size();
        node.mNameLength = static_cast<std::uint32_t>(name.size());
        node.mFirstValue = doc.mValues.size();
        node.mValueCount = 0;
        node.mHasBlock = false;
        node.mEnd = doc.mNodes.size() + 1;
        doc.mNames += name;
        std::uint64_t self = doc.mNodes.size();
        doc.mNodes.push_back(node);

        bool needValue = false;  // after a ','
        while (tk.SkipBlank()) {
            std::uint64_t before = tk.Pos();
            char c = tk.Peek();
            if (c == '{') {
                tk.Next(t, reason);
                doc.mNodes[self].mHasBlock = true;
                open.push_back(self);
                break;
            }
            if (c == '}' || c == ',' || c == ':') {
                if (needValue || c != '}') {
                    reason = "value expected";
                    return false;
                }
                break;
            }
            if (!tk.Next(t, reason)) return false;
            // A token followed by ':' names the next field.
            if (IsNameToken(t)) {
                std::uint64_t after = tk.Pos();
                if (tk.SkipBlank() && tk.Peek() == ':') {
                    if (needValue) {
                        reason = "value expected";
                        return false;
                    }
                    tk.SetPos(before);
                    break;
                }
                tk.SetPos(after);
            }
            if (!needValue && doc.mNodes[self].mValueCount > 0) {
                reason = "',' expected between values";
                return false;
            }
            TextValue v;
            v.mOffset = t.mBegin;
            v.mLength = static_cast<std::uint32_t>(t.mLength);
            v.mQuoted = t.mKind == '"' || t.mKind == '\'';
            if (t.mLength > 0xffffffffu) {
                reason = "value too long";
                return false;
            }
            switch (t.mKind) {
                case '"': v.mType = 'S'; break;
                case '\'': v.mType = 'C'; break;
                case '#': v.mType = 'R'; break;
                default: v.mType = ClassifyBare(&text[t.mBegin], t.mLength); break;
            }
            doc.mValues.push_back(v);
            if (++doc.mNodes[self].mValueCount == 0) {
                reason = "too many values";
                return false;
            }
            needValue = false;
            if (tk.SkipBlank() && tk.Peek() == ',') {
                tk.Next(t, reason);
                needValue = true;
            }
        }
        if (needValue) {
            reason = "value expected after ','";
            return false;
        }
    }
    if (!open.empty()) {
        reason = "block not closed";
        return false;
    }
    return true;
}

}  // namespace qel_detail
}  // namespace qelsdk_600
