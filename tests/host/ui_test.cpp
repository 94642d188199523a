// The interface model: the module's dialog scripts built and read back,
// user actions, scripted replies to confirm dialogs, and hostile texts.
#include <cstdio>

#include <vesk/MGlobal.h>

#include "command/interpreter.h"
#include "host_fixture.h"

namespace {

typedef std::vector<std::string> Pieces;

std::string quoted(const std::string& t)
{
    return "\"" + t + "\"";
}

std::string fixed(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", v);
    return text;
}

std::string checkBox(const std::string& label, bool value, const std::string& name, const std::string& parent)
{
    return "checkBox " + (parent.empty() ? std::string() : "-p " + parent + " ") + "-h 20 -label " + quoted(label) +
           " -al \"left\" " + (value ? "-v true " : "-v false ") + " " + name;
}

// The row layouts the module builds: a two-column one for the rate and a
// four-column one for the buttons.
std::string rateRow(const std::string& window)
{
    return "row -p " + window +
           " -columns 2 -width 1 150 -width 2 50 -align 1 \"left\" -align 2 \"left\" -attach 1 \"both\" 0 "
           "-attach 2 \"both\" 0";
}

std::string buttonRow(const std::string& window)
{
    return "row -p " + window +
           " -columns 4 -width 1 65 -width 2 75 -width 3 5 -width 4 75 -align 2 \"center\" -align 4 \"center\" "
           "-attach 2 \"both\" 0 -attach 4 \"both\" 0";
}

std::string radioPiece(int importType)
{
    std::string p = "string $collection1 = `radioCollection`;"
                    "string $rb1_ExclusiveMerge = `radioButton -label \"Exclusive Merge\"`;"
                    "string $rb2_AddToNewScene = `radioButton -label \"Add to new scene\"`;"
                    "string $rb3_Merge = `radioButton -label \"Merge\"`;"
                    "setParent ..; setParent ..;";
    const char* chosen[] = {"$rb1_ExclusiveMerge", "$rb3_Merge", "$rb2_AddToNewScene"};
    if (importType >= 0 && importType <= 2)
        p += std::string("\tradioCollection -edit -select ") + chosen[importType] + " $collection1;";
    return p;
}

std::string banner(const std::string& window)
{
    return "text -p " + window +
           " -al \"left\" -label \"QEL-Vesk import/export plugin.\\nTest notice.\\nBuild number: 20050511\"";
}

struct ImportDialog {
    std::string file = "/data/scenes/walk.qel";
    std::vector<std::string> takes = {"A", "B"};
    int importType = 1;
    int major = 6;
    bool normalize = true, nullsToJoints = false, nullsToPivot = true, hardEdges = true, protect = false;
    double rate = 30.0;

