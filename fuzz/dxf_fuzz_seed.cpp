// Writes the seed corpus of dxf_fuzz: drawings with a LAYER table, LINE and
// 3DFACE entities, polyface meshes, 3D and 2D polylines and nested blocks,
// each once with welding off and once on (a first byte '9' begins a comment
// pair), with line feeds and with carriage returns before them.
#include <cstdio>
#include <sstream>
#include <string>

#include "seed_files.h"

namespace {

// "code value" lines, each written as the two lines of a group pair.
std::string Pairs(const char* pCompact)
{
    std::istringstream in(pCompact);
    std::string line, out;
    while (std::getline(in, line)) {
        const std::size_t blank = line.find(' ');
        out += line.substr(0, blank) + "\n" + (blank == std::string::npos ? "" : line.substr(blank + 1)) + "\n";
    }
    return out;
}

const char* const kDrawings[] = {
    "0 SECTION\n2 TABLES\n0 TABLE\n2 LAYER\n70 2\n0 LAYER\n2 Wall\n62 -3\n0 LAYER\n2 Roof\n62 5\n0 ENDTAB\n"
    "0 ENDSEC\n0 SECTION\n2 ENTITIES\n0 3DFACE\n8 Wall\n10 0\n20 0\n30 0\n11 1\n21 0\n31 0\n12 1\n22 1\n32 0\n"
    "13 1\n23 1\n33 0\n0 3DFACE\n8 Roof\n62 1\n10 0\n20 0\n30 1\n11 1\n21 0\n31 1\n12 1\n22 1\n32 1\n13 0\n23 1\n"
    "33 1\n0 LINE\n8 wall\n62 256\n10 0\n20 0\n30 0\n11 0\n21 0\n31 5\n0 ENDSEC\n0 EOF",

    "0 SECTION\n2 ENTITIES\n0 POLYLINE\n8 Mesh\n66 1\n70 64\n71 4\n72 2\n0 VERTEX\n8 Mesh\n10 0\n20 0\n30 0\n70 192\n"
    "0 VERTEX\n10 1\n20 0\n30 0\n70 192\n0 VERTEX\n10 1\n20 1\n30 0\n70 192\n0 VERTEX\n10 0\n20 1\n30 0\n70 192\n"
    "0 VERTEX\n62 2\n70 128\n71 1\n72 -2\n73 3\n74 4\n0 VERTEX\n70 128\n71 1\n72 2\n0 SEQEND\n"
    "0 POLYLINE\n62 4\n70 9\n0 VERTEX\n70 32\n0 VERTEX\n10 2\n70 32\n0 VERTEX\n10 2\n20 2\n70 32\n0 SEQEND\n"
    "0 POLYLINE\n70 0\n0 VERTEX\n70 0\n0 SEQEND\n0 ENDSEC\n0 EOF",

    "0 SECTION\n2 BLOCKS\n0 BLOCK\n2 DOOR\n70 0\n10 1\n20 0\n30 0\n0 LINE\n11 1\n0 3DFACE\n11 1\n12 1\n22 1\n"
    "0 ENDBLK\n0 BLOCK\n2 FRAME\n0 INSERT\n2 DOOR\n10 2\n41 2\n0 INSERT\n2 FRAME\n0 ENDBLK\n0 ENDSEC\n"
    "0 SECTION\n2 ENTITIES\n0 INSERT\n2 DOOR\n10 10\n20 5\n41 2\n42 3\n43 4\n50 90\n0 INSERT\n2 FRAME\n"
    "0 LINE\n11 3\n0 ENDSEC\n0 EOF",
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    int written = 0;
    for (const char* drawing : kDrawings) {
        const std::string text = Pairs(drawing);
        for (const std::string& variant : {text, "999\nwelded\n" + text, seedfiles::WithCarriageReturns(text)}) {
            if (!seedfiles::WriteSeed(argv[1], written, variant, ".dxf"))
                return 1;
        }
    }
    return 0;
}
