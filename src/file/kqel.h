// The QEL field file: header, sections, typed fields in text, binary and
// enciphered binary form, password and per-section CRC.
#ifndef QELSDK_FILE_KQEL_H
#define QELSDK_FILE_KQEL_H

#include <memory>

#include "base/kerror.h"
#include "base/kstring.h"
#include "base/ktime.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

namespace qel_detail {
struct KQelState;
}

// Creation date and time of a file, local time, as stamped by ProjectCreate.
struct KQelFileHeaderTimeStamp {
    int mYear = 0;
    int mMonth = 0;  // 1 to 12
    int mDay = 0;
    int mHour = 0;
    int mMinute = 0;
    int mSecond = 0;
    int mMillisecond = 0;
};

// Header record of a file: filled by ProjectOpen, given to ProjectCreate.
// The camera resolution is stored only when mDefaultRenderResolution is true.
struct KQelFileHeaderInfo {
    int mHeaderVersion = 6000;  // 5800 or 6000; ProjectCreate turns others into 6000
    bool mDefaultRenderResolution = false;
    KString mCameraName;
    KString mResolutionMode;
    double mResolutionW = 0.0;
    double mResolutionH = 0.0;
    KQelFileHeaderTimeStamp mCreationTimeStamp;
    KString mCreator;
    bool mOtherFlag = false;
};

// A native field file. Fields live in a scope (the open section, or the block
// of the field that encloses them); each has a name, typed values and an
// optional block of nested fields. Reading is by name in any order within a
// scope. Failures return false, 0 or an empty text and record the reason in
// the error record (ids below); nothing throws. Not copyable.
class KQel {
public:
    // Error ids of GetLastErrorID.
    enum EError {
        eFileCorrupted = 0,            // "File is corrupted"
        eVersionNotSupportedYet = 1,   // "File version is not supported yet"
        eVersionNotSupportedAnymore = 2,
        eFileNotOpened = 3,            // "File not opened"
        eFileNotCreated = 4,           // "File not created"
        eUnableToOpen = 5,             // "Unable to open file <path>"
        eSectionError = 6,             // section operation refused
        eFieldError = 7,               // field operation without the field it needs
        eWriteError = 8,               // the system refused to write (disk full...)
        eWrongPassword = 9,
        eFieldNotClosed = 10,          // "Begin Field error last field not closed"
        eErrorCount
    };

    // Password key derivation cost written into new files.
    static const int kPasswordIterations = 10000;
    // Largest piece in which embedded files are copied.
    static const int kEmbedPieceSize = 524288;

    KQel();
    // Closes the project (a created file gets its final name).
    virtual ~KQel();
    KQel(const KQel&) = delete;
    KQel& operator=(const KQel&) = delete;

    // ---- Project -------------------------------------------------------

    // Creates the file at path through a temporary name in the same directory
    // and writes the header; the main section is then open for writing.
    // encrypted implies binary. header may be null; its version and creation
    // time stamp are updated. False with error 4 when the file cannot be made.
    bool ProjectCreate(const char* path, bool binary, bool encrypted, KQelFileHeaderInfo* header);
    // Opens an existing file, checks its header, every section CRC and the
    // top level of the main section, and fills header (may be null); no
    // section is open afterwards. The form is read from the file; binaryHint
    // is not needed. readOnly forbids adding extension sections (otherwise
    // they are allowed when the file is writable). False with error 0
    // (damaged or not a field file), 1 (newer layout) or 5 (cannot be opened).
    bool ProjectOpen(const char* path, bool binaryHint, bool readOnly, KQelFileHeaderInfo* header);
    // ProjectOpen, then opens the main section at once.
    bool ProjectOpenDirect(const char* path, bool binaryHint, bool readOnly, KQelFileHeaderInfo* header);
    // Closes the open section and the file; a created file is moved to its
    // final name. False with error 3 when no file is open, or with error 8
    // when a created file could not be completed (no final file is made then).
    bool ProjectClose();
    // Closes the file without completing what is being written, for a
    // writer that failed part-way. A created file never gets its final
    // name: its temporary file is removed and a file already at that name
    // stays as it was. An opened file loses only an extension section being
    // appended (it never counted: the committed length stays); sections
    // committed before, and a section replaced by an overwriting append,
    // stay as they are. False with error 3 when no file is open.
    bool ProjectDiscard();
    bool ProjectIsOpen() const;

