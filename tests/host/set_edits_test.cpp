// Edits of set members as the sets command and the set function set make
// them: what each group holds afterwards, member by member in order.
#include <vesk/MFnMesh.h>
#include <vesk/MFnSet.h>
#include <vesk/MGlobal.h>
#include <vesk/MIntArray.h>
#include <vesk/MObjectArray.h>
#include <vesk/MStringArray.h>

#include "host_fixture.h"

namespace {

class SetEditsTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        vesk::fixture::makeShape("mesh", "box");
        vesk::fixture::makeShape("mesh", "ball");
        for (const char* name : {"g0SG", "g1SG", "g2SG"})
            ASSERT_TRUE(run(std::string("sets -renderable true -empty -name ") + name));
    }

    static bool run(const std::string& text)
    {
        return static_cast<bool>(MGlobal::executeCommand(MString(text.c_str()), false, false));
    }

public:
    // The members' texts: one member's runs joined by blanks, members by
    // "; ", in the set's order.
    static std::string held(const MSelectionList& members)
    {
        std::string out;
        for (unsigned int i = 0; i < members.length(); ++i) {
            MStringArray texts;
            members.getSelectionStrings(i, texts);
            out += i ? "; " : "";
            for (unsigned int k = 0; k < texts.length(); ++k)
                out += (k ? " " : "") + std::string(texts[k].asChar());
        }
        return out;
    }
    static std::string held(const char* set)
    {
        MSelectionList members;
        MFnSet(object(set)).getMembers(members, false);
        return held(members);
    }
};

struct EditScript {
    const char* what;
    std::vector<const char*> commands;
    const char* groups[3];
};

const EditScript kScripts[] = {
    {"faces interleaved go last in their groups",
     {"sets -e -forceElement g0SG box.f[0]", "sets -e -forceElement g1SG box.f[1]",
      "sets -e -forceElement g0SG box.f[2]", "sets -e -forceElement g1SG box.f[3]"},
     {"box.f[0] box.f[2]", "box.f[1] box.f[3]", ""}},
    {"a face taken from the middle of a run",
     {"sets -e -forceElement g0SG box.f[0:5]", "sets -e -forceElement g1SG box.f[2]"},
     {"box.f[0:1] box.f[3:5]", "box.f[2]", ""}},
    {"a group asked for a face it lacks puts that member last",
     {"sets -e -forceElement g0SG box.f[0]", "sets -e -forceElement g0SG ball.f[0]",
      "sets -e -forceElement g1SG box.f[7]"},
     {"ball.f[0]; box.f[0]", "box.f[7]", ""}},
    {"the last face taken drops the member",
     {"sets -e -forceElement g0SG box.f[3]", "sets -e -forceElement g0SG ball.f[1]",
      "sets -e -forceElement g1SG box.f[3]"},
     {"ball.f[1]", "box.f[3]", ""}},
    {"a whole object leaves with all its faces",
     {"sets -e -forceElement g0SG box.f[0:2]", "sets -e -forceElement g1SG box"},
     {"", "boxShape", ""}},
    {"a whole member keeps the faces not taken",
     {"sets -e -forceElement g0SG box", "sets -e -forceElement g1SG box.f[2]"},
     {"box.f[0:1] box.f[3:15]", "box.f[2]", ""}},
    {"faces added to a whole member add nothing", {"sets -e -forceElement g0SG box", "sets -e g0SG box.f[1]"},
     {"boxShape", "", ""}},
    {"additions merge in index order",
     {"sets -e g0SG box.f[5]", "sets -e g0SG box.f[1]", "sets -e g0SG box.f[3:4]", "sets -e g2SG ball.f[1]"},
     {"box.f[1] box.f[3:5]", "", "ball.f[1]"}},
    {"a face forced back and forth",
     {"sets -e -forceElement g0SG box.f[0:3]", "sets -e -forceElement g1SG box.f[1]",
      "sets -e -forceElement g0SG box.f[1]"},
     {"box.f[0:3]", "", ""}},
    {"a deleted group is not asked", {"sets -e -forceElement g2SG box.f[4]", "delete g2SG",
                                      "sets -e -forceElement g0SG box.f[4]"},
     {"box.f[4]", "", nullptr}},
};

} // namespace

TEST_F(SetEditsTest, ScriptsLeaveEachGroupItsMembersInOrder)
{
    for (const EditScript& script : kScripts) {
        SCOPED_TRACE(script.what);
        SetUp();
        for (const char* c : script.commands)
            EXPECT_TRUE(run(c)) << c;
        const char* const names[3] = {"g0SG", "g1SG", "g2SG"};
        for (int g = 0; g < 3; ++g) {
            if (script.groups[g]) {
                EXPECT_EQ(held(names[g]), script.groups[g]) << names[g];
            }
        }
    }
}

TEST_F(SetEditsTest, AMemberListHandedOutKeepsWhatItSaw)
{
    ASSERT_TRUE(run("sets -e -forceElement g0SG box.f[0:5]"));
    MSelectionList before;
    MFnSet(object("g0SG")).getMembers(before, false);
    ASSERT_TRUE(run("sets -e -forceElement g1SG box.f[2]"));
    ASSERT_TRUE(run("sets -e -forceElement g1SG box.f[4]"));
    EXPECT_EQ(held(before), "box.f[0:5]");
    EXPECT_EQ(held("g0SG"), "box.f[0:1] box.f[3] box.f[5]");
}

TEST_F(SetEditsTest, ReadsBetweenEditsSeeEveryEdit)
{
    // Each face forced into group (face % 3), then every face so far read
    // back through the mesh's shaders and the sets' membership.
    const MDagPath shape = path("boxShape");
    for (int f = 0; f < 16; ++f) {
        SCOPED_TRACE(f);
        ASSERT_TRUE(run("sets -e -forceElement g" + std::to_string(f % 3) + "SG box.f[" + std::to_string(f) + "]"));
        MObjectArray shaders;
        MIntArray indices;
        ASSERT_TRUE(MFnMesh(shape).getConnectedShaders(0, shaders, indices));
        ASSERT_EQ(indices.length(), 16u);
        for (unsigned int k = 0; k < 16; ++k) {
            const std::string expected = static_cast<int>(k) <= f ? "g" + std::to_string(k % 3) + "SG" : "";
            EXPECT_EQ(indices[k] < 0 ? "" : nameOf(shaders[static_cast<unsigned int>(indices[k])]), expected) << k;
        }
        MSelectionList face;
        face.add(MString(("box.f[" + std::to_string(f) + "]").c_str()));
        MDagPath p;
        MObject component;
        face.getDagPath(0, p, component);
        EXPECT_TRUE(MFnSet(object(("g" + std::to_string(f % 3) + "SG").c_str())).isMember(p, component));
        EXPECT_FALSE(MFnSet(object(("g" + std::to_string((f + 1) % 3) + "SG").c_str())).isMember(p, component));
    }
}
