// Import front end: opens one file with the reader of its format and reads
// it into a scene.
#ifndef QELSDK_IO_KQELIMPORTER_H
#define QELSDK_IO_KQELIMPORTER_H

#include "base/karraytemplate.h"
#include "io/kqelio.h"

namespace qelsdk_600 {

class IQelObject;
class KQelReader;
class KQelScene;
class KQelSceneInfo;
class KQelTakeInfo;
class KStreamOptionsQel;

// Told a file name and a format number, the importer creates the reader of
// that format when the file is opened and owns it until the file is closed.
// For native files it keeps a copy of the file's takes, scene information
// and current take name, which survive FileClose, so that the take queries
// answer for the file last opened. Made by the manager
// (KQelSdkManager::CreateKQelImporter) or directly with a manager.
class KQelImporter : public KQelIO {
public:
    // Import formats, with their table texts; 0 to 2 are native.
    enum EFileFormat : int {
        eQelBinary = 0,     // "QEL binary (*.qel)"
        eQelAscii = 1,      // "QEL ascii (*.qel)"
        eQelEncrypted = 2,  // "QEL encrypted (*.qel)"
        eBvh = 3,           // "Biovision (*.bvh)"
        eHtr = 4,           // "Motion Analysis (*.htr)"
        eTrc = 5,           // "Motion Analysis (*.trc)"
        eAsf = 6,           // "Acclaim ASF (*.asf)"
        eAmc = 7,           // "Acclaim AMC (*.amc)"
        eC3d = 8,           // "Vicon C3D (*.c3d)"
        eAoa = 9,           // "Adaptive Optics AOA (*.aoa)"
        eMcd = 10,          // "Superfluo MCD (*.mcd)"
        eVpm = 11,          // "Puppeteer VPM (*.vpm)"
        eMov = 12,          // "Pellacord MOV (*.mov)"
        eBrd = 13,          // "Ascension BRD (*.brd)"
        eDxf = 14,          // "Autocad DXF (*.dxf)"
        e3ds = 15,          // "3D Studio 3DS (*.3ds)"
        eObj = 16,          // "Tovik OBJ (*.obj)"
        eFileFormatCount = 17
    };
    // Import states and the KStreamOptionsQel switch each one feeds.
    enum EImportState : int {
        eModelAttribute = 0,          // option 0
        eMaterial = 1,                // option 1
        eTexture = 2,                 // option 2
        eLink = 3,                    // option 4
        eShape = 4,                   // option 5
        eGobo = 5,                    // option 6
        eAnimation = 6,               // option 7
        eCharacter = 7,               // option 8
        eGlobalSettings = 8,          // option 9
        ePivot = 9,                   // option 10
        eMergeLayerAndTimeWarp = 10,  // option 11
        eImportStateCount = 11
    };
    // How GetImportOptions may obtain the options.
    enum EStreamOptionsGeneration : int {
        eParseFile = 0,    // the reader may parse the whole file
        eSummaryOnly = 1   // only from a quick source (a native file's summary)
    };

    // Format 0, no reader, no scene information, then Reset.
    explicit KQelImporter(KQelSdkManager& pManager);
    // Reset, then frees what remains.
    ~KQelImporter() override;

    // Closes the file; frees the take copies, the current take name and the
    // scene information; all states on; version 0.0.0; empty message; no
    // render resolution. The password and the format number stay.
    void Reset();
    // Reset, store the name; a native extension opens the file at once and
    // answers FileOpen's result, any other answers true.
    bool Initialize(const char* pFileName) override;
    // Whether the file name's extension, lowered, holds "qel".
    bool IsNativeExtension();

    // Closes any open file, creates the reader of the format and opens the
    // file. A native file also sets the format from its form (binary 0,
    // ASCII 1, enciphered 2), its version and its render resolution.
    // Failures: no file name 6; a format without a reader 7; the reader's
    // error translated (0, 1, 2 and 3 kept, others 7) with the reader's text.
    bool FileOpen();
    // Deletes the reader and forgets that the options were read; true.
    bool FileClose();

