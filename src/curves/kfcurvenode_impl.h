// Helpers shared by the KFCurveNode sources; nothing outside src/curves uses
// them.
#ifndef QELSDK_CURVES_KFCURVENODE_IMPL_H
#define QELSDK_CURVES_KFCURVENODE_IMPL_H

#include <vector>

#include "math/kmfunctions.h"

namespace qelsdk_600 {
namespace kfcurvenode_detail {

// Scratch values for one evaluation: on the stack for the usual property
// sizes, on the heap beyond, so no tree shape overruns it.
class ValueBuffer {
public:
    explicit ValueBuffer(int count)
    {
        if (count > kLocal) {
            mHeap.assign(static_cast<std::size_t>(count), 0.0);
            mData = mHeap.data();
        } else {
            mData = mLocal;
            for (int i = 0; i < kLocal; ++i)
                mLocal[i] = 0.0;
        }
    }
    ValueBuffer(const ValueBuffer&) = delete;
    ValueBuffer& operator=(const ValueBuffer&) = delete;

    double* Data() { return mData; }
    double& operator[](int index) { return mData[index]; }

private:
    static const int kLocal = 16;
    double mLocal[kLocal];
    std::vector<double> mHeap;
    double* mData;
};

// Axis row of an Euler order; orders outside 0 to 11 use XYZ.
inline const int* EulerAxes(int order)
{
    return KmEulerAxis[(order >= 0 && order < 12) ? order : 0];
}

// Candidate records hold at most this many values per node.
constexpr int kMaxCandidateValues = 4;

}  // namespace kfcurvenode_detail
}  // namespace qelsdk_600

#endif