    // Opens the main section, or extension section index (0-based), for
    // reading; an open reading section is closed first. False with error 6
    // when out of range or while a section is being written.
    bool ProjectOpenMainSection();
    bool ProjectOpenExtensionSection(int index);
    // Closes the section being read or written (binary writing: null record,
    // footer and CRC). Fields and blocks left open are closed (error 10).
    bool ProjectCloseSection();
    // Starts a new extension section for writing, after the closed sections
    // of a binary file being written or opened for update; overwrite replaces
    // the last extension section. False (nothing done) for a text file, while
    // a section is open, for a read-only file, or for an enciphered
    // password-protected file whose password was not checked.
    bool ProjectCreateExtensionSection(bool overwrite);
    int ProjectGetExtensionSectionCount() const;
    // Version of section index (0 main, 1.. extension sections); 0 out of range.
    int ProjectGetSectionVersion(int section) const;
    // Index of the open section as ProjectGetSectionVersion counts, -1 when none.
    int ProjectGetCurrentSection() const;
    // Splits 6000 into 6, 0, 0: v / 1000, (v % 1000) / 100, v % 100.
    static void ProjectConvertVersionNumber(int version, int& major, int& minor, int& revision);

    // Form and state of the open file.
    bool IsBinary() const;
    bool IsEncrypted() const;
    int GetHeaderVersion() const;
    // True while an opened file carries a password that CheckPassword has
    // not accepted.
    bool IsPasswordPending() const;

    // ---- Password -----------------------------------------------------

    // Binary forms only, once per section: writes the field "NodeId" holding
    // a one-way scramble of the password, and protects this section and the
    // sections written after it (enciphered form: their key derives from the
    // password). False, writing nothing, in a text file or for a null text.
    bool WritePassword(const char* password);
    // True when the file asks for no password or the password matches; a
    // match clears the pending flag and unlocks enciphered sections.
    bool CheckPassword(const char* password);

    // ---- Writing fields ---------------------------------------------------

    // Opens a field in the current scope. A field still open there is closed
    // first and error 10 recorded. A null or empty name is refused (error 7).
    void FieldWriteBegin(const char* name);
    // Closes the field opened last in the current scope.
    void FieldWriteEnd();
    // Opens the block of the open field, after its values; fields begun until
    // FieldWriteBlockEnd belong to it.
    void FieldWriteBlockBegin();
    // Closes the innermost block; its field is then closed with FieldWriteEnd.
    void FieldWriteBlockEnd();

    // Append one value to the open field (binary types 'I', 'L', 'F', 'D',
    // 'C', 'S'). A text of the form "Kind::name" is stored in binary as
    // name, 0x00, 0x01, Kind, and read back as written.
    void FieldWriteI(int value);
    void FieldWriteLL(kLongLong value);
    void FieldWriteF(float value);
    void FieldWriteD(double value);
    void FieldWriteCH(char value);
    void FieldWriteC(const char* value);  // null writes the empty text
    // n values appended to the open field, as n calls of FieldWriteD or
    // FieldWriteI would append them.
    void FieldWriteDn(const double* values, unsigned int n);
    void FieldWriteIn(const int* values, unsigned int n);
    // A time: 64-bit ticks when the section version exceeds 2000, else a
    // double of seconds. A span is its start, then its stop.
    void FieldWriteT(KTime value);
    void FieldWriteTS(KTimeSpan value);
    // One raw value (type 'R'): size bytes, at most 4 GiB - 1.
    void FieldWriteR(const void* data, kUInt size);
    // The same, streamed: announce the size, then give the bytes in pieces.
    // Ending early fills the rest with zeros and records error 7.
    bool FieldWriteRBegin(kUInt size);
    bool FieldWriteRPart(const void* data, kUInt size);
    bool FieldWriteREnd();
    // Binary forms only: copies the file (else relativeName) into the open
    // field as one raw value, in pieces. A file name already embedded in this
    // file writes nothing and answers true. False when neither can be read.
    bool FieldWriteEmbeddedFile(const KString& fileName, const KString& relativeName);

