#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "character/kqelcharacter.h"
#include "character/kqelcharacterproperties.h"
#include "character/kqelcontrolset.h"
#include "character/kqelcontrolsetplug.h"
#include "character/kqelfilterset.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

struct Fixture {
    KQelSdkManager mManager;
    KQelCharacter mCharacter{mManager, "Constraint::Bob"};
    KQelCharacterProperties& mSet = *static_cast<KQelCharacterProperties*>(mCharacter.GetPropertyHandler());
    KQelFilterSet& mFilters = *mCharacter.GetFilterSet();

    KProperty& Property(const char* pName)
    {
        KProperty* property = mSet.FindPropertyByName(pName);
        EXPECT_TRUE(property) << pName;
        return *property;
    }
};

// Counts the value-change announcements that reach the set.
struct DataEvents : KPlugListener {
    std::vector<int> mActions;
    void PlugDataNotify(KPlugCallstack*, kPlugAction pAction, KPlug*, void*, void*, int) override
    {
        mActions.push_back(pAction);
    }
};

TEST(CharacterProperties, SettingThroughThePropertyWritesTheParameterHalfItOwns)
{
    // Each case sets one property through the property model and checks the
    // property and one half of one parameter (mode when mMode, else value).
    struct Case {
        const char* mName;
        double mSet;
        double mProperty;
        int mParameter;
        bool mMode;
        double mParameterAfter;  // NaN: the parameter keeps its value
    };
    const double kKept = -12345.0;
    const Case cases[] = {
        {"PullIterationCount", 45, 30, 0, false, 30},
        {"PullIterationCount", -3, 0, 0, false, 0},
        {"FootContactSize", 5, 5, 51, false, 5},  // below the table's minimum: no table range here
        {"LeftHandThumbTip", 0, 0.01, 141, false, 0.01},
        {"HandBottomToWrist", 5000, 1000, 56, false, 1000},
        {"ForceActorSpace", 1, 1, 2, true, 1},
        {"ScaleCompensationMode", 2, 2, 3, true, 2},
        {"ScaleCompensationMode", 3, 3, 3, true, kKept},  // refused by the parameter
        {"Posture", 1, 1, 1, false, 1},
        {"ContactBehaviour", 2, 2, 174, false, 2},
        {"OrientationDampingMode", 2, 2, 76, true, 2},
        {"ScaleCompensation", 50, 50, 3, false, kKept},  // stores only
        {"OrientationDamping", 0.7, 0.7, 76, false, kKept},
        {"Weight", 12, 12, -1, false, kKept},
    };
    for (const Case& c : cases) {
        Fixture f;
        double before = -1;
        if (c.mParameter >= 0)
            before = c.mMode ? f.mFilters.GetParameterMode(c.mParameter)
                             : f.mFilters.GetParameterValue(c.mParameter);
        KProperty& property = f.Property(c.mName);
        property.SetDouble(c.mSet);
        EXPECT_EQ(property.AsDouble(), c.mProperty) << c.mName << " " << c.mSet;
        if (c.mParameter < 0)
            continue;
        double after = c.mMode ? f.mFilters.GetParameterMode(c.mParameter) : f.mFilters.GetParameterValue(c.mParameter);
        EXPECT_EQ(after, c.mParameterAfter == kKept ? before : c.mParameterAfter) << c.mName << " " << c.mSet;
    }

}

TEST(CharacterProperties, LoadingFromTheFilterSetConvertsWithoutChangingIt)
{
    Fixture f;
    f.mSet.Active.SetValue(false);
    f.mSet.Weight.SetValue(3.0);
    f.mSet.ScaleCompensationSet(9.0);
    f.mFilters.SetParameterValue(1, 1.9);   // Posture
    f.mFilters.SetParameterMode(8, 1);      // ApplyLimits
    f.mFilters.SetParameterValue(38, 1.0);  // HipsTOffset
    f.mFilters.SetParameterValue(39, 2.0);
    f.mFilters.SetParameterValue(40, 3.0);
    f.mFilters.SetParameterValue(51, 5000.0);  // FootContactSize, never clamped here
    f.mFilters.SetParameterMode(76, 2);        // OrientationDampingMode, through its setter
    f.mFilters.SetParameterValue(3, 77.0);     // no property carries this value
    f.mFilters.SetParameterValue(31, 4.5);     // ReachActorLeftAnkleRotationRotation
    std::vector<double> before;
    for (int i = 0; i < KQelFilterSet::GetParameterCount(); ++i) {
        before.push_back(f.mFilters.GetParameterMode(i));
        before.push_back(f.mFilters.GetParameterValue(i));
    }

    f.mSet.FilterSetToProperties();
    EXPECT_EQ(f.mSet.PostureGet(), 1);
    EXPECT_TRUE(f.mSet.ApplyLimitsGet());
    KgeTVector offset = f.mSet.HipsTOffsetGet();
    EXPECT_EQ(offset.mData[0], 1.0);
    EXPECT_EQ(offset.mData[1], 2.0);
    EXPECT_EQ(offset.mData[2], 3.0);
    EXPECT_EQ(offset.mData[3], 1.0);
    EXPECT_EQ(f.mSet.FootContactSizeGet(), 5000.0);
    EXPECT_EQ(f.mSet.OrientationDampingModeGet(), kCharacterOffAutoUserUser);
    EXPECT_EQ(f.mSet.ReachActorLeftAnkleRotationGet(), 4.5);
    EXPECT_FALSE(f.mSet.ActiveGet());
    EXPECT_EQ(f.mSet.WeightGet(), 3.0);
    EXPECT_EQ(f.mSet.ScaleCompensationGet(), 9.0);
    std::vector<double> after;
    for (int i = 0; i < KQelFilterSet::GetParameterCount(); ++i) {
        after.push_back(f.mFilters.GetParameterMode(i));
        after.push_back(f.mFilters.GetParameterValue(i));
    }
    EXPECT_EQ(after, before);

    f.mFilters.SetParameterValue(1, -0.5);
    f.mFilters.SetParameterMode(8, 0);
    f.mSet.FilterSetToProperties();
    EXPECT_EQ(f.mSet.PostureGet(), 0);
    EXPECT_FALSE(f.mSet.ApplyLimitsGet());
}

