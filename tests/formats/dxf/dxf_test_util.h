// DXF texts written pair by pair, read into a fresh scene.
#ifndef QELSDK_TESTS_FORMATS_DXF_DXF_TEST_UTIL_H
#define QELSDK_TESTS_FORMATS_DXF_DXF_TEST_UTIL_H

#include <memory>
#include <sstream>
#include <string>

#include "common/scene_text.h"
#include "common/scratch_dir.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "formats/dxf/kqelreaderdxf.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace dxftest {

using namespace qelsdk_600;
using scenetext::ChildNames;
using scenetext::Materials;
using scenetext::Polygons;

// "code value" lines, each written as the two lines of a group pair.
inline std::string Pairs(const std::string& pCompact)
{
    std::istringstream in(pCompact);
    std::string line, out;
    while (std::getline(in, line)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        const std::size_t blank = line.find(' ', start);
        out += line.substr(start, blank - start) + "\n";
        out += (blank == std::string::npos ? std::string() : line.substr(blank + 1)) + "\n";
    }
    return out;
}

// A file holding an ENTITIES section of those pairs and, before it, the
// given TABLES and BLOCKS pairs.
inline std::string File(const std::string& pEntities, const std::string& pTables = "",
                        const std::string& pBlocks = "")
{
    std::string text;
    if (!pTables.empty())
        text += Pairs("0 SECTION\n2 TABLES\n" + pTables + "\n0 ENDSEC");
    if (!pBlocks.empty())
        text += Pairs("0 SECTION\n2 BLOCKS\n" + pBlocks + "\n0 ENDSEC");
    return text + Pairs("0 SECTION\n2 ENTITIES\n" + pEntities + "\n0 ENDSEC\n0 EOF");
}

// A LAYER table of "name colour" entries.
inline std::string LayerTable(std::initializer_list<std::pair<const char*, int>> pLayers)
{
    std::string table = "0 TABLE\n2 LAYER\n70 1\n";
    for (const auto& layer : pLayers)
        table += std::string("0 LAYER\n2 ") + layer.first + "\n62 " + std::to_string(layer.second) + "\n";
    return table + "0 ENDTAB";
}

// A scene read from a text, kept with its manager.
struct Reading {
    KQelSdkManager mManager;
    KQelScene* mScene = nullptr;
    bool mRead = false;
    KString mMessage;

    KQelNode* Root() { return mScene->GetRootNode(); }
    // Child i of the root (without reference node).
    KQelNode* Node(int pIndex) { return Root()->GetChild(pIndex); }
    KQelMesh* Mesh(int pIndex) { return Node(pIndex) ? Node(pIndex)->GetMesh() : nullptr; }
};

// Reads the file with the options (derivation, welding, reference node).
inline std::unique_ptr<Reading> ReadPath(const std::string& pPath, KStreamOptionsDxf::EObjectDerivation pDerivation,
                                         bool pWeld, bool pReferenceNode)
{
    std::unique_ptr<Reading> reading(new Reading);
    reading->mScene = reading->mManager.CreateKQelScene();
    KQelReaderDxf reader(reading->mManager);
    if (!reader.FileOpen(pPath.c_str()))
        return reading;
    KStreamOptionsDxf options;
    options.SetObjectDerivation(pDerivation);
    options.SetOption(KStreamOptionsBase::eWeldVertices, pWeld ? 1 : 0);
    options.SetOption(KStreamOptionsBase::eCreateReferenceNode, pReferenceNode ? 1 : 0);
    reading->mRead = reader.Read(*reading->mScene, &options);
    reader.GetMessage(reading->mMessage);
    return reading;
}

// Reads pText as ReadPath does, without reference node by default.
inline std::unique_ptr<Reading> Read(const std::string& pText,
                                     KStreamOptionsDxf::EObjectDerivation pDerivation = KStreamOptionsDxf::eMeshPerLayer,
                                     bool pWeld = true, bool pReferenceNode = false)
{
    scratch::ScratchDir dir;
    const std::string path = dir.File("drawing.dxf");
    scratch::WriteFile(path, pText);
    return ReadPath(path, pDerivation, pWeld, pReferenceNode);
}

}  // namespace dxftest

#endif
