// The host side's one settings object: the SDK's settings table with ten
// host entries, the import type, the host's unit, and the settings file.
#ifndef QELVESK_PLUGIN_QELVESKUSERPARAMS_H
#define QELVESK_PLUGIN_QELVESKUSERPARAMS_H

#include "base/kstring.h"
#include "io/settings/kqeluserparams.h"

class QelVeskUserParams : public qelsdk_600::KQelUserParams {
public:
    // Host entries, after the 51 standard ones.
    enum EHostParam : unsigned int {
        kImportShowUI = 51,
        kImportForceWeightNormalize,
        kImportDeformNullsAsJoints,
        kImportHardEdges,
        kProtectDrivenKeys,
        kSetLockedAttrib,
        kExportShowUI,
        kExportSelectionOnly,
        kExportHardEdges,
        kExportBypassRrsInheritance,
        kParamCount
    };

    // The module's instance; never null while the module is loaded.
    static QelVeskUserParams* Instance();

    // Defaults, both unit texts for the host's unit, then the saved
    // settings (from the configuration directory, or the working directory
    // while none is set).
    QelVeskUserParams();
    // Saves the settings once more.
    ~QelVeskUserParams() override;

    // The 61 defaults, import type 1 (merge), both rates 30, unit texts
    // brought up to date.
    void Reset() override;
    // Reads every entry from the settings file: a missing key or a value
    // that does not scan keeps the current value; doubles pass through
    // single precision; a rate that is not a finite number above 0 is not
    // taken. The import type comes from entry 28 (any other text: merge).
    void Load() override;
    // Writes every entry in index order into section Vesk65 of the file:
    // bools 1 or 0, doubles as single precision that reads back as stored,
    // strings with line feeds written "\n"; entry 28 holds the import type.
    void Save() override;

    // Appends entries 51 to 60 and records the host unit and its texts.
    void LocalReset();
    // Rewrite both unit texts when the host unit changed since last
    // recorded; nothing else.
    void ResetImport() override;
    void ResetExport() override;

    // The host's UI distance unit as an SDK unit (0 for an unknown one).
    ESysUnits GetSystemUnitInfo() const override;
    // 1.0 for every unit.
    double GetSystemScale(ESysUnits pUnit) const override;

    // Stores the rate (entry 30 for import, 5 for export) only when it is a
    // finite number above 0; any other rate changes nothing.
    void SetResamplingRate(double pRate, bool pImport) override;
    // True for a finite rate above 0.
    static bool IsValidRate(double pRate);

    ELoadMode GetImportType() const { return mImportType; }
    void SetImportType(ELoadMode pType) { mImportType = pType; }

    // "qelplugins6.0.2registry.txt".
    qelsdk_600::KString GetRegistryPath() const;
    const qelsdk_600::KString& GetApplicationName() const { return mApplicationName; }

private:
    void RefreshUnitTexts();

    ELoadMode mImportType;
    qelsdk_600::KString mApplicationName;

    static QelVeskUserParams smInstance;
};

#endif
