// The vesk program's command line, answers file and script files.
#ifndef VESK_APP_PROGRAM_H
#define VESK_APP_PROGRAM_H

#include <string>
#include <vector>

namespace vesk {

// Exit codes.
enum ExitCode {
    kExitOk = 0,
    kExitActionFailed = 1,
    kExitBadInput = 2,
    kExitReplies = 3
};

struct Action {
    enum Kind { kCommand, kScript, kImport, kOpen, kExport, kUi, kDump };
    Kind kind = kCommand;
    // The command text, the script's path, the file of a file action or of
    // the dump ("-" for standard output), or the user action's text.
    std::string text;
    // A script's contents, read before anything runs.
    std::string script;
    // The translator a file action asks for ("" to let the files decide).
    std::string type;
    // A user action: its verb, control and value ("" for press and radio).
    std::string verb;
    std::string control;
    std::string value;
};

// One line of an answers file: reply "LABEL" [title "T"] [message "M"].
struct Answer {
    std::string label;
    std::string title;
    std::string message;
    bool hasTitle = false;
    bool hasMessage = false;
};

struct Options {
    std::vector<std::string> modules;
    std::string answersPath;
    std::vector<Answer> answers;
    std::vector<Action> actions;
    // vesk -compare A B [-tol T] [-ignore RE]...
    bool compare = false;
    std::string compareA;
    std::string compareB;
    double tolerance = 0.0;
    std::vector<std::string> ignore;
};

// Reads the arguments (argv[1] on), and the answers and script files they
// name. False with error saying why: an unknown option, a missing or bad
// value, a file that cannot be read or holds a zero byte, a bad answers
// line.
bool readOptions(int argc, char** argv, Options& out, std::string& error);

// Reads a whole text file; a zero byte inside is refused.
bool readTextFile(const std::string& path, std::string& out, std::string& error);

// Reads an answers file's text: "#" comments and blank lines, otherwise
// reply "LABEL" with optional title "T" and message "M" (quoted, with
// \" \\ \n \t escapes).
bool parseAnswers(const std::string& text, std::vector<Answer>& out, std::string& error);

extern const char* const kUsage;

} // namespace vesk

#endif