    Pieces pieces() const
    {
        const std::string w = "QELIMPORTWINDOW";
        Pieces p = {"commandEcho -st false", "window -rtf true -s false -t \"QEL Importer 6.0.2    for Vesk 65\"  " + w,
                    "columnLayout -p " + w + " -w 300 -co \"both\" 10 -rs 5 QELCOLUMNLAYOUT"};
        const std::string shown =
            file.size() > 48 ? file.substr(0, 3) + "..." + file.substr(file.size() - 42) : file;
        p.push_back("text -al \"left\" -label \"File : " + shown + "\" ");
        p.push_back("separator -hr true -st \"none\"");
        p.push_back("text -label \"Choose the animation take to import\" -al \"left\"");
        std::string list = "textScrollList -w 280 -p " + w +
                           " -h 64  -allowMultiSelection false -append \"No Animation.\"";
        for (const std::string& t : takes)
            list += " -append \"" + t + "\"";
        p.push_back(list + " -selectIndexedItem " + std::to_string(takes.size() + 1) + " QELTAKELIST");
        p.push_back("separator -w 280;");
        p.push_back(radioPiece(importType));
        p.push_back("separator -w 280;");
        p.push_back("setParent ..");
        p.push_back("text -al \"left\" -label \" Detected destination world unit = Centimeters\" ");
        p.push_back("text -al \"left\" -label \" 1 centimeter = 1 centimeter\" ");
        p.push_back("separator -w 280;");
        p.push_back(checkBox("Pre-normalize weights", normalize, "QELIMPORTFORCEWEIGHTNORMALIZE", w));
        p.push_back(checkBox("Convert incoming deforming Nulls to Joints", nullsToJoints,
                             "QELCONVERTDEFORMINGNULLTOJOINT", w));
        const std::string state = major > 5 ? "-en false -v false "
                                  : importType == 0 || importType == 1 ? "-en false -v true "
                                  : nullsToPivot ? "-v true " : "-v false ";
        p.push_back("checkBox -p " + w +
                    " -h 20 -label \"Merge pivot nodes as rotate axis and joint orient\" -al \"left\" " + state +
                    " QELREPLACENULLBYPIVOTS");
        if (major <= 5) {
            p.push_back("radioButton -edit -cc \"checkBox -e -en false -v true QELREPLACENULLBYPIVOTS\" "
                        "$rb1_ExclusiveMerge");
            p.push_back("radioButton -edit -cc \"checkBox -e -en true QELREPLACENULLBYPIVOTS\" $rb2_AddToNewScene");
            p.push_back("radioButton -edit -cc \"checkBox -e -en false -v true QELREPLACENULLBYPIVOTS\" $rb3_Merge");
        }
        p.push_back(checkBox("Import Hard Edges ", hardEdges, "QELEXPORTHARDEDGES", w));
        p.push_back(checkBox("Protect Driven Keys ", protect, "QELIMPORTPROTECTDRIVENKEYS", w));
        p.push_back(rateRow(w));
        p.push_back("text -label \"Resampling frame rate (fps)\"");
        p.push_back("floatField -v " + fixed(rate) + " -precision 3 -step 1 QELFRAMERATEFIELD");
        p.push_back("separator -p " + w + " -hr true -st \"none\"");
        p.push_back("string $QELImportButtonCommand = \"QELImport -f \\\"" + file +
                    "\\\" -caller \\\"QELImportDialog\\\"\"");
        p.push_back(buttonRow(w));
        p.push_back("separator -st \"none\"");
        p.push_back("button -rs false -label \"Import\" -c $QELImportButtonCommand  QELVESKBUTTON");
        p.push_back("separator -st \"none\"");
        p.push_back("string $QELCancelButtonCommand = \"window -e -vis false " + w + "\"");
        p.push_back("button -rs false -label \"Cancel\" -c $QELCancelButtonCommand QELCANCELBUTTON");
        p.push_back("setParent ..;");
        p.push_back("separator -w 280 -st \"single\";");
        p.push_back("text -p " + w + " -label \" \" -al \"center\" QELVESKSTATUS");
        p.push_back("text -p " + w + " -label \" \" -al \"center\" QELVESKPROGRESSMETER");
        p.push_back("separator -w 280 -st \"single\";");
        p.push_back(banner(w));
        p.push_back("showWindow " + w);
        return p;
    }
};

struct ExportDialog {
    std::string file = "/data/out/walk.qel";
    bool reducer = true, hardEdges = false, embed = false, tiff = true;
    double rate = 25.0;

    Pieces pieces() const
    {
        const std::string w = "QELEXPORTWINDOW";
        return {
            "commandEcho -st false",
            "window -rtf true -s false -t \"QEL Exporter 6.0.2  for Vesk 65\"  " + w,
            "columnLayout -p " + w + " -w 300 -co \"both\" 10 -rs 5 QELCOLUMNLAYOUT",
            "text -al \"left\" -label \"File : " + file + "\"",
            "separator -hr true -st \"none\"",
            "separator -w 280;",
            "setParent ..",
            "text -al \"left\" -label \" Detected source world unit = Centimeter\" ",
            "text -al \"left\" -label \" 1 centimeter = 1 centimeter\" ",
            "separator -w 280;",
            checkBox("Apply constant key reducer filtering", reducer, "QELAPPLYCONSTANTKEYREDUCER", ""),
            rateRow(w),
            "text -label \"Resampling frame rate (fps)\"",
            "floatField -v " + fixed(rate) + " -precision 3 -step 1 QELFRAMERATEFIELD",
            checkBox("Export Hard Edges", hardEdges, "QELEXPORTHARDEDGES", w),
            "checkBox -p " + w + " -h 20 -label \"Embed Textures\" -al \"left\" " + (embed ? "-v true " : "-v false ") +
                "-en true  QELEXPORTEMBEDTEXTURES",
            "checkBox -p " + w + " -h 20 -label \"Portable format (TIFF)\" -al \"left\" " +
                (embed ? "" : "-en false ") + (tiff ? "-v true " : "-v false ") + " QELEXPORTCONVERT2TIF",
            "checkBox -edit -cc \"checkBox -e -en `checkBox -q -v QELEXPORTEMBEDTEXTURES` QELEXPORTCONVERT2TIF\" "
            "QELEXPORTEMBEDTEXTURES",
            "separator -p " + w + " -hr true -st \"none\"",
            buttonRow(w),
            "separator -st \"none\"",
            "string $QELExportButtonCommand = \"QELExport -f \\\"" + file + "\\\" -caller \\\"QELExportDialog\\\"\"",
            "button -rs false -label \"Export\" -c $QELExportButtonCommand  QELVESKBUTTON",
            "separator -st \"none\"",
            "button -rs false -label \"Cancel\" -c \"window -e -vis false " + w + "\" QELCANCELBUTTON",
            "setParent ..;",
            "separator -w 280 -st \"single\";",
            "text -p " + w + " -label \" \" -al \"center\" QELVESKSTATUS",
            "text -p " + w + " -label \" \" -al \"center\" QELVESKPROGRESSMETER",
            "separator -w 280 -st \"single\";",
            "separator -p " + w + " -st \"none\"",
            banner(w),
            "showWindow " + w,
        };
    }
};

struct BatchDialog {
    bool importUI = true, exportUI = false, reducer = false;
    int importType = 2;
    double rate = 24.0;

