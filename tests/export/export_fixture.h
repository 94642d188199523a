// Shared set-up of the export tests: a fresh host scene and default export
// settings (no dialogs) per test, an export into the scratch directory, and
// the file read back with the QEL reader.
#ifndef QEL_TESTS_EXPORT_EXPORT_FIXTURE_H
#define QEL_TESTS_EXPORT_EXPORT_FIXTURE_H

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <vesk/MFnAnimCurve.h>
#include <vesk/MFnDependencyNode.h>
#include <vesk/MFnTransform.h>

#include "export/qelveskexport.h"
#include "host/host_fixture.h"
#include "io/kqelimporter.h"
#include "object/kstreamoptions.h"
#include "native/reader/kqelreaderqel.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/scratch.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

class ExportTest : public HostTest {
public:
    void SetUp() override
    {
        HostTest::SetUp();
        Params().Reset();
        Params().SetBoolParam(QelVeskUserParams::kExportShowUI, false);
        mPath = ScratchDir() + "/out.qel";
        std::remove(mPath.c_str());
        std::remove(LogPath().c_str());
    }
    void TearDown() override
    {
        Params().Reset();
        HostTest::TearDown();
    }

    static QelVeskUserParams& Params() { return *QelVeskUserParams::Instance(); }
    static std::string LogPath() { return ScratchDir() + "/qelvesklog.txt"; }
    static std::string ReadText(const std::string& pPath)
    {
        std::ifstream in(pPath, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // The log's lines after its date line.
    static std::vector<std::string> LogLines()
    {
        std::istringstream in(ReadText(LogPath()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            if (line.rfind("Date: ", 0) != 0 && !(lines.empty() && line.empty()))
                lines.push_back(line);
        return lines;
    }

    // One export of the host scene to mPath (through pExport when given).
    MStatus Export(QelVeskExport* pExport = nullptr)
    {
        QelVeskExport own;
        return (pExport ? pExport : &own)->Export(mPath.c_str());
    }
    // Exports, then reads the file back; false when either fails.
    bool ExportAndRead(QelVeskExport* pExport = nullptr) { return Export(pExport) && Read(); }
    // Reads mPath into a scene of its own (Root(), Node()).
    bool Read()
    {
        mReadManager.reset(new qelsdk_600::KQelSdkManager);
        mRead = mReadManager->CreateKQelScene();
        qelsdk_600::KQelImporter importer(*mReadManager);
        qelsdk_600::KQelReaderQel reader(*mReadManager, importer);
        if (!reader.FileOpen(mPath.c_str()))
            return false;
        std::unique_ptr<qelsdk_600::KStreamOptions> options(reader.GetReadOptions(true));
        const bool read = reader.Read(*mRead, options.get());
        reader.FileClose();
        return read;
    }
    qelsdk_600::KQelNode* Root() { return mRead->GetRootNode(); }
    // The node of that name anywhere in the read scene, or null.
    qelsdk_600::KQelNode* Node(const std::string& pName) { return Root()->FindChild(pName.c_str(), true); }
    // The names (without "Model::") of a node's children, in order.
    static std::vector<std::string> Children(qelsdk_600::KQelNode* pNode)
    {
        std::vector<std::string> names;
        for (int i = 0; pNode && i < pNode->GetChildCount(false); ++i)
            names.push_back(std::string(pNode->GetChild(i)->GetName()).substr(7));
        return names;
    }
    // A host transform's function set by its text.
    static MFnTransform Transform(const char* pText) { return MFnTransform(object(pText)); }

    // A curve driving the plug (text), keyed at (seconds, value) pairs with
    // the tangent types given.
    static MFnAnimCurve Keyed(const char* pPlug, const std::vector<std::pair<double, double>>& pKeys,
                              MFnAnimCurve::TangentType pIn = MFnAnimCurve::kTangentSmooth,
                              MFnAnimCurve::TangentType pOut = MFnAnimCurve::kTangentSmooth)
    {
        MFnAnimCurve curve;
        curve.create(plug(pPlug));
        for (const auto& key : pKeys)
            curve.addKey(MTime(key.first, MTime::kSeconds), key.second, pIn, pOut);
        return curve;
    }
    // The read node's curve of a channel in the take (null: "Take 001"), or
    // null when the node has no such take.
    qelsdk_600::KFCurve* Channel(const std::string& pNode, qelsdk_600::KQelTakeNode::EChannel pChannel,
                                 const char* pTake = nullptr)
    {
        qelsdk_600::KQelNode* node = Node(pNode);
        if (!node || !node->SetCurrentTakeNode(pTake ? pTake : "Take 001"))
            return nullptr;
        return node->GetCurrentTakeNode()->GetChannel(pChannel);
    }

    std::string mPath;
    std::unique_ptr<qelsdk_600::KQelSdkManager> mReadManager;
    qelsdk_600::KQelScene* mRead = nullptr;
};

#endif
