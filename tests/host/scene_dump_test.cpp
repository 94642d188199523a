// The scene dump and its comparison: independent of the order a scene was
// built in, sensitive to every stored value, one record per line, numbers
// compared within a tolerance.
#include <algorithm>
#include <functional>
#include <sstream>

#include <gmock/gmock.h>

#include <vesk/MFnData.h>
#include <vesk/MGlobal.h>

#include "anim/anim_curve.h"
#include "deform/deform_kinds.h"
#include "dump/dump_text.h"
#include "dump/scene_dump.h"
#include "geometry/geometry_kinds.h"
#include "host_fixture.h"
#include "store/numeric.h"

namespace {

using namespace vesk;

PlugKey keyOf(const std::string& text)
{
    Address a;
    store().parseAddress(text, a);
    return a.plug;
}

void setText(NodeId n, const std::string& attr, const std::string& value)
{
    PlugKey k;
    k.attr = store().findAttribute(n, attr);
    store().writeValue(n, k, Value::ofText(value));
}

Ref<Attribute> textAttribute(const std::string& name)
{
    Ref<Attribute> a(new Attribute(AttrForm::kTyped, name, name));
    a->dataType = MFnData::kString;
    return a;
}

// A substring test whose failure shows only the part sought (dumps are
// long).
void expectHolds(const std::string& text, const std::string& part)
{
    EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

using Step = std::function<void()>;

// Runs the steps of each phase forward, or each phase backward.
void build(const std::vector<std::vector<Step>>& phases, bool backward)
{
    standin::resetHost();
    for (const std::vector<Step>& phase : phases) {
        if (backward)
            std::for_each(phase.rbegin(), phase.rend(), [](const Step& s) { s(); });
        else
            std::for_each(phase.begin(), phase.end(), [](const Step& s) { s(); });
    }
}

class SceneDumpTest : public HostTest {};

TEST_F(SceneDumpTest, OneSceneBuiltInTwoOrdersDumpsTheSame)
{
    const std::vector<std::vector<Step>> phases = {
        {
            [] { fixture::makeShape("mesh", "ground"); },
            [] { fixture::makeShape("nurbsSurface", "sheet"); },
            [] { fixture::make("joint", "hip"); },
            [] { fixture::make("transform", "b"); },
            [] { store().addNamespace("zoo"); },
            [] { store().addNamespace("ark"); },
            [] { createSet("mySet", 0, nullptr); },
            [] { fixture::make("lambert", "paint"); },
        },
        {
            [] { fixture::make("joint", "knee", "hip"); },
            [] { store().addAttribute(fixture::node("b"), textAttribute("zeta")); },
            [] { store().addAttribute(fixture::node("b"), textAttribute("alpha")); },
            [] { store().addAttribute(fixture::node("b"), makeNumericAttribute("extra", "ex", 13, 2.5)); },
        },
        {
            [] { fixture::setNumber("b.translateX", 2.5); },
            [] { fixture::setNumber("hip.rotateY", 0.25); },
            [] { setText(fixture::node("b"), "zeta", "last"); },
            [] { fixture::connect("b.translateX", "sheet.translateY"); },
            [] {
                MStatus s;
                const NodeId c = createCurve(fixture::node("knee"), keyOf("knee.translateY"), 1, &s);
                curveOf(c)->addKey(0.0, 1.0, kTangentLinear, kTangentLinear, nullptr);
                curveOf(c)->addKey(1.0, 3.0, kTangentFlat, kTangentFlat, nullptr);
            },
            [] { meshOf(fixture::node("groundShape"))->setPoint(3, MPoint(1, 2, 3)); },
            [] {
                const Path shape{fixture::node("ground"), fixture::node("groundShape")};
                addSetMembers(fixture::node("mySet"), {SetMember{fixture::node("hip"), {fixture::node("hip")}, {}}},
                              false);
                addSetMembers(fixture::node("mySet"), {SetMember{shape.back(), shape, {}}}, false);
            },
        },
    };
    build(phases, false);
    const std::string forward = sceneDump();
    build(phases, true);
    const std::string backward = sceneDump();
    EXPECT_TRUE(forward == backward);
    // Spot checks that the records are there at all.
    expectHolds(forward, "\nattr \"|b\" extra = - 2.5\n");
    expectHolds(forward, "\nkey \"|hip|knee\" translateY 1 = 1 3 3 3 0 0 0 0 1 1\n");
    expectHolds(forward, "\nconnect \"|sheet\" translateY = \"|b\" translateX\n");
    expectHolds(forward, "\nset \"mySet\" member \"|ground|groundShape\" = whole\n");
    expectHolds(forward, "\nglobal namespaces = \"ark\" \"zoo\"\n");
}

// Every value plug below an attribute a user may set (no outputs, no
// computed or message plugs), element 0 of arrays.
void settablePlugs(NodeId n, Attribute* a, PlugKey key, std::vector<PlugKey>& out)
{
    if (a->compute || !a->writable || a->form() == AttrForm::kMessage)
        return;
    const int level = a->ownLevel();
    if (level >= 0 && key.idx[level] == kUnsetIndex)
        key.idx[level] = 0;
    if (a->isLeaf()) {
        out.push_back(key);
        return;
    }
    for (Attribute* c : a->children()) {
        key.attr = c;
        settablePlugs(n, c, key, out);
    }
}

// A different value for the plug, of its own kind.
Value changed(NodeId n, const PlugKey& k)
{
    const Attribute* a = k.attr;
    Value v;
    store().readValue(n, k, v);
    if (a->form() == AttrForm::kTyped)
        return Value::ofText(v.text + "x");
    if (a->form() == AttrForm::kMatrix) {
        MMatrix m;
        m.matrix[3][0] = 7.0;
        return Value::ofData(Ref<RefObject>(new MatrixData(m)));
    }
    const double next = a->isIntegerValued() && v.number >= 1.0 ? v.number - 1.0 : v.number + 1.0;
    return Value::ofNumber(storedNumber(a, next, false));
}

TEST_F(SceneDumpTest, EveryStoredValueOfEveryKindShowsInTheDump)
{
    size_t kinds = 0;
    size_t plugs = 0;
    for (const Kind* kind : store().kinds().kinds()) {
        if (kind->abstract || kind->type() == MFn::kWorld)
            continue;
        standin::resetHost();
        const NodeId n = store().createNode(kind, "probe", NodeId());
        ASSERT_TRUE(n.valid()) << kind->typeName();
        ++kinds;
        std::vector<PlugKey> keys;
        for (Attribute* a : kind->attributes())
            settablePlugs(n, a, PlugKey{a, {kUnsetIndex, kUnsetIndex, kUnsetIndex, kUnsetIndex}}, keys);
        std::string before = sceneDump();
        for (const PlugKey& k : keys) {
            const std::string plug = store().plugPath(n, k, true, false);
            ASSERT_TRUE(store().writeValue(n, k, changed(n, k))) << kind->typeName() << "." << plug;
            const std::string after = sceneDump();
            EXPECT_NE(after, before) << kind->typeName() << "." << plug;
            before = after;
            ++plugs;
        }
    }
    EXPECT_GT(kinds, 40u);
    EXPECT_GT(plugs, 300u);
}

TEST_F(SceneDumpTest, ValuesKeptOutsidePlugsShowInTheDump)
{
    const NodeId ground = fixture::makeShape("mesh", "ground");
    const NodeId sheet = fixture::makeShape("nurbsSurface", "sheet");
    const NodeId hip = fixture::make("joint", "hip");
    const NodeId groundShape = store().firstShape(ground);
    const Path shapePath{ground, groundShape};
    std::string error;
    const NodeId skin = createSkinCluster("", {{hip}}, shapePath, true, &error);
    ASSERT_TRUE(skin.valid()) << error;
    const NodeId set = createSet("members", 0, nullptr);
    MStatus s;
    const NodeId curve = createCurve(hip, keyOf("hip.translateX"), 1, &s);
    curveOf(curve)->addKey(0.0, 1.0, kTangentSmooth, kTangentSmooth, nullptr);
    const NodeId loose = store().createNode("animCurveTimeToUnitless", "loose");
    curveOf(loose)->addKey(1.0, 5.0, kTangentSmooth, kTangentSmooth, nullptr);

    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"mesh point", [&] { meshOf(groundShape)->setPoint(0, MPoint(0, 9, 0)); }},
        {"mesh normal", [&] { meshOf(groundShape)->setVertexNormal(0, MVector(1, 0, 0)); }},
        {"mesh corner normal", [&] { meshOf(groundShape)->setCornerNormal(2, MVector(0, 0, 1)); }},
        {"mesh colour", [&] { meshOf(groundShape)->setCornerColor(1, MColor(1, 0, 0)); }},
        {"uv set", [&] { meshOf(groundShape)->uvSets()[0].name = "other"; }},
        {"surface cv", [&] { nurbsOf(store().firstShape(sheet))->cvs[5].z = 4.0; }},
        {"surface knot", [&] { nurbsOf(store().firstShape(sheet))->knotsU[1] = 0.5; }},
        {"driving key", [&] { curveOf(curve)->setValue(0, 2.0); }},
        {"driving key tangent", [&] { curveOf(curve)->setTangentType(0, true, kTangentStep); }},
        {"loose key", [&] { curveOf(loose)->setTime(0, 2.0, nullptr); }},
        {"weighted curve", [&] { curveOf(loose)->setWeighted(true); }},
        {"set member", [&] { addSetMembers(set, {SetMember{hip, {hip}, {}}}, false); }},
        {"set restriction", [&] { setOf(set)->setRestriction(2); }},
        {"skin weight", [&] { skinWeightsOf(skin)->setWeight(0, 3, 0, 0.5); }},
        {"lock", [&] { store().setLocked(hip, keyOf("hip.translateZ"), true); }},
        {"intermediate", [&] { store().setIntermediate(groundShape, true); }},
        {"selection", [&] { MGlobal::executeCommand("select -r hip"); }},
        {"time", [&] { store().globals().currentTime = 0.5; }},
    };
    std::string before = sceneDump();
    for (const auto& e : edits) {
        e.second();
        const std::string after = sceneDump();
        EXPECT_NE(after, before) << e.first;
        before = after;
    }
}

