// Export front end: creates one file with the writer of its format and
// writes a scene into it.
#ifndef QELSDK_IO_KQELEXPORTER_H
#define QELSDK_IO_KQELEXPORTER_H

#include "io/kqelio.h"

namespace qelsdk_600 {

class IQelObject;
class KQelScene;
class KQelWriter;
class KStreamOptionsQel;

// Told a file name and a format number, the exporter creates the writer of
// that format, creates the file and writes a scene; the writer lives from
// FileCreatePart1 until FileClose, which Export runs at its end. Made by the
// manager (KQelSdkManager::CreateKQelExporter) or directly with a manager.
class KQelExporter : public KQelIO {
public:
    // Export formats, with their table texts; 0 to 4 are native (0 to 2 the
    // current layout, 3 and 4 the 5.0 layout).
    enum EFileFormat : int {
        eQelBinary = 0,      // "QEL binary (*.qel)"
        eQelAscii = 1,       // "QEL ascii (*.qel)"
        eQelEncrypted = 2,   // "QEL encrypted (*.qel)"
        eQel5Binary = 3,     // "QEL 5.0 binary (*.qel)"
        eQel5Ascii = 4,      // "QEL 5.0 ascii (*.qel)"
        eBvh = 5,            // "Biovision (*.bvh)"
        eHtr = 6,            // "Motion Analysis HTR (*.htr)"
        eTrc = 7,            // "Motion Analysis TRC (*.trc)"
        eAsf = 8,            // "Acclaim ASF (*.asf)"
        eAmc = 9,            // "Acclaim AMC (*.amc)"
        eC3d = 10,           // "Vicon C3D (*.c3d)"
        eAoa = 11,           // "Adaptive Optics AOA (*.aoa)"
        eMcd = 12,           // "Superfluo MCD (*.mcd)"
        eVpm = 13,           // "Puppeteer VPM (*.vpm)"
        eMov = 14,           // "Pellacord MOV (*.mov)"
        eBrd = 15,           // "Ascension BRD (*.brd)"
        eDxf = 16,           // "Autocad DXF (*.dxf)"
        e3ds = 17,           // "3D Studio 3DS (*.3ds)"
        eObj = 18,           // "Tovik OBJ (*.obj)"
        eFileFormatCount = 19
    };
    // Export states and the KStreamOptionsQel switch each one feeds.
    enum EExportState : int {
        eModelAttribute = 0,  // option 0
        eMaterial = 1,        // option 1
        eTexture = 2,         // option 2
        eEmbedMedia = 3,      // option 12 (off by default)
        eLink = 4,            // option 4
        eShape = 5,           // option 5
        eGobo = 6,            // option 6
        eAnimation = 7,       // option 7
        eCharacter = 8,       // option 8
        eGlobalSettings = 9,  // option 9
        ePivot = 10,          // option 10
        eExportStateCount = 11
    };

    // Format 0, no writer, empty password, then Reset.
    explicit KQelExporter(KQelSdkManager& pManager);
    // Reset, then frees what remains.
    ~KQelExporter() override;

    // Closes the file, all states on but embed media, empty message. The
    // format and the password stay.
    void Reset();
    // Reset, store the name; true.
    bool Initialize(const char* pFileName) override;

    // A new options object of the format's writer (made first when needed),
    // owned by the caller (ReleaseExportOptions); null with error 4 when the
    // format has no writer, with error 7 when the writer gives none.
    KStreamOptions* GetExportOptions();
    // Destroys options (null ignored).
    void ReleaseExportOptions(KStreamOptions* pOptions);
    // Options of a scene nested in an open field file: null object error 4,
    // no options error 7; null then.
    KStreamOptions* GetExportOptions(IQelObject* pObject);

    // Creates the file and writes the scene, then closes the file. Without
    // options, a native format is written under options filled from the
    // exporter (SetExportOptionsInfo) with the scene information settled
    // between scene and options (a copy of the scene's made for the options
    // is destroyed through the manager after the write); any other format
    // fails with error 10.
    // Failures: file not created error 4 (with the text of the failed
    // creation, which says why); failed write error 5, but error 7 with the
    // writer's text when a native writer refused the scene with its error 5
    // (a geometry the reader would refuse); the writer's message stays
    // available through GetMessage.
    bool Export(KQelScene& pScene, KStreamOptions* pOptions = nullptr);
    // Writes a scene nested in an open field file: null options error 10,
    // null object or no writer error 4, failed write error 5 or, as above,
    // 7 with the writer's text.
    bool Export(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject);

    // Closes any file and makes the writer of the format (native ones in
    // their form); true when one exists.
    bool FileCreatePart1();
    // Creates the file (making the writer first when needed). Failures: no
    // file name 6; no writer 4; the writer's error translated (0 kept, 2
    // gives 4, others 7) with the writer's text, the writer then closed.
    bool FileCreatePart2();
    // Deletes the writer; true.
    bool FileClose();

    // Resets the options, then gives them the password (when set, also the
    // protection flag) and switches 0 to 2 and 4 to 10 from the states of
    // the same number and switch 12 from state 3. Null is ignored.
    void SetExportOptionsInfo(KStreamOptionsQel* pOptions);

    // true: format 0 (binary), false: format 1 (ASCII).
    void SetFileModeBinary(bool pBinary);
    // True for formats 0 and 3.
    bool IsFileModeBinary() const;

    // States outside 0 to 10 are ignored and answer false.
    void SetState(EExportState pState, bool pValue);
    bool GetState(EExportState pState) const;
    // All states on but embed media (3).
    void ResetConfiguration();

    void SetFileFormat(EFileFormat pFormat) { mFileFormat = pFormat; }
    EFileFormat GetFileFormat() const { return mFileFormat; }
    // The table texts; empty outside the table.
    const char* GetFileFormatDescription(EFileFormat pFormat) const;
    const char* GetFileFormatExtension(EFileFormat pFormat) const;

private:
    bool IsNative() const { return mFileFormat >= eQelBinary && mFileFormat <= eQel5Ascii; }
    // The writer of the format, or null.
    KQelWriter* CreateWriter();
    // Records the failure of a write by pWriter, a native format's writer
    // when pNative.
    void SetWriteError(const KQelWriter& pWriter, bool pNative);

    EFileFormat mFileFormat;
    KQelWriter* mWriter;
    StateFlags<eExportStateCount> mStates;
};

}  // namespace qelsdk_600

#endif