    // A new options object of the open file (opened first when needed),
    // owned by the caller (ReleaseImportOptions); null on failure (error 7
    // when generation eParseFile got no options). Native options are also
    // copied into the importer (GetImportOptionsInfo).
    KStreamOptions* GetImportOptions(EStreamOptionsGeneration pGeneration = eParseFile);
    // Destroys options (null ignored).
    void ReleaseImportOptions(KStreamOptions* pOptions);
    // Options of a scene nested in an open field file; null object: error 4
    // and null; no options: error 7 and null.
    KStreamOptions* GetImportOptions(IQelObject* pObject);

    // Reads the file (opened first when needed) into the scene. Without
    // options, a native file whose options were read uses the importer's
    // copy; any other reads its options afresh. Failures: a wrong password
    // gives error 9 with its own text, any other read failure 7; the
    // reader's message stays available through GetMessage.
    bool Import(KQelScene& pScene, KStreamOptions* pOptions = nullptr);
    // Reads a scene nested in an open field file: null options error 10,
    // null object error 4, failed read error 7.
    bool Import(KQelScene& pScene, KStreamOptions* pOptions, IQelObject* pObject);
    // Rewrites the header extension of an open native file from native
    // options; false otherwise.
    bool UpdateImportOptions(KStreamOptions* pOptions);

    // Importer to options: copies of the takes, the current take name, the
    // password, and option k (k + 1 from state 3 on) from state k. The
    // options' scene information, protection flag and counts stay.
    void SetImportOptionsInfo(KStreamOptionsQel* pOptions);
    // Options to importer: copies of the takes and of the scene information
    // (made through the manager), the current take name, the password, and
    // state k from option k (k + 1 from state 3 on). Null is ignored.
    void GetImportOptionsInfo(KStreamOptionsQel* pOptions);


    // States outside 0 to 10 are ignored and answer false.
    void SetState(EImportState pState, bool pValue);
    bool GetState(EImportState pState) const;
    // All states on.
    void ResetConfiguration();

    // Version of the native file last opened; a stored major of 1 to 4
    // answers 5.0.0; 0.0.0 before any.
    void GetFileVersion(int& pMajor, int& pMinor, int& pRevision) const;
    // Copies the native file's default render resolution when it had one;
    // answers whether it had.
    bool GetDefaultRenderResolution(KString& pCameraName, KString& pResolutionMode,
                                    double& pWidth, double& pHeight) const;

    // Take queries. For a native format they first read the options once
    // (opening the file when needed) and answer from the importer's copy;
    // other formats and failures answer 0, null, "" and null. The records
    // belong to the importer.
    int GetTakeCount();
    // Null for an index outside 0 to count - 1.
    KQelTakeInfo* GetTakeInfo(int pIndex);
    const char* GetCurrentTakeName();
    KQelSceneInfo* GetSceneInfo();

    void SetFileFormat(EFileFormat pFormat) { mFileFormat = pFormat; }
    EFileFormat GetFileFormat() const { return mFileFormat; }
    // The table texts; empty outside the table.
    const char* GetFileFormatDescription(EFileFormat pFormat) const;
    const char* GetFileFormatExtension(EFileFormat pFormat) const;

private:
    bool IsNative() const { return mFileFormat >= eQelBinary && mFileFormat <= eQelEncrypted; }
    // The reader of the format, or null.
    KQelReader* CreateReader();
    // Native formats: takes the file's form, version and render resolution
    // from the open native reader (only the version with pVersionOnly);
    // false when that is not possible.
    bool TakeNativeFileInfo(bool pVersionOnly);
    // For native formats: reads the options once; false when they cannot be.
    bool ReadOptionsOnce();

    EFileFormat mFileFormat;
    KQelReader* mReader;
    bool mImportOptionsRead;
    KArrayTemplate<KQelTakeInfo*> mTakeInfo;
    KQelSceneInfo* mSceneInfo;
    KString mCurrentTakeName;
    StateFlags<eImportStateCount> mStates;
    int mVersion[3];
    bool mRenderResolutionValid;
    KString mRenderCameraName;
    KString mRenderResolutionMode;
    double mRenderWidth;
    double mRenderHeight;
};

}  // namespace qelsdk_600

#endif
