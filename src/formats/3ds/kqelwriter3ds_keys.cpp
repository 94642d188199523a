// Keys sampled from curves at every frame.
#include <algorithm>
#include <cmath>

#include "base/ktime.h"
#include "curves/kfcurve.h"
#include "formats/3ds/kqelwriter3ds.h"
#include "formats/toolkit3ds/toolkit3ds.h"
#include "math/kmfunctions.h"

namespace qelsdk_600 {

namespace {

// Frame i at 30 frames per second, whatever the scene's time mode.
KTime FrameTime(unsigned int pFrame)
{
    return KTime(static_cast<kLongLong>(pFrame) * (KTime::kTicksPerSecond / 30));
}

keyheader3ds Header(unsigned int pFrame)
{
    keyheader3ds key = DefKeyHeader3ds;
    key.time = pFrame;
    key.rflags = 7;
    return key;
}

// Writes pCount keys, value i made by pValue from the curves' values at
// frame i.
template <class Value, class Make>
bool Sample(keyheader3ds* pKeys, Value* pValues, KFCurve* const* pCurves, int pCurveCount, unsigned int pCount,
            Make pMake)
{
    for (unsigned int i = 0; i < pCount; ++i) {
        const KTime time = FrameTime(i);
        double v[3] = {0.0, 0.0, 0.0};
        for (int c = 0; c < pCurveCount; ++c)
            v[c] = pCurves[c] ? pCurves[c]->Evaluate(time) : 0.0;
        pKeys[i] = Header(i);
        pValues[i] = pMake(v);
    }
    return true;
}

}  // namespace

bool KQelWriter3DS::Create3DSTransDataFromTCB(keyheader3ds* pKeys, point3ds* pValues, KFCurve* pX, KFCurve* pY,
                                              KFCurve* pZ, unsigned int pCount)
{
    KFCurve* const curves[3] = {pX, pY, pZ};
    return Sample(pKeys, pValues, curves, 3, pCount, [](const double* v) {
        return point3ds{static_cast<float>(v[0]), static_cast<float>(-v[2]), static_cast<float>(v[1])};
    });
}

bool KQelWriter3DS::Create3DSScaleDataFromTCB(keyheader3ds* pKeys, point3ds* pValues, KFCurve* pX, KFCurve* pY,
                                              KFCurve* pZ, unsigned int pCount)
{
    KFCurve* const curves[3] = {pX, pY, pZ};
    return Sample(pKeys, pValues, curves, 3, pCount, [](const double* v) {
        // A vanished scaling would make the object a point: none is written.
        if (std::fabs(v[0]) < 0.00001 && std::fabs(v[1]) < 0.00001 && std::fabs(v[2]) < 0.00001)
            return point3ds{1.0f, 1.0f, 1.0f};
        return point3ds{static_cast<float>(v[0]), static_cast<float>(v[2]), static_cast<float>(v[1])};
    });
}

bool KQelWriter3DS::Create3DSColorDataFromTCB(keyheader3ds* pKeys, fcolor3ds* pValues, KFCurve* pR, KFCurve* pG,
                                              KFCurve* pB, unsigned int pCount)
{
    KFCurve* const curves[3] = {pR, pG, pB};
    return Sample(pKeys, pValues, curves, 3, pCount, [](const double* v) {
        return fcolor3ds{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
    });
}

bool KQelWriter3DS::Create3DSScalarDataFromTCB(keyheader3ds* pKeys, float* pValues, KFCurve* pCurve,
                                               unsigned int pCount)
{
    KFCurve* const curves[1] = {pCurve};
    return Sample(pKeys, pValues, curves, 1, pCount, [](const double* v) { return static_cast<float>(v[0]); });
}

bool KQelWriter3DS::Create3DSRotDataFromTCB(keyheader3ds* pKeys, kfrotkey3ds* pValues, KFCurve* pX, KFCurve* pY,
                                            KFCurve* pZ, unsigned int pCount)
{
    // Each key holds the turn from the previous frame's orientation.
    double previous[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    KFCurve* const curves[3] = {pX, pY, pZ};
    return Sample(pKeys, pValues, curves, 3, pCount, [&previous](const double* v) {
        double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        KmXYZtoR(m, v[0], v[1], v[2]);
        double inverse[4][4], increment[4][4];
        KmAi(inverse, previous);
        KmAA(increment, m, inverse);
        double q[4];
        KmRtoQ(q, increment);
        const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
        const double axis[3] = {length > 0.0 ? q[0] / length : 0.0, length > 0.0 ? q[1] / length : 0.0,
                                length > 0.0 ? q[2] / length : 0.0};
        const double w = std::clamp(q[3], -1.0, 1.0);
        kfrotkey3ds key{static_cast<float>(-2.0 * std::acos(w)), static_cast<float>(axis[0]),
                        static_cast<float>(-axis[2]), static_cast<float>(axis[1])};
        if (std::fabs(key.angle) < 0.00001f && std::fabs(key.x) < 0.00001f && std::fabs(key.y) < 0.00001f &&
            std::fabs(key.z) < 0.00001f)
            key = kfrotkey3ds{0.0f, -1.0f, 0.0f, 0.0f};
        std::copy(&m[0][0], &m[0][0] + 16, &previous[0][0]);
        return key;
    });
}

}  // namespace qelsdk_600
