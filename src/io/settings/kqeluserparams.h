// The table of import and export settings, with typed access by index,
// persistence in a configuration file section and the master scale.
#ifndef QELSDK_IO_SETTINGS_KQELUSERPARAMS_H
#define QELSDK_IO_SETTINGS_KQELUSERPARAMS_H

#include "base/karraytemplate.h"
#include "base/kstring.h"
#include "base/ktypes.h"

namespace qelsdk_600 {

class KConfigFile;

// One setting: its name (the key it is stored under), its value type and
// its value as text.
class KQelUserParamEntry {
public:
    enum EType : int { eBool = 0, eDouble = 1, eString = 2 };

    KQelUserParamEntry() : mType(eString) {}
    KQelUserParamEntry(const char* pName, int pType, const char* pValue)
        : mName(pName), mType(pType), mValue(pValue)
    {
    }

    KString mName;
    // An EType; tells Load and Save of an application which accessor suits.
    kInt mType;
    KString mValue;
};

// The settings, addressed by an index fixed by the order of addition: the 51
// standard entries (0 to 50, named in EParam), then those an application
// appends with AddUserParams. Values are text: booleans "true" and "false"
// (only the exact text "true" reads as true), numbers, load-mode names.
// Numbers are written and read the same whatever the process locale. The
// application derives from the table and supplies where the settings persist
// and its length unit. Used from one thread.
class KQelUserParams {
public:
    // Indices of the standard entries; the enumerator is the entry's name.
    enum EParam : unsigned int {
        kExportMasterUnitStr = 0,
        kImportMasterUnitStr,
        kShowWarnings,
        kAsciiQel,
        kExportMasterScale,
        kExportSamplingRate,
        kExportAnimation,
        kExportEmbedTextures,
        kExportConvert_2Tiff,
        kExportCameras,
        kExportLights,
        kExportGeometries,
        kExportSkins,
        kExportShapes,
        kExportBindPose,
        kExportPivotToNull,
        kExportApplyCstKeyRed,
        kExportCstKeyRedTPrec,
        kExportCstKeyRedRPrec,
        kExportCstKeyRedSPrec,
        kExportCstKeyRedOPrec,
        kExportApplyKeyReduce,
        kExportKeyReducePrec,
        kExportApplyKeySync,
        kExportApplyKeysOnFrm,
        kExportApplyUnroll,
        kExportUnrollPrec,
        kExportUnrollPath,
        kImportLoadMode,
        kImportMasterScale,
        kImportSamplingRate,
        kImportAnimation,
        kImportCameras,
        kImportLights,
        kImportGeometries,
        kImportSkins,
        kImportShapes,
        kImportMarkers,
        kImportNullsToPivot,
        kImportApplyCstKeyRed,
        kImportCstKeyRedTPrec,
        kImportCstKeyRedRPrec,
        kImportCstKeyRedSPrec,
        kImportCstKeyRedOPrec,
        kImportApplyKeyReduce,
        kImportKeyReducePrec,
        kImportApplyKeySync,
        kImportApplyKeysOnFrm,
        kImportApplyUnroll,
        kImportUnrollPrec,
        kImportUnrollPath,
        kStandardParamCount
    };
    // Import load modes, stored as "kExclusiveMerge", "kMerge", "kCreate".
    enum ELoadMode : int { eExclusiveMerge = 0, eMerge = 1, eCreate = 2 };
    // The application's length unit; a plain unit counts as a centimetre.
    enum ESysUnits : int {
        eUnit = 0,
        eInch = 1,
        eFoot = 2,
        eYard = 3,
        eMile = 4,
        eMillimeter = 5,
        eCentimeter = 6,
        eMeter = 7,
        eKilometer = 8,
        eSysUnitCount = 9
    };

    // The 51 standard entries with their defaults (this class's own Reset).
    KQelUserParams();
    // Deletes every entry.
    virtual ~KQelUserParams();
    KQelUserParams(const KQelUserParams&) = delete;
    KQelUserParams& operator=(const KQelUserParams&) = delete;

    // Deletes every entry, those an application added included, and rebuilds
    // the 51 standard ones with their default texts.
    virtual void Reset();
    // Where the settings persist: the application's.
    virtual void Load() = 0;
    virtual void Save() = 0;

    // Entry 1 (import) or 0 (export): the side's unit description.
    virtual KString GetMasterUnitStr(bool pImport) const;
    // Entry 29 (import) or 4 (export), as a double.
    virtual double GetMasterScale(bool pImport) const;
    virtual void SetMasterScale(double pScale, bool pImport);
    // Entry 30 (import) or 5 (export), as a double.
    virtual double GetResamplingRate(bool pImport) const;
    virtual void SetResamplingRate(double pRate, bool pImport);

