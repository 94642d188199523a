// Shared set-up of the tests that load the test module (tests/host/module)
// or run the vesk program: module paths, temporary folders, the message
// lines a step printed.
#ifndef QEL_TESTS_HOST_PLUGIN_FIXTURE_H
#define QEL_TESTS_HOST_PLUGIN_FIXTURE_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <ftw.h>
#include <unistd.h>

#include <vesk/MGlobal.h>

#include "host_fixture.h"
#include "plugin/plugin_registry.h"

// The test module of a variant ("good", "clash", ...).
inline std::string modulePath(const std::string& variant)
{
    return std::string(TEST_MODULE_DIR) + "/tm_" + variant + ".so";
}

// The bytes of a file ("" when it cannot be read).
inline std::string readBytes(const std::string& path)
{
    std::string out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[1 << 16];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            out.append(buffer, n);
        std::fclose(f);
    }
    return out;
}

// A new folder under the system's temporary folder, removed with all it
// holds when the object ends.
class TempDir {
public:
    TempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/vesk-test-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()))
            mPath = buffer.data();
    }
    ~TempDir()
    {
        if (!mPath.empty())
            nftw(mPath.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return std::remove(p); },
                 16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return mPath; }
    std::string file(const std::string& name) const { return mPath + "/" + name; }
    // Writes a file in the folder; its full path.
    std::string write(const std::string& name, const std::string& content) const
    {
        const std::string p = file(name);
        if (std::FILE* f = std::fopen(p.c_str(), "wb")) {
            std::fwrite(content.data(), 1, content.size(), f);
            std::fclose(f);
        }
        return p;
    }
    std::string read(const std::string& name) const { return readBytes(file(name)); }

private:
    std::string mPath;
};

// A host test whose modules are unloaded after it, and which can tell the
// message lines printed since a mark.
class PluginTest : public HostTest {
protected:
    void TearDown() override
    {
        vesk::plugins().unloadAll();
        HostTest::TearDown();
    }
    void mark() { mMark = vesk::MessageLog::size(); }
    // Lines since the mark, "E: ", "W: " or "I: " before each.
    std::vector<std::string> lines() const
    {
        static const char* const kTag[] = {"E: ", "W: ", "I: "};
        std::vector<std::string> out;
        for (size_t i = mMark; i < vesk::MessageLog::size(); ++i)
            out.push_back(kTag[vesk::MessageLog::severity(i)] + vesk::MessageLog::line(i));
        return out;
    }
    // Runs a text for a result of the asked form.
    template <class T>
    static MStatus run(const std::string& text, T& result)
    {
        return MGlobal::executeCommand(MString(text.c_str()), result);
    }

private:
    size_t mMark = 0;
};

#endif
