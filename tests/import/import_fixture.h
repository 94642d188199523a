// Shared set-up of the import tests: a fresh stand-in host per test; an
// importer object of this process for scenes built in memory; and the
// module qelvesk.so, driven by commands, for files written by the SDK.
#ifndef QEL_TESTS_IMPORT_IMPORT_FIXTURE_H
#define QEL_TESTS_IMPORT_IMPORT_FIXTURE_H

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <standin/StandIn.h>
#include <vesk/MAngle.h>
#include <vesk/MDistance.h>
#include <vesk/MGlobal.h>
#include <vesk/MTime.h>

#include "common/scratch_dir.h"
#include "content/kqellayer.h"
#include "content/kqelmesh.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvekey.h"
#include "dump/scene_dump.h"
#include "import/qelveskimport.h"
#include "io/kqelexporter.h"
#include "io/kstreamoptionsqel.h"
#include "plugin/plugin_registry.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelveskuserparams.h"
#include "plugin/scratch.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"

// A node of pManager named pName under pParent, with the attribute when
// given.
inline qelsdk_600::KQelNode* add(qelsdk_600::KQelSdkManager& pManager, qelsdk_600::KQelNode* pParent,
                                 const char* pName, qelsdk_600::KQelNodeAttribute* pAttribute = nullptr)
{
    qelsdk_600::KQelNode* made = pManager.CreateKQelNode(pName);
    pParent->AddChild(made);
    if (pAttribute)
        made->SetNodeAttribute(pAttribute);
    return made;
}

// A fresh host in the default units; every dialog must have had its reply.
class StandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        standin::resetHost();
        MTime::setUIUnit(MTime::kFilm);
        MAngle::setUIUnit(MAngle::kDegrees);
        MDistance::setUIUnit(MDistance::kCentimeters);
    }
    void TearDown() override
    {
        EXPECT_EQ(standin::problems(), std::vector<std::string>());
        EXPECT_EQ(standin::pendingReplies(), 0u);
        standin::resetHost();
    }
};

// A mesh of pPoints control points, point i at (i, i * i % 5, i % 2), with
// the polygons given as lists of control points.
inline qelsdk_600::KQelMesh* meshOf(qelsdk_600::KQelSdkManager& pManager, int pPoints,
                                    const std::vector<std::vector<int>>& pPolygons)
{
    qelsdk_600::KQelMesh* mesh = pManager.CreateKQelMesh();
    mesh->InitControlPoints(pPoints);
    for (int i = 0; i < pPoints; ++i)
        mesh->GetControlPoints()[i] = qelsdk_600::KQelVector4(i, i * i % 5, i % 2, 1.0);
    for (const std::vector<int>& polygon : pPolygons) {
        mesh->BeginPolygon();
        for (int corner : polygon)
            mesh->AddPolygon(corner);
    }
    return mesh;
}

// A layer element put into layer pLayer of the geometry (layers made up to
// it), with its modes, direct values and indices.
template <class E, class T>
E* addElement(qelsdk_600::KQelLayerContainer* pGeometry, int pLayer, void (qelsdk_600::KQelLayer::*pSet)(E*),
              qelsdk_600::KQelLayerElement::EMappingMode pMapping,
              qelsdk_600::KQelLayerElement::EReferenceMode pReference, const std::vector<T>& pDirect,
              const std::vector<int>& pIndex = {})
{
    while (pGeometry->GetLayerCount() <= pLayer)
        pGeometry->CreateLayer();
    E* element = new E;
    element->SetMappingMode(pMapping);
    element->SetReferenceMode(pReference);
    for (const T& value : pDirect)
        element->GetDirectArray().Add(value);
    for (int index : pIndex)
        element->GetIndexArray().Add(index);
    (pGeometry->GetLayer(pLayer)->*pSet)(element);
    return element;
}

// An importer object of this process, the settings at their defaults with
// the interface off.
class ImportTest : public StandInTest {
protected:
    void SetUp() override
    {
        StandInTest::SetUp();
        QelVeskUserParams::Instance()->Reset();
        QelVeskUserParams::Instance()->SetBoolParam(QelVeskUserParams::kImportShowUI, false);
        mImport.reset(new QelVeskImport);
    }
    void TearDown() override
    {
        mImport.reset();
        StandInTest::TearDown();
    }