    Pieces pieces() const
    {
        const std::string w = "QELBATCHUIWINDOW";
        Pieces p = {"commandEcho -st false"};
        int exists = 0;
        MGlobal::executeCommand(MString(("window -ex " + w).c_str()), exists);
        if (exists)
            p.push_back("deleteUI " + w);
        p.push_back("\t\twindow -rtf true -s false -t \"QEL Batch Import/Export Settings Dialog\" " + w +
                    ";\t\tcolumnLayout -w 350 -co \"both\" 10 -rs 5 QELCOLUMNLAYOUT;");
        p.push_back("text -al \"left\" -label \"QEL Import Settings\"");
        p.push_back("separator -w 280 -st \"single\"");
        p.push_back(std::string("checkBox -h 20 -label \"Batch Import Mode (No dialog on import QEL)\" -al \"left\"") +
                    (importUI ? "-v false" : "-v true") + " QELIMPORTUI");
        p.push_back(radioPiece(importType));
        p.push_back("separator -hr true -st \"none\"");
        p.push_back("separator -hr true -st \"none\"");
        p.push_back("text -al \"left\" -label \"QEL Export Settings\"");
        p.push_back("separator -w 280 -st \"single\"");
        p.push_back(std::string("checkBox -h 20 -label \"Batch Export Mode (No dialog on export QEL)\" -al \"left\"") +
                    (exportUI ? "-v false" : "-v true") + " QELEXPORTUI");
        p.push_back(checkBox("Apply constant key reducer filtering", reducer, "QELAPPLYCONSTANTKEYREDUCER", ""));
        p.push_back("separator -hr true -st \"none\"");
        p.push_back("separator -hr true -st \"none\"");
        p.push_back("separator -w 280 -st \"single\"");
        p.push_back(rateRow(w));
        p.push_back("text -label \"Resampling frame rate (fps)\"");
        p.push_back("floatField -v " + fixed(rate) + " -precision 3 -step 1 QELFRAMERATEFIELD");
        p.push_back("separator -p " + w + " -hr true -st \"none\"");
        p.push_back(buttonRow(w));
        p.push_back("separator -st \"none\"");
        p.push_back("string $QELOKButtonCommand = \"QELSetUserParams -caller \\\"QELCommandBatchDialog\\\"\"");
        p.push_back("button -rs false -label \"   Store as Defaults   \" -c $QELOKButtonCommand  QELVESKBUTTON");
        p.push_back("separator -st \"none\"");
        p.push_back("separator -p " + w + " -st \"none\"");
        p.push_back(banner(w));
        p.push_back("showWindow " + w);
        return p;
    }
};

Pieces editableMessagePieces(const std::string& title, const std::string& message, const std::string& button)
{
    Pieces p;
    int exists = 0;
    MGlobal::executeCommand("window -ex QELEDITMSGDIALOG", exists);
    if (exists)
        p.push_back("deleteUI QELEDITMSGDIALOG");
    p.push_back("window -rtf true -s false -t \"" + title +
                "\" QELEDITMSGDIALOG; columnLayout -w 250 -co \"both\" 10 -rs 5 ");
    p.push_back("separator -hr true -st \"none\";textField -ed true -w 250 -h 250 -tx \"" + message +
                "\"; separator -hr true -st \"none\";");
    p.push_back("\t\t\trow -columns 2 -width 1 175 -width 2 75 -align 1 \"center\"\t\t\t-align 2 \"center\" "
                "-attach 1 \"both\" 0 -attach 2 \"both\" 0;\t\t\tseparator -hr false -st \"none\";\t\t\tbutton "
                "-label \"" +
                button + "\" -c \"window -e -vis false QELEDITMSGDIALOG\";");
    p.push_back("showWindow QELEDITMSGDIALOG");
    return p;
}

class UiTest : public HostTest {
protected:
    void TearDown() override
    {
        vesk::interpreter().removeExternal("QELImport");
        vesk::interpreter().removeExternal("QELExport");
        HostTest::TearDown();
    }

