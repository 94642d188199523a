// Text operations of the host utilities: replacing text, cutting a DAG path
// name, reserved camera names, readable paths and shape curve colours.
#ifndef QELVESK_PLUGIN_QELVESKUTILITY_NAMES_H
#define QELVESK_PLUGIN_QELVESKUTILITY_NAMES_H

#include "base/kstring.h"

class MDagPath;
namespace qelsdk_600 {
class KFCurve;
}

// Static members of QelVeskUtility (which derives from this class).
class QelVeskUtilityNames {
public:
    // Replaces every occurrence of pFind, at any position. When pReplace
    // does not hold pFind, the leftmost occurrence is replaced again and
    // again, so occurrences that replacements make are replaced too
    // ("banana", a -> b: "bbnbnb"); when it holds pFind, each occurrence of
    // the original text is replaced once, left to right ("a" -> "aa" ends).
    // An empty or null pFind changes nothing. This form works in one buffer
    // kept for the process: the result is valid until the next call.
    static char* Replace(const char* pText, const char* pFind, const char* pReplace);
    // The same on pText, changed in place; returns it.
    static qelsdk_600::KString& Replace(qelsdk_600::KString& pText, const char* pFind, const char* pReplace);
    // Cuts pText to the text from the first pStart up to (not including) the
    // next pEnd after it, or to the end; false, pText unchanged, without
    // pStart ("|group1|cam1|camShape1" with '|', '|' gives "|group1").
    static bool GetStringBetweenToken(qelsdk_600::KString& pText, char pStart, char pEnd);
    // The host's four default cameras and their shapes, and four of the
    // SDK's producer cameras; exact, case-sensitive.
    static bool IsCameraNameReserved(const char* pName);
    // The path's full name with every "|" shown as " / ", shortened beyond
    // 180 characters to its first 87, " ... " and its last 88; empty for
    // null.
    static qelsdk_600::KString MakeReadablePath(const MDagPath* pPath);
    // pText with every "|" replaced by " / ".
    static qelsdk_600::KString MakeItReadable(const qelsdk_600::KString& pText);
    // Gives the curve palette colour pIndex modulo 20 (the non-negative
    // remainder: -1 gives 19).
    static void SetShapeCurveColor(qelsdk_600::KFCurve& pCurve, int pIndex);
};

#endif
