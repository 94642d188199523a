// A scene built for a format writer's tests, and its writing.
#ifndef QELSDK_TESTS_COMMON_WRITABLE_SCENE_H
#define QELSDK_TESTS_COMMON_WRITABLE_SCENE_H

#include <string>
#include <vector>

#include "common/scratch_dir.h"
#include "content/kqelcolor.h"
#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "io/kstreamoptionsbase.h"
#include "scene/kqelnode.h"
#include "scene/kqelscene.h"
#include "scene/kqelsdkmanager.h"

namespace writablescene {

using namespace qelsdk_600;

// Writer and Options: the format's writer and its option set.
template <class Writer, class Options>
struct WritableScene {
    KQelSdkManager mManager;
    KQelScene* mScene = mManager.CreateKQelScene();

    // A mesh node under pParent (the root when null): points, then polygons.
    KQelMesh* AddMesh(const char* pName, std::vector<KQelVector4> pPoints, std::vector<std::vector<int>> pPolygons,
                      KQelNode* pParent = nullptr)
    {
        KQelNode* node = mManager.CreateKQelNode(pName);
        KQelMesh* mesh = mManager.CreateKQelMesh();
        node->SetNodeAttribute(mesh);
        mesh->InitControlPoints(static_cast<int>(pPoints.size()));
        for (std::size_t i = 0; i < pPoints.size(); ++i)
            mesh->GetControlPoints()[i] = pPoints[i];
        for (const auto& polygon : pPolygons) {
            mesh->BeginPolygon();
            for (int corner : polygon)
                mesh->AddPolygon(corner);
            mesh->EndPolygon();
        }
        (pParent ? pParent : mScene->GetRootNode())->AddChild(node);
        return mesh;
    }
    KQelMaterial* Material(double pRed, double pGreen, double pBlue, const char* pName = "m")
    {
        KQelMaterial* material = mManager.CreateKQelMaterial(pName);
        material->SetDiffuse(KQelColor(pRed, pGreen, pBlue, 1.0));
        return material;
    }

    // Writes to pPath; the text written, or "failed" with the error id.
    std::string WriteTo(const std::string& pPath, bool pTriangulate = true, bool pDeform = true)
    {
        Writer writer(mManager);
        Options options;
        options.SetOption(KStreamOptionsBase::eForceTriangulation, pTriangulate ? 1 : 0);
        options.SetOption(KStreamOptionsBase::eEvaluateDeformations, pDeform ? 1 : 0);
        if (!writer.FileCreate(pPath.c_str()) || !writer.Write(*mScene, &options))
            return "failed " + std::to_string(writer.GetLastErrorID());
        writer.GetMessage(mMessage);
        writer.FileClose();
        return scratch::ReadFile(pPath);
    }
    // Into a scratch file named "out".
    std::string Write(bool pTriangulate = true, bool pDeform = true)
    {
        scratch::ScratchDir dir;
        return WriteTo(dir.File("out"), pTriangulate, pDeform);
    }

    // The writer's message of the last write.
    KString mMessage;
};

}  // namespace writablescene

#endif
