// The transform tree that the objects fuzzer reads "Take" channels into and
// that its seed program keys: translation, rotation and scaling, each with its
// X, Y and Z curves. Shared so that seeds always match what the target reads.
#ifndef QELSDK_FUZZ_OBJECTS_FUZZ_TREE_H
#define QELSDK_FUZZ_OBJECTS_FUZZ_TREE_H

#include "curves/kfcurvenode.h"
#include "object/kdatatype.h"

// The caller owns the returned root.
inline qelsdk_600::KFCurveNode* TransformTemplateTree()
{
    using namespace qelsdk_600;
    KFCurveNode* root = KFCurveNodeCreate("Transform");
    const struct {
        KDataType* type;
        const char* name;
    } children[] = {
        {KDataTypeLclTranslation::DataType, "Lcl Translation"},
        {KDataTypeLclRotation::DataType, "Lcl Rotation"},
        {KDataTypeLclScaling::DataType, "Lcl Scaling"},
    };
    for (const auto& child : children) {
        KFCurveNode* node = FCurveNodeCreateFromDataType(child.type, child.name);
        node->CreateFCurve();
        root->Add(node);
    }
    return root;
}

#endif