TEST(CharacterProperties, PropertiesCarryTheirFlagsTypesAndTexts)
{
    Fixture f;
    int readOnly = 0;
    int texts = 0;
    for (int i = 0; i < kCharacterPropertyCount; ++i) {
        KProperty* property = f.mSet.GetProperty(i);
        bool isReadOnly = property->IsReadOnly();
        readOnly += isReadOnly;
        EXPECT_EQ(property->GetPropertyInfo().GetSetter() == nullptr, isReadOnly) << i;
        bool hasText = property->GetPropertyInfo().GetFlag(KPropertyInfo::kHasAsStringFunc);
        texts += hasText;
        EXPECT_EQ(hasText, property->GetPropertyType() == kPropertyEnum) << i;
    }
    EXPECT_EQ(readOnly, 75);
    EXPECT_EQ(texts, 26);
    EXPECT_TRUE(f.mSet.ActiveGet());
    EXPECT_FALSE(f.mSet.LockGet());
    EXPECT_EQ(f.mSet.WeightGet(), 100.0);
    EXPECT_EQ(f.mSet.DampingGet(), KQelFilterSet::GetParameterDefaultValue(75));
    EXPECT_TRUE(f.mSet.Is(KQelPropertyHandler::ClassId));
    EXPECT_FALSE(f.mSet.Is(KPropertyObjectList::ClassId));
    EXPECT_STREQ(f.mSet.GetClassIdName(), "KQelCharacterProperties");

    f.mFilters.SetParameterValue(7, 0.25);
    f.mSet.FilterSetToProperties();
    EXPECT_EQ(f.Property("MassCenterCompensation").AsDouble(), 0.25);
    EXPECT_EQ(f.Property("Posture").GetPropertyType(), kPropertyEnum);
    EXPECT_EQ(f.Property("Posture").AsString(), KString(KCharacter_GetPostureString(kCharacterPostureBiped)));
    f.mSet.PostureSet(kCharacterPosture(9));
    EXPECT_EQ(f.Property("Posture").GetValueAsString(9), nullptr);
    EXPECT_TRUE(f.Property("SyncMode").GetPropertyFlag(kPropertyFlagMarked));
    EXPECT_FALSE(f.Property("WriteReference").GetPropertyFlag(kPropertyFlagMarked));

    // Two object lists are views of the set's own connections.
    const char* const subPlugs[] = {"SourceObject", "DestinationObject"};
    const char* const plain[] = {"Actor", "Character", "ControlSet", "HipsLink"};
    for (const char* name : subPlugs)
        EXPECT_TRUE(f.Property(name).IsSubPlug()) << name;
    for (const char* name : plain)
        EXPECT_FALSE(f.Property(name).IsSubPlug()) << name;
}

TEST(CharacterProperties, OnlyWritesThroughThePropertyAreAnnounced)
{
    Fixture f;
    DataEvents events;
    f.mSet.SetListener(&events);
    f.mSet.ScaleCompensationSet(2.5);
    EXPECT_TRUE(events.mActions.empty());
    EXPECT_EQ(f.Property("ScaleCompensation").AsDouble(), 2.5);
    f.Property("ScaleCompensation").SetDouble(4.0);
    EXPECT_EQ(events.mActions, (std::vector<int>{kPlugDataChangeBegin, kPlugDataChangeEnd}));
    EXPECT_EQ(f.mSet.ScaleCompensationGet(), 4.0);
    f.mSet.SetListener(nullptr);
}

TEST(CharacterProperties, ControlSetPropertyFillsTheControlSetFromAPlugOnce)
{
    Fixture f;
    KQelControlSetPlug plug(f.mManager, "ControlSetPlug::Rig");
    KQelControlSetPlugProperties* plugSet = plug.GetPropertyHandler();
    plugSet->ControlSetTypeSet(KQelControlSet::EType(7));
    plugSet->UseAxisSet(true);
    f.mCharacter.GetControlSet()->SetLockTransform(true);

    EXPECT_TRUE(f.mSet.ControlSetSet(0, plugSet));
    KQelControlSet& controls = *f.mCharacter.GetControlSet();
    EXPECT_EQ(controls.GetType(), 7);
    EXPECT_TRUE(controls.GetUseAxis());
    EXPECT_FALSE(controls.GetLockTransform());

    // Later changes of the plug and the disconnection are not followed.
    plugSet->ControlSetTypeSet(KQelControlSet::EType(8));
    f.mSet.ControlSet.Clear();
    EXPECT_EQ(controls.GetType(), 7);

    // Anything else on "ControlSet" changes nothing; an "Actor" connection
    // is the base's business.
    KObject stranger;
    EXPECT_TRUE(f.mSet.ControlSetSet(0, &stranger));
    EXPECT_EQ(controls.GetType(), 7);
    EXPECT_TRUE(f.mSet.ActorSet(0, &stranger));
    EXPECT_EQ(f.mSet.ActorGet(0), &stranger);
    f.mSet.ControlSet.Clear();
    f.mSet.Actor.Clear();
}

}  // namespace
}  // namespace qelsdk_600
