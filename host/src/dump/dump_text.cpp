#include "dump/dump_text.h"

#include <charconv>
#include <algorithm>
#include <cmath>

#include "foundation/number_text.h"

namespace vesk {

const char* const kDumpHeader = "vesk scene dump 1";

namespace {

// Write in pieces of about this size.
constexpr size_t kFlushBytes = size_t(1) << 16;

} // namespace

void appendQuoted(std::string& out, const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (u < 0x20 || u == 0x7f) {
                out += "\\x";
                out += kHex[u >> 4];
                out += kHex[u & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendDouble(std::string& out, double value)
{
    out += value == 0.0 ? "0" : shortestText(value);
}

void appendFloat(std::string& out, double value)
{
    const float f = static_cast<float>(value);
    if (f == 0.0f || std::isnan(f) || std::isinf(f)) {
        appendDouble(out, f);
        return;
    }
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, f);
    out.append(buffer, r.ptr);
}

bool nextToken(std::string_view text, size_t& pos, std::string_view& token)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos >= text.size())
        return false;
    const size_t start = pos;
    if (text[pos] == '"') {
        ++pos;
        while (pos < text.size() && text[pos] != '"')
            pos += text[pos] == '\\' ? 2 : 1;
        if (pos >= text.size()) {
            pos = start;
            return false;
        }
        ++pos;
    } else {
        while (pos < text.size() && text[pos] != ' ')
            ++pos;
    }
    token = text.substr(start, pos - start);
    return true;
}

bool splitRecord(std::string_view line, RecordParts& out)
{
    out = RecordParts();
    size_t pos = 0;
    std::string_view token;
    for (int i = 0; nextToken(line, pos, token); ++i) {
        if (token == "=") {
            if (i == 0)
                return false;
            out.key = line.substr(0, pos - 2);
            out.values = line.substr(std::min(pos + 1, line.size()));
            // The values must read to the end as tokens.
            size_t check = 0;
            std::string_view v;
            while (nextToken(out.values, check, v)) {
            }
            return check >= out.values.size();
        }
        if (i == 0)
            out.record = token;
        else if (i == 1 && token[0] == '"')
            out.owner = token;
    }
    return false;
}

DumpWriter& DumpWriter::begin(const char* record, const std::string& identity)
{
    mBuffer += record;
    mBuffer += ' ';
    appendQuoted(mBuffer, identity);
    return *this;
}

DumpWriter& DumpWriter::begin(const char* record)
{
    mBuffer += record;
    return *this;
}

DumpWriter& DumpWriter::word(const char* w)
{
    mBuffer += ' ';
    mBuffer += w;
    return *this;
}

DumpWriter& DumpWriter::word(const std::string& w)
{
    mBuffer += ' ';
    mBuffer += w;
    return *this;
}

DumpWriter& DumpWriter::quoted(const std::string& text)
{
    mBuffer += ' ';
    appendQuoted(mBuffer, text);
    return *this;
}

DumpWriter& DumpWriter::integer(long long v)
{
    mBuffer += ' ';
    mBuffer += std::to_string(v);
    return *this;
}

DumpWriter& DumpWriter::number(double v)
{
    mBuffer += ' ';
    appendDouble(mBuffer, v);
    return *this;
}

DumpWriter& DumpWriter::single(double v)
{
    mBuffer += ' ';
    appendFloat(mBuffer, v);
    return *this;
}

DumpWriter& DumpWriter::is()
{
    mBuffer += " =";
    return *this;
}

void DumpWriter::end()
{
    mBuffer += '\n';
    if (mFile && mBuffer.size() >= kFlushBytes)
        flush();
}

bool DumpWriter::flush()
{
    if (!mFile || mBuffer.empty())
        return !mFailed;
    if (std::fwrite(mBuffer.data(), 1, mBuffer.size(), mFile) != mBuffer.size())
        mFailed = true;
    mBuffer.clear();
    return !mFailed;
}

} // namespace vesk