    // Runs each piece as the module does (string-array result, no display,
    // no undo); every one must succeed.
    static void run(const Pieces& pieces)
    {
        for (const std::string& piece : pieces) {
            MStringArray ignored;
            EXPECT_TRUE(MGlobal::executeCommand(MString(piece.c_str()), ignored, false, false)) << piece;
        }
    }
    static int queryInt(const std::string& text)
    {
        int v = -1;
        EXPECT_TRUE(MGlobal::executeCommand(MString(text.c_str()), v)) << text;
        return v;
    }
    static double queryDouble(const std::string& text)
    {
        double v = -1.0;
        EXPECT_TRUE(MGlobal::executeCommand(MString(text.c_str()), v)) << text;
        return v;
    }
    // Records the arguments a command is run with.
    std::vector<std::string> recordCommand(const char* name)
    {
        recorded.clear();
        vesk::interpreter().addExternal(name, [this](const std::vector<std::string>& args, vesk::CommandResult&) {
            recorded = args;
            return MStatus(MStatus::kSuccess);
        });
        return recorded;
    }

    std::vector<std::string> recorded;
};

} // namespace

TEST_F(UiTest, ImportDialogReadsBackWhatItShows)
{
    struct Case {
        int importType;
        int major;
        size_t takes;
        // The read-back of the import command: import type and take index.
        int readType;
        int readTake;
        bool pivotEnabled;
    };
    const Case cases[] = {
        {1, 6, 2, 1, 1, false}, {0, 6, 0, 0, -1, false}, {2, 5, 1, 2, 0, true}, {7, 5, 3, 1, 2, true},
    };
    for (const Case& c : cases) {
        standin::resetHost();
        ImportDialog d;
        d.importType = c.importType;
        d.major = c.major;
        d.takes.assign(c.takes, "take");
        d.normalize = c.takes % 2 == 0;
        d.rate = 24.0 + c.takes;
        run(d.pieces());
        // As the import command reads the dialog back.
        run({"text -e -label \"Importing...\" QELVESKSTATUS"});
        const int type = queryInt("radioButton -q -sl $rb1_ExclusiveMerge") ? 0
                         : queryInt("radioButton -q -sl $rb2_AddToNewScene") ? 2
                                                                             : 1;
        EXPECT_EQ(type, c.readType);
        MIntArray selected;
        ASSERT_TRUE(MGlobal::executeCommand("textScrollList -q -sii QELTAKELIST", selected));
        ASSERT_EQ(selected.length(), 1u);
        EXPECT_EQ(selected[0] - 2 >= 0 ? selected[0] - 2 : -1, c.readTake);
        EXPECT_EQ(queryInt("checkBox -q -v QELIMPORTFORCEWEIGHTNORMALIZE"), d.normalize ? 1 : 0);
        EXPECT_EQ(queryInt("checkBox -q -v QELCONVERTDEFORMINGNULLTOJOINT"), 0);
        EXPECT_EQ(queryInt("checkBox -q -v QELEXPORTHARDEDGES"), 1);
        EXPECT_EQ(queryInt("checkBox -q -v QELIMPORTPROTECTDRIVENKEYS"), 0);
        EXPECT_EQ(queryInt("checkBox -q -en QELREPLACENULLBYPIVOTS"), c.pivotEnabled ? 1 : 0);
        EXPECT_EQ(queryDouble("floatField -q -v QELFRAMERATEFIELD"), d.rate);
        EXPECT_EQ(standin::control("QELSTATUS").found, false);
        EXPECT_EQ(standin::control("QELVESKSTATUS").label, "Importing...");
        ASSERT_EQ(queryInt("window -ex QELIMPORTWINDOW"), 1);
        run({"deleteUI QELIMPORTWINDOW"});
        EXPECT_EQ(queryInt("window -ex QELIMPORTWINDOW"), 0);
        EXPECT_FALSE(standin::control("QELTAKELIST").found);
    }
}

