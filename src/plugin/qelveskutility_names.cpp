#include "plugin/qelveskutility_names.h"

#include <cstring>
#include <string>

#include <vesk/MDagPath.h>

#include "curves/kfcurve.h"

using namespace qelsdk_600;

namespace {

const char* const kReservedCameraNames[] = {
    "persp",      "top",      "front",      "side",      "perspShape", "topShape",
    "frontShape", "sideShape", "Producer Perspective", "Producer Top", "Producer Front", "Producer Right",
};

const float kCurvePalette[][3] = {
    {1.0f, 0.0f, 0.0f},    {0.0f, 1.0f, 0.0f},    {0.0f, 0.0f, 1.0f},    {1.0f, 1.0f, 0.0f},
    {0.0f, 1.0f, 1.0f},    {1.0f, 0.0f, 1.0f},    {0.47f, 0.0f, 0.0f},   {0.3f, 0.61f, 0.0f},
    {0.51f, 0.75f, 1.0f},  {1.0f, 0.49f, 0.0f},   {0.57f, 0.0f, 1.0f},   {1.0f, 0.78f, 1.0f},
    {0.0f, 0.35f, 0.0f},   {1.0f, 0.98f, 0.61f},  {0.65f, 0.49f, 0.31f}, {0.8f, 0.8f, 0.8f},
    {0.78f, 1.0f, 0.61f},  {1.0f, 0.86f, 0.73f},  {0.37f, 0.0f, 0.37f},  {0.65f, 0.65f, 0.0f},
};
constexpr int kPaletteSize = sizeof kCurvePalette / sizeof kCurvePalette[0];

const size_t kReadableLength = 180;
const unsigned int kReadableHead = 87;
const unsigned int kReadableTail = 88;

std::string ReplaceAll(const char* pText, const char* pFind, const char* pReplace)
{
    std::string text = pText ? pText : "";
    if (!pFind || !*pFind)
        return text;
    const std::string find = pFind;
    const std::string replace = pReplace ? pReplace : "";
    std::string out;
    out.reserve(text.size());
    if (replace.find(find) != std::string::npos) {
        size_t from = 0;
        for (size_t at; (at = text.find(find, from)) != std::string::npos; from = at + find.size())
            out.append(text, from, at - from).append(replace);
        return out.append(text, from, std::string::npos);
    }
    // Replacing the leftmost occurrence each time: no occurrence is left in
    // what has been emitted, so the next leftmost one is the first that ends
    // at the emitted text's end. A replacement is fed back in front of the
    // remaining input, since it may complete an occurrence with what
    // precedes it.
    std::string pending;  // characters to feed before the input, last first
    size_t next = 0;
    while (next < text.size() || !pending.empty()) {
        if (!pending.empty()) {
            out.push_back(pending.back());
            pending.pop_back();
        } else {
            out.push_back(text[next++]);
        }
        if (out.size() >= find.size() && out.compare(out.size() - find.size(), find.size(), find) == 0) {
            out.resize(out.size() - find.size());
            pending.append(replace.rbegin(), replace.rend());
        }
    }
    return out;
}

} // namespace

char* QelVeskUtilityNames::Replace(const char* pText, const char* pFind, const char* pReplace)
{
    static KString buffer;
    buffer = ReplaceAll(pText, pFind, pReplace).c_str();
    return buffer.Buffer();
}

KString& QelVeskUtilityNames::Replace(KString& pText, const char* pFind, const char* pReplace)
{
    const std::string result = ReplaceAll(pText.Buffer(), pFind, pReplace);
    pText = KString(result.data(), static_cast<int>(result.size()));
    return pText;
}

bool QelVeskUtilityNames::GetStringBetweenToken(KString& pText, char pStart, char pEnd)
{
    const int start = pText.Find(pStart);
    if (start < 0)
        return false;
    int end = pText.Find(pEnd, static_cast<unsigned int>(start) + 1);
    if (end < 0)
        end = pText.GetLen();
    pText = pText.Mid(static_cast<unsigned int>(start), static_cast<unsigned int>(end - start));
    return true;
}

bool QelVeskUtilityNames::IsCameraNameReserved(const char* pName)
{
    if (!pName)
        return false;
    for (const char* reserved : kReservedCameraNames)
        if (std::strcmp(reserved, pName) == 0)
            return true;
    return false;
}

KString QelVeskUtilityNames::MakeItReadable(const KString& pText)
{
    KString readable(pText);
    return Replace(readable, "|", " / ");
}

KString QelVeskUtilityNames::MakeReadablePath(const MDagPath* pPath)
{
    if (!pPath)
        return KString();
    KString readable = MakeItReadable(KString(pPath->fullPathName().asChar()));
    if (static_cast<size_t>(readable.GetLen()) > kReadableLength)
        readable = readable.Left(kReadableHead) + " ... " + readable.Right(kReadableTail);
    return readable;
}

void QelVeskUtilityNames::SetShapeCurveColor(KFCurve& pCurve, int pIndex)
{
    const int entry = (pIndex % kPaletteSize + kPaletteSize) % kPaletteSize;
    pCurve.SetColor(kCurvePalette[entry]);
}
