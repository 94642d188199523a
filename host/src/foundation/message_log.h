// The process-wide log of host messages (MStatus::perror and its kin).
#ifndef VESK_FOUNDATION_MESSAGE_LOG_H
#define VESK_FOUNDATION_MESSAGE_LOG_H

#include <string>

#include <vesk/VeskExport.h>

namespace vesk {

// Every host message line in order of arrival. The log lives until the
// process ends (modules may print from their static destructors), and an
// optional sink sees each line as it is added (the program prints them).
class VESK_API MessageLog {
public:
    enum Severity { kError = 0, kWarning = 1, kInfo = 2 };
    typedef void (*Sink)(Severity severity, const char* text, void* user);

    static void add(Severity severity, const std::string& text);
    static size_t size();
    // Line i (0 <= i < size()), or "" outside.
    static std::string line(size_t i);
    static Severity severity(size_t i);
    // The last line, or "" when the log is empty.
    static std::string last();
    static void clear();
    // Null removes the sink.
    static void setSink(Sink sink, void* user);
};

} // namespace vesk

#endif