TEST_F(UiTest, ImportDialogBuildsTheControlsInOrder)
{
    ImportDialog d;
    d.file = std::string(60, 'x');
    run(d.pieces());
    const standin::ControlView w = standin::control("QELIMPORTWINDOW");
    EXPECT_TRUE(w.shown);
    EXPECT_EQ(w.title, "QEL Importer 6.0.2    for Vesk 65");
    EXPECT_EQ(w.children,
              (std::vector<std::string>{"QELCOLUMNLAYOUT", "QELTAKELIST", "separator3", "text3", "text4",
                                        "separator4", "QELIMPORTFORCEWEIGHTNORMALIZE",
                                        "QELCONVERTDEFORMINGNULLTOJOINT", "QELREPLACENULLBYPIVOTS",
                                        "QELEXPORTHARDEDGES", "QELIMPORTPROTECTDRIVENKEYS", "row1", "separator5",
                                        "row2", "separator8", "QELVESKSTATUS", "QELVESKPROGRESSMETER", "separator9",
                                        "text6"}));
    EXPECT_EQ(standin::control("QELCOLUMNLAYOUT").children,
              (std::vector<std::string>{"text1", "separator1", "text2", "separator2", "radioButton1", "radioButton2",
                                        "radioButton3"}));
    EXPECT_EQ(standin::control("text1").label, "File : xxx..." + std::string(42, 'x'));
    EXPECT_EQ(standin::control("QELTAKELIST").items, (std::vector<std::string>{"No Animation.", "A", "B"}));
    EXPECT_EQ(standin::control("radioButton3").collection, "radioCollection1");
    EXPECT_TRUE(standin::control("radioButton3").chosen);
    EXPECT_EQ(standin::control("row1").columns, 2);
    EXPECT_EQ(standin::control("row2").display.at("width 3"), "5");
    EXPECT_EQ(standin::control("row2").children,
              (std::vector<std::string>{"separator6", "QELVESKBUTTON", "separator7", "QELCANCELBUTTON"}));
    EXPECT_EQ(standin::control("QELVESKBUTTON").command,
              "QELImport -f \"" + d.file + "\" -caller \"QELImportDialog\"");
    EXPECT_EQ(standin::control("text6").label,
              "QEL-Vesk import/export plugin.\nTest notice.\nBuild number: 20050511");
}

TEST_F(UiTest, ImportDialogFlowEnablesThePivotBoxAndRunsTheImport)
{
    ImportDialog d;
    d.major = 5;
    d.importType = 0;
    run(d.pieces());
    EXPECT_FALSE(standin::control("QELREPLACENULLBYPIVOTS").enabled);
    ASSERT_TRUE(standin::selectRadio("$rb2_AddToNewScene"));
    EXPECT_TRUE(standin::control("QELREPLACENULLBYPIVOTS").enabled);
    EXPECT_EQ(standin::control("QELREPLACENULLBYPIVOTS").value, 1.0);
    ASSERT_TRUE(standin::selectListItem("QELTAKELIST", 2));
    EXPECT_EQ(queryInt("textScrollList -q -sii QELTAKELIST"), 2);
    ASSERT_TRUE(standin::setFloatField("QELFRAMERATEFIELD", 24.0));
    recordCommand("QELImport");
    ASSERT_TRUE(standin::pressButton("QELVESKBUTTON"));
    EXPECT_EQ(recorded, (std::vector<std::string>{"-f", d.file, "-caller", "QELImportDialog"}));
    // Cancel hides the window; the name stays taken.
    ASSERT_TRUE(standin::pressButton("QELCANCELBUTTON"));
    EXPECT_FALSE(standin::control("QELIMPORTWINDOW").shown);
    EXPECT_EQ(queryInt("window -ex QELIMPORTWINDOW"), 1);
    EXPECT_EQ(MGlobal::executeCommand("window QELIMPORTWINDOW").statusCode(), MStatus::kFailure);
    EXPECT_EQ(standin::pressButton("QELVESKBUTTON").statusCode(), MStatus::kFailure);
}

TEST_F(UiTest, ExportDialogTiffBoxFollowsTheEmbedBox)
{
    ExportDialog d;
    run(d.pieces());
    recordCommand("QELExport");
    EXPECT_FALSE(standin::control("QELEXPORTCONVERT2TIF").enabled);
    ASSERT_TRUE(standin::setCheckBox("QELEXPORTEMBEDTEXTURES", true));
    EXPECT_TRUE(standin::control("QELEXPORTCONVERT2TIF").enabled);
    ASSERT_TRUE(standin::setCheckBox("QELEXPORTEMBEDTEXTURES", false));
    EXPECT_FALSE(standin::control("QELEXPORTCONVERT2TIF").enabled);
    // A disabled box refuses the user but keeps and answers its value.
    EXPECT_EQ(standin::setCheckBox("QELEXPORTCONVERT2TIF", false).statusCode(), MStatus::kFailure);
    EXPECT_EQ(queryInt("checkBox -q -v QELEXPORTCONVERT2TIF"), 1);
    // An edit by text fires nothing: the TIFF box stays disabled.
    run({"checkBox -e -v true QELEXPORTEMBEDTEXTURES"});
    EXPECT_FALSE(standin::control("QELEXPORTCONVERT2TIF").enabled);
    // Setting a box to the value it has fires nothing either.
    standin::clearLogs();
    ASSERT_TRUE(standin::setCheckBox("QELEXPORTEMBEDTEXTURES", true));
    EXPECT_TRUE(standin::commandLog().empty());
    // The read-back of the export command.
    EXPECT_EQ(queryInt("checkBox -q -v QELAPPLYCONSTANTKEYREDUCER"), 1);
    EXPECT_EQ(queryDouble("floatField -q -v QELFRAMERATEFIELD"), 25.0);
    EXPECT_EQ(queryInt("checkBox -q -v QELEXPORTHARDEDGES"), 0);
    EXPECT_EQ(queryInt("checkBox -q -v QELEXPORTEMBEDTEXTURES"), 1);
    ASSERT_TRUE(standin::pressButton("QELVESKBUTTON"));
    EXPECT_EQ(recorded, (std::vector<std::string>{"-f", d.file, "-caller", "QELExportDialog"}));
}

