#include "base/ktextfile.h"

#include "base/kclocale.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <strings.h>
#include <sys/stat.h>

namespace qelsdk_600 {

namespace {

const size_t kInitialLineCapacity = 10240;

// White space as "%d" and "%lf" skip it.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string FormatV(const char* format, va_list args) {
    if (format == nullptr) return std::string();
    KCLocaleScope cLocale;
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int n = std::vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof(small)) return std::string(small, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), format, args);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace

KTextFile::KTextFile(const char* label, const char* delimiters, const char* comments,
                     bool caseSensitive, bool report)
    : mLabel(label ? label : ""),
      mDel(delimiters ? delimiters : ""),
      mCom(comments ? comments : ""),
      mCaseSensitive(caseSensitive),
      mReport(report),
      mFile(nullptr),
      mCursor(0),
      mLineNumber(0),
      mEOF(true),
      mErrorCallback(nullptr),
      mErrorData(nullptr),
      mWarningCallback(nullptr),
      mWarningData(nullptr) {
    mLine.reserve(kInitialLineCapacity);
}

KTextFile::~KTextFile() { Close(); }

int KTextFile::Open(const char* path, const char* mode) {
    Close();
    if (path == nullptr || mode == nullptr) return 1;
    mFile = std::fopen(path, mode);
    if (!mFile) return 1;
    struct stat st;
    if (fstat(fileno(mFile), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(mFile);
        mFile = nullptr;
        return 1;
    }
    mLineNumber = 0;
    if (std::strchr(mode, 'r') || std::strchr(mode, '+')) {
        mEOF = false;
        NextLine();
    }
    return 0;
}

bool KTextFile::Close() {
    bool ok = true;
    if (mFile) ok = std::fclose(mFile) == 0;
    mFile = nullptr;
    mLine.clear();
    mCursor = 0;
    mLineNumber = 0;
    mEOF = true;
    return ok;
}

bool KTextFile::FirstLine() {
    if (!mFile) return false;
    std::rewind(mFile);
    mLineNumber = 0;
    mEOF = false;
    return NextLine();
}

bool KTextFile::ReadRawLine() {
    mLine.clear();
    int c = getc_unlocked(mFile);
    if (c == EOF) return false;
    while (c != EOF) {
        if (c == '\n') break;
        if (c == '\r') {
            const int next = getc_unlocked(mFile);
            if (next != '\n' && next != EOF) ungetc(next, mFile);
            break;
        }
        mLine += static_cast<char>(c);
        c = getc_unlocked(mFile);
    }
    return true;
}

bool KTextFile::NextLine() {
    mCursor = 0;
    if (!mFile) {
        mLine.clear();
        mEOF = true;
        return false;
    }
    while (ReadRawLine()) {
        ++mLineNumber;
        size_t i = 0;
        while (i < mLine.size() && IsDelimiter(mLine[i])) ++i;
        if (i == mLine.size() || IsComment(mLine[i])) continue;
        mCursor = i;
        return true;
    }
    mLine.clear();
    mEOF = true;
    return false;
}

bool KTextFile::IsDelimiter(char c) const {
    return c != '\0' ? mDel.find(c) != std::string::npos : false;
}

bool KTextFile::IsComment(char c) const {
    return c != '\0' ? mCom.find(c) != std::string::npos : false;
}

void KTextFile::SkipDelimiters() {
    while (mCursor < mLine.size() && IsDelimiter(mLine[mCursor])) ++mCursor;
}

bool KTextFile::GetString(KString& token) {
    SkipDelimiters();
    const size_t start = mCursor;
    while (mCursor < mLine.size() && !IsDelimiter(mLine[mCursor])) ++mCursor;
    if (mCursor == start) return false;
    token = KString(mLine.data() + start, static_cast<int>(mCursor - start));
    SkipDelimiters();
    return true;
}

bool KTextFile::GetString(char* buffer, int bufferSize) {
    if (buffer == nullptr || bufferSize < 2) return false;
    SkipDelimiters();
    const size_t start = mCursor;
    const size_t limit = static_cast<size_t>(bufferSize - 1);
    while (mCursor < mLine.size() && mCursor - start < limit && !IsDelimiter(mLine[mCursor])) {
        ++mCursor;
    }
    if (mCursor == start) return false;
    std::memcpy(buffer, mLine.data() + start, mCursor - start);
    buffer[mCursor - start] = '\0';
    SkipDelimiters();
    return true;
}

bool KTextFile::GetInteger(int& value) {
    size_t i = mCursor;
    while (i < mLine.size() && IsSpace(mLine[i])) ++i;
    bool negative = false;
    if (i < mLine.size() && (mLine[i] == '+' || mLine[i] == '-')) negative = mLine[i++] == '-';
    if (i >= mLine.size() || !IsDigit(mLine[i])) return false;
    long long v = 0;
    while (i < mLine.size() && IsDigit(mLine[i])) {
        v = v * 10 + (mLine[i++] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    mCursor = i;
    SkipDelimiters();
    return true;
}

bool KTextFile::ParseNumber(size_t at, double& value, size_t& end) const {
    size_t i = at;
    while (i < mLine.size() && IsSpace(mLine[i])) ++i;
    // Only decimal digits may follow the sign: no "inf" or "nan" words here.
    size_t d = i;
    if (d < mLine.size() && (mLine[d] == '+' || mLine[d] == '-')) ++d;
    if (d >= mLine.size()) return false;
    if (!IsDigit(mLine[d]) && !(mLine[d] == '.' && d + 1 < mLine.size() && IsDigit(mLine[d + 1]))) {
        return false;
    }
    const char* start = mLine.c_str() + i;
    char* stop = nullptr;
    errno = 0;
    const double v = KParseDoubleC(start, &stop);
    if (stop == start || !std::isfinite(v)) return false;
    value = v;
    end = i + static_cast<size_t>(stop - start);
    return true;
}

bool KTextFile::GetDouble(double& value, double factor) {
    size_t i = mCursor;
    while (i < mLine.size() && IsSpace(mLine[i])) ++i;
    static const char* const kWords[2] = {"-inf", "inf"};
    for (int w = 0; w < 2; ++w) {
        const size_t len = std::strlen(kWords[w]);
        if (mLine.size() - i < len) continue;
        const int cmp = mCaseSensitive ? std::strncmp(mLine.c_str() + i, kWords[w], len)
                                       : strncasecmp(mLine.c_str() + i, kWords[w], len);
        if (cmp != 0) continue;
        size_t rest = i + len;
        while (rest < mLine.size() && (IsDelimiter(mLine[rest]) || IsSpace(mLine[rest]))) ++rest;
        if (rest != mLine.size()) continue;
        value = (w == 0 ? -HUGE_VAL : HUGE_VAL) * factor;
        mCursor = rest;
        return true;
    }
    double v = 0.0;
    size_t end = 0;
    if (!ParseNumber(mCursor, v, end)) return false;
    value = v * factor;
    mCursor = end;
    SkipDelimiters();
    return true;
}

bool KTextFile::GetPair(double* values, double factor) {
    if (values == nullptr) return false;
    const size_t saved = mCursor;
    double a = 0.0;
    double b = 0.0;
    if (!GetDouble(a, factor) || !GetDouble(b, factor)) {
        mCursor = saved;
        return false;
    }
    values[0] = a;
    values[1] = b;
    return true;
}

bool KTextFile::GetVector(double* values, double factor) {
    if (values == nullptr) return false;
    double v[3];
    size_t at = mCursor;
    for (int k = 0; k < 3; ++k) {
        size_t end = 0;
        if (!ParseNumber(at, v[k], end)) return false;
        at = end;
        while (at < mLine.size() && IsDelimiter(mLine[at])) ++at;
    }
    for (int k = 0; k < 3; ++k) values[k] = v[k] * factor;
    mCursor = at;
    return true;
}

bool KTextFile::GetChar(char& c) {
    if (mCursor >= mLine.size()) return false;
    c = mLine[mCursor++];
    return true;
}

bool KTextFile::PeakChar(char& c) const {
    if (mCursor >= mLine.size()) return false;
    c = mLine[mCursor];
    return true;
}

void KTextFile::InitTokens(KToken* table) {
    if (table == nullptr) return;
    for (KToken* t = table; t->mKeyword && *t->mKeyword; ++t) t->mCount = 0;
}

int KTextFile::Check(const KToken* table) {
    if (table == nullptr) return -1;
    SkipDelimiters();
    const size_t left = mLine.size() - mCursor;
    for (int i = 0; table[i].mKeyword && *table[i].mKeyword; ++i) {
        const size_t len = std::strlen(table[i].mKeyword);
        if (len <= left && strncasecmp(mLine.c_str() + mCursor, table[i].mKeyword, len) == 0) {
            return i;
        }
    }
    return -1;
}

int KTextFile::Handle(KToken* table) {
    const int index = Check(table);
    if (index < 0) return -1;
    mCursor += std::strlen(table[index].mKeyword);
    SkipDelimiters();
    if (table[index].mCount < INT_MAX) ++table[index].mCount;
    return index;
}

const char* KTextFile::SetDel(const char* delimiters) {
    // Copied first: the argument may be the set that the last call returned.
    std::string next = delimiters ? delimiters : "";
    mPrevDel.swap(mDel);
    mDel.swap(next);
    return mPrevDel.c_str();
}

bool KTextFile::Print(int indent, const char* format, ...) {
    if (!mFile || format == nullptr) return false;
    for (int i = 0; i < indent; ++i) {
        if (std::fputs("  ", mFile) == EOF) return false;
    }
    va_list args;
    va_start(args, format);
    const std::string text = FormatV(format, args);
    va_end(args);
    return std::fwrite(text.data(), 1, text.size(), mFile) == text.size();
}

bool KTextFile::Flush() {
    return mFile && std::fflush(mFile) == 0 && !std::ferror(mFile);
}

void KTextFile::Report(KTextFileCallback callback, void* userData, const char* kind,
                       const char* format, va_list args) {
    if (!mReport || callback == nullptr) return;
    char prefix[64];
    std::snprintf(prefix, sizeof(prefix), " read %s (line %d): ", kind, mLineNumber);
    const std::string text = mLabel + prefix + FormatV(format, args);
    callback(text.c_str(), userData);
}

int KTextFile::Error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report(mErrorCallback, mErrorData, "error", format, args);
    va_end(args);
    return 1;
}

int KTextFile::Warning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report(mWarningCallback, mWarningData, "warning", format, args);
    va_end(args);
    return 0;
}

void KTextFile::SetErrorCallback(KTextFileCallback callback, void* userData) {
    mErrorCallback = callback;
    mErrorData = userData;
}

void KTextFile::SetWarningCallback(KTextFileCallback callback, void* userData) {
    mWarningCallback = callback;
    mWarningData = userData;
}

}  // namespace qelsdk_600
