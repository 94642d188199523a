// The module's small interface primitives: confirm dialogs with one, two or
// three buttons, and the progress meter of imports and exports.
#ifndef QELVESK_PLUGIN_QELVESKDIALOGS_H
#define QELVESK_PLUGIN_QELVESKDIALOGS_H

#include "base/kstring.h"

// A modal message box with one or two buttons, or, after EditMessage, a
// non-modal window showing the message in an editable text field. Made by
// the caller for one question; Pop may be called again.
class QelVeskConfirmDialog {
public:
    // Title "QelVeskConfirmDialog", message "Left empty", one button "Ok".
    QelVeskConfirmDialog();

    void Title(const qelsdk_600::KString& pTitle) { mTitle = pTitle; }
    void Title(const char* pTitle) { mTitle = pTitle; }
    // Sets the message; the plain form.
    void Message(const qelsdk_600::KString& pMessage);
    void Message(const char* pMessage);
    // Sets the message; the editable-text form.
    void EditMessage(const qelsdk_600::KString& pMessage);
    void EditMessage(const char* pMessage);
    // Index 0 sets the first button; index 1 the second, and makes two
    // buttons; any other index is ignored.
    void Button(int pIndex, const qelsdk_600::KString& pText);
    void Button(int pIndex, const char* pText);

    // Shows the dialog. Plain form (also before any message): 1 when there
    // are two buttons and the second was pressed, else 0. Editable form:
    // replaces any earlier such window, shows it and returns -1 at once.
    int Pop();

private:
    qelsdk_600::KString mTitle;
    qelsdk_600::KString mMessage;
    int mButtonCount;
    qelsdk_600::KString mButtons[2];
    bool mEditable;
};

// A modal message box with three buttons, all always shown.
class QelVesk3ButtonDialog {
public:
    // Title "QelVesk3ButtonDialog", message "Left empty", buttons "Ok",
    // "Left empty", "Left empty".
    QelVesk3ButtonDialog();

    void Title(const qelsdk_600::KString& pTitle) { mTitle = pTitle; }
    void Title(const char* pTitle) { mTitle = pTitle; }
    void Message(const qelsdk_600::KString& pMessage) { mMessage = pMessage; }
    void Message(const char* pMessage) { mMessage = pMessage; }
    // Index 0, 1 or 2; any other index is ignored.
    void Button(int pIndex, const qelsdk_600::KString& pText);
    void Button(int pIndex, const char* pText);

    // The number of the pressed button (first match by text); 0 when the
    // reply matches none.
    int Pop();

private:
    qelsdk_600::KString mTitle;
    qelsdk_600::KString mMessage;
    qelsdk_600::KString mButtons[3];
};

// Progress reporting of imports and exports: records the window it belongs
// to and shows nothing. Static only.
class QelVeskProgressMeter {
public:
    QelVeskProgressMeter() = delete;

    // Index 0, the flag and window name recorded, section empty.
    static void Reset(bool pShowUI, const char* pWindowName);
    // Accept a text; no visible effect.
    static void Activate(const char*) {}
    static void Label(const char*) {}
    static void Section(const char*) {}

    static bool ShowUI() { return smShowUI; }
    static const qelsdk_600::KString& WindowName() { return smWindowName; }

private:
    static bool smShowUI;
    static qelsdk_600::KString smWindowName;
    static int smIndex;
    static qelsdk_600::KString smSection;
};

#endif