TEST_F(UiTest, BatchDialogIsRebuiltFromTheSettingsAndStoredBack)
{
    BatchDialog d;
    run(d.pieces());
    EXPECT_EQ(queryInt("checkBox -q -v QELIMPORTUI"), 0);
    EXPECT_EQ(queryInt("checkBox -q -v QELEXPORTUI"), 1);
    EXPECT_EQ(queryInt("radioButton -q -sl $rb2_AddToNewScene"), 1);
    EXPECT_EQ(standin::control("QELIMPORTUI").label, "Batch Import Mode (No dialog on import QEL)");
    // Built again with other settings: one window, showing the new values.
    d.importType = 1;
    d.rate = 50.0;
    run(d.pieces());
    EXPECT_EQ(standin::windows(), (std::vector<std::string>{"QELBATCHUIWINDOW"}));
    EXPECT_EQ(queryInt("radioButton -q -sl $rb2_AddToNewScene"), 0);
    EXPECT_EQ(queryInt("radioButton -q -sl $rb3_Merge"), 1);
    EXPECT_EQ(queryDouble("floatField -q -v QELFRAMERATEFIELD"), 50.0);
    recordCommand("QELSetUserParams");
    ASSERT_TRUE(standin::pressButton("QELVESKBUTTON"));
    EXPECT_EQ(recorded, (std::vector<std::string>{"-caller", "QELCommandBatchDialog"}));
    run({"window -e -vis false QELBATCHUIWINDOW"});
    EXPECT_FALSE(standin::control("QELBATCHUIWINDOW").shown);
    vesk::interpreter().removeExternal("QELSetUserParams");
}

TEST_F(UiTest, ConfirmDialogsTakeRepliesFromEachSource)
{
    const std::string yesNo = "confirmDialog -t \"QEL Export Question\" -m \"Use the current pose?\" -b \"Yes\" -b \"No\"";
    const std::string locked =
        "confirmDialog -t \"QEL import Warning\" -m \"rotateX: this attribute is locked.\\n\\nNOTE\" "
        "-b \" Unlock All \" -b \" Unlock \" -b \" Keep All Locked \"";
    const std::string ok = "confirmDialog -t \"QEL import Error\" -m \"Bad file\" -b \"Ok\"";
    standin::queueReply("QEL import Warning", standin::Reply::press(" Unlock All ").expecting("locked.\n\nNOTE"));
    standin::queueReply(standin::Reply::pressIndex(1));
    standin::queueReply("QEL import Warning", standin::Reply::press(" Unlock "));
    standin::queueReply("QEL import Error", standin::Reply::press("Ok"));
    standin::setStandingReply("QEL import Warning", standin::Reply::press(" Keep All Locked "));
    standin::setStandingReply("QEL Export Question", standin::Reply::pressIndex(0));
    struct Case {
        const std::string* text;
        std::string answer;
    };
    const Case cases[] = {
        {&locked, " Unlock All "},      // its own queue first
        {&yesNo, "No"},                 // the general queue
        {&ok, "Ok"},                    // its own queue, the general one being empty
        {&locked, " Unlock "},          // its own queue again
        {&locked, " Keep All Locked "}, // then the standing reply, kept
        {&locked, " Keep All Locked "},
        {&yesNo, "Yes"},
    };
    standin::clearLogs();
    for (const Case& c : cases) {
        MString answer;
        ASSERT_TRUE(MGlobal::executeCommand(MString(c.text->c_str()), answer, false, false));
        EXPECT_EQ(std::string(answer.asChar()), c.answer);
    }
    EXPECT_EQ(standin::commandLog().at(1).dialogs, (std::vector<std::string>{"QEL Export Question -> \"No\""}));
    standin::clearStandingReplies();
    EXPECT_EQ(standin::pendingReplies(), 0u);
    // A dialog with no reply is dismissed ("") and reported.
    MString answer("x");
    ASSERT_TRUE(MGlobal::executeCommand(MString(ok.c_str()), answer));
    EXPECT_STREQ(answer.asChar(), "");
    // Replies that do not fit are used up and reported too.
    standin::queueReply(standin::Reply::press("Cancel"));
    standin::queueReply(standin::Reply::pressIndex(3));
    standin::queueReply(standin::Reply::press("Ok").expecting("Good file"));
    standin::queueReply(standin::Reply::dismiss());
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(MGlobal::executeCommand(MString(ok.c_str()), answer));
        EXPECT_STREQ(answer.asChar(), "");
    }
    const std::vector<std::string> problems = standin::problems();
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0], "unanswered dialog \"QEL import Error\": Bad file");
    EXPECT_EQ(problems[1], "dialog \"QEL import Error\" has no button \"Cancel\"");
    EXPECT_EQ(problems[2], "dialog \"QEL import Error\" has no button 3");
    EXPECT_NE(problems[3].find("lacks \"Good file\""), std::string::npos);
    const std::vector<standin::DialogRecord> shown = standin::dialogs();
    ASSERT_EQ(shown.size(), 12u);
    EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{" Unlock All ", " Unlock ", " Keep All Locked "}));
    EXPECT_EQ(shown[0].message, "rotateX: this attribute is locked.\n\nNOTE");
    EXPECT_FALSE(shown[7].answered);
    EXPECT_TRUE(shown[11].answered);
    EXPECT_EQ(standin::commandLog().back().dialogs, (std::vector<std::string>{"QEL import Error -> \"\""}));
    standin::clearProblems();
}

