// "QELRead" and the take queries over the importer held between commands.
#include <vesk/MDoubleArray.h>

#include "import/qelveskimport.h"
#include "io/kqelimporter.h"
#include "module/qelveskcommands.h"
#include "plugin/qelveskutility.h"
#include "scene/kqeltakeinfo.h"

using namespace qelsdk_600;

namespace {

const char* const kNoFile = "No QEL file to query. Use command QELRead first.";
const char* const kNoTake = "No such take.";

MStatus Fail(const char* pMessage)
{
    MPxCommand::displayError(pMessage);
    return MStatus::kFailure;
}

// The held file's importer, or null after the "no file" error.
KQelImporter* HeldImporter()
{
    if (!CommandImportBase::smImporter) {
        Fail(kNoFile);
        return nullptr;
    }
    return CommandImportBase::smImporter->GetImporter();
}

// The take record named by the single argument, a take index; null after
// its error (usage text for an argument that is no integer).
KQelTakeInfo* TakeByIndex(const MArgList& pArgs, const char* pUsage)
{
    if (pArgs.length() != 1) {
        Fail(pUsage);
        return nullptr;
    }
    KQelImporter* lImporter = HeldImporter();
    if (!lImporter)
        return nullptr;
    MStatus lStatus;
    const int lIndex = pArgs.asInt(0, &lStatus);
    if (!lStatus) {
        Fail(pUsage);
        return nullptr;
    }
    KQelTakeInfo* lTake = lIndex >= 0 && lIndex < lImporter->GetTakeCount() ? lImporter->GetTakeInfo(lIndex) : nullptr;
    if (!lTake)
        Fail(kNoTake);
    return lTake;
}

MDoubleArray SpanInUiUnits(const KTimeSpan& pSpan)
{
    const double lRatio = QelVeskUtility::TimeUnitRatio();
    MDoubleArray lOut;
    lOut.append(pSpan.GetStart().GetSecondDouble() * lRatio);
    lOut.append(pSpan.GetStop().GetSecondDouble() * lRatio);
    return lOut;
}

// Sets the command's result to what pAnswer makes of the take named by the
// single argument; after the take's error, failure and no result.
template <class Answer>
MStatus AnswerTake(MPxCommand& pCommand, const MArgList& pArgs, const char* pUsage, Answer pAnswer)
{
    const KQelTakeInfo* lTake = TakeByIndex(pArgs, pUsage);
    if (!lTake)
        return MStatus::kFailure;
    pCommand.setResult(pAnswer(*lTake));
    return MStatus::kSuccess;
}

} // namespace

void* CommandRead::creator()
{
    return new CommandRead;
}

MStatus CommandRead::doIt(const MArgList& pArgs)
{
    static const char* const kUsage = "Use syntax: QELRead -f filename";
    MString lPath;
    if (pArgs.length() == 2 && (pArgs.asString(0) == "-f" || pArgs.asString(0) == "-file"))
        lPath = pArgs.asString(1);
    if (lPath.length() == 0) {
        DropImporter();
        return Fail(kUsage);
    }
    if (smImporter && !(smFileName == lPath.asChar()))
        DropImporter();
    if (!smImporter)
        smImporter = new QelVeskImport;
    const MStatus lStatus = smImporter->OpenProject(lPath);
    if (!lStatus) {
        Fail(lStatus.statusCode() == MStatus::kNotFound ? "QELRead error: file not found." : kUsage);
        DropImporter();
        return lStatus;
    }
    smFileName = lPath.asChar();
    setResult(MString("Success"));
    return MStatus::kSuccess;
}

void* CommandGetTakeCount::creator()
{
    return new CommandGetTakeCount;
}

MStatus CommandGetTakeCount::doIt(const MArgList& pArgs)
{
    if (pArgs.length() != 0)
        return Fail("Use syntax: QELGetTakeCount");
    KQelImporter* lImporter = HeldImporter();
    if (!lImporter)
        return MStatus::kFailure;
    setResult(lImporter->GetTakeCount());
    return MStatus::kSuccess;
}

void* CommandGetTakeIndex::creator()
{
    return new CommandGetTakeIndex;
}

MStatus CommandGetTakeIndex::doIt(const MArgList& pArgs)
{
    if (pArgs.length() != 1)
        return Fail("Use syntax: QELGetTakeIndex takename");
    KQelImporter* lImporter = HeldImporter();
    if (!lImporter)
        return MStatus::kFailure;
    const MString lName = pArgs.asString(0);
    for (int i = 0; i < lImporter->GetTakeCount(); ++i) {
        const KQelTakeInfo* lTake = lImporter->GetTakeInfo(i);
        if (lTake && lTake->mName == lName.asChar()) {
            setResult(i);
            return MStatus::kSuccess;
        }
    }
    return Fail(kNoTake);
}

void* CommandGetTakeName::creator()
{
    return new CommandGetTakeName;
}

MStatus CommandGetTakeName::doIt(const MArgList& pArgs)
{
    return AnswerTake(*this, pArgs, "Use syntax: QELGetTakeName takeindex",
                      [](const KQelTakeInfo& pTake) { return MString(pTake.mName.Buffer()); });
}

void* CommandGetTakeComment::creator()
{
    return new CommandGetTakeComment;
}

MStatus CommandGetTakeComment::doIt(const MArgList& pArgs)
{
    return AnswerTake(*this, pArgs, "Use syntax: QELGetTakeComment takeindex",
                      [](const KQelTakeInfo& pTake) { return MString(pTake.mDescription.Buffer()); });
}

void* CommandGetTakeLocalTimeSpan::creator()
{
    return new CommandGetTakeLocalTimeSpan;
}

MStatus CommandGetTakeLocalTimeSpan::doIt(const MArgList& pArgs)
{
    return AnswerTake(*this, pArgs, "Use syntax: QELGetTakeLocalTimeSpan takeindex",
                      [](const KQelTakeInfo& pTake) { return SpanInUiUnits(pTake.mLocalTimeSpan); });
}

void* CommandGetTakeReferenceTimeSpan::creator()
{
    return new CommandGetTakeReferenceTimeSpan;
}

MStatus CommandGetTakeReferenceTimeSpan::doIt(const MArgList& pArgs)
{
    return AnswerTake(*this, pArgs, "Use syntax: QELGetTakeReferenceTimeSpan takeindex",
                      [](const KQelTakeInfo& pTake) { return SpanInUiUnits(pTake.mReferenceTimeSpan); });
}
