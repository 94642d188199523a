// Seed files of the text formats' fuzz targets.
#ifndef QELSDK_FUZZ_SEED_FILES_H
#define QELSDK_FUZZ_SEED_FILES_H

#include <cstdio>
#include <string>

namespace seedfiles {

// The text with a carriage return before each line feed.
inline std::string WithCarriageReturns(const std::string& pText)
{
    std::string crlf;
    for (char c : pText)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

// Writes pText as seed number pNumber (then counted on) in pDirectory;
// false when it cannot.
inline bool WriteSeed(const char* pDirectory, int& pNumber, const std::string& pText, const char* pExtension)
{
    const std::string path = std::string(pDirectory) + "/seed" + std::to_string(pNumber++) + pExtension;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(pText.data(), 1, pText.size(), f);
    return std::fclose(f) == 0;
}

}  // namespace seedfiles

#endif