TEST_F(UiTest, EditableMessageWindowIsReplacedAndHiddenByItsButton)
{
    run(editableMessagePieces("QEL Export Warning", "first", "Ok"));
    run(editableMessagePieces("QEL Export Warning", "second", "Ok"));
    EXPECT_EQ(standin::windows(), (std::vector<std::string>{"QELEDITMSGDIALOG"}));
    EXPECT_EQ(standin::control("textField1").found, false);
    EXPECT_EQ(standin::control("textField2").text, "second");
    ASSERT_TRUE(standin::pressButton("button2"));
    EXPECT_FALSE(standin::control("QELEDITMSGDIALOG").shown);
}

TEST_F(UiTest, ControlsAreFoundByNameWithinAndAcrossWindows)
{
    run({"window A; columnLayout L; checkBox -v true X; showWindow A",
         "window B; columnLayout L; checkBox X; showWindow B"});
    // A bare name finds the latest; "W|NAME" the one in W.
    EXPECT_EQ(queryInt("checkBox -q -v X"), 0);
    EXPECT_EQ(queryInt("checkBox -q -v A|X"), 1);
    ASSERT_TRUE(standin::setCheckBox("A|X", false));
    EXPECT_EQ(queryInt("checkBox -q -v A|X"), 0);
    run({"deleteUI B"});
    EXPECT_EQ(queryInt("checkBox -q -v X"), 0);
    EXPECT_FALSE(standin::control("B|X").found);
    // Generated names are not handed out twice.
    run({"setParent A|L; text; deleteUI text1; text"});
    EXPECT_FALSE(standin::control("text1").found);
    EXPECT_TRUE(standin::control("text2").found);
    // setParent .. stops at the window; a deleted layout hands the current
    // parent back to what held it.
    MString parent;
    run({"setParent A|L; setParent ..; setParent .."});
    ASSERT_TRUE(MGlobal::executeCommand("setParent -q", parent));
    EXPECT_STREQ(parent.asChar(), "A");
    run({"columnLayout M; deleteUI M"});
    ASSERT_TRUE(MGlobal::executeCommand("setParent -q", parent));
    EXPECT_STREQ(parent.asChar(), "A");
}

