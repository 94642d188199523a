// Scene content as short texts that tests compare whole.
#ifndef QELSDK_TESTS_COMMON_SCENE_TEXT_H
#define QELSDK_TESTS_COMMON_SCENE_TEXT_H

#include <string>

#include "content/kqelmaterial.h"
#include "content/kqelmesh.h"
#include "scene/kqelnode.h"

namespace scenetext {

// Corners of every polygon, "a b c|d e f".
inline std::string Polygons(qelsdk_600::KQelMesh* pMesh)
{
    std::string text;
    for (int p = 0; pMesh && p < pMesh->GetPolygonCount(); ++p) {
        if (p)
            text += "|";
        for (int v = 0; v < pMesh->GetPolygonSize(p); ++v)
            text += (v ? " " : "") + std::to_string(pMesh->GetPolygonVertex(p, v));
    }
    return text;
}

// Names of the node's children, "a|b|c".
inline std::string ChildNames(qelsdk_600::KQelNode* pNode)
{
    std::string text;
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        text += (i ? "|" : "") + std::string(pNode->GetChild(i)->GetName());
    return text;
}

// Names of layer 0's materials, "a|b".
inline std::string Materials(qelsdk_600::KQelMesh* pMesh)
{
    std::string text;
    for (int i = 0; pMesh && i < pMesh->GMC(0); ++i)
        text += (i ? "|" : "") + std::string(pMesh->GM(i, 0)->GetName());
    return text;
}

}  // namespace scenetext

#endif
