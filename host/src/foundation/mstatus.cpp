#include <vesk/MStatus.h>
#include <vesk/MString.h>

#include "foundation/message_log.h"

MString MStatus::errorString() const
{
    switch (mCode) {
    case kSuccess:
        return "Success";
    case kFailure:
        return "Failure";
    case kInvalidParameter:
        return "Invalid parameter";
    case kNotFound:
        return "Not found";
    }
    return "Unknown status";
}

void MStatus::perror(const char* text) const
{
    std::string line = text ? text : "";
    line += ": ";
    line += errorString().asChar();
    vesk::MessageLog::add(vesk::MessageLog::kError, line);
}

void MStatus::perror(const MString& text) const
{
    perror(text.asChar());
}
