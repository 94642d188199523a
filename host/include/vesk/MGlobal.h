// Process-wide host operations.
#ifndef VESK_MGLOBAL_H
#define VESK_MGLOBAL_H

#include <vesk/MDoubleArray.h>
#include <vesk/MIntArray.h>
#include <vesk/MObject.h>
#include <vesk/MObjectArray.h>
#include <vesk/MSelectionList.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/MStringArray.h>
#include <vesk/VeskExport.h>

class VESK_API MGlobal {
public:
    // Copies the active selection into dest (replacing its items).
    static MStatus getActiveSelectionList(MSelectionList& dest);
    // Replaces the active selection with a copy of src.
    static MStatus setActiveSelectionList(const MSelectionList& src);
    // Deletes a node (its connections, selection items and orphaned DAG
    // children go with it), or an attribute no node holds (it then reads as
    // null). The world, held attributes, data and null objects fail with
    // kInvalidParameter.
    static MStatus deleteNode(const MObject& object);
    // The sets (shading groups among them) that hold an item of the list or
    // some of its components, each once, in order of creation; an item on a
    // transform's path also asks for its first shape.
    static MStatus getAssociatedSets(const MSelectionList& list, MObjectArray& sets);

    // Runs a text of the command language (statements separated by ';').
    // The whole text is read before anything runs: a syntax error runs
    // nothing. The first failing statement stops the run. The result is the
    // last statement's, converted to the form asked for (a single value
    // stands for a one-entry array and back, ints and doubles convert when
    // exact, texts that read as numbers become numbers, numbers become texts
    // as MString writes them). On a failure, of the run or of the conversion:
    // kFailure with an error line in the message log; a scalar result keeps
    // its value, an array result is emptied, except that a result a plug-in
    // command set before failing is delivered all the same (as far as it
    // converts). displayEnabled echoes the text
    // and its result to the message log; undoEnabled is only recorded.
    static MStatus executeCommand(const MString& command, bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, int& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, double& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MString& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MStringArray& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MIntArray& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MDoubleArray& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
};

#endif
