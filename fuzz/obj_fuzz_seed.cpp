// Writes the seed corpus of obj_fuzz: OBJ files with groups, smoothing
// groups, faces of every corner form, continued lines, materials and
// textures from a library (after the line "=== mtl ==="), and free-form
// blocks, with line feeds and with carriage returns before them.
#include <cstdio>
#include <string>

#include "seed_files.h"

namespace {

const char* const kScenes[] = {
    "mtllib lib.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0 0.5\nvt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n"
    "g left arm\nusemtl Red\ns 1\nf 1/1/1 2/2/1 3/3/1\nf 1//1 3//1 4//1\ns off\nf -4 -3 -2 \\\n -1\n"
    "g Body\nusemtl Wood\nf 1/1 2/2 3/3 4/1\nusemtl missing\nf 1 2 3\nl 1 2\n"
    "=== mtl ===\nnewmtl Red\nKa 0.1 0.1 0.1\nKd 1 0 0\nKs 0.5 0.5 0.5\nNs 50\nillum 1\nd 0.5\n"
    "newmtl Wood\nKd 0.5 0.3 0.1\nTr 0.25\nmap_Kd wood.tif\n",

    "v 0 0 0 1\nv 1 0 0 1\nv 0 1 0 1\nv 1 1 0 1\nvp 0.5 0.5\ncstype rat bspline\ndeg 1 1\n"
    "surf 0 1 0 1 1 2 3 4\nparm u 0 0 1 1\nparm v 0 0 1 1\ntrim 0 1 1\nend\n"
    "cstype bezier\ncurv 0 1 1 2\nparm u 0 1\nend\ncurv2 1 2\nend\ng default\nf 1 2 3 4\n",

    "mtllib lib.mtl other.mtl\no thing\nmg 1\nv 1e2 2.e1 3.1+e2\nv -1 -2. -3.0\nv 1E2 0 0\n"
    "usemtl Red\nf 1 2 3\nusemtl red\nf 1/0/0 2 3\nf 1 2\n=== mtl ===\nnewmtl Red\nKd 1 0 0\n",
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    int written = 0;
    for (const char* scene : kScenes) {
        for (const std::string& variant : {std::string(scene), seedfiles::WithCarriageReturns(scene)}) {
            if (!seedfiles::WriteSeed(argv[1], written, variant, ".obj"))
                return 1;
        }
    }
    return 0;
}
