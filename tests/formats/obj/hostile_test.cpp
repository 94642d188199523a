#include <gtest/gtest.h>

#include "formats/obj/obj_test_util.h"

using namespace qelsdk_600;
using objtest::Polygons;
using objtest::Read;

TEST(ObjHostile, IndicesOutsideTheListsLeaveTheirCornersOut)
{
    const std::string square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\n";
    const struct {
        const char* mFace;
        const char* mPolygons;
    } cases[] = {
        {"f 1 2 3 2147483648", "0 1 2"},  {"f -2147483648 1 2 3", "0 1 2"}, {"f 1 2 3 5", "0 1 2"},
        {"f 1 2 3 -5", "0 1 2"},          {"f 1//2147483648 2//1 3//1", "0 1 2"},
        {"f 1 2 0", ""},                  {"f 1 99999999999999999999 3 4", "0 1 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mFace);
        auto r = Read(square + c.mFace);
        ASSERT_TRUE(r->mRead);
        EXPECT_EQ(c.mPolygons, Polygons(r->Mesh(0)));
    }
}

TEST(ObjHostile, DevicesAreNoLibraries)
{
    auto r = Read("mtllib /dev/zero /dev/null\nv 0 0 0\nusemtl a\nf 1 1 1");
    ASSERT_TRUE(r->mRead);
    EXPECT_STREQ("Unable to load material library\nUnable to read material \"a\" in .mtl file\n",
                 r->mMessage.Buffer());
}

TEST(ObjHostile, TruncatedAndGarbledFilesEndCleanly)
{
    const std::string whole =
        "mtllib lib.mtl\nv 0 0 0 1\nv 1 0 0\nv 0 1 0\nv 1 1 1\nvt 0 0\nvt 1 0\nvn 0 0 1\ng a b\nusemtl m\n"
        "s 1\nf 1/1/1 2/2/1 3/1\nf 2 3 \\\n4\ns off\nf -1 -2 -3\ncstype rat bspline\ndeg 1 1\n"
        "surf 0 1 0 1 1 2 3 4\nparm u 0 0 1 1\nparm v 0 0 1 1\nend\ncurv 0 1 1 2\nend\n";
    const std::string library = "newmtl m\nKd 1 0 0\nmap_Kd t.tif\n";
    for (std::size_t cut = 0; cut < whole.size(); cut += 5)
        Read(whole.substr(0, cut), library.substr(0, cut % library.size()));
    std::string garbled = whole;
    for (std::size_t i = 2; i < garbled.size(); i += 7)
        garbled[i] = static_cast<char>(garbled[i] ^ 0x21);
    Read(garbled, library);
    EXPECT_EQ(2, Read(whole, library)->Root()->GetChildCount());
}
