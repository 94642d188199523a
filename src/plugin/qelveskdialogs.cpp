#include "plugin/qelveskdialogs.h"

#include "plugin/qelveskquote.h"
#include "plugin/qelveskscript.h"

using qelsdk_600::KString;

namespace {

const char* const kLeftEmpty = "Left empty";
const char* const kEditWindow = "QELEDITMSGDIALOG";

// Dialog texts follow the message tables' convention: "\n" is a line break.
KString Literal(const KString& pText)
{
    return QelVeskQuoteMessage(pText.Buffer());
}

// "confirmDialog -t T -m M -b B0 -b B1 ..." and the pressed button's text.
MString Confirm(const KString& pTitle, const KString& pMessage, const KString* pButtons, int pCount)
{
    KString lText("confirmDialog -t ");
    lText += Literal(pTitle);
    lText += " -m ";
    lText += Literal(pMessage);
    for (int i = 0; i < pCount; ++i) {
        lText += " -b ";
        lText += Literal(pButtons[i]);
    }
    return QelVeskQueryString(lText.Buffer());
}

} // namespace

QelVeskConfirmDialog::QelVeskConfirmDialog()
    : mTitle("QelVeskConfirmDialog"), mMessage(kLeftEmpty), mButtonCount(1), mEditable(false)
{
    mButtons[0] = "Ok";
    mButtons[1] = kLeftEmpty;
}

void QelVeskConfirmDialog::Message(const KString& pMessage)
{
    mMessage = pMessage;
    mEditable = false;
}

void QelVeskConfirmDialog::Message(const char* pMessage)
{
    Message(KString(pMessage));
}

void QelVeskConfirmDialog::EditMessage(const KString& pMessage)
{
    mMessage = pMessage;
    mEditable = true;
}

void QelVeskConfirmDialog::EditMessage(const char* pMessage)
{
    EditMessage(KString(pMessage));
}

void QelVeskConfirmDialog::Button(int pIndex, const KString& pText)
{
    if (pIndex == 0) {
        mButtons[0] = pText;
    } else if (pIndex == 1) {
        mButtons[1] = pText;
        mButtonCount = 2;
    }
}

void QelVeskConfirmDialog::Button(int pIndex, const char* pText)
{
    Button(pIndex, KString(pText));
}

int QelVeskConfirmDialog::Pop()
{
    if (mEditable) {
        QelVeskDeleteWindow(kEditWindow);
        KString lText("window -rtf true -s false -t ");
        lText += Literal(mTitle);
        lText += " QELEDITMSGDIALOG; columnLayout -w 250 -co \"both\" 10 -rs 5 ";
        QelVeskRun(lText);
        lText = "separator -hr true -st \"none\";textField -ed true -w 250 -h 250 -tx ";
        lText += Literal(mMessage);
        lText += "; separator -hr true -st \"none\";";
        QelVeskRun(lText);
        lText = "\t\t\trow -columns 2 -width 1 175 -width 2 75 -align 1 \"center\"\t\t\t -align 2 \"center\" "
                "-attach 1 \"both\" 0 -attach 2 \"both\" 0;"
                "\t\t\tseparator -hr false -st \"none\";"
                "\t\t\tbutton -label ";
        lText += Literal(mButtons[0]);
        lText += " -c \"window -e -vis false QELEDITMSGDIALOG\";";
        QelVeskRun(lText);
        QelVeskRun("showWindow QELEDITMSGDIALOG");
        return -1;
    }
    const MString lReply = Confirm(mTitle, mMessage, mButtons, mButtonCount);
    return mButtonCount == 2 && lReply == mButtons[1].Buffer() ? 1 : 0;
}

QelVesk3ButtonDialog::QelVesk3ButtonDialog() : mTitle("QelVesk3ButtonDialog"), mMessage(kLeftEmpty)
{
    mButtons[0] = "Ok";
    mButtons[1] = kLeftEmpty;
    mButtons[2] = kLeftEmpty;
}

void QelVesk3ButtonDialog::Button(int pIndex, const KString& pText)
{
    if (pIndex >= 0 && pIndex < 3)
        mButtons[pIndex] = pText;
}

void QelVesk3ButtonDialog::Button(int pIndex, const char* pText)
{
    Button(pIndex, KString(pText));
}

int QelVesk3ButtonDialog::Pop()
{
    const MString lReply = Confirm(mTitle, mMessage, mButtons, 3);
    for (int i = 0; i < 3; ++i)
        if (lReply == mButtons[i].Buffer())
            return i;
    return 0;
}

bool QelVeskProgressMeter::smShowUI = false;
KString QelVeskProgressMeter::smWindowName;
int QelVeskProgressMeter::smIndex = 0;
KString QelVeskProgressMeter::smSection;

void QelVeskProgressMeter::Reset(bool pShowUI, const char* pWindowName)
{
    smIndex = 0;
    smShowUI = pShowUI;
    smWindowName = pWindowName ? pWindowName : "";
    smSection = "";
}
