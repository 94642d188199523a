// The whole-scene export check: the scene script built in the host with
// the module loaded, exported in each file form (binary through the file
// menu; text and enciphered, with a password, through the exporter's
// format seam), each file read back and compared with the live scene.
#include <fstream>
#include <memory>
#include <sstream>

#include <vesk/MAnimControl.h>
#include <vesk/MSelectionList.h>

#include "export/qelveskexport.h"
#include "io/kqelimporter.h"
#include "io/kstreamoptionsqel.h"
#include "native/reader/kqelreaderqel.h"
#include "plugin/module/qelvesk_fixture.h"
#include "plugin/module/scene_comparison.h"
#include "plugin/qelveskuserparams.h"

namespace {

// An exporter writing the form and password a test asks for.
class FormExport : public QelVeskExport {
public:
    FormExport(qelsdk_600::KQelExporter::EFileFormat pFormat, const char* pPassword)
    {
        mFileFormat = pFormat;
        mFilePassword = pPassword;
    }
};

struct Form {
    const char* mName;
    qelsdk_600::KQelExporter::EFileFormat mFormat;
    const char* mPassword;
};

class WholeSceneTest : public QelVeskTest {
protected:
    // Reads the file into mRead; false when it cannot be read.
    bool Read(const std::string& pPath, const char* pPassword)
    {
        using namespace qelsdk_600;
        mManager.reset(new KQelSdkManager);
        mRead = mManager->CreateKQelScene();
        KQelImporter importer(*mManager);
        KQelReaderQel reader(*mManager, importer);
        if (!reader.FileOpen(pPath.c_str()))
            return false;
        std::unique_ptr<KStreamOptions> options(reader.GetReadOptions(true));
        static_cast<KStreamOptionsQel*>(options.get())->mPassword = pPassword;
        const bool read = reader.Read(*mRead, options.get());
        reader.FileClose();
        return read;
    }

    std::unique_ptr<qelsdk_600::KQelSdkManager> mManager;
    qelsdk_600::KQelScene* mRead = nullptr;
};

}  // namespace

TEST_F(WholeSceneTest, EveryFileFormHoldsTheLiveScene)
{
    std::ifstream script(EXPORT_SCRIPT_DIR "/whole_scene.vesk", std::ios::binary);
    std::ostringstream text;
    text << script.rdbuf();
    ASSERT_FALSE(text.str().empty());
    ASSERT_EQ(run(text.str()).status, 0);
    ASSERT_EQ(run("QELExportShowUI -v false").result, "Success");
    ASSERT_EQ(run("QELExportHardEdges -v true").result, "Success");
    // The exporter of this test reads settings of its own.
    QelVeskUserParams& settings = *QelVeskUserParams::Instance();
    settings.SetBoolParam(QelVeskUserParams::kExportShowUI, false);
    settings.SetBoolParam(QelVeskUserParams::kExportHardEdges, true);

    const Form forms[] = {{"binary", qelsdk_600::KQelExporter::eQelBinary, ""},
                          {"text", qelsdk_600::KQelExporter::eQelAscii, ""},
                          {"enciphered", qelsdk_600::KQelExporter::eQelEncrypted, "open sesame"}};
    std::vector<std::string> firstApplied;
    for (const Form& form : forms) {
        const std::string path = ScratchDir() + "/whole_" + form.mName + ".qel";
        if (form.mFormat == qelsdk_600::KQelExporter::eQelBinary) {
            ASSERT_TRUE(vesk::FileMenu::run(vesk::FileMenu::kExport, path, "Qel"));
        } else {
            FormExport exporter(form.mFormat, form.mPassword);
            ASSERT_TRUE(exporter.Export(path.c_str())) << form.mName;
        }
        ASSERT_TRUE(Read(path, form.mPassword)) << form.mName;
        SceneComparison comparison(*mRead);
        EXPECT_EQ(comparison.Run(), std::vector<std::string>()) << form.mName;
        std::vector<std::string> applied(comparison.Applied().begin(), comparison.Applied().end());
        if (firstApplied.empty())
            firstApplied = applied;
        EXPECT_EQ(applied, firstApplied) << form.mName;
    }
    // Every listed difference is one the scene shows.
    std::vector<std::string> listed;
    for (const IntendedDifference& intended : kIntended)
        listed.push_back(intended.mName);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(firstApplied, listed);
}
