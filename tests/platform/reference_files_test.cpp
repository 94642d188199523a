// The platform check: 64-bit and 32-bit x86 builds write the same bytes for
// the same content and read each other's files.
//
// tests/data/platform/ holds the files one build wrote: field values of
// every type, a curve node tree and a property block, each in text and in
// plain binary form. Every build writes them again, compares byte for byte
// (the creation time stamp set to a fixed one first) and reads the
// references. Enciphered files differ on every write (random IV and keys):
// with QEL_PLATFORM_EXCHANGE set, each build leaves all it wrote in
// <exchange>/<platform>/ and reads the enciphered files that the other
// builds left there earlier in the same run.
//
// After a deliberate change of the format, refresh the references from
// <exchange>/<platform>/, leaving out the "*-enciphered.qel" files.
// revision1/ keeps the files of the writer before packed value runs
// (layout revision 1, doubles in text as "%.15g" when that kept them):
// every build still reads them.
#include <zlib.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../curves/filter_builders.h"
#include "../curves/node_builders.h"
#include "../file/property_samples.h"
#include "common/scratch_dir.h"
#include "file/iqelobject.h"
#include "file/kqel.h"

namespace qelsdk_600 {
namespace {

using scratch::ReadFile;
using scratch::ScratchDir;
using scratch::WriteFile;
using testing_curves::Frame;
using testing_curves::KeyDifference;
using testing_curves::NodePtr;
using testing_curves::TransformTree;

#if defined(__x86_64__)
const char kPlatform[] = "x86_64";
#elif defined(__i386__)
const char kPlatform[] = "i686";
#else
const char kPlatform[] = "other";
#endif

enum class FileForm { kText, kBinary, kEnciphered };

const char* FormName(FileForm form)
{
    switch (form) {
    case FileForm::kText: return "text";
    case FileForm::kBinary: return "binary";
    default: return "enciphered";
    }
}

// ---- Field values of every type ----

// One value of a field: its binary type letter and content. 'E' embeds the
// media file, 'e' embeds it again (which stores nothing).
struct Value {
    char type;
    long long integer;
    double real;
    const char* text;
    std::size_t size;
};

Value I(int v) { return {'I', v, 0.0, nullptr, 0}; }
Value L(long long v) { return {'L', v, 0.0, nullptr, 0}; }
Value F(float v) { return {'F', 0, v, nullptr, 0}; }
Value D(double v) { return {'D', 0, v, nullptr, 0}; }
Value CH(char v) { return {'C', v, 0.0, nullptr, 0}; }
Value S(const char* v) { return {'S', 0, 0.0, v, 0}; }
Value T(long long ticks) { return {'T', ticks, 0.0, nullptr, 0}; }
Value R(const char* bytes, std::size_t size) { return {'R', 0, 0.0, bytes, size}; }
Value Embedded() { return {'E', 0, 0.0, nullptr, 0}; }
Value EmbeddedAgain() { return {'e', 0, 0.0, nullptr, 0}; }

// A field at a nesting depth: a row one deeper than the row before it is
// in that row's block. Rows with embedded media exist in binary forms only.
struct FieldRow {
    int depth;
    const char* name;
    std::vector<Value> values;
};

const char kRawBytes[] = "\x00\x01\x7f\x80\xff\"\\\n;{},:#'";
// The embedded media file: every byte value, then a short text.
std::string MediaBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes + "end of media";
}

// count values of one kind, value k made by make(k): long enough that a
// binary writer packs them into a run.
template <class Make>
std::vector<Value> Series(int count, Make make)
{
    std::vector<Value> values;
    for (int k = 0; k < count; ++k)
        values.push_back(make(k));
    return values;
}

std::vector<Value> Joined(std::vector<Value> a, const std::vector<Value>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Runs stored in 1, 2, 4 and 8 bytes a value, doubles that floats hold,
// and runs beside single values in one field; not in the earlier files.
const std::vector<FieldRow>& RunRows()
{
    static const std::vector<FieldRow> rows = {
        {0, "SmallIntegers", Series(20, [](int k) { return I(k * 13 - 128); })},
        {0, "MediumIntegers", Series(20, [](int k) { return I(k * 1700 - 32768); })},
        {0, "WideIntegers", Series(20, [](int k) { return I(static_cast<int>(k * 200000001LL + INT_MIN)); })},
        {0, "SmallLongs", Series(20, [](int k) { return L(k - 10); })},
        {0, "WideLongs", Series(20, [](int k) { return L((1LL << 40) * k - LLONG_MAX); })},
        {0, "FloatDoubles", Series(20, [](int k) { return D(k * 0.25 - 999.875); })},
        {0, "Doubles", Series(20, [](int k) { return D(k * 0.1 + 0.05); })},
        {0, "Floats", Series(20, [](int k) { return F(k / 3.0f + 0.125f); })},
        {0, "Letters", Series(20, [](int k) { return CH(static_cast<char>('a' + k)); })},
        {0, "Mixed", Joined(Joined(Series(12, [](int k) { return I(k); }), {S("between"), D(0.5)}),
                            Series(12, [](int k) { return D((k + 1) * 1e-310); }))},
    };
    return rows;
}

const std::vector<FieldRow>& MainRows()
{
    static const std::vector<FieldRow> rows = {
        {0, "Integers", {I(0), I(-1), I(INT_MAX), I(INT_MIN), L(LLONG_MIN), L(0x0123456789abcdefLL), L(-2)}},
        {0, "Reals", {F(0.1f), F(-3.4028235e38f), F(1e-45f), D(0.1 + 0.2), D(-0.0), D(4.9e-324), D(1.7976931348623157e308),
                      D(-1234.5)}},
        {0, "Characters", {CH('x'), CH(','), CH('\n'), CH('\'')}},
        {0, "Texts", {S(""), S("Model::Cube"), S("quote \" semi ; brace { end"), S("line\nbreak\ttab"),
                      S("caf\xc3\xa9"), S("\x01\x02::")}},
        {0, "Times", {T(0), T(46186158000LL * 2 + 7), T(-1), T(LLONG_MAX), T(-LLONG_MAX)}},
        {0, "Raw", {R(kRawBytes, sizeof kRawBytes - 1), R("", 0)}},
        {0, "Object", {S("Model::Box"), S("Mesh")}},
        {1, "Child", {I(1)}},
        {1, "Child", {I(2)}},
        {2, "Deep", {D(2.5)}},
        {2, "Empty", {}},
        {1, "Child", {I(3)}},
        {0, "Video", {S("Video::wood"), S("Clip")}},
        {1, "Filename", {S("wood.bin")}},
        {1, "RelativeFilename", {S("wood.bin")}},
        {1, "Content", {Embedded()}},
        {1, "Content", {EmbeddedAgain()}},
        {0, "a name: with \"quotes\", blanks", {I(7)}},
    };
    return rows;
}

const std::vector<FieldRow>& ExtensionRows()
{
    static const std::vector<FieldRow> rows = {
        {0, "Extension", {S("appended"), I(8)}},
        {1, "Note", {S("read after the main section")}},
    };
    return rows;
}

bool HasMedia(const FieldRow& row)
{
    for (const Value& v : row.values)
        if (v.type == 'E' || v.type == 'e')
            return true;
    return false;
}

KQelFileHeaderInfo FieldsHeader()
{
    KQelFileHeaderInfo header;
    header.mCreator = "platform check";
    header.mDefaultRenderResolution = true;
    header.mCameraName = "Producer Perspective";
    header.mResolutionMode = "Custom";
    header.mResolutionW = 640.0;
    header.mResolutionH = 480.5;
    header.mOtherFlag = true;
    return header;
}

void WriteRows(KQel& qel, const std::vector<FieldRow>& rows, const std::string& media, bool binary)
{
    int depth = 0;  // open fields
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FieldRow& row = rows[i];
        if (!binary && HasMedia(row))
            continue;
        for (; depth > row.depth; --depth) {
            qel.FieldWriteBlockEnd();
            qel.FieldWriteEnd();
        }
        qel.FieldWriteBegin(row.name);
        for (const Value& v : row.values) {
            switch (v.type) {
            case 'I': qel.FieldWriteI(static_cast<int>(v.integer)); break;
            case 'L': qel.FieldWriteLL(v.integer); break;
            case 'F': qel.FieldWriteF(static_cast<float>(v.real)); break;
            case 'D': qel.FieldWriteD(v.real); break;
            case 'C': qel.FieldWriteCH(static_cast<char>(v.integer)); break;
            case 'S': qel.FieldWriteC(v.text); break;
            case 'T': qel.FieldWriteT(KTime(v.integer)); break;
            case 'R': qel.FieldWriteR(v.text, static_cast<kUInt>(v.size)); break;
            default: qel.FieldWriteEmbeddedFile(KString(media.c_str()), KString("wood.bin")); break;
            }
        }
        if (i + 1 < rows.size() && rows[i + 1].depth > row.depth) {
            qel.FieldWriteBlockBegin();
            ++depth;
        } else {
            qel.FieldWriteEnd();
        }
    }
    for (; depth > 0; --depth) {
        qel.FieldWriteBlockEnd();
        qel.FieldWriteEnd();
    }
}

bool WriteFields(const std::string& path, FileForm form)
{
    const bool binary = form != FileForm::kText;
    const std::string media = path + ".media";
    WriteFile(media, MediaBytes());
    KQel qel;
    KQelFileHeaderInfo header = FieldsHeader();
    if (!qel.ProjectCreate(path.c_str(), binary, form == FileForm::kEnciphered, &header))
        return false;
    WriteRows(qel, RunRows(), media, binary);
    WriteRows(qel, MainRows(), media, binary);
    if (binary) {
        qel.ProjectCloseSection();
        if (!qel.ProjectCreateExtensionSection(false))
            return false;
        WriteRows(qel, ExtensionRows(), media, binary);
    }
    const bool closed = qel.ProjectClose();
    std::remove(media.c_str());
    return closed;
}

std::uint64_t Bits(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

void ExpectValue(IQelObject& file, const Value& v, bool binary, const std::string& scratch)
{
    const char type = file.FieldReadGetType();
    switch (v.type) {
    case 'I': EXPECT_EQ(type, 'I'); EXPECT_EQ(file.FieldReadI(), v.integer); break;
    case 'L':
        // Text knows no width: a small integer reads back as an 'I'.
        EXPECT_EQ(type, binary || v.integer < INT_MIN || v.integer > INT_MAX ? 'L' : 'I');
        EXPECT_EQ(file.FieldReadLL(), v.integer);
        break;
    case 'F': EXPECT_EQ(type, binary ? 'F' : 'D'); EXPECT_EQ(file.FieldReadF(), static_cast<float>(v.real)); break;
    case 'D': EXPECT_EQ(type, 'D'); EXPECT_EQ(Bits(file.FieldReadD()), Bits(v.real)); break;
    case 'C': EXPECT_EQ(type, 'C'); EXPECT_EQ(file.FieldReadCH(), static_cast<char>(v.integer)); break;
    case 'S': EXPECT_EQ(type, 'S'); EXPECT_STREQ(file.FieldReadC(), v.text); break;
    case 'T': EXPECT_EQ(file.FieldReadT().Get(), v.integer); break;
    case 'R': {
        EXPECT_EQ(type, 'R');
        kUInt size = 0;
        ASSERT_TRUE(file.FieldReadRBegin(&size));
        std::string bytes(size, '\0');
        EXPECT_EQ(file.FieldReadRPart(&bytes[0], size), size);
        file.FieldReadREnd();
        EXPECT_EQ(bytes, std::string(v.text, v.size));
        break;
    }
    case 'E': {
        KString name("wood.bin");
        KString relative;
        ASSERT_TRUE(file.FieldReadEmbeddedFile(name, relative, scratch.c_str(), nullptr));
        EXPECT_EQ(ReadFile(name.Buffer()), MediaBytes());
        break;
    }
    default: break;  // embedded again: no value
    }
}

void ExpectRows(IQelObject& file, const std::vector<FieldRow>& rows, std::size_t& i, int depth, bool binary,
                const std::string& scratch)
{
    while (i < rows.size() && rows[i].depth == depth) {
        const FieldRow& row = rows[i++];
        if (!binary && HasMedia(row))
            continue;
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(file.FieldReadBegin(row.name));
        int stored = 0;
        for (const Value& v : row.values)
            stored += v.type != 'e';
        EXPECT_EQ(file.FieldReadGetCount(), stored);
        for (const Value& v : row.values)
            ExpectValue(file, v, binary, scratch);
        if (i < rows.size() && rows[i].depth > depth) {
            ASSERT_TRUE(file.FieldReadBlockBegin());
            ExpectRows(file, rows, i, depth + 1, binary, scratch);
            file.FieldReadBlockEnd();
        }
        file.FieldReadEnd();
    }
}

void ExpectFields(const std::string& path, FileForm form, bool current)
{
    const bool binary = form != FileForm::kText;
    std::unique_ptr<IQelObject> file(KQelObjectCreate());
    KQelFileHeaderInfo header;
    ASSERT_TRUE(file->ProjectOpen(path.c_str(), binary, true, &header)) << file->GetLastErrorString();
    EXPECT_EQ(file->IsBinary(), binary);
    EXPECT_EQ(file->IsEncrypted(), form == FileForm::kEnciphered);
    const KQelFileHeaderInfo want = FieldsHeader();
    EXPECT_EQ(header.mHeaderVersion, 6000);
    EXPECT_STREQ(header.mCreator.Buffer(), want.mCreator.Buffer());
    EXPECT_TRUE(header.mDefaultRenderResolution);
    EXPECT_STREQ(header.mCameraName.Buffer(), want.mCameraName.Buffer());
    EXPECT_STREQ(header.mResolutionMode.Buffer(), want.mResolutionMode.Buffer());
    EXPECT_EQ(header.mResolutionW, want.mResolutionW);
    EXPECT_EQ(header.mResolutionH, want.mResolutionH);
    EXPECT_TRUE(header.mOtherFlag);

    ScratchDir media;
    ASSERT_TRUE(file->ProjectOpenMainSection());
    std::size_t row = 0;
    if (current)
        ExpectRows(*file, RunRows(), row, 0, binary, media.Path());
    row = 0;
    ExpectRows(*file, MainRows(), row, 0, binary, media.Path());
    EXPECT_EQ(file->ProjectGetExtensionSectionCount(), binary ? 1 : 0);
    if (binary) {
        ASSERT_TRUE(file->ProjectOpenExtensionSection(0));
        row = 0;
        ExpectRows(*file, ExtensionRows(), row, 0, binary, media.Path());
    }
    EXPECT_TRUE(file->ProjectClose());
}

// ---- A curve node tree with keys of every kind ----

enum KeyKind { eConstant, eConstantNext, eLinear, eAuto, eAutoBreak, eUser, eUserBreak, eTCB, eWeighted };

struct KeySpec {
    int frame;
    float value;
    KeyKind kind;
    float a, b, c, d;  // derivatives, TCB or weights, by kind
};

const KeySpec kKeys[] = {
    {-3, -1.5f, eConstant, 0, 0, 0, 0},
    {0, 0.25f, eConstantNext, 0, 0, 0, 0},
    {2, 1.0f, eLinear, 0, 0, 0, 0},
    {5, 3.0f, eAuto, 0, 0, 0, 0},
    {7, -2.0f, eAutoBreak, 0.5f, -0.75f, 0, 0},
    {11, 10.1f, eUser, 1.25f, -3.5f, 0, 0},
    {12, 10.2f, eUserBreak, -0.1f, 0.2f, 0, 0},
    {20, 0.0f, eTCB, 0.3f, -0.2f, 0.1f, 0},
    {31, 7.5f, eWeighted, 2.0f, -1.0f, 0.2f, 0.6f},
    {40, 1e-7f, eAuto, 0, 0, 0, 0},
};

void FillKeys(KFCurve& curve, float scale)
{
    for (const KeySpec& k : kKeys) {
        const KTime t = Frame(k.frame);
        const float v = k.value * scale;
        const int i = curve.KeyAppendFast(t, v);
        switch (k.kind) {
        case eConstant: curve.KeySet(i, t, v, kFCurveInterpolationConstant, 0); break;
        case eConstantNext:
            curve.KeySet(i, t, v, kFCurveInterpolationConstant, 0);
            curve.KeySetConstantMode(i, kFCurveConstantNext);
            break;
        case eLinear: curve.KeySet(i, t, v, kFCurveInterpolationLinear, 0); break;
        case eAuto: curve.KeySet(i, t, v, kFCurveInterpolationCubic, kFCurveTangentAuto); break;
        case eAutoBreak: curve.KeySet(i, t, v, kFCurveInterpolationCubic, kFCurveTangentAutoBreak, k.a, k.b); break;
        case eUser: curve.KeySet(i, t, v, kFCurveInterpolationCubic, kFCurveTangentUser, k.a, k.b); break;
        case eUserBreak: curve.KeySet(i, t, v, kFCurveInterpolationCubic, kFCurveTangentUserBreak, k.a, k.b); break;
        case eTCB: curve.KeySetTCB(i, t, v, k.a, k.b, k.c); break;
        case eWeighted:
            curve.KeySet(i, t, v, kFCurveInterpolationCubic, kFCurveTangentUser, k.a, k.b, kFCurveWeightedMask, k.c,
                         k.d);
            break;
        }
    }
}

// The tree every build writes: keys on translation X and rotation Y (scaled
// differently), extrapolation on X, defaults elsewhere.
KFCurveNode* CurveTree()
{
    KFCurveNode* root = TransformTree();
    KFCurve* x = root->Get(0)->Get(0)->FCurveGet();
    FillKeys(*x, 1.0f);
    x->SetPreExtrapolation(kFCurveExtrapolationRepetition);
    x->SetPreExtrapolationCount(2);
    x->SetPostExtrapolation(kFCurveExtrapolationMirrorRepetition);
    x->SetPostExtrapolationCount(3);
    FillKeys(*root->Get(1)->Get(1)->FCurveGet(), -90.0f);
    root->Get(2)->Get(2)->FCurveGet()->SetValue(2.5f);
    return root;
}

bool WriteCurves(const std::string& path, FileForm form)
{
    NodePtr tree(CurveTree());
    KQel qel;
    if (!qel.ProjectCreate(path.c_str(), form != FileForm::kText, form == FileForm::kEnciphered, nullptr))
        return false;
    qel.FieldWriteBegin("Take");
    qel.FieldWriteC("Take 001");
    qel.FieldWriteBlockBegin();
    for (int i = 0; i < tree->GetCount(); ++i)
        tree->Get(i)->QelStore(&qel, false, true, true, "Channel", true, false);
    qel.FieldWriteBlockEnd();
    qel.FieldWriteEnd();
    return qel.ProjectClose();
}

void ExpectCurves(const std::string& path, FileForm, bool)
{
    NodePtr expected(CurveTree());
    NodePtr read(TransformTree());
    KQel qel;
    ASSERT_TRUE(qel.ProjectOpenDirect(path.c_str(), false, true, nullptr)) << qel.GetLastErrorString();
    ASSERT_TRUE(qel.FieldReadBegin("Take"));
    ASSERT_TRUE(qel.FieldReadBlockBegin());
    int channels = 0;
    while (KFCurveNodeCreate(&qel, read.get(), false, false, false))
        ++channels;
    EXPECT_EQ(channels, 3);
    for (int n = 0; n < 3; ++n) {
        for (int axis = 0; axis < 3; ++axis) {
            SCOPED_TRACE(std::to_string(n) + "/" + std::to_string(axis));
            const KFCurve* want = expected->Get(n)->Get(axis)->FCurveGet();
            const KFCurve* got = read->Get(n)->Get(axis)->FCurveGet();
            EXPECT_EQ(KeyDifference(*got, *want), "");
            EXPECT_EQ(got->GetPreExtrapolation(), want->GetPreExtrapolation());
            EXPECT_EQ(got->GetPreExtrapolationCount(), want->GetPreExtrapolationCount());
            EXPECT_EQ(got->GetPostExtrapolation(), want->GetPostExtrapolation());
            EXPECT_EQ(got->GetPostExtrapolationCount(), want->GetPostExtrapolationCount());
        }
    }
}

// ---- A property block with every storable type and user properties ----

bool WriteProperties(const std::string& path, FileForm form)
{
    KObject source;
    property_samples::MakeSample(source);
    property_samples::FillSample(source);
    property_samples::AddUserProperties(source);
    KArrayTemplate<KProperty*> list = property_samples::ListOf(source);
    const property_samples::Form how = {form != FileForm::kText, false, "", form == FileForm::kEnciphered};
    return property_samples::WriteObject(path, how, list);
}

void ExpectProperties(const std::string& path, FileForm, bool)
{
    KObject target;
    property_samples::MakeSample(target);
    KArrayTemplate<KProperty*> list = property_samples::ListOf(target);
    ASSERT_EQ(property_samples::ReadObject(path, false, list, &target), 1);
    property_samples::ExpectSample(target);
    property_samples::ExpectUserProperties(target);
}

// ---- The set of files ----

struct Content {
    const char* stem;
    bool (*write)(const std::string& path, FileForm form);
    // current: the file was written by this writer, not an earlier one.
    void (*expect)(const std::string& path, FileForm form, bool current);
};

const Content kContents[] = {
    {"fields", WriteFields, ExpectFields},
    {"curves", WriteCurves, ExpectCurves},
    {"properties", WriteProperties, ExpectProperties},
};

std::string FileName(const Content& content, FileForm form)
{
    return std::string(content.stem) + "-" + FormName(form) + ".qel";
}

std::string ReferencePath(const std::string& name)
{
    return std::string(QEL_REFERENCE_DIR) + "/platform/" + name;
}

std::string EarlierReferencePath(const std::string& name)
{
    return ReferencePath("revision1/" + name);
}

// Where this build leaves its files: <exchange>/<platform> when the
// exchange is set, else the scratch directory.
std::string OutputDirectory(const ScratchDir& scratch)
{
    const char* exchange = std::getenv("QEL_PLATFORM_EXCHANGE");
    if (!exchange || !*exchange)
        return scratch.Path();
    const std::string dir = std::string(exchange) + "/" + kPlatform;
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir;
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// Gives a written file the creation time stamp 2000-01-01 00:00:00.000,
// the one the references hold (a binary header's CRC is made anew).
void FixTimeStamp(std::string& bytes, FileForm form)
{
    const int stamp[7] = {2000, 1, 1, 0, 0, 0, 0};
    if (form == FileForm::kText) {
        const std::string key = "\tCreationTimeStamp: ";
        const std::size_t at = bytes.find(key);
        if (at != std::string::npos)
            bytes.replace(at + key.size(), bytes.find('\n', at) - at - key.size(), "2000,1,1,0,0,0,0");
        return;
    }
    if (bytes.size() < 48)
        return;
    std::uint32_t extended = 0;
    for (int i = 3; i >= 0; --i)
        extended = extended << 8 | static_cast<unsigned char>(bytes[32 + i]);
    if (extended < 32 || bytes.size() < 48 + std::size_t(extended))
        return;
    for (int i = 0; i < 7; ++i)
        PutU32(bytes, 48 + 4 * i, static_cast<std::uint32_t>(stamp[i]));
    const std::size_t covered = 44 + extended;
    PutU32(bytes, covered,
           static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(covered))));
}

std::string FirstDifference(const std::string& got, const std::string& want)
{
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i])
        ++i;
    if (i == got.size() && i == want.size())
        return "";
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size()) +
           ", first difference at byte " + std::to_string(i);
}

