// Confirm dialogs against scripted replies.
#include <standin/StandIn.h>

#include "host/host_fixture.h"
#include "plugin/qelveskdialogs.h"

using standin::Reply;

using ConfirmDialogTest = HostTest;

TEST_F(ConfirmDialogTest, PlainDialogsTellWhichButtonWasPressed)
{
    struct Case {
        const char* button0;
        const char* button1; // null: not set
        int extraIndex;      // a Button call with this index, ignored
        Reply reply;
        std::vector<std::string> buttons;
        int result;
    } const kCases[] = {
        {nullptr, nullptr, 2, Reply::press("Ok"), {"Ok"}, 0},
        {"Yes", "No", -1, Reply::press("No"), {"Yes", "No"}, 1},
        {"Yes", "No", -1, Reply::press("Yes"), {"Yes", "No"}, 0},
        {"Same", "Same", -1, Reply::pressIndex(0), {"Same", "Same"}, 1},
        {"Alone", nullptr, 2, Reply::press("Alone"), {"Alone"}, 0},
        {"Yes", "No", -1, Reply::dismiss(), {"Yes", "No"}, 0},
    };
    for (const Case& c : kCases) {
        QelVeskConfirmDialog lDialog;
        if (c.button0)
            lDialog.Button(0, c.button0);
        if (c.button1)
            lDialog.Button(1, c.button1);
        lDialog.Button(c.extraIndex, "ignored");
        standin::queueReply(c.reply);
        EXPECT_EQ(lDialog.Pop(), c.result) << c.buttons[0];
        const std::vector<standin::DialogRecord> lShown = standin::dialogs();
        ASSERT_FALSE(lShown.empty());
        EXPECT_EQ(lShown.back().title, "QelVeskConfirmDialog");
        EXPECT_EQ(lShown.back().message, "Left empty");
        EXPECT_EQ(lShown.back().buttons, c.buttons);
    }
    standin::clearProblems();
}

TEST_F(ConfirmDialogTest, MessagesKeepTheirTextAndLineBreaks)
{
    QelVeskConfirmDialog lDialog;
    lDialog.Title("QEL import \"Error\"");
    lDialog.EditMessage("first");
    lDialog.Message("Line one\\nLine \"two\" $x; c:\\dir");
    standin::queueReply(Reply::press("Ok").expecting("Line \"two\""));
    EXPECT_EQ(lDialog.Pop(), 0);
    ASSERT_EQ(standin::dialogs().size(), 1u);
    EXPECT_EQ(standin::dialogs()[0].title, "QEL import \"Error\"");
    EXPECT_EQ(standin::dialogs()[0].message, "Line one\nLine \"two\" $x; c:\\dir");
}

TEST_F(ConfirmDialogTest, TheEditableFormShowsAWindowAndReturnsAtOnce)
{
    QelVeskConfirmDialog lDialog;
    lDialog.Message("plain");
    lDialog.EditMessage("Some text\\nto copy");
    lDialog.Button(0, "Close");
    EXPECT_EQ(lDialog.Pop(), -1);
    EXPECT_EQ(lDialog.Pop(), -1);
    EXPECT_EQ(standin::windows(), std::vector<std::string>{"QELEDITMSGDIALOG"});
    EXPECT_TRUE(standin::dialogs().empty());
    std::string lText, lButton;
    for (const std::string& c : standin::control("QELEDITMSGDIALOG").children) {
        for (const std::string& g : standin::control(c).children) {
            const standin::ControlView v = standin::control(g);
            if (v.kind == "textField")
                lText = v.text;
        }
    }
    EXPECT_EQ(lText, "Some text\nto copy");
}

TEST_F(ConfirmDialogTest, ThreeButtonDialogsAnswerTheFirstMatchingButton)
{
    {
        QelVesk3ButtonDialog lDialog;
        standin::queueReply(Reply::pressIndex(1));
        EXPECT_EQ(lDialog.Pop(), 1);
        EXPECT_EQ(standin::dialogs().back().buttons, (std::vector<std::string>{"Ok", "Left empty", "Left empty"}));
    }
    {
        QelVesk3ButtonDialog lDialog;
        lDialog.Title("Locked");
        lDialog.Button(0, " Unlock All ");
        lDialog.Button(1, " Unlock ");
        lDialog.Button(2, " Unlock All ");
        lDialog.Button(3, "ignored");
        standin::queueReply(Reply::pressIndex(2));
        EXPECT_EQ(lDialog.Pop(), 0);
        standin::queueReply(Reply::press(" Unlock "));
        EXPECT_EQ(lDialog.Pop(), 1);
        standin::queueReply(Reply::dismiss());
        EXPECT_EQ(lDialog.Pop(), 0);
    }
    standin::clearProblems();
}
