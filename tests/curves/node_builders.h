// Builders of curve node trees shared by the curve node tests.
#ifndef QELSDK_TESTS_CURVES_NODE_BUILDERS_H
#define QELSDK_TESTS_CURVES_NODE_BUILDERS_H

#include <initializer_list>
#include <memory>
#include <vector>

#include "curve_builders.h"
#include "curves/kfcurve.h"
#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"

namespace qelsdk_600 {
namespace testing_curves {

// A node tree freed through Destroy of its root.
struct NodeDeleter {
    void operator()(KFCurveNode* node) const { node->Destroy(); }
};
using NodePtr = std::unique_ptr<KFCurveNode, NodeDeleter>;

// A property node of that data type with X, Y, Z children holding empty
// curves of the given default values.
inline KFCurveNode* PropertyNode(KDataType* dataType, const char* name, double x = 0.0, double y = 0.0,
                                 double z = 0.0)
{
    KFCurveNode* node = FCurveNodeCreateFromDataType(dataType, name);
    node->CreateFCurve();
    const double values[3] = {x, y, z};
    for (int i = 0; i < node->GetCount() && i < 3; ++i)
        node->Get(i)->FCurveGet()->SetValue(static_cast<float>(values[i]));
    return node;
}

// A root "Transform" with "Lcl Translation", "Lcl Rotation", "Lcl Scaling".
inline KFCurveNode* TransformTree()
{
    KFCurveNode* root = KFCurveNodeCreate("Transform");
    root->Add(PropertyNode(KDataTypeLclTranslation::DataType, "Lcl Translation"));
    root->Add(PropertyNode(KDataTypeLclRotation::DataType, "Lcl Rotation"));
    root->Add(PropertyNode(KDataTypeLclScaling::DataType, "Lcl Scaling", 1.0, 1.0, 1.0));
    return root;
}

// Layer IDs of the chain starting at node.
inline std::vector<int> LayerIDs(KFCurveNode* node)
{
    std::vector<int> ids;
    for (; node; node = node->LayerGet())
        ids.push_back(node->GetLayerID());
    return ids;
}

// Evaluates into a vector of the node's value count.
inline std::vector<double> Values(KFCurveNode* node, KTime time, bool candidate = false)
{
    std::vector<double> out(static_cast<std::size_t>(node->GetValueCount()) + 1, -12345.0);
    double* end = node->GeneralEvaluate(out.data(), time, nullptr, candidate);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

}  // namespace testing_curves
}  // namespace qelsdk_600

#endif