struct Reference {
    const Content* content;
    FileForm form;
};

void PrintTo(const Reference& ref, std::ostream* os)
{
    *os << FileName(*ref.content, ref.form);
}

std::vector<Reference> References()
{
    std::vector<Reference> all;
    for (const Content& content : kContents)
        for (FileForm form : {FileForm::kText, FileForm::kBinary})
            all.push_back({&content, form});
    return all;
}

std::string ReferenceName(const ::testing::TestParamInfo<Reference>& info)
{
    return std::string(info.param.content->stem) + "_" + FormName(info.param.form);
}

class ReferenceFile : public ::testing::TestWithParam<Reference> {};

TEST_P(ReferenceFile, IsWrittenByteForByte)
{
    const Reference& ref = GetParam();
    ScratchDir scratch;
    const std::string path = OutputDirectory(scratch) + "/" + FileName(*ref.content, ref.form);
    ASSERT_TRUE(ref.content->write(path, ref.form));
    std::string written = ReadFile(path);
    FixTimeStamp(written, ref.form);
    WriteFile(path, written);  // as a reference would be kept
    const std::string reference = ReadFile(ReferencePath(FileName(*ref.content, ref.form)));
    ASSERT_FALSE(reference.empty()) << "no reference file";
    EXPECT_EQ(FirstDifference(written, reference), "");
}

