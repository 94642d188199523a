// Packed runs of values in the binary forms, block reads and writes, and
// numbers of the text form: what is written comes back bit for bit.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "common/scratch_dir.h"
#include "file/kqel.h"

namespace qelsdk_600 {
namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;

// One value as written and as it must read back ('S' values carry text).
struct Value {
    char type;
    long long integer;
    double real;
    const char* text;
};

Value I(int v) { return {'I', v, 0.0, nullptr}; }
Value L(long long v) { return {'L', v, 0.0, nullptr}; }
Value F(float v) { return {'F', 0, v, nullptr}; }
Value D(double v) { return {'D', 0, v, nullptr}; }
Value C(char v) { return {'C', v, 0.0, nullptr}; }
Value S(const char* v) { return {'S', 0, 0.0, v}; }

template <class Make>
std::vector<Value> Series(int count, Make make) {
    std::vector<Value> values;
    for (int k = 0; k < count; ++k) values.push_back(make(k));
    return values;
}

std::vector<Value> Joined(std::initializer_list<std::vector<Value>> parts) {
    std::vector<Value> all;
    for (const std::vector<Value>& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::uint64_t Bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, 8);
    return b;
}

void WriteValues(KQel& q, const std::vector<Value>& values) {
    for (const Value& v : values) {
        switch (v.type) {
            case 'I': q.FieldWriteI(static_cast<int>(v.integer)); break;
            case 'L': q.FieldWriteLL(v.integer); break;
            case 'F': q.FieldWriteF(static_cast<float>(v.real)); break;
            case 'D': q.FieldWriteD(v.real); break;
            case 'C': q.FieldWriteCH(static_cast<char>(v.integer)); break;
            default: q.FieldWriteC(v.text); break;
        }
    }
}

// A binary (or enciphered) file whose field "V" holds values; its size.
std::size_t WriteField(const std::string& path, const std::vector<Value>& values, bool enciphered,
                       bool deflate = false) {
    KQel q;
    q.SetDeflateRuns(deflate);
    EXPECT_TRUE(q.ProjectCreate(path.c_str(), true, enciphered, nullptr));
    q.FieldWriteBegin("V");
    WriteValues(q, values);
    q.FieldWriteEnd();
    EXPECT_TRUE(q.ProjectClose());
    return ReadFile(path).size();
}

// Reads "V" value by value, checking type letters and bits.
void ExpectValues(const std::string& path, const std::vector<Value>& values) {
    KQel q;
    ASSERT_TRUE(q.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << q.GetLastErrorString();
    ASSERT_TRUE(q.FieldReadBegin("V"));
    ASSERT_EQ(q.FieldReadGetCount(), static_cast<int>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Value& v = values[i];
        ASSERT_EQ(q.FieldReadGetType(), v.type) << i;
        switch (v.type) {
            case 'I': ASSERT_EQ(q.FieldReadI(), v.integer) << i; break;
            case 'L': ASSERT_EQ(q.FieldReadLL(), v.integer) << i; break;
            case 'F': ASSERT_EQ(q.FieldReadF(), static_cast<float>(v.real)) << i; break;
            case 'D': ASSERT_EQ(Bits(q.FieldReadD()), Bits(v.real)) << i; break;
            case 'C': ASSERT_EQ(q.FieldReadCH(), static_cast<char>(v.integer)) << i; break;
            default: ASSERT_STREQ(q.FieldReadC(), v.text) << i; break;
        }
    }
    EXPECT_EQ(q.FieldReadGetRemain(), 0);
    EXPECT_EQ(q.GetLastErrorID(), -1);
}

// Reads "V" in blocks of an odd size, as doubles, against FieldReadD.
void ExpectBlocks(const std::string& path, const std::vector<Value>& values) {
    std::vector<double> one(values.size()), blocks(values.size() + 7, -1.0);
    KQel a, b;
    ASSERT_TRUE(a.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(b.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(a.FieldReadBegin("V") && b.FieldReadBegin("V"));
    for (double& d : one) d = a.FieldReadD();
    std::size_t read = 0;
    while (unsigned got = b.FieldReadDn(blocks.data() + read, 7)) read += got;
    ASSERT_EQ(read, values.size());
    for (std::size_t i = 0; i < values.size(); ++i) ASSERT_EQ(Bits(blocks[i]), Bits(one[i])) << i;
    EXPECT_EQ(Bits(blocks[read]), Bits(-1.0));  // nothing past the field
}

TEST(KQelRunsTest, RunsOfEveryTypeAndWidthReadBackBitForBit) {
    const struct Case {
        const char* name;
        std::vector<Value> values;
        double bytesPerValue;  // most the stored field may take, framing aside
    } cases[] = {
        {"integers of 1 byte", Series(1000, [](int k) { return I(k % 256 - 128); }), 1},
        {"integers of 2 bytes", Series(1000, [](int k) { return I(k * 65 - 32768); }), 2},
        {"integers of 4 bytes", Series(1000, [](int k) { return I(k % 2 ? INT_MAX - k : INT_MIN + k); }), 4},
        {"longs of 1 byte", Series(1000, [](int k) { return L(k % 100 - 50); }), 1},
        {"longs of 4 bytes", Series(1000, [](int k) { return L(k * 2000003LL - INT_MAX); }), 4},
        {"longs of 8 bytes", Series(1000, [](int k) { return L(k % 2 ? LLONG_MIN + k : LLONG_MAX - k); }), 8},
        {"doubles that floats hold", Series(1000, [](int k) { return D(k % 2 ? -0.0 : k == 0 ? HUGE_VAL : k == 2 ? FLT_MAX : k * 0.5); }),
         4},
        {"doubles", Series(1000, [](int k) { return D(k % 3 ? k * 0.1 : (k % 2 ? 5e-324 : -DBL_MAX)); }), 8},
        {"floats", Series(1000, [](int k) { return F(k % 2 ? FLT_MIN * k : -k / 3.0f); }), 4},
        {"characters", Series(1000, [](int k) { return C(static_cast<char>(k)); }), 1},
        {"more values than a run takes", Series(70001, [](int k) { return I(k % 7); }), 1},
        {"runs between single values",
         Joined({Series(40, [](int k) { return I(k); }), {S("Model::Cube"), D(0.5), C('x')},
                 Series(40, [](int k) { return D(k * 0.25); }), {L(7)}}),
         9},
    };
    for (const Case& c : cases) {
        for (bool enciphered : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (enciphered ? ", enciphered" : ""));
            ScratchDir dir;
            const std::size_t empty = WriteField(dir.File("empty.qel"), {}, enciphered);
            const std::string path = dir.File("runs.qel");
            const std::size_t size = WriteField(path, c.values, enciphered);
            EXPECT_LE(size - empty, c.bytesPerValue * c.values.size() + 64);
            ExpectValues(path, c.values);
            ExpectBlocks(path, c.values);
        }
    }
}

TEST(KQelRunsTest, BlockWritesStoreWhatSingleWritesStore) {
    std::vector<double> reals;
    std::vector<int> ints;
    for (int k = 0; k < 5000; ++k) {
        reals.push_back(k % 3 ? k * 0.1 : k * 0.5);
        ints.push_back(k % 5 ? k : -k * 1000);
    }
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        ScratchDir dir;
        const std::string path = dir.File("blocks.qel");
        KQel w;
        ASSERT_TRUE(w.ProjectCreate(path.c_str(), binary, false, nullptr));
        w.FieldWriteBegin("V");
        w.FieldWriteI(-1);  // a value pending before the block
        w.FieldWriteDn(reals.data(), 3);
        w.FieldWriteDn(reals.data() + 3, static_cast<unsigned>(reals.size() - 3));
        w.FieldWriteIn(ints.data(), static_cast<unsigned>(ints.size()));
        w.FieldWriteEnd();
        ASSERT_TRUE(w.ProjectClose());
        std::vector<Value> want = {I(-1)};
        for (double d : reals) want.push_back(D(d));
        for (int i : ints) want.push_back(I(i));
        if (!binary) {
            // Text knows no width: a whole double reads back as an integer.
            for (Value& v : want) {
                if (v.type == 'D' && v.real == std::floor(v.real)) v = I(static_cast<int>(v.real));
            }
        }
        ExpectValues(path, want);
    }
}

// A block write picks the width that single writes of the same values
// pick: the files are the same size and read back the same. The odd value
// sits in the first piece of the run or at the end of its last, odd-sized
// one.
TEST(KQelRunsTest, BlockWritesPickTheWidthsOfSingleWrites) {
    const double aboveFloats = std::nextafter(static_cast<double>(FLT_MAX), HUGE_VAL);
    const struct Case {
        const char* name;
        std::vector<int> ints;        // else doubles
        std::vector<double> reals;
    } cases[] = {
        {"int8 edges", {127, -128, 5}, {}},
        {"past int8 above", {128, 0}, {}},
        {"past int8 below", {-129, 0}, {}},
        {"int16 edges", {32767, -32768}, {}},
        {"past int16 above", {32768}, {}},
        {"past int16 below", {-32769}, {}},
        {"int edges", {INT_MIN, INT_MAX}, {}},
        {"floats", {}, {-0.0, HUGE_VAL, -HUGE_VAL, FLT_MAX, FLT_TRUE_MIN, 0.5}},
        {"a NaN", {}, {0.5, std::nan("")}},
        {"just past the floats", {}, {aboveFloats}},
        {"twice the largest float", {}, {2.0 * FLT_MAX}},
        {"a tenth", {}, {0.1}},
        {"the smallest double", {}, {DBL_TRUE_MIN}},
    };
    for (const Case& c : cases) {
        for (bool first : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (first ? ", first" : ", last"));
            std::vector<int> ints(4095, 1);
            std::vector<double> reals(4095, 1.0);
            for (std::size_t k = 0; k < c.ints.size(); ++k) ints[first ? k : ints.size() - 1 - k] = c.ints[k];
            for (std::size_t k = 0; k < c.reals.size(); ++k) reals[first ? k : reals.size() - 1 - k] = c.reals[k];
            std::vector<Value> singles;
            for (int v : ints) singles.push_back(I(v));
            if (c.ints.empty()) {
                singles.clear();
                for (double v : reals) singles.push_back(D(v));
            }
            ScratchDir dir;
            const std::string path = dir.File("block.qel");
            KQel w;
            ASSERT_TRUE(w.ProjectCreate(path.c_str(), true, false, nullptr));
            w.FieldWriteBegin("V");
            if (c.ints.empty()) {
                w.FieldWriteDn(reals.data(), static_cast<unsigned>(reals.size()));
            } else {
                w.FieldWriteIn(ints.data(), static_cast<unsigned>(ints.size()));
            }
            w.FieldWriteEnd();
            ASSERT_TRUE(w.ProjectClose());
            EXPECT_EQ(ReadFile(path).size(), WriteField(dir.File("singles.qel"), singles, false));
            ExpectValues(path, singles);
        }
    }
}

TEST(KQelRunsTest, BlockReadsConvertAsSingleReads) {
    ScratchDir dir;
    const std::string path = dir.File("mixed.qel");
    const std::vector<Value> values = {I(3), D(2.75), D(-1e300), L(1LL << 40), S("12"), C('A'), F(0.5f)};
    WriteField(path, values, false);
    KQel q;
    ASSERT_TRUE(q.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(q.FieldReadBegin("V"));
    int ints[10];
    EXPECT_EQ(q.FieldReadIn(ints, 10), values.size());
    const int want[] = {3, 2, INT_MIN, INT_MAX, 12, 'A', 0};
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(ints[i], want[i]) << i;
    EXPECT_EQ(q.FieldReadIn(ints, 10), 0u);
    q.FieldReadEnd();
    EXPECT_EQ(q.FieldReadIn(ints, 10), 0u);  // no current field
}

TEST(KQelRunsTest, DeflatedRunsShrinkTheFileAndReadBackTheSame) {
    const std::vector<Value> values = Series(100000, [](int k) { return D((k % 1000) * 0.001 + k / 1000); });
    for (bool enciphered : {false, true}) {
        SCOPED_TRACE(enciphered ? "enciphered" : "binary");
        ScratchDir dir;
        const std::size_t plain = WriteField(dir.File("plain.qel"), values, enciphered);
        const std::string path = dir.File("deflated.qel");
        const std::size_t deflated = WriteField(path, values, enciphered, true);
        EXPECT_LT(deflated, plain * 3 / 4);
        ExpectValues(path, values);
        ExpectBlocks(path, values);
    }
}

// A file of layout revision 1 (every value with its letter) gets an
// extension section of runs: the header takes the revision that the new
// section needs, and both sections read back.
TEST(KQelRunsTest, AppendingToAnEarlierRevisionRaisesItsRevision) {
    ScratchDir dir;
    const std::string path = dir.File("earlier.qel");
    WriteField(path, {I(1), S("single values only"), D(0.5)}, false);
    std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes[9], 2);
    bytes[9] = 1;
    const std::uint32_t extended = static_cast<unsigned char>(bytes[32]) | static_cast<unsigned char>(bytes[33]) << 8;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), 44 + extended);
    for (int i = 0; i < 4; ++i) bytes[44 + extended + i] = static_cast<char>(crc >> (8 * i));
    WriteFile(path, bytes);

    const std::vector<Value> run = Series(500, [](int k) { return I(k); });
    {
        KQel q;
        ASSERT_TRUE(q.ProjectOpen(path.c_str(), false, false, nullptr)) << q.GetLastErrorString();
        ASSERT_TRUE(q.ProjectCreateExtensionSection(false));
        q.FieldWriteBegin("V");
        WriteValues(q, run);
        q.FieldWriteEnd();
        ASSERT_TRUE(q.ProjectClose());
    }
    EXPECT_EQ(ReadFile(path)[9], 2);
    ExpectValues(path, {I(1), S("single values only"), D(0.5)});
    KQel q;
    ASSERT_TRUE(q.ProjectOpen(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(q.ProjectOpenExtensionSection(0));
    ASSERT_TRUE(q.FieldReadBegin("V"));
    std::vector<int> back(run.size());
    EXPECT_EQ(q.FieldReadIn(back.data(), static_cast<unsigned>(back.size())), run.size());
    for (std::size_t i = 0; i < run.size(); ++i) EXPECT_EQ(back[i], run[i].integer);
}

// ---- Text numbers ----

// Bit patterns drawn at random (every sign, exponent and mantissa; NaNs left
// out) and the edge values.
std::vector<double> RandomDoubles(std::size_t n) {
    std::vector<double> values = {0.0,     -0.0,     5e-324, -5e-324, 2.2250738585072009e-308, DBL_MIN, DBL_MAX,
                                  -DBL_MAX, DBL_EPSILON, 0.1,  1e23,    9007199254740993.0,     HUGE_VAL, -HUGE_VAL};
    std::uint64_t x = 0x2545f4914f6cdd1dULL;
    while (values.size() < n) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        double d;
        std::memcpy(&d, &x, 8);
        if (!std::isnan(d)) values.push_back(d);
    }
    return values;
}

