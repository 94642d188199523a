// Base of the writers of geometry files.
#ifndef QELSDK_FORMATS_KQELGEOMETRYWRITER_H
#define QELSDK_FORMATS_KQELGEOMETRYWRITER_H

#include <cstdio>
#include <vector>

#include "base/kstring.h"
#include "formats/kqeldeformationbaking.h"
#include "io/kqelwriter.h"
#include "scene/kqelnode.h"

namespace qelsdk_600 {

// What the writers of text geometry files share: the file they create,
// writes that are checked, the walk over the node tree, triangulation in
// place and the deformation baking members.
class KQelGeometryWriter : public KQelWriter, public KQelDeformationBaking {
public:
    // Closes the file.
    ~KQelGeometryWriter() override;

    // False only when closing the stream fails; true with no file open.
    bool FileClose() override;
    bool IsFileOpen() override;

protected:
    // No file.
    explicit KQelGeometryWriter(KQelSdkManager& pManager);

    // Closes any open file, makes the path's directory when asked, then
    // creates (or empties) the file; false with error 1 when it cannot.
    bool CreateFile(const char* pFileName, bool pMakeDirectory);
    // Formatted text to a stream (null: nothing); a failed write is noted.
    void Print(std::FILE* pStream, const char* pFormat, ...);
    // Flushes the file; false with error 3 "Out of disk space" when that or
    // any write since the last call failed.
    bool FinishWrite();
    // Replaces the node's NURBS surface or patch, and with pMeshes its mesh,
    // by a triangulated mesh.
    void Triangulate(KQelNode* pNode, bool pMeshes);
    // The text as one value of a line: line breaks become '_'.
    static KString OneLine(const char* pText);
    // Visits pNode, then with pRecursive every node below it, parents before
    // children in child order, without recursion.
    template <class Visit>
    static void VisitTree(KQelNode* pNode, bool pRecursive, Visit pVisit)
    {
        std::vector<KQelNode*> pending(1, pNode);
        while (!pending.empty()) {
            KQelNode* node = pending.back();
            pending.pop_back();
            if (!node)
                continue;
            pVisit(*node);
            for (int i = pRecursive ? node->GetChildCount(false) : 0; i-- > 0;)
                pending.push_back(node->GetChild(i));
        }
    }

    std::FILE* mFile;
    KString mFileName;
    bool mWriteFailed;
};

}  // namespace qelsdk_600

#endif
