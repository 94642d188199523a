// Comparison of two scene dumps. A dump is read as blocks: runs of records
// of one owner (a node's records, the connections into one node, the
// globals). Blocks are matched by hash; inside a pair of blocks records are
// walked side by side while their keys agree (the usual case) and matched
// by hash from the first disagreement on. Nothing is kept per record of
// matching blocks, so a dump of millions of records compares in about the
// memory of its text.
#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include <regex.h>

#include "dump/dump_text.h"
#include "dump/scene_dump.h"
#include "foundation/number_text.h"

namespace vesk {
namespace {

// Compiled ignore patterns, freed on every way out.
struct Patterns {
    std::vector<regex_t> compiled;
    ~Patterns()
    {
        for (regex_t& r : compiled)
            regfree(&r);
    }
    bool matches(std::string_view line) const
    {
        if (compiled.empty())
            return false;
        const std::string text(line);
        for (const regex_t& r : compiled)
            if (regexec(&r, text.c_str(), 0, nullptr, 0) == 0)
                return true;
        return false;
    }
};

struct Record {
    std::string_view line;
    RecordParts parts;
};

// Reads the records of a text that are not ignored.
class Reader {
public:
    Reader(std::string_view text, const Patterns& ignore) : mText(text), mIgnore(ignore) {}

    // False at the end, or on a line that is no record (bad() then tells).
    bool next(Record& out)
    {
        while (mPos < mText.size()) {
            size_t end = mText.find('\n', mPos);
            if (end == std::string_view::npos)
                end = mText.size();
            out.line = mText.substr(mPos, end - mPos);
            mPos = end + 1;
            ++mLine;
            if (out.line.empty() || mIgnore.matches(out.line))
                continue;
            if (splitRecord(out.line, out.parts))
                return true;
            mBad = true;
            return false;
        }
        return false;
    }
    bool bad() const { return mBad; }
    size_t lineNumber() const { return mLine; }

private:
    std::string_view mText;
    const Patterns& mIgnore;
    size_t mPos = 0;
    size_t mLine = 0;
    bool mBad = false;
};

// A run of records of one owner: "n" and the identity for a node's own
// records, "c" and the identity for the connections into it, "g" for the
// globals.
struct Block {
    std::string key;
    std::string_view owner;
    const char* begin = nullptr;
    const char* end = nullptr;

    bool isNode() const { return key[0] == 'n'; }
    std::string_view text() const { return std::string_view(begin, size_t(end - begin)); }
};

struct ParsedDump {
    std::vector<Block> blocks;
    std::unordered_map<std::string, size_t> byKey;
};

void blockKey(const RecordParts& p, std::string& out)
{
    out.assign(p.owner.empty() ? "g" : p.record == "connect" ? "c" : "n");
    out.append(p.owner);
}

bool parse(std::string_view text, const char* side, const Patterns& ignore, ParsedDump& out,
           std::vector<std::string>& report)
{
    const size_t headerEnd = std::min(text.find('\n'), text.size());
    if (text.substr(0, headerEnd) != kDumpHeader) {
        report.push_back(std::string(side) + " is not a scene dump");
        return false;
    }
    Reader reader(text.substr(std::min(headerEnd + 1, text.size())), ignore);
    Record r;
    std::string key;
    while (reader.next(r)) {
        blockKey(r.parts, key);
        if (out.blocks.empty() || out.blocks.back().key != key) {
            if (!out.byKey.emplace(key, out.blocks.size()).second) {
                report.push_back(std::string(side) + ": the records of " + key.substr(1) + " are not together");
                return false;
            }
            Block b;
            b.key = key;
            b.owner = r.parts.owner;
            b.begin = r.line.data();
            out.blocks.push_back(b);
        }
        out.blocks.back().end = r.line.data() + r.line.size();
    }
    if (reader.bad()) {
        report.push_back(std::string(side) + ": line " + std::to_string(reader.lineNumber() + 1) + " is no record");
        return false;
    }
    return true;
}

bool numberToken(std::string_view token, double& out)
{
    return !token.empty() && token[0] != '"' && parseDouble(std::string(token).c_str(), out);
}

bool tokensMatch(std::string_view a, std::string_view b, double tolerance)
{
    if (a == b)
        return true;
    double x = 0.0;
    double y = 0.0;
    if (!numberToken(a, x) || !numberToken(b, y))
        return false;
    if (std::isnan(x) || std::isnan(y))
        return std::isnan(x) && std::isnan(y);
    if (std::isinf(x) || std::isinf(y))
        return x == y;
    return std::fabs(x - y) <= tolerance * std::max({1.0, std::fabs(x), std::fabs(y)});
}

bool valuesMatch(std::string_view a, std::string_view b, double tolerance)
{
    size_t pa = 0;
    size_t pb = 0;
    std::string_view ta;
    std::string_view tb;
    for (;;) {
        const bool more = nextToken(a, pa, ta);
        if (more != nextToken(b, pb, tb))
            return false;
        if (!more)
            return true;
        if (!tokensMatch(ta, tb, tolerance))
            return false;
    }
}

class Comparison {
public:
    Comparison(const Patterns& ignore, double tolerance, std::vector<std::string>& report)
        : mIgnore(ignore), mTolerance(tolerance), mReport(report)
    {
    }

