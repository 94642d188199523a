// Helpers of the model, take, pose and character block tests: writing a
// scene in the older layout, keys, and hand-made older-layout documents.
#ifndef QELSDK_TESTS_NATIVE_OLDERLAYOUT_TEST_UTIL_H
#define QELSDK_TESTS_NATIVE_OLDERLAYOUT_TEST_UTIL_H

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "curves/kfcurve.h"
#include "curves/kfcurvekey.h"
#include "io/kqelexporter.h"
#include "native_test_util.h"
#include "scene/kqeltakenode.h"

namespace qelsdk_600 {
namespace nativetest {

// A time of pSeconds.
inline KTime Sec(double pSeconds)
{
    KTime time;
    time.SetSecondDouble(pSeconds);
    return time;
}

// Writes the scene in the older layout, binary or text; answers Export's
// result.
inline bool WriteOlder(KQelSdkManager& pManager, KQelScene& pScene, const std::string& pPath, bool pBinary)
{
    KQelExporter exporter(pManager);
    exporter.SetFileFormat(pBinary ? KQelExporter::eQel5Binary : KQelExporter::eQel5Ascii);
    exporter.Initialize(pPath.c_str());
    return exporter.Export(pScene);
}

// A key at pSeconds holding pValue on pCurve.
inline void AddKey(KFCurve* pCurve, double pSeconds, float pValue)
{
    ASSERT_NE(nullptr, pCurve);
    KFCurveKey key;
    key.Set(Sec(pSeconds), pValue);
    pCurve->KeyAdd(Sec(pSeconds), key);
}

// The take node of that name of an object, or null.
inline KQelTakeNode* TakeOf(KQelTakeNodeContainer& pObject, const char* pTake)
{
    for (int i = 0; i < pObject.GetTakeNodeCount(); ++i) {
        if (std::string(pObject.GetTakeNodeName(i)) == pTake)
            return pObject.GetTakeNode(i);
    }
    return nullptr;
}

// "Model" blocks of an older-layout document, each naming its children.
inline void WriteModel(KQel& pFile, const char* pName, const std::vector<const char*>& pChildren,
                       const Filler& pMore = Filler())
{
    WriteBlock model(pFile, "Model", pName);
    WriteFieldI(pFile, "Version", 194);
    if (!pChildren.empty()) {
        pFile.FieldWriteBegin("Children");
        for (const char* child : pChildren)
            pFile.FieldWriteC(child);
        pFile.FieldWriteEnd();
    }
    if (pMore)
        pMore(pFile);
}

// A "Takes" section with one "Take" block per filler (its name, its content).
inline void WriteTakes(KQel& pFile, const std::vector<std::pair<const char*, Filler>>& pTakes)
{
    WriteBlock takes(pFile, "Takes");
    WriteFieldC(pFile, "Current", pTakes.empty() ? "" : pTakes[0].first);
    for (const auto& take : pTakes) {
        WriteBlock block(pFile, "Take", take.first);
        take.second(pFile);
    }
}

}  // namespace nativetest
}  // namespace qelsdk_600

#endif
