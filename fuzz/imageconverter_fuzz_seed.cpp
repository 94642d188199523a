// Writes the seed corpus of imageconverter_fuzz: small BMP and TIFF images
// the host reads, each behind selector bytes that name it as a BMP, a TIFF
// and a TGA with originals to restore.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "content/kqelimageconverter.h"

using namespace qelsdk_600;

namespace {

void Put(std::string& pOut, unsigned int pValue, int pBytes)
{
    for (int i = 0; i < pBytes; ++i)
        pOut += static_cast<char>((pValue >> (8 * i)) & 0xFF);
}

// An uncompressed BMP of 3 x 2 pixels, 24 or 32 bits.
std::string Bmp(int pBits)
{
    const unsigned int stride = (3 * pBits / 8 + 3) / 4 * 4;
    std::string out = "BM";
    const unsigned int fields[][2] = {{54 + 2 * stride, 4}, {0, 4}, {54, 4}, {40, 4}, {3, 4}, {2, 4}, {1, 2},
                                      {static_cast<unsigned int>(pBits), 2}, {0, 4}, {2 * stride, 4}, {2835, 4},
                                      {2835, 4}, {0, 4}, {0, 4}};
    for (const auto& field : fields)
        Put(out, field[0], static_cast<int>(field[1]));
    for (unsigned int i = 0; i < 2 * stride; ++i)
        out += static_cast<char>(i * 41 + 7);
    return out;
}

std::string Tiff(const std::string& pDirectory, bool pCompress)
{
    ImageConverterBuffer image;
    image.Init(3, 2, true, ImageConverterBuffer::eRGB, 4);
    for (int i = 0; i < 3 * 2 * 4; ++i)
        image.mPixels[i] = static_cast<unsigned char>(i * 37 + 11);
    const std::string path = pDirectory + "/seed.tif";
    std::string bytes;
    if (WriteToTif(path.c_str(), pCompress, image)) {
        std::ostringstream content;
        content << std::ifstream(path, std::ios::binary).rdbuf();
        bytes = content.str();
    }
    std::remove(path.c_str());
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    const std::string images[] = {Bmp(24), Bmp(32), Tiff(dir, false), Tiff(dir, true)};
    // Selectors: extension (modulo 6), then original (the quotient modulo 8).
    const unsigned char selectors[] = {0, 1 + 6, 2 + 18, 5 + 12, 3 + 42};
    int status = 0;
    int n = 0;
    for (const std::string& image : images) {
        if (image.empty())
            status = 1;
        for (unsigned char selector : selectors) {
            std::ofstream out(dir + "/seed" + std::to_string(n++), std::ios::binary);
            out << static_cast<char>(selector) << image;
            if (!out)
                status = 1;
        }
    }
    return status;
}
