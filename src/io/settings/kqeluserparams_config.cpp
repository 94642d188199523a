// Settings in one section of a configuration file.
#include <string>

#include "base/kconfigfile.h"
#include "io/settings/kqeluserparams.h"

namespace qelsdk_600 {

namespace {

typedef KQelUserParams P;

// The entries kept in a configuration file, in the order they are written;
// 15 (kExportPivotToNull) and 38 (kImportNullsToPivot) are not kept.
const unsigned int kStoredEntries[] = {
    P::kShowWarnings,          P::kAsciiQel,              P::kExportMasterScale,
    P::kExportMasterUnitStr,   P::kExportSamplingRate,    P::kExportAnimation,
    P::kExportEmbedTextures,   P::kExportConvert_2Tiff,   P::kExportCameras,
    P::kExportLights,          P::kExportGeometries,      P::kExportSkins,
    P::kExportShapes,          P::kExportBindPose,        P::kExportApplyCstKeyRed,
    P::kExportCstKeyRedTPrec,  P::kExportCstKeyRedRPrec,  P::kExportCstKeyRedSPrec,
    P::kExportCstKeyRedOPrec,  P::kExportApplyKeyReduce,  P::kExportKeyReducePrec,
    P::kExportApplyKeySync,    P::kExportApplyKeysOnFrm,  P::kExportApplyUnroll,
    P::kExportUnrollPrec,      P::kExportUnrollPath,      P::kImportLoadMode,
    P::kImportMasterScale,     P::kImportMasterUnitStr,   P::kImportSamplingRate,
    P::kImportAnimation,       P::kImportCameras,         P::kImportLights,
    P::kImportGeometries,      P::kImportSkins,           P::kImportShapes,
    P::kImportMarkers,         P::kImportApplyCstKeyRed,  P::kImportCstKeyRedTPrec,
    P::kImportCstKeyRedRPrec,  P::kImportCstKeyRedSPrec,  P::kImportCstKeyRedOPrec,
    P::kImportApplyKeyReduce,  P::kImportKeyReducePrec,   P::kImportApplyKeySync,
    P::kImportApplyKeysOnFrm,  P::kImportApplyUnroll,     P::kImportUnrollPrec,
    P::kImportUnrollPath,
};

// A configuration line holds one line of text: line feeds travel as "\n".
std::string EscapeText(const char* pText)
{
    std::string out;
    for (const char* c = pText; *c; ++c) {
        if (*c == '\n')
            out += "\\n";
        else
            out += *c;
    }
    return out;
}

std::string UnescapeText(const char* pText)
{
    std::string out;
    for (const char* c = pText; *c; ++c) {
        if (c[0] == '\\' && c[1] == 'n') {
            out += '\n';
            ++c;
        } else {
            out += *c;
        }
    }
    return out;
}

}  // namespace

void KQelUserParams::Load(KConfigFile& pFile, const char* pSection)
{
    for (unsigned int index : kStoredEntries) {
        KQelUserParamEntry* entry = Entry(index);
        if (!entry)
            continue;
        if (const char* value = pFile.Get(pSection, entry->mName.Buffer(), nullptr))
            entry->mValue = UnescapeText(value).c_str();
    }
}

void KQelUserParams::Save(KConfigFile& pFile, const char* pSection) const
{
    for (unsigned int index : kStoredEntries) {
        if (const KQelUserParamEntry* entry = Entry(index))
            pFile.Set(pSection, entry->mName.Buffer(), EscapeText(entry->mValue.Buffer()).c_str());
    }
}

KString KQelUserParams::EscapeLineFeeds(const char* pText)
{
    const std::string out = EscapeText(pText ? pText : "");
    return KString(out.data(), static_cast<int>(out.size()));
}

KString KQelUserParams::UnescapeLineFeeds(const char* pText)
{
    const std::string out = UnescapeText(pText ? pText : "");
    return KString(out.data(), static_cast<int>(out.size()));
}

}  // namespace qelsdk_600
