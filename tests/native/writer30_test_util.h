// Shared pieces of the geometry, deformer and media tests of the version-6
// writer: a written file's object blocks found by name, values as numbers.
#ifndef QELSDK_TESTS_NATIVE_WRITER30_TEST_UTIL_H
#define QELSDK_TESTS_NATIVE_WRITER30_TEST_UTIL_H

#include <cstdlib>
#include <string>
#include <vector>

#include "native/writer6_test_util.h"

namespace qelsdk_600 {
namespace writer6test {

// Numbers of a field's values ("I:3", "D:1.5"); empty for an absent field.
inline std::vector<double> Numbers(const Values& pValues)
{
    std::vector<double> numbers;
    for (const std::string& value : pValues) {
        if (value.size() > 2 && value[1] == ':')
            numbers.push_back(std::strtod(value.c_str() + 2, nullptr));
    }
    return numbers;
}

// A written file read back with the block of object pKind named pName
// entered (inside "Objects").
class ObjectBlock {
public:
    ObjectBlock(const std::string& pPath, const char* pKind, const std::string& pName) : mRead(pPath)
    {
        mFound = mRead.IsOpen() && mRead.Enter("Objects");
        if (!mFound)
            return;
        Values header;
        while (mRead.Enter(pKind, &header)) {
            if (!header.empty() && header[0] == "S:" + pName)
                return;
            mRead.Leave();
        }
        mFound = false;
    }
    bool Found() const { return mFound; }
    ReadBack& Read() { return mRead; }
    Values Field(const char* pName) { return mRead.Field(pName); }
    std::vector<double> Numbers(const char* pName) { return writer6test::Numbers(mRead.Field(pName)); }

private:
    ReadBack mRead;
    bool mFound;
};

}  // namespace writer6test
}  // namespace qelsdk_600

#endif
