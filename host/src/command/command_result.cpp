#include "command/command_result.h"

#include <cmath>

#include "foundation/number_text.h"

namespace vesk {
namespace {

bool integral(double v, int& out)
{
    if (!(v >= -2147483648.0 && v <= 2147483647.0) || std::floor(v) != v)
        return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

void CommandResult::clear()
{
    mKind = kNone;
    mTexts.clear();
    mNumbers.clear();
}

void CommandResult::setInt(int v)
{
    setInts({v});
    mKind = kInt;
}

void CommandResult::setDouble(double v)
{
    setDoubles({v});
    mKind = kDouble;
}

void CommandResult::setString(const std::string& v)
{
    setStrings({v});
    mKind = kString;
}

void CommandResult::setStrings(const std::vector<std::string>& v)
{
    clear();
    mKind = kStringArray;
    mTexts = v;
}

void CommandResult::setInts(const std::vector<int>& v)
{
    clear();
    mKind = kIntArray;
    mNumbers.assign(v.begin(), v.end());
}

void CommandResult::setDoubles(const std::vector<double>& v)
{
    clear();
    mKind = kDoubleArray;
    mNumbers = v;
}

size_t CommandResult::count() const
{
    return mKind == kString || mKind == kStringArray ? mTexts.size() : mNumbers.size();
}

std::string CommandResult::entryText(size_t i) const
{
    if (mKind == kString || mKind == kStringArray)
        return mTexts[i];
    if (mKind == kInt || mKind == kIntArray)
        return std::to_string(static_cast<long long>(mNumbers[i]));
    return shortestText(mNumbers[i]);
}

bool CommandResult::entryNumber(size_t i, double& out) const
{
    if (mKind == kString || mKind == kStringArray)
        return parseDouble(mTexts[i].c_str(), out);
    out = mNumbers[i];
    return true;
}

bool CommandResult::toInt(int& out) const
{
    double v = 0.0;
    return count() == 1 && entryNumber(0, v) && integral(v, out);
}

bool CommandResult::toDouble(double& out) const
{
    return count() == 1 && entryNumber(0, out);
}

bool CommandResult::toString(std::string& out) const
{
    const size_t n = count();
    if (n > 1)
        return false;
    out = n == 1 ? entryText(0) : std::string();
    return true;
}

bool CommandResult::toStrings(std::vector<std::string>& out) const
{
    const size_t n = count();
    out.clear();
    for (size_t i = 0; i < n; ++i)
        out.push_back(entryText(i));
    return true;
}

bool CommandResult::toInts(std::vector<int>& out) const
{
    const size_t n = count();
    std::vector<int> items(n);
    for (size_t i = 0; i < n; ++i) {
        double v = 0.0;
        if (!entryNumber(i, v) || !integral(v, items[i]))
            return false;
    }
    out.swap(items);
    return true;
}

bool CommandResult::toDoubles(std::vector<double>& out) const
{
    const size_t n = count();
    std::vector<double> items(n);
    for (size_t i = 0; i < n; ++i)
        if (!entryNumber(i, items[i]))
            return false;
    out.swap(items);
    return true;
}

std::string CommandResult::describe() const
{
    std::string out;
    for (size_t i = 0; i < count(); ++i) {
        if (i)
            out += ' ';
        out += entryText(i);
    }
    return out;
}

} // namespace vesk
