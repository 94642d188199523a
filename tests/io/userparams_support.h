// A settings table with a chosen length unit and system scale.
#ifndef QELSDK_TESTS_IO_USERPARAMS_SUPPORT_H
#define QELSDK_TESTS_IO_USERPARAMS_SUPPORT_H

#include "io/settings/kqeluserparams.h"

namespace qelsdk_600 {
namespace iotest {

class TestParams : public KQelUserParams {
public:
    using KQelUserParams::Load;
    using KQelUserParams::Save;

    void Load() override {}
    void Save() override {}
    ESysUnits GetSystemUnitInfo() const override { return mUnit; }
    double GetSystemScale(ESysUnits pUnit) const override
    {
        ++mScaleCalls;
        return mSystemScale;
    }

    ESysUnits mUnit = eUnit;
    double mSystemScale = 1.0;
    mutable int mScaleCalls = 0;
};

}  // namespace iotest
}  // namespace qelsdk_600

#endif
