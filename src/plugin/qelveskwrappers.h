// Free functions over small host operations: status reports, DAG path
// searches, transform attribute triples, matrix exchange, attribute
// creation, disconnection, and host commands run as text.
#ifndef QELVESK_PLUGIN_QELVESKWRAPPERS_H
#define QELVESK_PLUGIN_QELVESKWRAPPERS_H

#include <vesk/MDagPath.h>
#include <vesk/MFnTransform.h>
#include <vesk/MMatrix.h>
#include <vesk/MObject.h>
#include <vesk/MPlug.h>
#include <vesk/MPoint.h>
#include <vesk/MStatus.h>
#include <vesk/MString.h>
#include <vesk/MStringArray.h>
#include <vesk/MTime.h>
#include <vesk/MTransformationMatrix.h>
#include <vesk/MTypeId.h>

// ---- Status and debugging ----

// On a failure: prints the status's own text, then, for a non-null message,
// the message followed by " \n \n", both through MStatus::perror. Nothing
// for a success.
void DebugCheckStatus(MStatus& pStatus, const char* pMessage);
// Do nothing; kept for callers that trace plugs, attributes and steps.
void DebugCheckPlug(MPlug& pPlug);
void DebugCheckAttribute(MObject* pAttribute);
void DebugLog(const char* pText);

// ---- Paths ----

// A name beginning with '|' is searched by full path name, any other by
// partial path name; true and the path when a DAG node matches exactly.
bool ExtractPath(MString pName, MDagPath& pPath);
// The first DAG node (breadth first) whose partial, or full, path name is
// the name; false when none matches or the walk cannot start.
bool ExtractPartialPath(MString pName, MDagPath& pPath);
bool ExtractFullPath(MString pName, MDagPath& pPath);

// ---- Transform attributes ----

// pNames points to three attribute names. Get: the origin (0, 0, 0, 1),
// then each found plug's double into component 0, 1, 2 (a missing plug
// leaves 0). Set: each found plug gets its component; missing ones are
// skipped. No unit conversion.
void GetAttributeVector(const MFnTransform& pTransform, MString* pNames, MPoint& pPoint);
void SetAttributeVector(const MFnTransform& pTransform, MString* pNames, const MPoint& pPoint);
// The rotate-axis and joint-orient triples, values as the plugs hold them.
void GetVeskRotateAxis(const MFnTransform& pTransform, MPoint& pPoint);
void SetVeskRotateAxis(const MFnTransform& pTransform, const MPoint& pPoint);
void GetVeskJointOrient(const MFnTransform& pTransform, MPoint& pPoint);
void SetVeskJointOrient(const MFnTransform& pTransform, const MPoint& pPoint);
// True when a translate, rotate or scale plug is driven by a curve with at
// least one key.
bool IsTransformAnimated(MFnTransform& pTransform);
// Element 0 of the transform's world-matrix array; false (with a host error
// line) when the plug, its data or its matrix cannot be read.
bool ExtractWorldMatrix(const MFnTransform& pTransform, MMatrix& pMatrix);

// ---- Matrices ----

// The host transformation's 16 numbers, row by row, unchanged; true.
bool ConvertMatrixVeskToQEL(const MTransformationMatrix& pTransform, double (*pMatrix)[4]);
// The 16 numbers as the transformation, rotation order XYZ; true.
bool ConvertMatrixQELToVesk(double (*pMatrix)[4], MTransformationMatrix& pTransform);

// ---- Attribute creation ----
//
// Each returns a new attribute held by no node, named by the long and short
// name, with its default, minimum and maximum (in that order).

MObject CreateDoubleAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax);
// Three doubles; each value is set on all three components.
MObject CreateDoubleVectorAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax);
// Angles in degrees, times in seconds, distances in centimetres.
MObject CreateDegreeAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax);
MObject CreateSecondAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax);
MObject CreateCentimeterAttribute(MString pLong, MString pShort, double pDefault, double pMin, double pMax);
MObject CreateBoolAttribute(MString pLong, MString pShort, bool pDefault);
// Fields are the texts in order, valued 0, 1, 2, ...
MObject CreateEnumAttribute(MString pLong, MString pShort, const MStringArray& pFields, int pDefault);

// ---- Connections ----

// Disconnects the plug's source; true also when it has none.
bool DisconnectAllSource(const MPlug& pPlug);
// Disconnects every plug it feeds; the first failure stops and gives false.
bool DisconnectAllDestination(const MPlug& pPlug);
// True when a plug connected to this one (flags as MPlug::connectedTo)
// belongs to a node of the type id.
bool IsIDPlugged(MPlug& pPlug, MTypeId pId, bool pAsDestination, bool pAsSource);

// ---- Host commands and text ----

// Bakes the selection's animation between the two times (each in its own
// unit).
void BakeSelection(MTime pStart, MTime pStop);
// Deletes the animation channels of the selection.
void DeleteSelectedChannels();
// Appends the blank-separated pieces of the text to pOut (not emptied).
void SpaceRemover(const MString& pText, MString& pOut);

#endif
