// The bases plug-ins derive from: MPxCommand and MPxFileTranslator.
#include <vesk/MPxCommand.h>
#include <vesk/MPxFileTranslator.h>

#include "command/command_result.h"
#include "foundation/message_log.h"

MPxCommand::MPxCommand() : mResult(new vesk::CommandResult) {}

MPxCommand::~MPxCommand()
{
    delete mResult;
}

MStatus MPxCommand::undoIt()
{
    return MStatus::kFailure;
}

MStatus MPxCommand::redoIt()
{
    return MStatus::kFailure;
}

bool MPxCommand::isUndoable() const
{
    return false;
}

bool MPxCommand::hasSyntax() const
{
    return false;
}

void MPxCommand::setResult(const MString& result)
{
    mResult->setString(std::string(result.asChar(), result.length()));
}

void MPxCommand::setResult(int result)
{
    mResult->setInt(result);
}

void MPxCommand::setResult(const MDoubleArray& result)
{
    std::vector<double> values(result.length());
    for (unsigned int i = 0; i < result.length(); ++i)
        values[i] = result[i];
    mResult->setDoubles(values);
}

void MPxCommand::displayError(const MString& text)
{
    vesk::MessageLog::add(vesk::MessageLog::kError, std::string(text.asChar(), text.length()));
}

MPxFileTranslator::MPxFileTranslator() {}

MPxFileTranslator::~MPxFileTranslator() {}

MStatus MPxFileTranslator::reader(const MFileObject&, const MString&, FileAccessMode)
{
    return MStatus::kFailure;
}

MStatus MPxFileTranslator::writer(const MFileObject&, const MString&, FileAccessMode)
{
    return MStatus::kFailure;
}

bool MPxFileTranslator::haveReadMethod() const
{
    return false;
}

bool MPxFileTranslator::haveWriteMethod() const
{
    return false;
}

bool MPxFileTranslator::haveNamespaceSupport() const
{
    return false;
}

bool MPxFileTranslator::haveReferenceMethod() const
{
    return false;
}

bool MPxFileTranslator::canBeOpened() const
{
    return false;
}

MString MPxFileTranslator::defaultExtension() const
{
    return MString();
}

MString MPxFileTranslator::filter() const
{
    const MString ext = defaultExtension();
    return ext.length() ? MString("*.") + ext : MString("*");
}

MPxFileTranslator::FileKind MPxFileTranslator::identifyFile(const MFileObject&, const char*, short) const
{
    return kFileNotOurs;
}