// A million values: a quarter of a second, sanitizers included.
TEST(KQelTextNumbersTest, AMillionDoublesComeBackBitForBit) {
    const std::vector<double> values = RandomDoubles(1000000);
    ScratchDir dir;
    const std::string path = dir.File("doubles.qel");
    KQel w;
    ASSERT_TRUE(w.ProjectCreate(path.c_str(), false, false, nullptr));
    w.FieldWriteBegin("V");
    for (double d : values) w.FieldWriteD(d);
    w.FieldWriteEnd();
    ASSERT_TRUE(w.ProjectClose());
    KQel r;
    ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(r.FieldReadBegin("V"));
    std::vector<double> back(values.size());
    for (std::size_t i = 0; i < 100; ++i) back[i] = r.FieldReadD();
    EXPECT_EQ(r.FieldReadDn(back.data() + 100, static_cast<unsigned>(back.size())), values.size() - 100);
    for (std::size_t i = 0; i < values.size(); ++i) ASSERT_EQ(Bits(back[i]), Bits(values[i])) << values[i];
}

// Texts written by hand or by other programs: integers are read as integers
// (never through a double), doubles correctly rounded.
TEST(KQelTextNumbersTest, HandWrittenNumbersReadAsTheirTypesSay) {
    const struct Case {
        const char* text;
        char type;
        long long asLong;
        int asInt;
        double asDouble;
    } cases[] = {
        {"9007199254740993", 'L', 9007199254740993LL, INT_MAX, 9007199254740992.0},
        {"-9223372036854775808", 'L', LLONG_MIN, INT_MIN, -9223372036854775808.0},
        {"2147483648", 'L', 2147483648LL, INT_MAX, 2147483648.0},
        {"-2147483648", 'I', INT_MIN, INT_MIN, -2147483648.0},
        {"007", 'I', 7, 7, 7.0},
        {"-0", 'D', 0, 0, -0.0},
        {"99999999999999999999", 'D', LLONG_MAX, INT_MAX, 1e20},
        {"2.2250738585072011e-308", 'D', 0, 0, 2.2250738585072011e-308},
        {"0.1e1", 'D', 1, 1, 1.0},
        {"1e999", 'D', LLONG_MAX, INT_MAX, HUGE_VAL},
        {"-1e-999", 'D', 0, 0, -0.0},
        {"-3.9", 'D', -3, -3, -3.9},
        {"12x", 'S', 0, 0, 0.0},
    };
    std::string text = "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\n";
    for (const Case& c : cases) text += std::string("V: ") + c.text + "\n";
    ScratchDir dir;
    const std::string path = dir.File("hand.qel");
    WriteFile(path, text);
    for (int how = 0; how < 3; ++how) {
        KQel r;
        ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            ASSERT_TRUE(r.FieldReadBegin("V"));
            EXPECT_EQ(r.FieldReadGetType(), c.type);
            if (how == 0) {
                EXPECT_EQ(r.FieldReadLL(), c.asLong);
            } else if (how == 1) {
                int v = 0;
                EXPECT_EQ(r.FieldReadIn(&v, 1), 1u);
                EXPECT_EQ(v, c.asInt);
            } else {
                double v = 0.0;
                EXPECT_EQ(r.FieldReadDn(&v, 1), 1u);
                EXPECT_EQ(Bits(v), Bits(c.asDouble));
            }
            r.FieldReadEnd();
        }
    }
}

