// What tests and the vesk program may do to the stand-in host beyond its
// API: answer its dialogs, act as the user on its controls, look at its
// controls, logs and character solver, set scene settings a user would set,
// and start over. Not for plug-in modules.
#ifndef STANDIN_STANDIN_H
#define STANDIN_STANDIN_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <vesk/MStatus.h>
#include <vesk/VeskExport.h>

namespace standin {

// ---- Dialog replies ---------------------------------------------------------------------
//
// confirmDialog never blocks. A dialog titled T takes the front reply of T's
// queue, else of the general queue, else T's standing reply (which stays);
// with none it is dismissed and recorded unanswered. A dismissed dialog
// answers "". A reply naming no button of the dialog, or whose expected
// text the message lacks, is used up, the dialog answers "" and a problem
// is recorded.

struct VESK_API Reply {
    enum Kind { kPressLabel, kPressIndex, kDismiss };

    // Presses the button of that label (exact text, blanks included).
    static Reply press(const std::string& label);
    // Presses button i (0 is the first).
    static Reply pressIndex(int index);
    static Reply dismiss();
    // The message must contain text.
    Reply& expecting(const std::string& text);

    Kind kind = kDismiss;
    std::string label;
    int index = 0;
    bool checkMessage = false;
    std::string messageContains;
};

VESK_API void queueReply(const std::string& title, const Reply& reply);
VESK_API void queueReply(const Reply& reply);
VESK_API void setStandingReply(const std::string& title, const Reply& reply);
VESK_API void clearStandingReplies();
// Queued replies not used yet (both kinds of queue).
VESK_API size_t pendingReplies();

// One dialog shown, with how it was answered.
struct VESK_API DialogRecord {
    std::string title;
    std::string message;
    std::vector<std::string> buttons;
    // The answer given to the script ("" when dismissed).
    std::string answer;
    // False when no reply was there.
    bool answered = false;
    // What went wrong, or "".
    std::string problem;
};
VESK_API std::vector<DialogRecord> dialogs();

// Unanswered dialogs and replies that did not fit, in order.
VESK_API std::vector<std::string> problems();
VESK_API void clearProblems();

// ---- User actions ------------------------------------------------------------------------
//
// Each does what a click does. It is refused (kFailure, an error line) for
// an unknown name, a control of another kind, a disabled control, a control
// of a hidden window, or a control whose own text is running. A change
// command runs after the change, only when the value changed; a radio choice
// runs the chosen button's command only. The status is then that command's.

VESK_API MStatus setCheckBox(const std::string& name, bool value);
// A radio button by name or by "$variable" holding its name.
VESK_API MStatus selectRadio(const std::string& nameOrVariable);
// Selects item position (1-based) alone.
VESK_API MStatus selectListItem(const std::string& list, int position);
VESK_API MStatus setFloatField(const std::string& name, double value);
// Runs the button's command as a new command text; its status is returned.
VESK_API MStatus pressButton(const std::string& name);

// ---- Controls ------------------------------------------------------------------------------

struct VESK_API ControlView {
    bool found = false;
    // The command word of its kind ("checkBox").
    std::string kind;
    std::string name;
    std::string window;
    // The window or layout holding it ("" for windows and collections).
    std::string parent;
    bool enabled = true;
    // Its window is shown.
    bool shown = false;
    std::string label;
    std::string title;
    std::string text;
    double value = 0.0;
    std::vector<std::string> items;
    std::vector<int> selected;
    std::string command;
    std::string changeCommand;
    // Radio buttons: the collection and whether they are its choice.
    std::string collection;
    bool chosen = false;
    int columns = 0;
    std::vector<std::string> children;
    std::map<std::string, std::string> display;
};
// The control a name finds (a window first, then a control, as commands
// find them); found false when none.
VESK_API ControlView control(const std::string& name);
// Names of the windows, in order of creation.
VESK_API std::vector<std::string> windows();
// The value of a script variable; "" when not declared.
VESK_API std::string variable(const std::string& name);

// ---- Logs ------------------------------------------------------------------------------------

// One run of a text: the text, how deep it ran, its flags, status, result
// (entries joined by blanks) and the error lines it printed.
struct VESK_API LoggedCommand {
    std::string text;
    // 0 for a text run from outside any command.
    int depth = 0;
    bool display = false;
    bool undo = false;
    int status = 0;
    std::string result;
    std::vector<std::string> errors;
    // Its dialogs: "title -> \"answer\"" or "title -> unanswered".
    std::vector<std::string> dialogs;
};
// The latest runs of texts, oldest first.
VESK_API std::vector<LoggedCommand> commandLog();
// Empties the command and dialog logs (not the problems).
VESK_API void clearLogs();

// ---- Scene settings and the character solver ---------------------------------------------------

// "y" or "z"; anything else is refused.
VESK_API MStatus setUpAxis(const std::string& axis);
// Above 0; anything else is refused.
VESK_API MStatus setJointDisplayScale(double scale);

// The solver's commands exist only while it is on (off at start).
VESK_API void setSolverEnabled(bool on);
VESK_API bool solverEnabled();

struct VESK_API SolverSlot {
    int group = 0;
    int index = 0;
    // The full path of the linked node, "" when none.
    std::string node;
    double translate[3] = {0.0, 0.0, 0.0};
    double rotate[3] = {0.0, 0.0, 0.0};
    double scale[3] = {1.0, 1.0, 1.0};
};
struct VESK_API SolverCharacter {
    std::string name;
    bool characterized = false;
    // The slots given a node or offsets, by group then index.
    std::vector<SolverSlot> slots;
};
VESK_API std::vector<SolverCharacter> solverCharacters();

// ---- Starting over -----------------------------------------------------------------------------

// A new scene and a new session: the default scene, no windows, variables,
// logs, replies or problems, the solver off and empty, up axis "y", joint
// display scale 1, the default time range.
VESK_API void resetHost();

} // namespace standin

#endif
