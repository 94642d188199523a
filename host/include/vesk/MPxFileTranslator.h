// Base of plug-in file translators: the readers and writers of the host's
// file menu (import, open, export).
#ifndef VESK_MPXFILETRANSLATOR_H
#define VESK_MPXFILETRANSLATOR_H

#include <vesk/MFileObject.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

// A plug-in registers a creator that returns a new object of its subclass
// (see MFnPlugin). The host makes one object for each menu action and
// deletes it after the action.
class VESK_API MPxFileTranslator {
public:
    // Why the file menu calls reader or writer.
    enum FileAccessMode {
        kOpenAccess = 0,   // the scene was emptied first
        kImportAccess = 1, // into the current scene
        kSaveAccess = 2,
        kExportAccess = 3
    };
    // What identifyFile answers.
    enum FileKind {
        kFileIsOurs = 0,
        kFileMaybeOurs = 1,
        kFileNotOurs = 2
    };

    MPxFileTranslator();
    virtual ~MPxFileTranslator();
    MPxFileTranslator(const MPxFileTranslator&) = delete;
    MPxFileTranslator& operator=(const MPxFileTranslator&) = delete;

    // Read or write the file; options is the registered default options
    // text ("" when none). Both fail with kFailure unless overridden.
    virtual MStatus reader(const MFileObject& file, const MString& options, FileAccessMode mode);
    virtual MStatus writer(const MFileObject& file, const MString& options, FileAccessMode mode);
    // What the translator offers; all false unless overridden.
    virtual bool haveReadMethod() const;
    virtual bool haveWriteMethod() const;
    virtual bool haveNamespaceSupport() const;
    virtual bool haveReferenceMethod() const;
    virtual bool canBeOpened() const;
    // The file name extension it writes, without ".": "" unless overridden.
    virtual MString defaultExtension() const;
    // The file browser's pattern: "*." + defaultExtension(), "*" without one.
    virtual MString filter() const;
    // Whether the file is of this translator's kind, given its first bytes
    // (buffer is never null and holds size bytes, at most 512; none for an
    // export). kFileNotOurs unless overridden.
    virtual FileKind identifyFile(const MFileObject& file, const char* buffer, short size) const;
};

#endif