    void compare(const Record& a, const Record& b)
    {
        if (!valuesMatch(a.parts.values, b.parts.values, mTolerance))
            mReport.push_back("differs: " + std::string(a.parts.key) + ": A = " + std::string(a.parts.values) +
                              " | B = " + std::string(b.parts.values));
    }

    void only(const char* side, std::string_view key)
    {
        mReport.push_back(std::string("only in ") + side + ": " + std::string(key));
    }

    // A block one side lacks: a node once, other records one by one.
    void missing(const Block& block, const char* side)
    {
        if (block.isNode()) {
            only(side, "node " + std::string(block.owner));
            return;
        }
        Reader reader(block.text(), mIgnore);
        Record r;
        while (reader.next(r))
            only(side, r.parts.key);
    }

    void compare(const Block& a, const Block& b)
    {
        Reader ra(a.text(), mIgnore);
        Reader rb(b.text(), mIgnore);
        Record x;
        Record y;
        bool hx = ra.next(x);
        bool hy = rb.next(y);
        while (hx && hy && x.parts.key == y.parts.key) {
            compare(x, y);
            hx = ra.next(x);
            hy = rb.next(y);
        }
        // The layouts part: the rest of A by key, then B against it.
        std::vector<Record> rest;
        std::unordered_map<std::string_view, size_t> byKey;
        for (; hx; hx = ra.next(x)) {
            byKey.emplace(x.parts.key, rest.size());
            rest.push_back(x);
        }
        std::vector<bool> seen(rest.size(), false);
        std::vector<std::string_view> onlyB;
        for (; hy; hy = rb.next(y)) {
            auto it = byKey.find(y.parts.key);
            if (it == byKey.end()) {
                onlyB.push_back(y.parts.key);
                continue;
            }
            seen[it->second] = true;
            compare(rest[it->second], y);
        }
        for (size_t i = 0; i < rest.size(); ++i)
            if (!seen[i])
                only("A", rest[i].parts.key);
        for (std::string_view key : onlyB)
            only("B", key);
    }

private:
    const Patterns& mIgnore;
    double mTolerance;
    std::vector<std::string>& mReport;
};

} // namespace

int compareDumps(const std::string& a, const std::string& b, const DumpCompareOptions& options,
                 std::vector<std::string>& report)
{
    Patterns ignore;
    ignore.compiled.reserve(options.ignore.size());
    for (const std::string& pattern : options.ignore) {
        regex_t r;
        if (regcomp(&r, pattern.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
            report.push_back("bad pattern: " + pattern);
            return 2;
        }
        ignore.compiled.push_back(r);
    }
    if (!(options.tolerance >= 0.0)) {
        report.push_back("bad tolerance");
        return 2;
    }
    ParsedDump first;
    ParsedDump second;
    if (!parse(a, "A", ignore, first, report) || !parse(b, "B", ignore, second, report))
        return 2;
    const size_t before = report.size();
    Comparison comparison(ignore, options.tolerance, report);
    for (const Block& block : first.blocks) {
        auto it = second.byKey.find(block.key);
        if (it == second.byKey.end())
            comparison.missing(block, "A");
        else
            comparison.compare(block, second.blocks[it->second]);
    }
    for (const Block& block : second.blocks)
        if (!first.byKey.count(block.key))
            comparison.missing(block, "B");
    return report.size() == before ? 0 : 1;
}

} // namespace vesk