    // A node of the importer's manager under pParent (root() when null).
    QelVeskNode* node(const char* pName, qelsdk_600::KQelNode* pParent = nullptr,
                      qelsdk_600::KQelNodeAttribute* pAttribute = nullptr)
    {
        return static_cast<QelVeskNode*>(add(mImport->GetManager(), pParent ? pParent : root(), pName, pAttribute));
    }
    qelsdk_600::KQelSkeleton* skeleton(qelsdk_600::KQelSkeleton::ESkeletonType pType)
    {
        qelsdk_600::KQelSkeleton* made = mImport->GetManager().CreateKQelSkeleton();
        made->SetSkeletonType(pType);
        return made;
    }
    // The geometry pass and the material pass over the nodes made so far.
    void build()
    {
        mImport->FillTarnVekNodeArray(root());
        mImport->ImportGeometry();
        for (int i = 0; i < root()->GetChildCount(); ++i)
            mImport->BuildMaterialInformation(static_cast<QelVeskNode*>(root()->GetChild(i)));
    }
    QelVeskNode* root()
    {
        if (!mRoot)
            mRoot = mImport->GetManager().CreateQelVeskNode("RootNode", nullptr);
        return mRoot;
    }

    std::unique_ptr<QelVeskImport> mImport;
    QelVeskNode* mRoot = nullptr;
};

// x, y and z rounded to 1e-9 (so that -0 and rounding noise compare equal).
template <class V>
inline std::vector<double> rounded(const V& pVector)
{
    std::vector<double> out;
    for (int i = 0; i < 3; ++i)
        out.push_back(std::round(pVector[i] * 1e9) / 1e9 + 0.0);
    return out;
}

// A key of that value at that time (seconds).
inline void addKey(qelsdk_600::KFCurve* pCurve, double pSeconds, float pValue)
{
    qelsdk_600::KTime time;
    time.SetSecondDouble(pSeconds);
    qelsdk_600::KFCurveKey key;
    key.Set(time, pValue);
    pCurve->KeyAdd(time, key);
}

// The import log in the scratch directory ("" before any).
inline std::string logText()
{
    return qelsdk_600::scratch::ReadFile(ScratchDir() + "/qelvesklog.txt");
}

// The messages of the dialogs shown so far.
inline std::vector<std::string> dialogMessages()
{
    std::vector<std::string> messages;
    for (const standin::DialogRecord& d : standin::dialogs())
        messages.push_back(d.message);
    return messages;
}

// The host commands run so far whose text matches the pattern.
inline std::vector<std::string> loggedCommands(const std::string& pPattern)
{
    std::vector<std::string> found;
    const std::regex pattern(pPattern);
    for (const standin::LoggedCommand& c : standin::commandLog())
        if (std::regex_search(c.text, pattern))
            found.push_back(c.text);
    return found;
}

// The dump records whose line matches the pattern.
inline std::vector<std::string> dumpLines(const std::string& pPattern)
{
    std::vector<std::string> found;
    std::istringstream lines(vesk::sceneDump());
    const std::regex pattern(pPattern);
    for (std::string line; std::getline(lines, line);)
        if (std::regex_search(line, pattern))
            found.push_back(line);
    return found;
}

// The differences between the dump taken before and the scene now.
inline std::vector<std::string> changesSince(const std::string& pBefore)
{
    std::vector<std::string> report;
    vesk::compareDumps(pBefore, vesk::sceneDump(), vesk::DumpCompareOptions(), report);
    return report;
}

