// A fresh directory under /tmp for one test, removed with its content.
#ifndef QELSDK_TESTS_COMMON_SCRATCH_DIR_H
#define QELSDK_TESTS_COMMON_SCRATCH_DIR_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qelsdk_600 {
namespace scratch {

class ScratchDir {
public:
    ScratchDir()
    {
        char pattern[] = "/tmp/qelfile_XXXXXX";
        const char* made = mkdtemp(pattern);
        mPath = made ? made : "";
    }
    ~ScratchDir()
    {
        if (!mPath.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(mPath, ignored);
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return mPath; }
    std::string File(const std::string& name) const { return mPath + "/" + name; }

private:
    std::string mPath;
};

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool Exists(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

}  // namespace scratch
}  // namespace qelsdk_600

#endif
