#include "plugin/qelveskuserparams.h"

#include <cmath>
#include <cstdio>

#include <vesk/MDistance.h>

#include "file/kregistry.h"

using namespace qelsdk_600;

namespace {

// The last host unit the unit texts were made for.
KQelUserParams::ESysUnits sgCurrentSystemUnits = KQelUserParams::eUnit;

// The section argument of every registry access; the registry uses the
// section it was connected with.
const char* const kRegistrySection = "UserParams";

} // namespace

QelVeskUserParams QelVeskUserParams::smInstance;

QelVeskUserParams* QelVeskUserParams::Instance()
{
    return &smInstance;
}

QelVeskUserParams::QelVeskUserParams() : mImportType(eMerge)
{
    char lVersion[16];
    std::snprintf(lVersion, sizeof lVersion, "%2d", 65);
    mApplicationName = "Vesk";
    mApplicationName += lVersion;
    KQelUserParams::Reset();
    LocalReset();
    const KString lImportUnit = GetMasterUnitStr(true);
    const KString lExportUnit = GetMasterUnitStr(false);
    Load();
    // Whatever the file held, the unit texts describe the host's unit.
    if (GetMasterUnitStr(true) != lImportUnit)
        ComputeMasterScale(true, true);
    if (GetMasterUnitStr(false) != lExportUnit)
        ComputeMasterScale(false, true);
}

QelVeskUserParams::~QelVeskUserParams()
{
    Save();
}

void QelVeskUserParams::LocalReset()
{
    static const struct {
        const char* name;
        const char* value;
    } kHostEntries[] = {
        {"kImportShowUI", "true"},          {"kImportForceWeightNormalize", "true"},
        {"kImportDeformNullsAsJoints", "false"}, {"kImportHardEdges", "false"},
        {"kProtectDrivenKeys", "false"},    {"kSetLockedAttrib", "false"},
        {"kExportShowUI", "true"},          {"kExportSelectionOnly", "false"},
        {"kExportHardEdges", "false"},      {"kExportBypassRrsInheritance", "false"},
    };
    KArrayTemplate<KQelUserParamEntry*> lEntries;
    for (const auto& lRow : kHostEntries)
        lEntries.Add(new KQelUserParamEntry(lRow.name, KQelUserParamEntry::eBool, lRow.value));
    AddUserParams(lEntries);
    for (int i = 0; i < lEntries.GetCount(); ++i)
        delete lEntries[i];
    sgCurrentSystemUnits = GetSystemUnitInfo();
    RefreshUnitTexts();
}

void QelVeskUserParams::RefreshUnitTexts()
{
    ComputeMasterScale(true, true);
    ComputeMasterScale(false, true);
}

void QelVeskUserParams::Reset()
{
    KQelUserParams::Reset();
    LocalReset();
    mImportType = eMerge;
    SetDoubleParam(kImportSamplingRate, 30.0);
    SetDoubleParam(kExportSamplingRate, 30.0);
    ResetImport();
    ResetExport();
}

void QelVeskUserParams::ResetImport()
{
    const ESysUnits lUnit = GetSystemUnitInfo();
    if (lUnit == sgCurrentSystemUnits)
        return;
    sgCurrentSystemUnits = lUnit;
    RefreshUnitTexts();
}

void QelVeskUserParams::ResetExport()
{
    ResetImport();
}

KQelUserParams::ESysUnits QelVeskUserParams::GetSystemUnitInfo() const
{
    // Host distance units 1 to 8 (metres and kilometres swapped).
    static const ESysUnits kUnits[9] = {eUnit,       eInch,       eFoot,      eYard,  eMile,
                                        eMillimeter, eCentimeter, eKilometer, eMeter};
    const int lUnit = static_cast<int>(MDistance::uiUnit());
    return lUnit >= 0 && lUnit < 9 ? kUnits[lUnit] : eUnit;
}

double QelVeskUserParams::GetSystemScale(ESysUnits) const
{
    return 1.0;
}

bool QelVeskUserParams::IsValidRate(double pRate)
{
    return std::isfinite(pRate) && pRate > 0.0;
}

void QelVeskUserParams::SetResamplingRate(double pRate, bool pImport)
{
    if (IsValidRate(pRate))
        KQelUserParams::SetResamplingRate(pRate, pImport);
}

KString QelVeskUserParams::GetRegistryPath() const
{
    KString lPath("qelplugins");
    lPath += "6.0.2";
    lPath += "registry.txt";
    return lPath;
}

void QelVeskUserParams::Load()
{
    KRegistry* lRegistry = KRegistry::Instance();
    lRegistry->Connect(GetRegistryPath().Buffer(), mApplicationName.Buffer());
    for (int i = 0; i < GetNbParameters(); ++i) {
        KQelUserParamEntry* lEntry = Entry(static_cast<unsigned int>(i));
        const char* lKey = lEntry->mName.Buffer();
        switch (lEntry->mType) {
        case KQelUserParamEntry::eBool: {
            const int lValue = lRegistry->ReadInt(kRegistrySection, lKey, GetBoolParam(i) ? 1 : 0);
            SetBoolParam(i, lValue != 0);
            break;
        }
        case KQelUserParamEntry::eDouble: {
            const float lCurrent = static_cast<float>(GetDoubleParam(i));
            float lValue = lRegistry->ReadFloat(kRegistrySection, lKey, lCurrent);
            if ((i == kImportSamplingRate || i == kExportSamplingRate) && !IsValidRate(lValue))
                lValue = lCurrent;
            SetDoubleParam(i, lValue);
            break;
        }
        case KQelUserParamEntry::eString: {
            KString lText;
            lRegistry->ReadString(kRegistrySection, lKey, EscapeLineFeeds(lEntry->mValue.Buffer()).Buffer(), lText);
            SetStringParam(i, UnescapeLineFeeds(lText.Buffer()));
            break;
        }
        default:
            break;
        }
    }
    mImportType = StringToLoadMode(GetStringParam(kImportLoadMode));
    lRegistry->Close();
    // The unit texts describe the host's unit, not what the file held.
    sgCurrentSystemUnits = GetSystemUnitInfo();
    RefreshUnitTexts();
}

void QelVeskUserParams::Save()
{
    KRegistry* lRegistry = KRegistry::Instance();
    lRegistry->Connect(GetRegistryPath().Buffer(), mApplicationName.Buffer());
    SetStringParam(kImportLoadMode, LoadModeToString(mImportType));
    for (int i = 0; i < GetNbParameters(); ++i) {
        const KQelUserParamEntry* lEntry = Entry(static_cast<unsigned int>(i));
        const char* lKey = lEntry->mName.Buffer();
        switch (lEntry->mType) {
        case KQelUserParamEntry::eBool:
            lRegistry->WriteInt(kRegistrySection, lKey, GetBoolParam(i) ? 1 : 0);
            break;
        case KQelUserParamEntry::eDouble: {
            KString lText;
            lRegistry->WriteString(kRegistrySection, lKey,
                                   GetString(static_cast<double>(static_cast<float>(GetDoubleParam(i))), lText).Buffer());
            break;
        }
        case KQelUserParamEntry::eString:
            lRegistry->WriteString(kRegistrySection, lKey, EscapeLineFeeds(lEntry->mValue.Buffer()).Buffer());
            break;
        default:
            break;
        }
    }
    lRegistry->Close();
}
