// The arguments of a plug-in command, as texts.
#ifndef VESK_MARGLIST_H
#define VESK_MARGLIST_H

#include <string>
#include <vector>

#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/VeskExport.h>

// The host makes one for each run of a plug-in command: one text per
// argument as the command language gave it (quotes removed, escapes
// applied; "" is an empty argument; flags and numbers such as "-t" and "-5"
// are plain texts). Numbers are read from the whole text (decimal or
// exponent form, "nan", "inf"), whatever the locale. A conversion that
// fails, also for an index past the end, gives 0, false or "" and a failure
// status (kInvalidParameter past the end, kFailure otherwise).
class VESK_API MArgList {
public:
    MArgList() {}
    explicit MArgList(const std::vector<std::string>& texts) : mTexts(texts) {}

    unsigned int length() const { return static_cast<unsigned int>(mTexts.size()); }

    MString asString(unsigned int index, MStatus* status = nullptr) const;
    // An integral value that fits an int ("3", "-5", "2.0"); "1e300",
    // "2147483648" and "2.5" fail.
    int asInt(unsigned int index, MStatus* status = nullptr) const;
    double asDouble(unsigned int index, MStatus* status = nullptr) const;
    // "true"/"false", "yes"/"no", "on"/"off" in any case, or a number (true
    // when not 0).
    bool asBool(unsigned int index, MStatus* status = nullptr) const;

private:
    std::vector<std::string> mTexts;
};

#endif