// Long lists of numbers, packed or spaced, and one that ends the file:
// counted whole and read as the C library reads each number alone.
TEST(KQelTextNumbersTest, ListsOfNumbersReadAsEachAlone) {
    const std::vector<std::string> numbers = {
        "0",          "7",          "-7",        "1234567",          "-1234567",           "12345678",
        "123456789",  "0.5",        "-0.5",      "-0",               "-0.0",               "5.",
        "1234567.1234567", "1234567.12345678", "12345678.5", "0.0000001", "0.00000001", "1e5",
        "-1e-5",      "2147483647", "-2147483648", "99999999999",    "0.1",                "3.14159",
        "123456789012345", "1234567890123456", "12345678.1234567", "12345678.12345678", "0.1234567890123456",
        // Around nine digits, the most a 32-bit sum holds, and past 2^32.
        "999999999",  "-999999999", "1000000000", "-4294967296",    "4294967297",         "9.99999999",
        "-99999.9999", "4.294967296", "42949672.96", "0.000000001", "-0.999999999",
    };
    const struct Layout {
        const char* name;
        const char* separator;
        const char* end;
    } layouts[] = {{"packed", ",", "\n"}, {"spaced", ", ", "\n"}, {"at the end of the file", ",", ""}};
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        std::vector<std::string> tokens;
        for (int k = 0; k < 40; ++k) tokens.insert(tokens.end(), numbers.begin(), numbers.end());
        std::string text = "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\nV: ";
        for (std::size_t i = 0; i < tokens.size(); ++i) text += (i ? layout.separator : "") + tokens[i];
        text += layout.end;
        ScratchDir dir;
        const std::string path = dir.File("list.qel");
        WriteFile(path, text);
        KQel r;
        ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
        ASSERT_TRUE(r.FieldReadBegin("V"));
        ASSERT_EQ(r.FieldReadGetCount(), static_cast<int>(tokens.size()));
        std::vector<double> reals(tokens.size());
        ASSERT_EQ(r.FieldReadDn(reals.data(), static_cast<unsigned>(reals.size())), tokens.size());
        r.FieldReadEnd();
        r.FieldReadResetPosition();
        ASSERT_TRUE(r.FieldReadBegin("V"));
        std::vector<int> ints(tokens.size());
        ASSERT_EQ(r.FieldReadIn(ints.data(), static_cast<unsigned>(ints.size())), tokens.size());
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const char* token = tokens[i].c_str();
            const double real = std::strtod(token, nullptr);
            ASSERT_EQ(Bits(reals[i]), Bits(real)) << token;
            const bool integer = std::strpbrk(token, ".e") == nullptr && std::strcmp(token, "-0") != 0;
            const long long whole = integer ? std::strtoll(token, nullptr, 10) : static_cast<long long>(std::trunc(real));
            ASSERT_EQ(ints[i], whole > INT_MAX ? INT_MAX : whole < INT_MIN ? INT_MIN : whole) << token;
        }
    }
}

