#include "module/qelvesktranslator.h"

#include <vesk/MFileObject.h>
#include <vesk/MGlobal.h>
#include <vesk/MStringArray.h>

#include "base/kstring.h"
#include "plugin/qelveskquote.h"

using qelsdk_600::KString;

namespace {

MStatus RunCommand(const char* pCommand, const MFileObject& pFile)
{
    KString lText(pCommand);
    lText += " -f ";
    lText += QelVeskQuote(pFile.fullName().asChar());
    lText += " -caller \"QELVeskTranslator\"";
    MStringArray lResult;
    return MGlobal::executeCommand(MString(lText.Buffer()), lResult, false, false);
}

} // namespace

void* QelVeskTranslator::creator()
{
    return new QelVeskTranslator;
}

MStatus QelVeskTranslator::reader(const MFileObject& pFile, const MString&, FileAccessMode)
{
    return RunCommand("QELImport", pFile);
}

MStatus QelVeskTranslator::writer(const MFileObject& pFile, const MString&, FileAccessMode)
{
    return RunCommand("QELExport", pFile);
}

MString QelVeskTranslator::defaultExtension() const
{
    return MString("qel");
}

MPxFileTranslator::FileKind QelVeskTranslator::identifyFile(const MFileObject& pFile, const char*, short) const
{
    const KString lName = KString(pFile.name().asChar()).Lower();
    const KString lExtension = defaultExtension().asChar();
    if (lName.Find(lExtension.Buffer(), 0) > 0)
        return kFileIsOurs;
    KString lSuffix(".");
    lSuffix += lExtension;
    const int lLen = lName.GetLen();
    if (lLen >= lSuffix.GetLen() && lName.Right(static_cast<unsigned int>(lSuffix.GetLen())) == lSuffix.Buffer())
        return kFileIsOurs;
    return kFileNotOurs;
}
