// The "Link" block of the older layout: one skin link of a geometry, its
// nodes by name and its transforms relative to the linked node's.
#include <vector>

#include "content/kqellink.h"
#include "math/kmfunctions.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "native/reader/kqelreaderqel.h"
#include "native/writer/kqelwriterqel.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

namespace {

void WriteMatrixField(KQel& pFile, const char* pName, const KQelMatrix& pMatrix)
{
    native_detail::WriteFieldDn(pFile, pName, pMatrix, 16);
}

// pMatrix followed by the inverse of pLink: pMatrix relative to the link.
KQelXMatrix RelativeTo(const KQelXMatrix& pLink, const KQelXMatrix& pMatrix)
{
    KQelXMatrix relative;
    KmAiA(static_cast<KgeAMatrix&>(relative), static_cast<const KgeAMatrix&>(pLink),
          static_cast<const KgeAMatrix&>(pMatrix));
    return relative;
}

// The 16 values of a matrix field at the current level; false when absent.
bool ReadMatrixField(KQel& pFile, const char* pName, KQelXMatrix& pMatrix)
{
    if (!pFile.FieldReadBegin(pName))
        return false;
    KQelMatrix values;
    double* target = values;
    for (int i = 0; i < 16; ++i)
        target[i] = pFile.FieldReadD();
    pFile.FieldReadEnd();
    pMatrix = values;
    return true;
}

}  // namespace

bool KQelWriterQel::WriteKQelLink(KQelLink& pLink)
{
    KQelNode* node = pLink.GetLink();
    if (!node)
        return false;
    KQel& file = File();
    pLink.SetLink(node);  // refreshes the stored name
    native_detail::WriteBlock block(file, "Link", pLink.GetLinkName().Buffer());
    if (const char* mode = native_detail::LinkModeToken(pLink.GetLinkMode()))
        native_detail::WriteFieldC(file, "Mode", mode);
    file.FieldWriteBegin("UserData");
    file.FieldWriteC(pLink.GetUserDataID().Buffer());
    file.FieldWriteC(pLink.GetUserData().Buffer());
    file.FieldWriteEnd();
    const int count = pLink.GetControlPointIndicesCount();
    native_detail::WriteIntField(file, "Indexes", pLink.GetControlPointIndices(), count);
    native_detail::WriteFieldDn(file, "Weights", pLink.GetControlPointWeights(), count);
    KQelXMatrix transform;
    KQelXMatrix transformLink;
    pLink.GetTransformMatrix(transform);
    pLink.GetTransformLinkMatrix(transformLink);
    WriteMatrixField(file, "Transform", RelativeTo(transformLink, transform));
    WriteMatrixField(file, "TransformLink", transformLink);
    if (KQelNode* model = pLink.GetAssociateModel()) {
        native_detail::WriteBlock associate(file, "AssociateModel", model->GetName());
        KQelXMatrix matrix;
        WriteMatrixField(file, "Transform", RelativeTo(transformLink, pLink.GetTransformAssociateModelMatrix(matrix)));
    }
    if (pLink.IsTransformParentSet()) {
        KQelXMatrix parent;
        WriteMatrixField(file, "TransformParent", pLink.GetTransformParentMatrix(parent));
    }
    return true;
}

bool KQelReaderQel::ReadKQelLink(KQelLink& pLink)
{
    KQel& file = File();
    pLink.SetLinkName(file.FieldReadC());
    if (!file.FieldReadBlockBegin())
        return true;
    pLink.SetLinkMode(native_detail::ReadLinkMode(file));
    native_detail::ReadUserData(file, pLink);
    std::vector<int> indices;
    std::vector<double> weights;
    native_detail::ReadIntField(file, "Indexes", indices);
    native_detail::ReadDoubleField(file, "Weights", weights);
    weights.resize(indices.size(), 0.0);

    KQelXMatrix transform;
    ReadMatrixField(file, "Transform", transform);
    pLink.SetTransformMatrix(transform);
    KQelXMatrix link;
    if (ReadMatrixField(file, "TransformLink", link)) {
        pLink.SetTransformLinkMatrix(link);
    } else {
        pLink.SetTransformLinkT(KQelVector4(0.0, 0.0, 0.0, 1.0));
        pLink.SetTransformLinkR(KQelVector4(0.0, 0.0, 0.0, 1.0));
        pLink.SetTransformLinkS(KQelVector4(1.0, 1.0, 1.0, 1.0));
    }
    // The file holds the transforms relative to the link's; the link keeps
    // them in scene terms, rebuilt from the T, R, S it stored.
    pLink.GetTransformLinkMatrix(link);
    pLink.SetTransformMatrix(native_detail::Followed(pLink.GetTransformMatrix(transform), link));
    pLink.SetAssociateModelName("");
    {
        KString name;
        native_detail::ReadBlock associate(file, "AssociateModel", &name);
        if (associate.HasField())
            pLink.SetAssociateModelName(name);
        KQelXMatrix model;
        if (associate.IsOpen() && ReadMatrixField(file, "Transform", model)) {
            pLink.SetTransformAssociateModelMatrix(model);
            pLink.SetTransformAssociateModelMatrix(
                native_detail::Followed(pLink.GetTransformAssociateModelMatrix(model), link));
        }
    }
    KQelXMatrix parent;
    if (ReadMatrixField(file, "TransformParent", parent))
        pLink.SetTransformParentMatrix(parent);
    file.FieldReadBlockEnd();

    for (int index : indices) {
        if (index < 0) {
            MarkCorruptData(pLink.GetLinkName().Buffer(), "Indexes");
            return false;
        }
    }
    for (size_t i = 0; i < indices.size(); ++i)
        pLink.AddControlPointIndex(indices[i], weights[i]);
    return true;
}

}  // namespace qelsdk_600
