#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "scene/kqelopticalreference.h"
#include "scene/kqelsdkmanager.h"
#include "scene/kqelskeleton.h"

namespace qelsdk_600 {
namespace {

std::vector<std::string> Texts(const KStringList& pList)
{
    std::vector<std::string> texts;
    for (int i = 0; i < pList.GetCount(); ++i)
        texts.push_back(pList.GetStringAt(i));
    return texts;
}

bool ColorSavable(const KQelSkeleton& pSkeleton)
{
    return !pSkeleton.GetPropertyHandler()->Color.GetPropertyFlag(kPropertyFlagNotSavable);
}

TEST(KQelSkeleton, StartsAsARootWithDefaultsNothingMarkedSet)
{
    KQelSdkManager manager;
    KQelSkeleton* skeleton = manager.CreateKQelSkeleton();
    EXPECT_EQ(skeleton->GetSkeletonType(), KQelSkeleton::eRoot);
    EXPECT_EQ(skeleton->GetLimbLength(), 1.0);
    EXPECT_EQ(skeleton->GetLimbNodeSize(), 100.0);
    EXPECT_TRUE(skeleton->GetLimbNodeColor() == KQelColor(0.8, 0.8, 0.8, 1.0));
    EXPECT_FALSE(skeleton->GetSkeletonTypeIsSet() || skeleton->GetLimbLengthIsSet() ||
                 skeleton->GetLimbNodeSizeIsSet() || skeleton->GetLimbNodeColorIsSet());
    EXPECT_FALSE(ColorSavable(*skeleton));
    KArrayTemplate<KProperty*> properties;
    skeleton->FillPropertyList(&properties);
    ASSERT_EQ(properties.GetCount(), 3);
    EXPECT_STREQ(properties[1]->GetPropertyName(), "LimbLength");
    EXPECT_TRUE(properties[1]->GetPropertyFlag(kPropertyFlagMarked));
}

// What each type accepts, how it is named and whether its colour is saved.
TEST(KQelSkeleton, TypeDecidesLengthColourNamesAndColourSaving)
{
    struct Case {
        int type;
        bool length;
        bool color;
        const char* name;
        std::vector<std::string> flags;
    } cases[] = {
        {0, false, false, "Root", {"Null", "Skeleton", "Root"}},
        {1, true, true, "Limb", {"Skeleton"}},
        {2, false, true, "LimbNode", {"Skeleton"}},
        {3, false, false, "Root", {"Null", "Skeleton", "Root"}},
        {7, false, false, "", {}},
    };
    KQelSdkManager manager;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        KQelSkeleton* skeleton = manager.CreateKQelSkeleton();
        skeleton->SetSkeletonType(static_cast<KQelSkeleton::ESkeletonType>(c.type));
        EXPECT_EQ(skeleton->GetSkeletonType(), c.type);
        EXPECT_TRUE(skeleton->GetSkeletonTypeIsSet());
        EXPECT_EQ(skeleton->SetLimbLength(5.0), c.length);
        EXPECT_EQ(skeleton->GetLimbLength(), c.length ? 5.0 : 1.0);
        EXPECT_EQ(skeleton->GetLimbLengthIsSet(), c.length);
        EXPECT_EQ(skeleton->SetLimbNodeColor(KQelColor(0.1, 0.2, 0.3, 0.4)), c.color);
        EXPECT_TRUE(skeleton->GetLimbNodeColor() ==
                    (c.color ? KQelColor(0.1, 0.2, 0.3, 1.0) : KQelColor(0.8, 0.8, 0.8, 1.0)));
        EXPECT_EQ(skeleton->GetLimbNodeColorIsSet(), c.color);
        EXPECT_EQ(ColorSavable(*skeleton), c.color);
        EXPECT_TRUE(skeleton->SetLimbNodeSize(7.5));
        EXPECT_EQ(skeleton->GetLimbNodeSize(), 7.5);
        EXPECT_STREQ(skeleton->GetTypeName().Buffer(), c.name);
        EXPECT_EQ(Texts(skeleton->GetTypeFlags()), c.flags);
    }
}

TEST(KQelSkeleton, ColourSavingFollowsEveryTypeChange)
{
    KQelSdkManager manager;
    KQelSkeleton* skeleton = manager.CreateKQelSkeleton();
    skeleton->SetSkeletonType(KQelSkeleton::eLimb);
    ASSERT_TRUE(skeleton->SetLimbNodeColor(KQelColor(0.1, 0.2, 0.3, 0.4)));
    EXPECT_TRUE(ColorSavable(*skeleton));
    skeleton->SetSkeletonType(KQelSkeleton::eEffector);
    EXPECT_FALSE(ColorSavable(*skeleton));
    EXPECT_TRUE(skeleton->GetLimbNodeColor() == KQelColor(0.1, 0.2, 0.3, 1.0));  // kept, only not saved
    skeleton->Reset();
    EXPECT_FALSE(skeleton->GetSkeletonTypeIsSet() || skeleton->GetLimbNodeColorIsSet());
    EXPECT_TRUE(skeleton->GetLimbNodeColor() == KQelSkeleton::GetLimbNodeColorDefaultValue());
}

// Assignment copies the values its type has, then the other's "set" marks,
// so a copied value the other never set stays unmarked.
TEST(KQelSkeleton, AssignmentCopiesValuesAndTheOthersSetMarks)
{
    KQelSdkManager manager;
    KQelSkeleton* limbNode = manager.CreateKQelSkeleton();
    limbNode->SetSkeletonType(KQelSkeleton::eLimbNode);
    limbNode->GetPropertyHandler()->ColorSet(KgeRGBVector(0.5, 0.25, 0.125));  // a value never marked set
    KQelSkeleton* limb = manager.CreateKQelSkeleton();
    limb->SetSkeletonType(KQelSkeleton::eLimb);
    limb->SetLimbLength(4.0);
    limb->SetLimbNodeSize(3.0);

    KQelSkeleton* target = manager.CreateKQelSkeleton();
    *target = *limbNode;
    EXPECT_EQ(target->GetSkeletonType(), KQelSkeleton::eLimbNode);
    EXPECT_TRUE(target->GetLimbNodeColor() == KQelColor(0.5, 0.25, 0.125, 1.0));
    EXPECT_FALSE(target->GetLimbNodeColorIsSet());
    EXPECT_FALSE(target->GetLimbNodeSizeIsSet());
    EXPECT_TRUE(target->GetSkeletonTypeIsSet());
    EXPECT_TRUE(ColorSavable(*target));

    *target = *limb;
    EXPECT_EQ(target->GetLimbLength(), 4.0);
    EXPECT_EQ(target->GetLimbNodeSize(), 3.0);
    EXPECT_TRUE(target->GetLimbLengthIsSet() && target->GetLimbNodeSizeIsSet());
    EXPECT_TRUE(target->GetLimbNodeColor() == KQelSkeleton::GetLimbNodeColorDefaultValue());  // reset first

    KQelSkeleton* root = manager.CreateKQelSkeleton();
    *target = *root;
    EXPECT_EQ(target->GetLimbLength(), 1.0);
    EXPECT_FALSE(target->GetSkeletonTypeIsSet() || target->GetLimbLengthIsSet());
}

TEST(KQelOpticalReference, IsNamedOpticalAndFlaggedAsAMarker)
{
    KQelSdkManager manager;
    KQelOpticalReference* reference = manager.CreateKQelOpticalReference();
    EXPECT_STREQ(reference->GetTypeName().Buffer(), "Optical");
    EXPECT_EQ(Texts(reference->GetTypeFlags()), std::vector<std::string>{"Marker"});
}

}  // namespace
}  // namespace qelsdk_600
