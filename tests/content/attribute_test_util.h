// Helpers shared by the node-attribute tests.
#ifndef QELSDK_TESTS_CONTENT_ATTRIBUTE_TEST_UTIL_H
#define QELSDK_TESTS_CONTENT_ATTRIBUTE_TEST_UTIL_H

#include <string>
#include <vector>

#include "curves/kfcurvenode.h"
#include "scene/kqelnode.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {

// The names of the curve nodes directly below a take's root, in order.
inline std::vector<std::string> Channels(const KQelTakeNode& pTake)
{
    std::vector<std::string> names;
    KFCurveNode* root = pTake.GetKFCurveNode();
    for (int i = 0; i < root->GetCount(); ++i)
        names.push_back(root->Get(i)->GetName());
    return names;
}

// A new node with the take "Default" and pTakes more ("Take 1", ...).
inline KQelNode* NodeWithTakes(KQelSdkManager& pManager, int pTakes)
{
    KQelNode* node = pManager.CreateKQelNode("Carrier");
    for (int i = 1; i <= pTakes; ++i)
        node->CreateTakeNode(("Take " + std::to_string(i)).c_str());
    return node;
}

}  // namespace qelsdk_600

#endif
