// DAG paths as shared chains: every way of making a path gives the same
// path, and what the store remembers about paths (validity, first paths,
// recent full names) follows every kind of DAG and name edit.
#include <vesk/MFnDagNode.h>
#include <vesk/MFnSet.h>
#include <vesk/MItDag.h>

#include "common/small_stack.h"
#include "host_fixture.h"

namespace {

using PathSharingTest = HostTest;

vesk::NodeId id(const char* name)
{
    return vesk::fixture::node(name);
}

// The one node of a name, instanced or not.
MObject named(const char* name)
{
    return vesk::ObjectAccess::fromNode(vesk::store().nodesNamed(name).at(0));
}

// A{B{C}}.
void buildChain()
{
    vesk::fixture::make("transform", "A");
    vesk::fixture::make("transform", "B", "A");
    vesk::fixture::make("transform", "C", "B");
}

struct EditCase {
    const char* what;
    void (*edit)();
    // The path |A|B|C taken before the edit: its full name ("" once
    // invalid) and instance number.
    const char* heldName;
    unsigned int heldInstance;
    // The first path of the node named C afterwards, and its partial name.
    const char* first;
    const char* partial;
    // The text "|A|B|C" still names the held path.
    bool oldTextNamesHeld;
};

const EditCase kEdits[] = {
    {"a new child changes no path", [] { vesk::fixture::make("transform", "N", "B"); }, "|A|B|C", 0, "|A|B|C", "C",
     true},
    {"B moved under the world", [] { vesk::store().removeChild(id("A"), id("B")); }, "", 0, "|B|C", "C", false},
    {"B moved away and back",
     [] {
         vesk::store().removeChild(id("A"), id("B"));
         vesk::store().addChild(id("A"), id("B"), -1, false);
     },
     "|A|B|C", 0, "|A|B|C", "C", true},
    {"B renamed", [] { vesk::store().rename(id("B"), "Q"); }, "|A|Q|C", 0, "|A|Q|C", "C", false},
    {"C deleted and made again in its place",
     [] {
         vesk::store().deleteNode(id("C"));
         vesk::fixture::make("transform", "C", "B");
     },
     "", 0, "|A|B|C", "C", false},
    {"C instanced first under A", [] { vesk::store().addChild(id("A"), id("C"), 0, true); }, "|A|B|C", 1, "|A|C",
     "A|C", true},
};

} // namespace

TEST_F(PathSharingTest, PathAnswersFollowEveryKindOfEdit)
{
    for (const EditCase& c : kEdits) {
        SCOPED_TRACE(c.what);
        standin::resetHost();
        buildChain();
        // Asked before the edit, so that anything remembered is stale after.
        const MDagPath held = path("|A|B|C");
        MDagPath first;
        ASSERT_TRUE(MDagPath::getAPathTo(object("C"), first));
        ASSERT_STREQ(held.fullPathName().asChar(), "|A|B|C");
        ASSERT_STREQ(first.partialPathName().asChar(), "C");

        c.edit();
        EXPECT_EQ(held.isValid(), c.heldName[0] != '\0');
        EXPECT_STREQ(held.fullPathName().asChar(), c.heldName);
        EXPECT_EQ(held.instanceNumber(), c.heldInstance);
        ASSERT_TRUE(MDagPath::getAPathTo(named("C"), first));
        EXPECT_STREQ(first.fullPathName().asChar(), c.first);
        EXPECT_STREQ(first.partialPathName().asChar(), c.partial);
        EXPECT_EQ(path("|A|B|C") == held, c.oldTextNamesHeld);
    }
}

TEST_F(PathSharingTest, PathsMadeInAnyWayAreOneAndFindEachOther)
{
    buildChain();
    const MDagPath parsed = path("|A|B|C");
    MDagPath first;
    ASSERT_TRUE(MDagPath::getAPathTo(object("C"), first));
    MDagPath pushed = path("A");
    ASSERT_TRUE(pushed.push(object("B")));
    ASSERT_TRUE(pushed.push(object("C")));
    MDagPath walked;
    for (MItDag it(MItDag::kBreadthFirst); !it.isDone(); it.next())
        if (it.currentItem() == object("C"))
            it.getPath(walked);
    const MDagPath bound = MFnDagNode(object("C")).dagPath();
    for (const MDagPath& p : {first, pushed, walked, bound})
        EXPECT_TRUE(p == parsed);
    MDagPath popped = parsed;
    ASSERT_TRUE(popped.pop());
    EXPECT_TRUE(popped == path("B"));
    EXPECT_FALSE(popped == parsed);

    // Selections and sets look paths up by their identity.
    MSelectionList list;
    ASSERT_TRUE(list.add(walked));
    EXPECT_TRUE(list.hasItem(pushed));
    EXPECT_FALSE(list.hasItem(popped));
    MFnSet set;
    set.create(list, MFnSet::kNone);
    EXPECT_TRUE(set.isMember(first));
    EXPECT_FALSE(set.isMember(popped));
}

TEST_F(PathSharingTest, AFullNameIsReadByItsBarsWhateverANameHolds)
{
    // A top-level node named "a|b" and a node b under a: both full names
    // read "|a|b", which names the second.
    const vesk::NodeId barred = vesk::fixture::make("transform", "barred");
    ASSERT_TRUE(vesk::store().renameAsIs(barred, "a|b"));
    vesk::fixture::make("transform", "a");
    const MObject nested = make("transform", "b", "a");
    MDagPath top;
    ASSERT_TRUE(MDagPath::getAPathTo(vesk::ObjectAccess::fromNode(barred), top));
    ASSERT_STREQ(top.fullPathName().asChar(), "|a|b");
    EXPECT_TRUE(path("|a|b").node() == nested);
}

TEST_F(PathSharingTest, ADeepPathIsMadeWalkedAndFreedOnASmallStack)
{
    const int depth = 10000;
    vesk::NodeId parent;
    for (int i = 0; i < depth; ++i)
        parent = vesk::store().createNode("transform", "n" + std::to_string(i), parent);
    smallstack::OnSmallStack(
        [](void*) {
            // Pushed level by level: only the path holds its links.
            MDagPath pushed;
            ASSERT_TRUE(pushed.push(object("n0")));
            while (pushed.childCount() > 0)
                ASSERT_TRUE(pushed.push(pushed.child(0)));
            EXPECT_EQ(pushed.length(), static_cast<unsigned int>(depth));
            unsigned int deepest = 0;
            for (MItDag it; !it.isDone(); it.next())
                deepest = std::max(deepest, it.depth());
            EXPECT_EQ(deepest, static_cast<unsigned int>(depth));
            MDagPath first;
            ASSERT_TRUE(MDagPath::getAPathTo(pushed.node(), first));
            EXPECT_TRUE(first == pushed);
            // The last holder of the chain lets it go once the nodes are gone.
            pushed = MDagPath();
            vesk::store().reset();
            EXPECT_FALSE(first.isValid());
            first = MDagPath();
        },
        nullptr);
}
