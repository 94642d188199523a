// The file translator "Qel" of the host's file menus: its reader and writer
// run "QELImport" and "QELExport", so a menu action goes the way of a
// scripted one.
#ifndef QELVESK_MODULE_QELVESKTRANSLATOR_H
#define QELVESK_MODULE_QELVESKTRANSLATOR_H

#include <vesk/MPxFileTranslator.h>

class QelVeskTranslator : public MPxFileTranslator {
public:
    static void* creator();

    // Run "QELImport" / "QELExport" with the file's full name (quoted) and
    // "-caller QELVeskTranslator"; the command's status is returned (it
    // reports its own errors).
    MStatus reader(const MFileObject& pFile, const MString& pOptions, FileAccessMode pMode) override;
    MStatus writer(const MFileObject& pFile, const MString& pOptions, FileAccessMode pMode) override;
    bool haveReadMethod() const override { return true; }
    bool haveWriteMethod() const override { return true; }
    bool canBeOpened() const override { return true; }
    // "qel".
    MString defaultExtension() const override;
    // Ours when the lower-cased name holds "qel" after its first character,
    // or ends with the extension ".qel"; never "maybe". The bytes are not
    // read.
    FileKind identifyFile(const MFileObject& pFile, const char* pBuffer, short pSize) const override;
};

#endif
