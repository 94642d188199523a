#include "formats/kqelgeometrywriter.h"

#include <cstdarg>

#include "base/kpath.h"
#include "content/kqelgeometryconverter.h"
#include "scene/kqelnodeattribute.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {

KQelGeometryWriter::KQelGeometryWriter(KQelSdkManager& pManager)
    : KQelWriter(pManager), mFile(nullptr), mWriteFailed(false)
{
}

KQelGeometryWriter::~KQelGeometryWriter()
{
    FileClose();
}

bool KQelGeometryWriter::FileClose()
{
    bool closed = true;
    if (mFile)
        closed = std::fclose(mFile) == 0;
    mFile = nullptr;
    mFileName.Empty();
    return closed;
}

bool KQelGeometryWriter::IsFileOpen()
{
    return mFile != nullptr;
}

bool KQelGeometryWriter::CreateFile(const char* pFileName, bool pMakeDirectory)
{
    if (IsFileOpen())
        FileClose();
    if (pFileName && pMakeDirectory)
        KEnsureDirectoryExistance(pFileName);
    mFile = pFileName ? std::fopen(pFileName, "w") : nullptr;
    if (!mFile) {
        mError.SetLastErrorID(eFileNotOpened);
        return false;
    }
    mFileName = pFileName;
    return true;
}

void KQelGeometryWriter::Print(std::FILE* pStream, const char* pFormat, ...)
{
    if (!pStream)
        return;
    va_list arguments;
    va_start(arguments, pFormat);
    if (std::vfprintf(pStream, pFormat, arguments) < 0)
        mWriteFailed = true;
    va_end(arguments);
}

bool KQelGeometryWriter::FinishWrite()
{
    if (mFile && (std::fflush(mFile) != 0 || std::ferror(mFile)))
        mWriteFailed = true;
    const bool written = !mWriteFailed;
    mWriteFailed = false;
    if (!written)
        mError.SetLastErrorID(eOutOfDiskSpace);
    return written;
}

void KQelGeometryWriter::Triangulate(KQelNode* pNode, bool pMeshes)
{
    KQelNodeAttribute* attribute = pNode->GetNodeAttribute();
    if (!attribute)
        return;
    const KQelNodeAttribute::EAttributeType type = attribute->GetAttributeType();
    if (type != KQelNodeAttribute::eNurb && type != KQelNodeAttribute::ePatch &&
        !(type == KQelNodeAttribute::eMesh && pMeshes))
        return;
    // The scene itself changes: the node keeps the triangulated mesh.
    if (KQelGeometryConverter* converter = mManager.CreateKQelGeometryConverter()) {
        converter->TriangulateInPlace(pNode);
        mManager.DestroyKQelGeometryConverter(converter);
    }
}

KString KQelGeometryWriter::OneLine(const char* pText)
{
    KString text(pText ? pText : "");
    for (int i = 0; i < text.GetLen(); ++i) {
        if (text[static_cast<unsigned int>(i)] == '\n' || text[static_cast<unsigned int>(i)] == '\r')
            text[static_cast<unsigned int>(i)] = '_';
    }
    return text;
}

}  // namespace qelsdk_600
