// Whole round trips: the example scene exported in every file form and
// imported into an empty scene compares equal but for the documented
// differences.
#include "import_fixture.h"

#include <fstream>

#include "export/qelveskexport.h"
#include "io/kqelimporter.h"
#include "scene/kqeltakeinfo.h"

using namespace qelsdk_600;

namespace {

std::string readFile(const std::string& pPath)
{
    std::ifstream file(pPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The patterns of docs/round-trip.md: one per item "- `PATTERN` ...".
std::vector<std::string> documentedDifferences()
{
    std::vector<std::string> patterns;
    std::istringstream lines(readFile(QEL_SOURCE_DIR "/docs/round-trip.md"));
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, 3, "- `") == 0 && line.find('`', 3) != std::string::npos)
            patterns.push_back(line.substr(3, line.find('`', 3) - 3));
    return patterns;
}

// An exporter writing the file form a test asks for.
class FormExport : public QelVeskExport {
public:
    explicit FormExport(KQelExporter::EFileFormat pFormat) { mFileFormat = pFormat; }
};

class RoundTripTest : public StandInTest {
protected:
    void SetUp() override
    {
        StandInTest::SetUp();
        QelVeskUserParams& settings = *QelVeskUserParams::Instance();
        settings.Reset();
        for (unsigned int off : {QelVeskUserParams::kExportShowUI, QelVeskUserParams::kImportShowUI})
            settings.SetBoolParam(off, false);
        for (unsigned int on : {QelVeskUserParams::kExportHardEdges, QelVeskUserParams::kImportHardEdges,
                                QelVeskUserParams::kImportDeformNullsAsJoints})
            settings.SetBoolParam(on, true);
        settings.SetImportType(QelVeskUserParams::eCreate);
    }
    // Imports the file's first take as the import command does.
    static void importFirstTake(const std::string& pPath)
    {
        QelVeskImport import;
        ASSERT_EQ(import.OpenProject(MString(pPath.c_str())), MStatus::kSuccess);
        KQelImporter* importer = import.GetImporter();
        ASSERT_GE(importer->GetTakeCount(), 1);
        for (int i = 0; i < importer->GetTakeCount(); ++i)
            importer->GetTakeInfo(i)->mSelect = i == 0;
        import.SetTakeName(importer->GetTakeInfo(0)->mName.Buffer());
        ASSERT_EQ(import.Import(), MStatus::kSuccess);
    }
};

TEST_F(RoundTripTest, TheExampleSceneComesBackFromEveryFileFormButForTheDocumentedDifferences)
{
    const std::string script = readFile(QEL_SOURCE_DIR "/examples/rich_scene.vesk");
    ASSERT_FALSE(script.empty());
    vesk::DumpCompareOptions options;
    options.tolerance = 1e-6;
    options.ignore = documentedDifferences();
    ASSERT_GT(options.ignore.size(), 20u);
    const std::pair<const char*, KQelExporter::EFileFormat> forms[] = {
        {"binary", KQelExporter::eQelBinary}, {"text", KQelExporter::eQelAscii},
        {"enciphered", KQelExporter::eQelEncrypted}};
    for (const auto& form : forms) {
        SCOPED_TRACE(form.first);
        standin::resetHost();
        ASSERT_TRUE(MGlobal::executeCommand(MString(script.c_str())));
        const std::string exported = vesk::sceneDump();
        const std::string path = ScratchDir() + "/round_trip_" + form.first + ".qel";
        ASSERT_EQ(FormExport(form.second).Export(path.c_str()), MStatus::kSuccess);
        ASSERT_TRUE(MGlobal::executeCommand("file -f -new"));
        importFirstTake(path);
        std::vector<std::string> report;
        EXPECT_EQ(vesk::compareDumps(exported, vesk::sceneDump(), options, report), 0);
        EXPECT_EQ(report, std::vector<std::string>());
    }
}

}  // namespace