    // The application's current length unit, and a factor it applies to a
    // unit's export scale (ComputeMasterScale).
    virtual ESysUnits GetSystemUnitInfo() const = 0;
    virtual double GetSystemScale(ESysUnits pUnit) const = 0;

    // Export defaults back in entries 2 to 27, import defaults in 2, 3 and 29
    // to 50; other entries keep their values. The four constant-key-reducer
    // precisions of each side (17 to 20, 40 to 43) get "0.009", "0.00009",
    // "0.009", "0.004": the defaults rotated by one place. That looks like a
    // slip but stays, as stored settings may rely on it; the host overrides
    // both operations anyway.
    virtual void ResetExport();
    virtual void ResetImport();

    int GetNbParameters() const { return mEntries.GetCount(); }
    // Null when the index is not below the count.
    KQelUserParamEntry* Entry(unsigned int pIndex);
    const KQelUserParamEntry* Entry(unsigned int pIndex) const;

    // Typed access by index, whatever the entry's type. At or past the count
    // the getters answer false, 0.0 or an empty text and the setters do
    // nothing. Setting never changes a name or a type.
    bool GetBoolParam(unsigned int pIndex) const;
    double GetDoubleParam(unsigned int pIndex) const;
    KString GetStringParam(unsigned int pIndex) const;
    void SetBoolParam(unsigned int pIndex, bool pValue);
    // Stores GetString(double) of the value.
    void SetDoubleParam(unsigned int pIndex, double pValue);
    void SetStringParam(unsigned int pIndex, const KString& pValue);

    // True only for the exact text "true" (null: false).
    bool GetBool(const char* pText) const;
    // The longest leading decimal number after leading blanks, as atof reads
    // it in the "C" locale; 0.0 when there is none.
    double GetDouble(const char* pText) const;
    // "true" or "false" into pText, which is returned.
    KString& GetString(bool pValue, KString& pText) const;
    // The value in single precision written with "%f" ("30.000000",
    // "91.440002", "0.000090") whenever that text reads back within one part
    // in 10^4 of it; otherwise the shortest text that reads back to the same
    // single-precision value ("1e-07", "6.213e-06"), so small scales are not
    // lost. Into pText, which is returned.
    KString& GetString(double pValue, KString& pText) const;

    // Appends copies of the caller's entries (names not checked for
    // repeats); the caller keeps its own. Null items are skipped.
    void AddUserParams(KArrayTemplate<KQelUserParamEntry*>& pEntries);

    // The text of a load mode; empty outside 0 to 2.
    KString LoadModeToString(ELoadMode pMode) const;
    // The load mode of a text (exact match); any other text gives eMerge.
    ELoadMode StringToLoadMode(const KString& pText) const;

    // Reads (Load) or writes (Save) the standard entries but 15 and 38 in
    // one section of a configuration file, the key being the entry's name.
    // Load replaces a value only when its key is found, without parsing it.
    // A line feed in a value is stored as the two characters "\n" and Load
    // turns them back, so the two-line unit descriptions (entries 0 and 1)
    // persist whole; a configuration line holds one line of text. Save
    // ignores failed writes (such as a value holding ';').
    void Load(KConfigFile& pFile, const char* pSection);
    void Save(KConfigFile& pFile, const char* pSection) const;
    // That encoding of a value text (line feed to "\n") and its inverse, for
    // applications that store the table themselves.
    static KString EscapeLineFeeds(const char* pText);
    static KString UnescapeLineFeeds(const char* pText);

    // Writes the unit description of one side (import: entry 1, export:
    // entry 0) for GetSystemUnitInfo() and, unless pTextOnly, its master
    // scale (import: entry 29, how many units one centimetre is; export:
    // entry 4, GetSystemScale(unit) times the centimetres one unit is). A
    // unit outside the enumeration changes no text; the scale is then 1.0
    // (import) or GetSystemScale alone (export).
    void ComputeMasterScale(bool pImport, bool pTextOnly);

private:
    void ClearEntries();
    // Sets the value texts of the listed entries from their defaults, with
    // the rotated precisions of ResetExport and ResetImport.
    void ResetRange(unsigned int pFirst, unsigned int pLast);

    KArrayTemplate<KQelUserParamEntry*> mEntries;
};

}  // namespace qelsdk_600

#endif
