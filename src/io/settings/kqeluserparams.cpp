#include "io/settings/kqeluserparams.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/kclocale.h"

namespace qelsdk_600 {

namespace {

typedef KQelUserParamEntry E;

struct ParamDefault {
    const char* mName;
    E::EType mType;
    const char* mValue;
};

const ParamDefault kDefaults[KQelUserParams::kStandardParamCount] = {
    {"kExportMasterUnitStr", E::eString, "Detected source world unit = Unit\n1 unit = 1 centimeter"},
    {"kImportMasterUnitStr", E::eString,
     "Detected destination world unit = Unit\n1 centimeter = 1 unit"},
    {"kShowWarnings", E::eBool, "true"},
    {"kAsciiQel", E::eBool, "false"},
    {"kExportMasterScale", E::eDouble, "1.0"},
    {"kExportSamplingRate", E::eDouble, "30.0"},
    {"kExportAnimation", E::eBool, "true"},
    {"kExportEmbedTextures", E::eBool, "false"},
    {"kExportConvert_2Tiff", E::eBool, "false"},
    {"kExportCameras", E::eBool, "true"},
    {"kExportLights", E::eBool, "true"},
    {"kExportGeometries", E::eBool, "true"},
    {"kExportSkins", E::eBool, "true"},
    {"kExportShapes", E::eBool, "true"},
    {"kExportBindPose", E::eBool, "true"},
    {"kExportPivotToNull", E::eBool, "false"},
    {"kExportApplyCstKeyRed", E::eBool, "true"},
    {"kExportCstKeyRedTPrec", E::eDouble, "0.00009"},
    {"kExportCstKeyRedRPrec", E::eDouble, "0.009"},
    {"kExportCstKeyRedSPrec", E::eDouble, "0.004"},
    {"kExportCstKeyRedOPrec", E::eDouble, "0.009"},
    {"kExportApplyKeyReduce", E::eBool, "false"},
    {"kExportKeyReducePrec", E::eDouble, "1.0000"},
    {"kExportApplyKeySync", E::eBool, "false"},
    {"kExportApplyKeysOnFrm", E::eBool, "true"},
    {"kExportApplyUnroll", E::eBool, "true"},
    {"kExportUnrollPrec", E::eDouble, "0.25"},
    {"kExportUnrollPath", E::eBool, "true"},
    {"kImportLoadMode", E::eString, "kCreate"},
    {"kImportMasterScale", E::eDouble, "1.0"},
    {"kImportSamplingRate", E::eDouble, "30.0"},
    {"kImportAnimation", E::eBool, "true"},
    {"kImportCameras", E::eBool, "true"},
    {"kImportLights", E::eBool, "true"},
    {"kImportGeometries", E::eBool, "true"},
    {"kImportSkins", E::eBool, "true"},
    {"kImportShapes", E::eBool, "true"},
    {"kImportMarkers", E::eBool, "false"},
    {"kImportNullsToPivot", E::eBool, "false"},
    {"kImportApplyCstKeyRed", E::eBool, "true"},
    {"kImportCstKeyRedTPrec", E::eDouble, "0.00009"},
    {"kImportCstKeyRedRPrec", E::eDouble, "0.009"},
    {"kImportCstKeyRedSPrec", E::eDouble, "0.004"},
    {"kImportCstKeyRedOPrec", E::eDouble, "0.009"},
    {"kImportApplyKeyReduce", E::eBool, "false"},
    {"kImportKeyReducePrec", E::eDouble, "1.0000"},
    {"kImportApplyKeySync", E::eBool, "false"},
    {"kImportApplyKeysOnFrm", E::eBool, "true"},
    {"kImportApplyUnroll", E::eBool, "true"},
    {"kImportUnrollPrec", E::eDouble, "0.25"},
    {"kImportUnrollPath", E::eBool, "true"},
};

// What ResetExport and ResetImport give the four constant-key-reducer
// precisions of their side (T, R, S, O).
const char* const kResetPrecisions[4] = {"0.009", "0.00009", "0.009", "0.004"};

const char* const kLoadModeNames[] = {"kExclusiveMerge", "kMerge", "kCreate"};
const int kLoadModeCount = 3;

// Relative difference under which the "%f" text of a setting counts as
// faithful.
const double kFixedTextTolerance = 1e-4;

const char* ResetValue(unsigned int pIndex)
{
    if (pIndex >= KQelUserParams::kExportCstKeyRedTPrec &&
        pIndex <= KQelUserParams::kExportCstKeyRedOPrec)
        return kResetPrecisions[pIndex - KQelUserParams::kExportCstKeyRedTPrec];
    if (pIndex >= KQelUserParams::kImportCstKeyRedTPrec &&
        pIndex <= KQelUserParams::kImportCstKeyRedOPrec)
        return kResetPrecisions[pIndex - KQelUserParams::kImportCstKeyRedTPrec];
    return kDefaults[pIndex].mValue;
}

}  // namespace

KQelUserParams::KQelUserParams()
{
    KQelUserParams::Reset();
}

KQelUserParams::~KQelUserParams()
{
    ClearEntries();
}

void KQelUserParams::ClearEntries()
{
    DeleteAndClear(mEntries);
}

void KQelUserParams::Reset()
{
    ClearEntries();
    for (const ParamDefault& row : kDefaults)
        mEntries.Add(new KQelUserParamEntry(row.mName, row.mType, row.mValue));
}

void KQelUserParams::ResetRange(unsigned int pFirst, unsigned int pLast)
{
    for (unsigned int i = pFirst; i <= pLast; ++i) {
        if (KQelUserParamEntry* entry = Entry(i))
            entry->mValue = ResetValue(i);
    }
}

void KQelUserParams::ResetExport()
{
    ResetRange(kShowWarnings, kExportUnrollPath);
}

void KQelUserParams::ResetImport()
{
    ResetRange(kShowWarnings, kAsciiQel);
    ResetRange(kImportMasterScale, kImportUnrollPath);
}

KQelUserParamEntry* KQelUserParams::Entry(unsigned int pIndex)
{
    return pIndex < static_cast<unsigned int>(mEntries.GetCount()) ? mEntries[pIndex] : nullptr;
}

const KQelUserParamEntry* KQelUserParams::Entry(unsigned int pIndex) const
{
    return const_cast<KQelUserParams*>(this)->Entry(pIndex);
}

bool KQelUserParams::GetBoolParam(unsigned int pIndex) const
{
    const KQelUserParamEntry* entry = Entry(pIndex);
    return entry && GetBool(entry->mValue.Buffer());
}

double KQelUserParams::GetDoubleParam(unsigned int pIndex) const
{
    const KQelUserParamEntry* entry = Entry(pIndex);
    return entry ? GetDouble(entry->mValue.Buffer()) : 0.0;
}

KString KQelUserParams::GetStringParam(unsigned int pIndex) const
{
    const KQelUserParamEntry* entry = Entry(pIndex);
    return entry ? entry->mValue : KString();
}

void KQelUserParams::SetBoolParam(unsigned int pIndex, bool pValue)
{
    if (KQelUserParamEntry* entry = Entry(pIndex))
        GetString(pValue, entry->mValue);
}

void KQelUserParams::SetDoubleParam(unsigned int pIndex, double pValue)
{
    if (KQelUserParamEntry* entry = Entry(pIndex))
        GetString(pValue, entry->mValue);
}

void KQelUserParams::SetStringParam(unsigned int pIndex, const KString& pValue)
{
    if (KQelUserParamEntry* entry = Entry(pIndex))
        entry->mValue = pValue;
}

bool KQelUserParams::GetBool(const char* pText) const
{
    return pText && KString(pText) == "true";
}

double KQelUserParams::GetDouble(const char* pText) const
{
    if (!pText)
        return 0.0;
    // Setting texts never follow the process locale.
    return KParseDoubleC(pText, nullptr);
}

KString& KQelUserParams::GetString(bool pValue, KString& pText) const
{
    pText = pValue ? "true" : "false";
    return pText;
}

KString& KQelUserParams::GetString(double pValue, KString& pText) const
{
    float value = static_cast<float>(pValue);
    KString fixed(value);
    double readBack = GetDouble(fixed.Buffer());
    double single = static_cast<double>(value);
    if (std::fabs(readBack - single) <= kFixedTextTolerance * std::fabs(single)) {
        pText = fixed;
        return pText;
    }
    // Shortest text that reads back to the same single-precision value.
    char buffer[64];
    std::to_chars_result written = std::to_chars(buffer, buffer + sizeof(buffer) - 1, value);
    if (written.ec != std::errc()) {
        pText = fixed;
        return pText;
    }
    *written.ptr = '\0';
    pText = buffer;
    return pText;
}

void KQelUserParams::AddUserParams(KArrayTemplate<KQelUserParamEntry*>& pEntries)
{
    for (int i = 0, n = pEntries.GetCount(); i < n; ++i) {
        if (const KQelUserParamEntry* source = pEntries[i])
            mEntries.Add(new KQelUserParamEntry(*source));
    }
}

KString KQelUserParams::LoadModeToString(ELoadMode pMode) const
{
    return pMode >= 0 && pMode < kLoadModeCount ? KString(kLoadModeNames[pMode]) : KString();
}

KQelUserParams::ELoadMode KQelUserParams::StringToLoadMode(const KString& pText) const
{
    for (int mode = 0; mode < kLoadModeCount; ++mode) {
        if (pText == kLoadModeNames[mode])
            return static_cast<ELoadMode>(mode);
    }
    return eMerge;
}

KString KQelUserParams::GetMasterUnitStr(bool pImport) const
{
    return GetStringParam(pImport ? kImportMasterUnitStr : kExportMasterUnitStr);
}

double KQelUserParams::GetMasterScale(bool pImport) const
{
    return GetDoubleParam(pImport ? kImportMasterScale : kExportMasterScale);
}

void KQelUserParams::SetMasterScale(double pScale, bool pImport)
{
    SetDoubleParam(pImport ? kImportMasterScale : kExportMasterScale, pScale);
}

double KQelUserParams::GetResamplingRate(bool pImport) const
{
    return GetDoubleParam(pImport ? kImportSamplingRate : kExportSamplingRate);
}

void KQelUserParams::SetResamplingRate(double pRate, bool pImport)
{
    SetDoubleParam(pImport ? kImportSamplingRate : kExportSamplingRate, pRate);
}

}  // namespace qelsdk_600