TEST_P(ReferenceFile, IsRead)
{
    const Reference& ref = GetParam();
    ref.content->expect(ReferencePath(FileName(*ref.content, ref.form)), ref.form, true);
}

INSTANTIATE_TEST_SUITE_P(Platform, ReferenceFile, ::testing::ValuesIn(References()),
                         ReferenceName);

class EarlierWriterFile : public ::testing::TestWithParam<Reference> {};

TEST_P(EarlierWriterFile, IsRead)
{
    const Reference& ref = GetParam();
    ref.content->expect(EarlierReferencePath(FileName(*ref.content, ref.form)), ref.form, false);
}

INSTANTIATE_TEST_SUITE_P(Platform, EarlierWriterFile, ::testing::ValuesIn(References()),
                         ReferenceName);

TEST(EncipheredFile, IsReadOnEveryPlatform)
{
    ScratchDir scratch;
    const std::string own = OutputDirectory(scratch);
    for (const Content& content : kContents) {
        SCOPED_TRACE(content.stem);
        const std::string path = own + "/" + FileName(content, FileForm::kEnciphered);
        ASSERT_TRUE(content.write(path, FileForm::kEnciphered));
        content.expect(path, FileForm::kEnciphered, true);
    }
    const char* exchange = std::getenv("QEL_PLATFORM_EXCHANGE");
    if (!exchange || !*exchange)
        return;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(exchange, ignored)) {
        if (!entry.is_directory() || entry.path().filename() == kPlatform)
            continue;
        for (const Content& content : kContents) {
            const std::string path = entry.path().string() + "/" + FileName(content, FileForm::kEnciphered);
            SCOPED_TRACE(path);
            ASSERT_TRUE(scratch::Exists(path));
            content.expect(path, FileForm::kEnciphered, true);
        }
    }
}

}  // namespace
}  // namespace qelsdk_600