TEST_F(SceneDumpTest, TextsWithQuotesAndLineBreaksStayOnOneLine)
{
    const NodeId b = fixture::make("transform", "b");
    store().addAttribute(b, textAttribute("note"));
    const std::string before = sceneDump();
    setText(b, "note", "say \"hi\"\nbye\\\x01");
    const std::string after = sceneDump();
    EXPECT_EQ(lines(after).size(), lines(before).size());
    expectHolds(after, "\nattr \"|b\" note = - \"say \\\"hi\\\"\\nbye\\\\\\x01\"\n");
    for (const std::string& line : lines(after)) {
        if (line == kDumpHeader)
            continue;
        RecordParts parts;
        EXPECT_TRUE(splitRecord(line, parts)) << line;
    }
}

TEST_F(SceneDumpTest, CompareMatchesNumbersWithinTheTolerance)
{
    fixture::make("transform", "a");
    fixture::make("transform", "gone");
    fixture::setNumber("a.translateX", 1.0);
    const std::string first = sceneDump();
    standin::resetHost();
    fixture::make("transform", "a");
    fixture::make("transform", "new");
    fixture::setNumber("a.translateX", 1.0 + 1e-12);
    const std::string second = sceneDump();

    struct Case {
        double tolerance;
        std::vector<std::string> ignore;
        int code;
        std::vector<std::string> report;
    };
    const std::vector<Case> cases = {
        {1e-9, {"new|gone"}, 0, {}},
        {0.0, {"new|gone"}, 1, {"differs: attr \"|a\" translateX: A = k 1 | B = k 1.000000000001"}},
        // A node one side lacks is named once, whatever records it has.
        {1e-9, {}, 1, {"only in A: node \"|gone\"", "only in B: node \"|new\""}},
        {1e-9, {"("}, 2, {"bad pattern: ("}},
    };
    for (const Case& c : cases) {
        DumpCompareOptions options;
        options.tolerance = c.tolerance;
        options.ignore = c.ignore;
        std::vector<std::string> report;
        EXPECT_EQ(compareDumps(first, second, options, report), c.code) << c.tolerance;
        EXPECT_EQ(report, c.report) << c.tolerance;
    }
    std::vector<std::string> report;
    EXPECT_EQ(compareDumps(first, "not a dump\n", DumpCompareOptions(), report), 2);
    report.clear();
    EXPECT_EQ(compareDumps(first, first + "attr \"|a\" broken \"open = 1\n", DumpCompareOptions(), report), 2);
}

} // namespace