// Long lists of indices of every length from one to twelve digits, with
// signs, leading zeros, "-0", now and then a decimal or an exponent and a
// few values that are no numbers, so that numbers start and end at every
// byte of the pieces the reader takes them in: read in blocks of several
// sizes, each is the integer it spells (saturated), as a value read alone.
TEST(KQelTextNumbersTest, LongListsOfIndicesReadAsEachAlone) {
    // Values that are no numbers: a lone '-' is the character, the others
    // texts that read as 0.
    const struct Odd {
        const char* text;
        int value;
    } kOdd[] = {{"-", '-'}, {"--5", 0}, {"5-", 0}};
    std::vector<std::string> tokens;
    std::uint32_t state = 12345;
    auto next = [&state] { return state = state * 1664525u + 1013904223u; };
    for (int i = 0; i < 6000; ++i) {
        const std::uint32_t r = next();
        std::string digits = std::to_string(next() % 1000000000u) + std::to_string(next() % 1000u);
        digits = digits.substr(0, 1 + r % 12);
        if (r % 29 == 0) digits = "00" + digits;
        if (r % 31 == 0) digits = "0";
        if (r % 37 == 0) digits += ".5";
        if (r % 41 == 0) digits += "e2";
        tokens.push_back((r >> 8) % 3 == 0 ? "-" + digits : digits);
        if (r % 43 == 0) tokens.back() = kOdd[r / 43 % 3].text;
    }
    const struct Layout {
        const char* name;
        const char* after;  // after every so many commas
        std::size_t every;
    } layouts[] = {{"packed", "", 0}, {"a blank now and then", " ", 97}, {"a line break now and then", "\n", 53}};
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        std::string text = "; QEL text file\nQelHeader:  {\n\tVersion: 6000\n}\nV: ";
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (i > 0) text += layout.every != 0 && i % layout.every == 0 ? std::string(",") + layout.after : ",";
            text += tokens[i];
        }
        text += "\nW: 42\n";
        ScratchDir dir;
        const std::string path = dir.File("indices.qel");
        WriteFile(path, text);
        for (unsigned block : {1u, 13u, 4096u}) {
            SCOPED_TRACE(block);
            KQel r;
            ASSERT_TRUE(r.ProjectOpenDirect(path.c_str(), false, true, nullptr));
            ASSERT_TRUE(r.FieldReadBegin("V"));
            ASSERT_EQ(r.FieldReadGetCount(), static_cast<int>(tokens.size()));
            std::vector<int> ints(tokens.size());
            for (std::size_t at = 0; at < ints.size(); at += block) {
                const unsigned want = static_cast<unsigned>(std::min<std::size_t>(block, ints.size() - at));
                ASSERT_EQ(r.FieldReadIn(ints.data() + at, want), want) << at;
            }
            r.FieldReadEnd();
            EXPECT_EQ(r.FieldReadI("W"), 42);
            for (std::size_t i = 0; i < tokens.size(); ++i) {
                const char* token = tokens[i].c_str();
                const Odd* odd = std::find_if(std::begin(kOdd), std::end(kOdd),
                                              [token](const Odd& o) { return std::strcmp(o.text, token) == 0; });
                if (odd != std::end(kOdd)) {
                    ASSERT_EQ(ints[i], odd->value) << i << " " << token;
                    continue;
                }
                const bool integer = std::strpbrk(token, ".e") == nullptr;
                const long long whole = integer ? std::strtoll(token, nullptr, 10)
                                                : static_cast<long long>(std::trunc(std::strtod(token, nullptr)));
                ASSERT_EQ(ints[i], whole > INT_MAX ? INT_MAX : whole < INT_MIN ? INT_MIN : whole) << i << " " << token;
            }
        }
    }
}

}  // namespace
}  // namespace qelsdk_600
