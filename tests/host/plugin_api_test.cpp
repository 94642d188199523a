// The plug-in API's own values: argument conversions, file objects, and
// what the bases do when a module overrides nothing.
#include <clocale>
#include <cmath>

#include <gtest/gtest.h>

#include <vesk/MArgList.h>
#include <vesk/MFileObject.h>
#include <vesk/MPxCommand.h>
#include <vesk/MPxFileTranslator.h>

#include "plugin_fixture.h"

namespace {

// Sets the first numeric locale the system has that writes a decimal comma,
// and the "C" locale back at the end.
class CommaLocale {
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"})
            if (std::setlocale(LC_NUMERIC, name)) {
                active = true;
                return;
            }
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, "C"); }
    bool active = false;
};

TEST(ArgListTest, ConvertsWholeTextsAndFailsWithZeroOtherwise)
{
    const std::vector<std::string> texts = {"-5", "2.0", "2.5", "1e300", "2147483648", "-2147483648", "abc",
                                            "", " 1", "0x10", "nan", "-inf", "TRUE", "Off", "yes", "1e-3"};
    const MArgList args(texts);
    struct Case {
        unsigned index;
        bool intOk;
        int intValue;
        bool doubleOk;
        double doubleValue;
        bool boolOk;
        bool boolValue;
    };
    const Case cases[] = {
        {0, true, -5, true, -5.0, true, true},
        {1, true, 2, true, 2.0, true, true},
        {2, false, 0, true, 2.5, true, true},
        {3, false, 0, true, 1e300, true, true},
        {4, false, 0, true, 2147483648.0, true, true},
        {5, true, -2147483647 - 1, true, -2147483648.0, true, true},
        {6, false, 0, false, 0.0, false, false},
        {7, false, 0, false, 0.0, false, false},
        {8, false, 0, false, 0.0, false, false},
        {9, false, 0, false, 0.0, false, false},
        {10, false, 0, true, NAN, true, true},
        {11, false, 0, true, -INFINITY, true, true},
        {12, false, 0, false, 0.0, true, true},
        {13, false, 0, false, 0.0, true, false},
        {14, false, 0, false, 0.0, true, true},
        {15, false, 0, true, 0.001, true, true},
        // Past the end.
        {16, false, 0, false, 0.0, false, false},
    };
    CommaLocale comma;
    for (const Case& c : cases) {
        MStatus s;
        EXPECT_EQ(args.asInt(c.index, &s), c.intValue) << c.index;
        EXPECT_EQ(static_cast<bool>(s), c.intOk) << c.index;
        const double d = args.asDouble(c.index, &s);
        EXPECT_EQ(static_cast<bool>(s), c.doubleOk) << c.index;
        if (std::isnan(c.doubleValue))
            EXPECT_TRUE(std::isnan(d)) << c.index;
        else
            EXPECT_EQ(d, c.doubleValue) << c.index;
        EXPECT_EQ(args.asBool(c.index, &s), c.boolValue) << c.index;
        EXPECT_EQ(static_cast<bool>(s), c.boolOk) << c.index;
    }
    MStatus s;
    EXPECT_STREQ(args.asString(7, &s).asChar(), "");
    EXPECT_TRUE(s);
    EXPECT_STREQ(args.asString(16, &s).asChar(), "");
    EXPECT_EQ(s, MStatus(MStatus::kInvalidParameter));
    EXPECT_EQ(args.length(), 16u);
}

TEST(FileObjectTest, MakesRelativePathsAbsoluteAndKeepsAbsoluteOnes)
{
    TempDir dir;
    char* before = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    char* here = getcwd(nullptr, 0);
    struct Case {
        const char* chosen;
        std::string full;
        const char* name;
    };
    const Case cases[] = {
        {"a.qel", std::string(here) + "/a.qel", "a.qel"},
        {"sub/../b.qel", std::string(here) + "/sub/../b.qel", "b.qel"},
        {"/x//y/c.qel", "/x//y/c.qel", "c.qel"},
        {"/dir/", "/dir/", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        MFileObject f;
        f.setRawFullName(c.chosen);
        EXPECT_EQ(std::string(f.fullName().asChar()), c.full) << c.chosen;
        EXPECT_STREQ(f.name().asChar(), c.name) << c.chosen;
    }
    EXPECT_EQ(chdir(before), 0);
    free(here);
    free(before);
}

TEST(PluginBaseTest, BasesOfferNothingUnlessOverridden)
{
    struct Bare : MPxFileTranslator {};
    struct Quiet : MPxCommand {
        MStatus doIt(const MArgList&) override { return MStatus::kSuccess; }
    };
    const Bare t;
    MFileObject f;
    f.setRawFullName("/a.qel");
    EXPECT_FALSE(const_cast<Bare&>(t).reader(f, "", MPxFileTranslator::kImportAccess));
    EXPECT_FALSE(const_cast<Bare&>(t).writer(f, "", MPxFileTranslator::kExportAccess));
    EXPECT_FALSE(t.haveReadMethod() || t.haveWriteMethod() || t.canBeOpened() || t.haveNamespaceSupport() ||
                 t.haveReferenceMethod());
    EXPECT_STREQ(t.defaultExtension().asChar(), "");
    EXPECT_STREQ(t.filter().asChar(), "*");
    EXPECT_EQ(t.identifyFile(f, "x", 1), MPxFileTranslator::kFileNotOurs);
    Quiet c;
    EXPECT_FALSE(c.undoIt());
    EXPECT_FALSE(c.redoIt());
    EXPECT_FALSE(c.isUndoable() || c.hasSyntax());
}

} // namespace
