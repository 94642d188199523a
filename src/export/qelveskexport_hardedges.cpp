// The hard-edge split: meshes whose normals are by polygon vertex get one
// control point per corner, after a warning about points that share a
// position.
#include <string>

#include "content/kqelmesh.h"
#include "export/qelveskexport.h"
#include "export/qelveskexport_impl.h"
#include "plugin/qelvesknode.h"

using namespace qelsdk_600;
using namespace export_detail;

namespace {

// Duplicate lines a dialog lists; the log takes every one.
constexpr int kDialogDuplicateLines = 39;

// sgDuplicateVertexInMesh with its two numbers and the mesh name.
std::string DuplicateLine(int pEarlier, int pLater, const char* pMesh)
{
    const std::string format(sgDuplicateVertexInMesh);
    const std::string values[] = {std::to_string(pEarlier), std::to_string(pLater), pMesh ? pMesh : ""};
    std::string line;
    int next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 'd' || format[i + 1] == 's') &&
            next < 3) {
            line += values[next++];
            ++i;
        } else {
            line += format[i];
        }
    }
    return line;
}

void WarnDuplicatePoints(QelLogFile* pLog, KQelNode& pNode, const KArrayTemplate<int>& pDuplicates)
{
    KString text;
    int count = 0;
    for (int i = 0, n = pDuplicates.GetCount(); i < n; ++i) {
        if (pDuplicates[i] == i)
            continue;
        const std::string line = DuplicateLine(pDuplicates[i], i, pNode.GetName());
        LogLine(pLog, line.c_str());
        if (++count <= kDialogDuplicateLines) {
            text += line.c_str();
            text += "\\n";
        }
    }
    if (count == 0)
        return;
    text += "\\n\\n";
    text += sgDuplicateVertexInMesh2;
    text += "\\n";
    ShowWarningDialog(sgExportWarning, text);
}

void SplitMesh(QelLogFile* pLog, KQelNode& pNode, KQelMesh& pMesh)
{
    KArrayTemplate<int> duplicates;
    if (pMesh.BuildMergeList(duplicates, KQelMesh::eSplitControlPoints, true))
        WarnDuplicatePoints(pLog, pNode, duplicates);
    KArrayTemplate<KArrayTemplate<KQelMesh::KDuplicateVertex>*> splits;
    pMesh.BuildSplitList(splits, KQelMesh::eSplitControlPoints);
    pMesh.SplitPointsForHardEdge(splits);
    DeleteAndClear(splits);
}

}  // namespace

void QelVeskExport::SplitMeshOnNormalPerPolyVertex(QelVeskNode* pNode)
{
    ForEachNodeParentsFirst(pNode, [this](KQelNode& pEach) {
        KQelMesh* mesh = pEach.GetMesh();
        if (mesh && mesh->GetNormalsMappingMode() == KQelLayerElement::eByPolygonVertex)
            SplitMesh(mLogFile, pEach, *mesh);
    });
}
