// The host's user interface as data: windows, layouts and controls that the
// command language builds, edits and queries, and that user actions change.
//
// Rules. A window name is unique among windows, hidden ones included.
// Control names are unique within their window; a bare name finds the
// latest live control of that name, "W|NAME" the one in window W. Generated
// names (kind name and a number) are never handed out twice. A new window or
// layout becomes the current parent; "setParent .." stops at the window.
// Radio buttons join their window's latest collection. Deleting a window or
// layout deletes what it holds. Nothing is drawn: sizes, alignments and
// styles are kept for inspection only.
#ifndef VESK_UI_UI_MODEL_H
#define VESK_UI_UI_MODEL_H

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include <vesk/VeskExport.h>

namespace vesk {

enum class UiKind : unsigned char {
    kWindow,
    kColumnLayout,
    kRow,
    kText,
    kSeparator,
    kTextScrollList,
    kRadioCollection,
    kRadioButton,
    kCheckBox,
    kFloatField,
    kButton,
    kTextField
};

// The command word of a kind ("checkBox").
VESK_API const char* uiKindName(UiKind kind);

// A control's identity; 0 is none. Ids are never reused.
typedef uint64_t UiId;

struct UiControl {
    UiId id = 0;
    UiKind kind = UiKind::kText;
    std::string name;
    // The window holding it (a window: itself) and the window or layout it
    // sits in (0 for windows and radio collections).
    UiId window = 0;
    UiId parent = 0;
    std::vector<UiId> children;

    bool enabled = true;
    // Windows: shown (a new window is hidden until showWindow).
    bool visible = false;
    std::string label;
    std::string title;
    std::string text;
    // Check boxes 0 or 1; float fields their number.
    double value = 0.0;
    // Scroll lists: the items, and the selected positions (1-based).
    std::vector<std::string> items;
    std::vector<int> selected;
    bool multiSelect = false;
    std::string command;
    std::string changeCommand;
    // Radio buttons: their collection. Collections: the selected button.
    UiId collection = 0;
    // Windows: their radio collections, in order of creation.
    std::vector<UiId> collections;
    // Rows: the number of columns.
    int columns = 0;
    // Display-only flags as given ("width" -> "300", "width 2" -> "50").
    std::map<std::string, std::string> display;
    // True while its command or change command runs.
    bool firing = false;
};

class VESK_API UiModel {
public:
    UiControl* get(UiId id);
    // The window of that name, or null.
    UiControl* window(const std::string& name);
    // The control a name finds (see above), windows excluded; null for none.
    UiControl* control(const std::string& name);
    // A window of the name, else a control.
    UiControl* any(const std::string& name);
    // The name a control is shown by: "W|NAME" for controls, the name for
    // windows.
    std::string fullName(const UiControl& c);

    // A free generated name for a new control of the kind.
    std::string generateName(UiKind kind);
    // Adds a control already filled in (id given here); links it to its
    // parent and indexes its name.
    UiControl& insert(UiControl c);
    // Removes a control and what it holds.
    void remove(UiId id);
    // True when the window holds a live control of that name.
    bool nameTaken(UiId window, const std::string& name);

    // The current parent (a window or layout), 0 for none.
    UiId currentParent = 0;
    bool commandEcho = false;

    // Every live control and window, in order of creation.
    std::vector<UiId> all() const;
    // Forgets everything (name counters too).
    void clear();

private:
    void unindex(const UiControl& c);

    std::unordered_map<UiId, UiControl> mControls;
    std::unordered_map<std::string, std::vector<UiId>> mByName;
    std::unordered_map<std::string, UiId> mWindows;
    std::map<UiKind, uint64_t> mCounters;
    UiId mNextId = 1;
};

// The process-wide user interface, never destroyed.
VESK_API UiModel& ui();

} // namespace vesk

#endif
