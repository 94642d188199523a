// User properties as dynamic attributes of the host transform: kind, name,
// soft limits, names already taken, and the records kept on the node.
#include "import_fixture.h"

#include <limits>

#include <vesk/MFnNumericAttribute.h>
#include <vesk/MFnTransform.h>

#include "scene/kqeluserproperty.h"
#include "scene/kqelnull.h"

using namespace qelsdk_600;

namespace {

const double kNone = std::numeric_limits<double>::infinity();

KQelUserProperty* property(QelVeskNode* pNode, const char* pName, const char* pType, const char* pLabel,
                           double pMin = -kNone, double pMax = kNone, bool pUser = true)
{
    KQelUserProperty* made = pNode->GetKQelSdkManager().CreateKQelUserProperty(pName, pType, pLabel);
    made->ModifyFlag(KQelUserProperty::eUserProperty, pUser);
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
