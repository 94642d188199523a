// Helpers shared by the node tests.
#ifndef QELSDK_TESTS_SCENE_NODE_TEST_UTIL_H
#define QELSDK_TESTS_SCENE_NODE_TEST_UTIL_H

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/ktime.h"
#include "math/kqelvector.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

// The two pivot sets by their number.
const KQelNode::EPivotSet kSet0 = KQelNode::eSourcePivot;
const KQelNode::EPivotSet kSet1 = KQelNode::eDestinationPivot;

// A time of pSeconds seconds.
inline KTime Seconds(double pSeconds)
{
    KTime time;
    time.SetSecondDouble(pSeconds);
    return time;
}

// The time of frame pFrame at 30 frames a second.
inline KTime Frame(int pFrame)
{
    KTime time;
    time.SetSecondDouble(pFrame / 30.0);
    return time;
}

// An attribute of any type that records the take nodes its channel hooks
// see. Owned by the test.
class FakeAttribute : public KQelNodeAttribute {
public:
    FakeAttribute(KQelSdkManager& pManager, EAttributeType pType) : KQelNodeAttribute(pManager), mType(pType) {}
    EAttributeType GetAttributeType() const override { return mType; }
    void AddChannels(KQelTakeNode* pTake) override { mAdded.push_back(pTake); }
    void RemoveChannels(KQelTakeNode* pTake) override { mRemoved.push_back(pTake); }

    EAttributeType mType;
    std::vector<KQelTakeNode*> mAdded;
    std::vector<KQelTakeNode*> mRemoved;
};

inline KQelVector4 V(double pX, double pY, double pZ, double pW = 0.0)
{
    return KQelVector4(pX, pY, pZ, pW);
}

// x, y and z within pTolerance.
inline ::testing::AssertionResult Near3(const KQelVector4& pActual, const KQelVector4& pExpected,
                                        double pTolerance = 1e-9)
{
    for (int i = 0; i < 3; ++i) {
        if (!(std::fabs(pActual[i] - pExpected[i]) <= pTolerance))
            return ::testing::AssertionFailure() << "(" << pActual[0] << ", " << pActual[1] << ", " << pActual[2]
                                                 << ") vs (" << pExpected[0] << ", " << pExpected[1] << ", "
                                                 << pExpected[2] << ")";
    }
    return ::testing::AssertionSuccess();
}

// Row i of a matrix as a vector.
inline KQelVector4 Row(const KQelMatrix& pMatrix, int pRow)
{
    return pMatrix.GetRow(pRow);
}

// A chain or fan of new nodes under pParent: node i of pCount named
// pName + i (the manager adds "Model::").
inline std::vector<KQelNode*> AddChildren(KQelSdkManager& pManager, KQelNode* pParent, int pCount,
                                          const char* pName = "N")
{
    std::vector<KQelNode*> nodes;
    for (int i = 0; i < pCount; ++i) {
        KQelNode* node = pManager.CreateKQelNode((std::string(pName) + std::to_string(i)).c_str());
        pParent->AddChild(node);
        nodes.push_back(node);
    }
    return nodes;
}

}  // namespace qelsdk_600

#endif
