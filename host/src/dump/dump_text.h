// The text form of scene dump records: one record per line,
// `<record> <identity> [<subkeys>...] = <values>...`, tokens separated by
// one blank. Texts are quoted with \" \\ \n \t \r and \xHH escapes (so a
// record never spans lines); numbers are written as the shortest text that
// reads back at their stored precision, -0 as 0.
#ifndef VESK_DUMP_DUMP_TEXT_H
#define VESK_DUMP_DUMP_TEXT_H

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <vesk/VeskExport.h>

namespace vesk {

// The first line of every dump.
VESK_API extern const char* const kDumpHeader;

// Appends a quoted text.
VESK_API void appendQuoted(std::string& out, const std::string& text);
// Appends a double, or a number of single precision, shortest.
VESK_API void appendDouble(std::string& out, double value);
VESK_API void appendFloat(std::string& out, double value);

// One line of a dump split at its " = ": the key (record, identity and
// subkeys as written), the values text after " = ", the record word and
// the quoted identity (second token; empty when it is not quoted). False
// for a line without a bare "=" token or with an open quote.
struct RecordParts {
    std::string_view key;
    std::string_view values;
    std::string_view record;
    std::string_view owner;
};
VESK_API bool splitRecord(std::string_view line, RecordParts& out);
// The next token of a values text from pos on (a quoted text with its
// quotes, or a bare word); false at the end.
VESK_API bool nextToken(std::string_view text, size_t& pos, std::string_view& token);

// Collects lines and writes them out in large pieces.
class VESK_API DumpWriter {
public:
    // To a file (not closed here), or into text when file is null.
    explicit DumpWriter(std::FILE* file) : mFile(file) {}
    ~DumpWriter() { flush(); }
    DumpWriter(const DumpWriter&) = delete;
    DumpWriter& operator=(const DumpWriter&) = delete;

    // Starts a record: "<record> <quoted identity>", or the record alone.
    DumpWriter& begin(const char* record, const std::string& identity);
    DumpWriter& begin(const char* record);
    DumpWriter& word(const char* w);
    DumpWriter& word(const std::string& w);
    DumpWriter& quoted(const std::string& text);
    DumpWriter& integer(long long v);
    DumpWriter& number(double v);
    DumpWriter& single(double v);
    // The " =" between key and values.
    DumpWriter& is();
    // Ends the line.
    void end();

    bool flush();
    bool failed() const { return mFailed; }
    // What was written when there is no file.
    std::string& text() { return mBuffer; }

private:
    std::FILE* mFile;
    std::string mBuffer;
    bool mFailed = false;
};

} // namespace vesk

#endif
