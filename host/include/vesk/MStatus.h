// Result of a host call: a status code, tested by every caller.
#ifndef VESK_MSTATUS_H
#define VESK_MSTATUS_H

#include <vesk/VeskExport.h>

class MString;

// A status value. Code 0 is success, every other code a failure. Copies are
// plain values.
class VESK_API MStatus {
public:
    enum MStatusCode {
        kSuccess = 0,
        kFailure = 1,
        kInvalidParameter = 3,
        kNotFound = 7
    };

    // Success.
    MStatus() : mCode(kSuccess) {}
    MStatus(MStatusCode code) : mCode(code) {}

    // True on success.
    explicit operator bool() const { return mCode == kSuccess; }
    // True on failure.
    bool error() const { return mCode != kSuccess; }
    MStatusCode statusCode() const { return mCode; }
    bool operator==(const MStatus& other) const { return mCode == other.mCode; }
    bool operator!=(const MStatus& other) const { return mCode != other.mCode; }
    // Back to success.
    void clear() { mCode = kSuccess; }

    // The host's text for the code: "Success", "Failure", "Invalid parameter"
    // or "Not found" ("Unknown status" for any other value).
    MString errorString() const;
    // Adds one line to the process-wide message log: the text, ": " and
    // errorString(). A null text counts as empty.
    void perror(const char* text) const;
    void perror(const MString& text) const;

private:
    MStatusCode mCode;
};

#endif