    // Binary forms: from the next file created or section appended on, runs
    // of values of at least 4 KiB are stored deflated where that saves an
    // eighth of their size. Off by default: writing and reading then take
    // several times longer (docs/qel-format.md, section 2.3).
    void SetDeflateRuns(bool deflate) { mDeflateRuns = deflate; }

    // Text form only: a comment line ";" + text at the current indentation
    // (one line per line of text); nothing in the binary forms.
    void WriteComments(const char* text);

    // ---- Reading fields ---------------------------------------------------

    // Number of fields of that name in the current scope.
    int FieldGetInstanceCount(const char* name);
    // Makes the next unread field of that name in the current scope current,
    // on its first value; false when none is left. A field still current is
    // ended first (error 10).
    bool FieldReadBegin(const char* name);
    // Ends the current field.
    void FieldReadEnd();
    // Every field of the current scope becomes unread again.
    void FieldReadResetPosition();
    // Enters the block of the current field (false when it has none) and
    // returns to the enclosing scope.
    bool FieldReadBlockBegin();
    void FieldReadBlockEnd();
    // Number of values of the current field, and of those not read yet; 0
    // when no field is current.
    int FieldReadGetCount();
    int FieldReadGetRemain();
    // Type letter of the next value ('I', 'L', 'F', 'D', 'C', 'S', 'R'); 'S'
    // when no field is current or no value is left. Text files know I, L
    // (integers), D, C, S and R.
    char FieldReadGetType();

    // The next value, converted, advancing; 0, 0.0, '\0' or the empty text
    // when no field is current or the field has no value left.
    int FieldReadI();
    kLongLong FieldReadLL();
    float FieldReadF();
    double FieldReadD();
    char FieldReadCH();
    // The text stays valid until the next read call; never null.
    const char* FieldReadC();
    // Binary: a 'L' value is ticks, any other seconds; text: ticks when the
    // section version exceeds 2000, else seconds.
    KTime FieldReadT();
    KTimeSpan FieldReadTS();
    // Starts reading the next value as raw bytes; size receives its length.
    // False when no value is left or it is not raw.
    bool FieldReadRBegin(kUInt* size);
    // Copies up to size bytes of the raw value; the number copied, 0 at its end.
    kUInt FieldReadRPart(void* buffer, kUInt size);
    void FieldReadREnd();

    // Begin the named field, read its first value, end it; the default when
    // the field is absent. A null text default reads as "".
    int FieldReadI(const char* name, int defaultValue = 0);
    kLongLong FieldReadLL(const char* name, kLongLong defaultValue = 0);
    double FieldReadD(const char* name, double defaultValue = 0.0);
    char FieldReadCH(const char* name, char defaultValue = 0);
    const char* FieldReadC(const char* name, const char* defaultValue = "");
    KTime FieldReadT(const char* name);
    KTimeSpan FieldReadTS(const char* name);
    // n doubles of the named field into values; absent field: the defaults
    // are copied, or with null defaults the array is left unchanged.
    void FieldReadDn(const char* name, double* values, const double* defaults, unsigned int n);
    // Up to n next values of the current field into values, converted as
    // FieldReadD or FieldReadI convert them, advancing; the number read,
    // fewer when the field has fewer left or a value is damaged (error 0).
    unsigned int FieldReadDn(double* values, unsigned int n);
    unsigned int FieldReadIn(int* values, unsigned int n);

    // ---- Paths and errors ---------------------------------------------

    // name resolved against the directory of the open file (absolute names
    // unchanged); valid until the next call.
    const char* GetFullFilePath(const char* name);
    // path made relative to the directory of the open file; valid until the
    // next call.
    const char* GetRelativeFilePath(const char* path);
    // Final path of the open file; empty when none.
    const char* GetFilePath() const;

    KError& GetError() { return mError; }
    int GetLastErrorID() const { return mError.GetLastErrorID(); }
    const char* GetLastErrorString() const { return mError.GetLastErrorString(); }

private:
    KError mError;
    std::unique_ptr<qel_detail::KQelState> mState;
    KString mPathResult;
    bool mDeflateRuns = false;
};

}  // namespace qelsdk_600

#endif
