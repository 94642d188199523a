// Base of plug-in commands.
#ifndef VESK_MPXCOMMAND_H
#define VESK_MPXCOMMAND_H

#include <vesk/MArgList.h>
#include <vesk/MDoubleArray.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

namespace vesk {
class CommandResult;
struct PxCommandAccess;
} // namespace vesk

// A plug-in registers a creator that returns a new object of its subclass
// (see MFnPlugin). For each run of the command the host calls the creator,
// then doIt with the arguments, takes the result and the status, and
// deletes the object, whatever happened.
class VESK_API MPxCommand {
public:
    MPxCommand();
    virtual ~MPxCommand();
    MPxCommand(const MPxCommand&) = delete;
    MPxCommand& operator=(const MPxCommand&) = delete;

    // The command's work; the status is the run's.
    virtual MStatus doIt(const MArgList& args) = 0;
    // Commands are not undoable unless they say so: undoIt and redoIt fail
    // with kFailure, isUndoable and hasSyntax give false.
    virtual MStatus undoIt();
    virtual MStatus redoIt();
    virtual bool isUndoable() const;
    virtual bool hasSyntax() const;

    // The result of the run; the last call wins. It reaches the caller
    // whatever the status doIt returns.
    void setResult(const MString& result);
    void setResult(int result);
    void setResult(const MDoubleArray& result);

    // Prints the text, unchanged, as one error line of the host.
    static void displayError(const MString& text);

private:
    friend struct vesk::PxCommandAccess;
    vesk::CommandResult* mResult;
};

#endif