// The text as a regular expression matching it literally.
inline std::string literal(const std::string& pText)
{
    return std::regex_replace(pText, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

// The keys of the curve driving a plug of the node at pPath, from the dump:
// time, value, in and out type, in and out slope, in and out extent,
// tangents locked, weights locked (seconds and internal units).
inline std::vector<std::vector<double>> hostKeys(const std::string& pPath, const std::string& pPlug)
{
    const std::string start = "key \"" + pPath + "\" " + pPlug + " ";
    std::map<int, std::vector<double>> keys;
    for (const std::string& line : dumpLines("^" + literal(start) + "\\d+ = ")) {
        std::istringstream numbers(line.substr(start.size()));
        int index = 0;
        std::string equals;
        numbers >> index >> equals;
        for (double value; numbers >> value;)
            keys[index].push_back(value);
    }
    std::vector<std::vector<double>> ordered;
    for (auto& key : keys)
        ordered.push_back(key.second);
    return ordered;
}

// The value of a plug from the dump (its last number); NaN unless the dump
// has exactly one such record.
inline double hostValue(const std::string& pPath, const std::string& pPlug)
{
    const std::vector<std::string> lines = dumpLines("^attr \"" + literal(pPath) + "\" " + literal(pPlug) + " = ");
    return lines.size() == 1 ? std::stod(lines[0].substr(lines[0].rfind(' ') + 1))
                             : std::numeric_limits<double>::quiet_NaN();
}

// Keys of one kind at (seconds, value), both tangents of slope pSlope (per
// second).
inline void addKeys(qelsdk_600::KFCurve* pCurve, const std::vector<std::pair<double, float>>& pKeys,
                    qelsdk_600::kUInt pInterpolation = qelsdk_600::kFCurveInterpolationCubic,
                    qelsdk_600::kUInt pMode = qelsdk_600::kFCurveTangentUser, float pSlope = 0.0f)
{
    for (const auto& key : pKeys) {
        qelsdk_600::KTime time;
        time.SetSecondDouble(key.first);
        const int index = pCurve->KeyAdd(time);
        pCurve->KeySet(index, time, key.second, pInterpolation, pMode, pSlope, pSlope);
    }
}

// Cubic keys at (seconds, value), both tangents user-set to pSlope.
inline void userKeys(qelsdk_600::KFCurve* pCurve, const std::vector<std::pair<double, float>>& pKeys, float pSlope)
{
    addKeys(pCurve, pKeys, qelsdk_600::kFCurveInterpolationCubic, qelsdk_600::kFCurveTangentUser, pSlope);
}

// A second take "Run", a copy of the node's default take, made current.
inline qelsdk_600::KQelTakeNode* runTake(qelsdk_600::KQelNode* pNode)
{
    pNode->CreateTakeNode("Run");
    pNode->SetCurrentTakeNode("Run");
    return pNode->GetCurrentTakeNode();
}

// "path kind [id]" of every node the import made (the default cameras left
// out): its type, "null" for a transform with a locator shape (the shape not
// listed), and its node id.
inline std::vector<std::string> madeNodes()
{
    std::map<std::string, std::string> made;
    const std::regex record("^(node|attr) \"([^\"]*)\" (= \"(\\w+)\"|tarnvekTypeID = h (\\d+))");
    const std::regex defaults("^node \"\\|(persp|top|front|side)[|\"]");
    for (const std::string& line : dumpLines("^node \"\\|[^\"]*\" = |tarnvekTypeID = ")) {
        std::smatch m;
        if (!std::regex_search(line, m, record) || std::regex_search(line, defaults))
            continue;
        const std::string path = m[2].str();
        if (m[4].str() == "locator")
            made[path.substr(0, path.rfind('|'))].replace(0, 9, "null");
        else if (m[4].matched)
            made[path] = m[4].str();
        else
            made[path] += " " + m[5].str();
    }
    std::vector<std::string> out;
    for (const auto& entry : made)
        out.push_back(entry.first + " " + entry.second);
    return out;
}

// A scene filled by pFill, written by the SDK in the scratch directory;
// its path ("" when the writer failed).
typedef std::function<void(qelsdk_600::KQelSdkManager&, qelsdk_600::KQelScene&)> Filler;
inline std::string writeScene(const std::string& pName, const Filler& pFill,
                              qelsdk_600::KQelExporter::EFileFormat pFormat = qelsdk_600::KQelExporter::eQelBinary,
                              const char* pPassword = "")
{
    using namespace qelsdk_600;
    const std::string path = ScratchDir() + "/" + pName;
    KQelSdkManager manager;
    KQelScene* scene = manager.CreateKQelScene();
    pFill(manager, *scene);
    KQelExporter exporter(manager);
    exporter.SetFileFormat(pFormat);
    KStreamOptionsQel options;
    options.mIsPasswordProtected = *pPassword != 0;
    options.mPassword = pPassword;
    if (!exporter.Initialize(path.c_str()) || !exporter.Export(*scene, &options)) {
        ADD_FAILURE() << exporter.GetLastErrorString();
        return "";
    }
    return path;
}

// The module loaded through the stand-in, its settings file fresh.
class ModuleImportTest : public StandInTest {
protected:
    void SetUp() override
    {
        StandInTest::SetUp();
        std::remove((ScratchDir() + "/qelplugins6.0.2registry.txt").c_str());
        ASSERT_TRUE(vesk::plugins().load(ScratchDir() + "/qelvesk.so"));
        ASSERT_EQ(run("QELImportShowUI -v false"), 0);
        ASSERT_EQ(run("QELImportMode -v merge"), 0);
    }
    void TearDown() override
    {
        vesk::plugins().unloadAll();
        StandInTest::TearDown();
    }

public:
    static int run(const std::string& pText)
    {
        return static_cast<int>(MGlobal::executeCommand(MString(pText.c_str())).statusCode());
    }
    // Imports with the load mode ("exmerge", "merge" or "add"); the status.
    static int importFile(const std::string& pPath, const char* pMode = "merge")
    {
        run(std::string("QELImportMode -v ") + pMode);
        return run("QELImport -f \"" + pPath + "\"");
    }
};

#endif
