// The result of one command: nothing, one value or an array, converted on
// demand to the form a caller asks for.
#ifndef VESK_COMMAND_COMMAND_RESULT_H
#define VESK_COMMAND_COMMAND_RESULT_H

#include <string>
#include <vector>

#include <vesk/VeskExport.h>

namespace vesk {

// Conversions (each false, leaving out unchanged, when impossible):
//   - a one-entry array stands for its entry wherever a single value is
//     asked for; a single value stands for a one-entry array;
//   - ints and doubles convert both ways (a double only when it is integral
//     and fits an int); a text converts to a number when it reads wholly as
//     one; numbers become texts as MString writes them;
//   - nothing gives "" and empty arrays, but no number.
class VESK_API CommandResult {
public:
    enum Kind { kNone, kInt, kDouble, kString, kStringArray, kIntArray, kDoubleArray };

    Kind kind() const { return mKind; }
    void clear();
    void setInt(int v);
    void setDouble(double v);
    void setString(const std::string& v);
    void setStrings(const std::vector<std::string>& v);
    void setInts(const std::vector<int>& v);
    void setDoubles(const std::vector<double>& v);

    bool toInt(int& out) const;
    bool toDouble(double& out) const;
    bool toString(std::string& out) const;
    bool toStrings(std::vector<std::string>& out) const;
    bool toInts(std::vector<int>& out) const;
    bool toDoubles(std::vector<double>& out) const;

    // Every entry as text, joined by blanks (for logs).
    std::string describe() const;

private:
    size_t count() const;
    std::string entryText(size_t i) const;
    bool entryNumber(size_t i, double& out) const;

    Kind mKind = kNone;
    std::vector<std::string> mTexts;
    std::vector<double> mNumbers;
};

} // namespace vesk

#endif
