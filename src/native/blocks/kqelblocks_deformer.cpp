// Skin and cluster objects of the current layout, and the scene's
// conversions that turn them into links once the connections are read.
#include <vector>

#include "content/kqeldeformer.h"
#include "file/iqelobject.h"
#include "native/blocks/kqelblockio.h"
#include "native/blocks/kqelblocks_geometry_impl.h"
#include "native/reader/kqelreaderqel.h"
#include "scene/kqelscene.h"

namespace qelsdk_600 {

namespace {

// A "Transform"-like field of 16 values, rebuilt as an affine transform;
// false when absent.
bool ReadAffine(KQel& pFile, const char* pName, KQelXMatrix& pMatrix, bool pRebuild)
{
    std::vector<double> values;
    if (!native_detail::ReadDoubleField(pFile, pName, values))
        return false;
    values.resize(16, 0.0);
    if (pRebuild) {
        pMatrix = native_detail::AffineFromRows(values.data());
        return true;
    }
    double* target = pMatrix;
    for (int i = 0; i < 16; ++i)
        target[i] = values[i];
    return true;
}

}  // namespace

bool KQelReaderQel::ReadKQelDeformer(KQelDeformer& pDeformer)
{
    KQel& file = File();
    file.FieldReadI("Version", 100);
    pDeformer.SetMultiLayer(file.FieldReadI("MultiLayer", 0) != 0);
    KArrayTemplate<KProperty*> properties;
    pDeformer.FillPropertyList(&properties);
    mFile->FieldReadPropertiesList(properties, pDeformer.GetPropertyHandler());
    const KString type = pDeformer.GetTypeName();
    if (type.CompareNoCase("Skin") == 0) {
        if (file.FieldReadBegin("Link_DeformAcuracy")) {
            pDeformer.SetDeformAccuracy(file.FieldReadD());
            file.FieldReadEnd();
        }
        return true;
    }
    if (type.CompareNoCase("Cluster") != 0)
        return true;
    pDeformer.SetLinkMode(native_detail::ReadLinkMode(file));
    native_detail::ReadUserData(file, pDeformer);
    std::vector<int> indices;
    if (native_detail::ReadIntField(file, "Indexes", indices)) {
        KArrayTemplate<int>& stored = pDeformer.GetControlPointIndices();
        KArrayTemplate<double>& weights = pDeformer.GetControlPointWeights();
        stored.SetCount(static_cast<int>(indices.size()));
        weights.SetCount(static_cast<int>(indices.size()));
        for (int i = 0, n = stored.GetCount(); i < n; ++i) {
            stored[i] = indices[i];
            weights[i] = 0.0;
        }
        std::vector<double> values;
        native_detail::ReadDoubleField(file, "Weights", values);
        for (int i = 0, n = weights.GetCount(); i < n && i < static_cast<int>(values.size()); ++i)
            weights[i] = values[i];
        for (int index : indices) {
            if (index < 0) {
                MarkCorruptData(pDeformer.GetName(), "Indexes");
                break;
            }
        }
    }
    // Shear and projection are dropped: each matrix becomes the transform
    // of its translation, rotation and scaling.
    KQelXMatrix transform;
    KQelXMatrix link;
    ReadAffine(file, "Transform", transform, false);
    ReadAffine(file, "TransformLink", link, false);
    const KQelXMatrix linkAffine = native_detail::AffineFromRows(static_cast<const double*>(link));
    pDeformer.SetTransformLinkMatrix(link);
    pDeformer.SetTransformMatrix(
        native_detail::Followed(native_detail::AffineFromRows(static_cast<const double*>(transform)), linkAffine));
    {
        native_detail::ReadBlock associate(file, "AssociateModel");
        KQelXMatrix model;
        if (associate.IsOpen() && ReadAffine(file, "Transform", model, true))
            pDeformer.SetTransformAssociateModelMatrix(native_detail::Followed(model, linkAffine));
    }
    KQelXMatrix parent;
    if (ReadAffine(file, "TransformParent", parent, false))
        pDeformer.SetTransformParentMatrix(parent);
    return true;
}

// Current-layout files connect materials, textures and skins to their
// nodes; the scene keeps them in layer arrays and links.
void KQelReaderQel::ConvertCurrentLayoutScene(KQelScene& pScene)
{
    pScene.BuildMaterialLayersDirectArray();
    pScene.BuildTextureLayersDirectArray();
    pScene.BuildKQelLinkFromKQelDeformer();
    pScene.RemoveKQelDeformers();
}

}  // namespace qelsdk_600
