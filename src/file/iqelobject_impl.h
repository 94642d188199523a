// Private state of IQelObject; included only by src/file/iqelobject*.cpp.
#ifndef QELSDK_FILE_IQELOBJECT_IMPL_H
#define QELSDK_FILE_IQELOBJECT_IMPL_H

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qelsdk_600 {

class IKObject;

namespace qel_detail {

typedef std::unordered_map<std::string, IKObject*> ObjectRegistry;

// What one stored name was extracted to during the current read.
struct ExtractedFile {
    std::string mPath;
    std::string mRelative;
    bool mKeep = false;
};

struct QelObjectState {
    std::vector<ObjectRegistry> mRegistries{1};  // the last is in use
    bool mBeforeVersion6 = false;

    // Media extracted during the current read, by stored name, and the
    // targets claimed, so that two stored names never share a file.
    std::string mSessionPath;
    std::unordered_map<std::string, ExtractedFile> mExtracted;
    std::unordered_set<std::string> mClaimed;
};

}  // namespace qel_detail
}  // namespace qelsdk_600

#endif
