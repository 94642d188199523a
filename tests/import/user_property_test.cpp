// User properties as dynamic attributes of the host transform: kind, name,
// soft limits, names already taken, and the records kept on the node.
#include "import_fixture.h"

#include <limits>

#include <vesk/MDagPath.h>
#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTransform.h>
#include <vesk/MSelectionList.h>

#include "curves/kfcurvenode.h"
#include "scene/kqelnull.h"
#include "scene/kqeltakenode.h"
#include "scene/kqeluserproperty.h"

using namespace qelsdk_600;

namespace {

const double kNone = std::numeric_limits<double>::infinity();

KQelUserProperty* property(QelVeskNode* pNode, const char* pName, const char* pType, const char* pLabel,
                           double pMin = -kNone, double pMax = kNone, bool pUser = true, bool pAnimatable = false)
{
    KQelUserProperty* made = pNode->GetKQelSdkManager().CreateKQelUserProperty(pName, pType, pLabel);
    made->ModifyFlag(KQelUserProperty::eUserProperty, pUser);
    made->ModifyFlag(KQelUserProperty::eAnimatable, pAnimatable);
    pNode->AddProperty(made);
    made->SetLimits(pMin, pMax);
    return made;
}

// The attribute name recorded for a label, "" when none.
std::string recorded(QelVeskNode* pNode, const char* pLabel)
{
    const KString* name = reinterpret_cast<KString*>(pNode->mUserPropertyNames.Get(pLabel));
    return name ? name->Buffer() : "";
}

TEST_F(ImportTest, UserPropertiesBecomeKeyableAttributesOfTheirKind)
{
    QelVeskNode* made = node("N", nullptr, mImport->GetManager().CreateKQelNull());
    property(made, "p1", "Real", "max speed", 0.0);
    property(made, "p2", "Integer", "count", -kNone, 10.0);
    property(made, "p3", "Bool", "on", 0.0, 1.0);
    property(made, "p4", "Vector", "aim", 0.0, 1.0);
    property(made, "p5", "Color", "tint");
    property(made, "unlabelled", "Real", "");
    property(made, "hidden", "Real", "not mine", 0.0, 1.0, false);
    property(made, "refused", "Real", "top-speed");  // no host attribute has such a name
    build();

    EXPECT_EQ(dumpLines("^define \"\\|N\" \\w+ ="),
              (std::vector<std::string>{
                  "define \"|N\" aim = \"aim\" numericCompound 15 0 0 rwcski 0 \"\" - - - -",
                  "define \"|N\" count = \"count\" numeric 7 0 0 rwcski 0 \"\" - - - 10",
                  "define \"|N\" max_speed = \"max_speed\" numeric 13 0 0 rwcski 0 \"\" - - 0 -",
                  "define \"|N\" on = \"on\" numeric 1 0 0 rwcski 0 \"\" - - - -",
                  "define \"|N\" tint = \"tint\" numericCompound 12 0 0 rwcskui 0 \"\" - - - -",
                  "define \"|N\" unlabelled = \"unlabelled\" numeric 13 0 0 rwcski 0 \"\" - - - -"}));
    EXPECT_EQ(recorded(made, "max speed"), "max_speed");
    EXPECT_EQ(recorded(made, "not mine"), "");
    EXPECT_EQ(recorded(made, "top-speed"), "");
    EXPECT_EQ(made->mUserPropertyNames.GetCount(), 6);

    QelVeskNode* bare = node("Bare");
    property(bare, "p", "Real", "speed");
    build();
    EXPECT_EQ(bare->mUserPropertyNames.GetCount(), 0) << "a node without attribute gets none";
}

TEST_F(ImportTest, TakenNamesGetANumberUpToNine)
{
    QelVeskNode* made = node("N", nullptr, mImport->GetManager().CreateKQelNull());
    build();
    MFnTransform transform(*made->GetDagPath());
    const auto take = [&](const std::string& pName) {
        MFnNumericAttribute attribute;
        transform.addAttribute(attribute.create(pName.c_str(), pName.c_str(), MFnNumericData::kDouble, 0.0));
    };
    take("speed");
    KQelUserProperty* speed = property(made, "p", "Real", "speed");
    mImport->AddUserProperty(speed, transform, made);
    EXPECT_EQ(recorded(made, "speed"), "speed1");

    for (int i = 2; i <= 9; ++i)
        take("speed" + std::to_string(i));
    mImport->AddUserProperty(speed, transform, made);
    EXPECT_EQ(made->mUserPropertyNames.GetCount(), 1) << "all ten names taken: no attribute, no record";
    EXPECT_EQ(dumpLines("^define \"\\|N\" speed").size(), 10u);
}

}  // namespace

namespace {

TEST_F(ImportTest, UserPropertyValuesComeFromTheirCurvesElseTheirDefaults)
{
    QelVeskUserParams::Instance()->SetImportType(QelVeskUserParams::eMerge);
    // A merged host node with two attributes of its own.
    ASSERT_TRUE(MGlobal::executeCommand("createNode transform -n U; addAttr -ln ownByte -at char -k true U; "
                                        "addAttr -ln ownReal -at float -k true U"));
    QelVeskNode* made = node("U", nullptr, mImport->GetManager().CreateKQelNull());
    const struct {
        const char* name;
        const char* type;
        float curveValue;
        const char* attribute;  // an attribute the host node has, or null
        const char* written;
    } cases[] = {
        {"half", "Bool", 0.5f, nullptr, "1"},
        {"negative", "Bool", -1.0f, nullptr, "0"},
        {"up", "Integer", 2.9f, nullptr, "2"},
        {"down", "Integer", -2.9f, nullptr, "-2"},
        {"wrapped", "Integer", 300.0f, "ownByte", "44"},
        {"third", "Real", 1.0f / 3.0f, "ownReal", "0.33333334"},
    };
    for (const auto& c : cases) {
        property(made, c.name, c.type, c.name, -kNone, kNone, true, true);
        if (c.attribute)
            made->mUserPropertyNames.Add(c.name, reinterpret_cast<kReference>(new KString(c.attribute)));
    }
    KQelTakeNode* run = runTake(made);
    for (const auto& c : cases)
        run->GetKFCurveNode()->FindRecursive(c.name)->FCurveGet()->SetValue(c.curveValue);
    MSelectionList list;
    list.add("U");
    MDagPath path;
    list.getDagPath(0, path);
    made->SetDagPath(&path);
    made->mMerged = true;

    EXPECT_EQ(mImport->ImportUserProperties(*made), MStatus::kSuccess);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> lines =
            dumpLines(std::string("^attr \"\\|U\" ") + (c.attribute ? c.attribute : c.name) + " = ");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].substr(lines[0].rfind(' ') + 1), c.written);
    }
}

}  // namespace
