// What the translator claims and offers.
#include <gtest/gtest.h>

#include <vesk/MFileObject.h>

#include "module/qelvesktranslator.h"

TEST(QelVeskTranslator, ClaimsNamesHoldingItsExtensionAfterTheFirstCharacter)
{
    struct Case {
        const char* path;
        MPxFileTranslator::FileKind kind;
    } const kCases[] = {
        {"/a/scene.qel", MPxFileTranslator::kFileIsOurs},
        {"/a/SCENE.QEL", MPxFileTranslator::kFileIsOurs},
        {"/a/myqeldata.txt", MPxFileTranslator::kFileIsOurs},
        {"/a/qelscene.qel", MPxFileTranslator::kFileIsOurs},
        {"/qel/scene.txt", MPxFileTranslator::kFileNotOurs},
        {"/a/qelscene.txt", MPxFileTranslator::kFileNotOurs},
        {"/a/qel", MPxFileTranslator::kFileNotOurs},
        {"/a/scene.ma", MPxFileTranslator::kFileNotOurs},
    };
    QelVeskTranslator lTranslator;
    for (const Case& c : kCases) {
        MFileObject lFile;
        lFile.setRawFullName(c.path);
        EXPECT_EQ(lTranslator.identifyFile(lFile, "", 0), c.kind) << c.path;
    }
    EXPECT_STREQ(lTranslator.defaultExtension().asChar(), "qel");
    EXPECT_TRUE(lTranslator.haveReadMethod() && lTranslator.haveWriteMethod() && lTranslator.canBeOpened());
}