TEST_F(UiTest, HostileTextsFailAndChangeNothing)
{
    run({"window W; columnLayout C; checkBox -v true B; button -c \"capture\" P; floatField -v 2 F; "
         "textScrollList -append a -append b -sii 1 L; row -columns 1 R; text T; setParent ..; showWindow W"});
    const char* const texts[] = {
        "textScrollList -append a -selectIndexedItem 0 L2",
        "textScrollList -e -selectIndexedItem 3 L",
        "checkBox -bogus true B2",
        "checkBox -e -v maybe B",
        "checkBox -e -v true P",
        "checkBox B",
        "window W",
        "text -p R T2",
        "row -columns 2 -width 3 10 R2",
        "row -columns 2 -align 1 \"sideways\" R3",
        "floatField -e -v abc F",
        "radioCollection -e -select B radioCollection9",
        "setParent nowhere",
        "deleteUI B nothing",
        "showWindow nothing",
        "checkBox -q -v nothing",
        "checkBox -e -q -v B",
    };
    const std::vector<std::string> windowsBefore = standin::windows();
    for (const char* text : texts) {
        EXPECT_EQ(MGlobal::executeCommand(text).statusCode(), MStatus::kFailure) << text;
        EXPECT_FALSE(vesk::MessageLog::last().empty()) << text;
    }
    EXPECT_EQ(standin::windows(), windowsBefore);
    EXPECT_FALSE(standin::control("L2").found || standin::control("B2").found || standin::control("T2").found ||
                 standin::control("R2").found || standin::control("R3").found);
    EXPECT_EQ(standin::control("L").selected, (std::vector<int>{1}));
    EXPECT_EQ(standin::control("B").value, 1.0);
    EXPECT_EQ(standin::control("F").value, 2.0);
    EXPECT_TRUE(standin::control("B").found);
    // A take name that closes its string runs what follows it.
    ImportDialog d;
    d.takes = {"\"; deleteUI QELIMPORTWINDOW; text \""};
    Pieces pieces = d.pieces();
    for (size_t i = 0; i < 6; ++i)
        run({pieces[i]});
    EXPECT_EQ(MGlobal::executeCommand(MString(pieces[6].c_str())).statusCode(), MStatus::kFailure);
    EXPECT_EQ(queryInt("window -ex QELIMPORTWINDOW"), 0);
}

TEST_F(UiTest, UserActionsAreRefusedWhereAUserCouldNotAct)
{
    int runs = 0;
    vesk::interpreter().addExternal("pressSelf", [&](const std::vector<std::string>&, vesk::CommandResult&) {
        ++runs;
        return standin::pressButton("Self");
    });
    run({"window W; columnLayout; checkBox -en false Off; checkBox On; button -c \"pressSelf\" Self; "
         "textScrollList -append a L; radioButton Lone; window Hidden; columnLayout; checkBox H"});
    const MStatus refused(MStatus::kFailure);
    EXPECT_EQ(standin::setCheckBox("On", true), refused); // W is not shown yet
    run({"showWindow W"});
    EXPECT_EQ(standin::setCheckBox("Off", true), refused);
    EXPECT_EQ(standin::setCheckBox("H", true), refused);
    EXPECT_EQ(standin::setCheckBox("Nothing", true), refused);
    EXPECT_EQ(standin::setCheckBox("L", true), refused);
    EXPECT_EQ(standin::selectListItem("L", 2), refused);
    EXPECT_EQ(standin::selectListItem("L", 0), refused);
    EXPECT_EQ(standin::selectRadio("$undeclared"), refused);
    EXPECT_EQ(standin::selectRadio("Lone"), refused);
    EXPECT_EQ(standin::setFloatField("On", 1.0), refused);
    // A button pressing itself from its own command is refused once.
    EXPECT_EQ(standin::pressButton("Self"), refused);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(standin::setCheckBox("On", true));
    EXPECT_EQ(queryInt("checkBox -q -v H"), 0);
    vesk::interpreter().removeExternal("pressSelf");
}

TEST_F(UiTest, RadioChoiceRunsOnlyTheChosenButtonsCommand)
{
    run({"window W; columnLayout; radioCollection; radioButton -sl -cc \"capture one\" One; "
         "radioButton -cc \"capture two\" Two; showWindow W"});
    std::vector<std::string> ran;
    vesk::interpreter().addExternal("capture", [&](const std::vector<std::string>& a, vesk::CommandResult&) {
        ran.push_back(a.at(0));
        return MStatus(MStatus::kSuccess);
    });
    ASSERT_TRUE(standin::selectRadio("Two"));
    ASSERT_TRUE(standin::selectRadio("Two"));
    ASSERT_TRUE(standin::selectRadio("One"));
    EXPECT_EQ(ran, (std::vector<std::string>{"two", "one"}));
    EXPECT_EQ(queryInt("radioButton -q -sl One"), 1);
    EXPECT_EQ(queryInt("radioButton -q -sl Two"), 0);
    MString chosen;
    ASSERT_TRUE(MGlobal::executeCommand("radioCollection -q -sl radioCollection1", chosen));
    EXPECT_STREQ(chosen.asChar(), "One");
    vesk::interpreter().removeExternal("capture");
}
