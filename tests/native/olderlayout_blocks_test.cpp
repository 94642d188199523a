// The fields the older-layout writer emits for nodes, limits and takes, and
// how the reader takes hand-made blocks.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "character/kqelcharacter.h"
#include "character/kqelfilterset.h"
#include "olderlayout_test_util.h"
#include "scene/kqelentity.h"
#include "scene/kqelgenericnode.h"
#include "scene/kqellimits.h"
#include "scene/kqeltakeinfo.h"
#include "scene/kqeluserproperty.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

// The text of the "Model" block of pNode in a text file (up to the next
// line that begins a "Model" block, or the end).
std::string ModelText(const std::string& pFile, const char* pNode)
{
    const std::string head = std::string("\nModel: \"") + pNode + "\"";
    const std::size_t start = pFile.find(head);
    if (start == std::string::npos)
        return "";
    const std::size_t stop = pFile.find("\nModel: \"", start + head.size());
    return pFile.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
}

// The field names of the first "Limits" block in pText, in order.
std::vector<std::string> LimitFields(const std::string& pText)
{
    std::vector<std::string> names;
    const std::size_t open = pText.find("Limits:");
    std::istringstream block(pText.substr(open, pText.find('}', open) - open));
    std::string line;
    std::getline(block, line);  // "Limits:  {"
    while (std::getline(block, line)) {
        const std::size_t first = line.find_first_not_of('\t');
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            names.push_back(line.substr(first, colon - first));
    }
    return names;
}

TEST(OlderBlocks, TargetRotationsWrittenOnlyWhenTheyTurn)
{
    const struct {
        KQelVector4 mRotation;
        bool mWritten;
    } cases[] = {{KQelVector4(0, 0, 0, 0), false},     {KQelVector4(180, 180, 180, 0), false},
                 {KQelVector4(-180, 180, 180, 0), false}, {KQelVector4(360, 0, 0, 0), true},
                 {KQelVector4(0, 0, 1e-7, 0), false},     {KQelVector4(0, 0, 1e-5, 0), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mRotation[0]);
        ScratchDir dir;
        const std::string path = dir.File("target.qel");
        SceneFixture f;
        KQelNode* a = f.manager.CreateKQelNode("A");
        KQelNode* b = f.manager.CreateKQelNode("B");
        f.scene->GetRootNode()->AddChild(a);
        f.scene->GetRootNode()->AddChild(b);
        a->SetTarget(b);
        a->SetPostTargetRotation(c.mRotation);
        a->SetTargetUpVector(c.mRotation);
        ASSERT_TRUE(WriteOlder(f.manager, *f.scene, path, false));
        const std::string text = ModelText(ReadFile(path), "Model::A");
        EXPECT_EQ(c.mWritten, text.find("PostTargetRotation") != std::string::npos);
        EXPECT_EQ(c.mWritten, text.find("UpTargetRotation") != std::string::npos);
        EXPECT_NE(std::string::npos, text.find("LookAtModel"));
    }
}

TEST(OlderBlocks, LimitsWriteOnlyWhatDiffersFromTheReadersDefaults)
{
    ScratchDir dir;
    const std::string path = dir.File("limits.qel");
    SceneFixture f;
    KQelNode* automatic = f.manager.CreateKQelNode("Automatic");
    KQelNode* scaled = f.manager.CreateKQelNode("Scaled");
    KQelNode* rotated = f.manager.CreateKQelNode("Rotated");
    for (KQelNode* node : {automatic, scaled, rotated})
        f.scene->GetRootNode()->AddChild(node);
    KQelLimitsUtilities s(&scaled->GetLimits());
    s.SetAuto(KQelLimitsUtilities::eScaling, false);
    s.SetMin(KQelLimitsUtilities::eScaling, KQelVector4(1, 1, 1, 0));
    s.SetMax(KQelLimitsUtilities::eScaling, KQelVector4(1, 2, 1, 0));
    KQelLimitsUtilities r(&rotated->GetLimits());
    r.SetAuto(KQelLimitsUtilities::eRotation, false);
    ASSERT_TRUE(WriteOlder(f.manager, *f.scene, path, false));
    const std::string file = ReadFile(path);
    EXPECT_EQ((std::vector<std::string>{"TAuto", "RAuto", "SAuto"}), LimitFields(ModelText(file, "Model::Automatic")));
    EXPECT_EQ((std::vector<std::string>{"TAuto", "RAuto", "SAuto", "SEnable", "SYMax"}),
              LimitFields(ModelText(file, "Model::Scaled")));
    // Rotation type 1, clamp 0, axis 0 and length 1 are the defaults.
    EXPECT_EQ((std::vector<std::string>{"TAuto", "RAuto", "SAuto", "REnable"}),
              LimitFields(ModelText(file, "Model::Rotated")));
}

TEST(OlderBlocks, ACombinedOffsetParameterFillsItsThreeAxes)
{
    ScratchDir dir;
    const std::string path = dir.File("offset.qel");
    BuildFile(path, 5800, true, [](KQel& pFile) {
        WriteBlock character(pFile, "CHARACTER");
        WriteBlock filters(pFile, "FILTERSET");
        WriteBlock param(pFile, "PARAM");
        WriteFieldC(pFile, "NAME", "HipsTOffset");
        WriteFieldD(pFile, "VALUE0", 1.0);
        WriteFieldD(pFile, "VALUE1", 2.0);
    });
    SceneFixture f;
    ASSERT_TRUE(ReadInto(f.manager, *f.scene, path).mOk);
    ASSERT_EQ(1, f.scene->GetCharacterCount());
    EXPECT_STREQ("Constraint::Character", f.scene->GetCharacter(0)->GetName());
    KQelFilterSet& filters = *f.scene->GetCharacter(0)->GetFilterSet();
    const double expected[] = {1.0, 2.0, 1.0};
    for (int axis = 0; axis < 3; ++axis) {
        const std::string name = std::string("HipsTOffset") + "XYZ"[axis];
        EXPECT_DOUBLE_EQ(expected[axis], filters.GetParameterValue(KQelFilterSet::GetParameterIndex(name.c_str())))
            << name;
    }
}

TEST(OlderBlocks, OffsetModeZeroStartsTheTakeAtTheOffset)
{
    ScratchDir dir;
    const std::string path = dir.File("shift.qel");
    SceneFixture source;
    KQelNode* a = source.manager.CreateKQelNode("A");
    source.scene->GetRootNode()->AddChild(a);
    source.scene->CreateTake("Walk");
    AddKey(TakeOf(*a, "Walk")->GetTranslationX(), 2.0, 1.0f);
    AddKey(TakeOf(*a, "Walk")->GetTranslationX(), 3.0, 5.0f);
    ASSERT_TRUE(WriteOlder(source.manager, *source.scene, path, true));
    const KQelTakeInfo written = *source.scene->GetTakeInfo(KString("Walk"));

    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        SceneFixture target;
        auto offsetMode = [mode](KStreamOptionsQel& pOptions) { pOptions.mTakeInfo[0]->mImportOffsetType = mode; };
        ASSERT_TRUE(ReadInto(target.manager, *target.scene, path, nullptr, offsetMode).mOk);
        const double shift = mode == 0 ? -2.0 : 0.0;
        KFCurve* x = TakeOf(*target.scene->GetRootNode()->FindChild("A"), "Walk")->GetTranslationX();
        ASSERT_EQ(2, x->KeyGetCount());
        EXPECT_EQ(Sec(2.0 + shift).Get(), x->KeyGetTime(0).Get());
        EXPECT_EQ(Sec(3.0 + shift).Get(), x->KeyGetTime(1).Get());
        const KQelTakeInfo* read = target.scene->GetTakeInfo(KString("Walk"));
        ASSERT_NE(nullptr, read);
        EXPECT_EQ(written.mLocalTimeSpan.GetStart().Get() + Sec(shift).Get(), read->mLocalTimeSpan.GetStart().Get());
        EXPECT_EQ(written.mLocalTimeSpan.GetStop().Get() + Sec(shift).Get(), read->mLocalTimeSpan.GetStop().Get());
    }
}

// A store object of the material list with an animatable "Shininess", as a
// material's take channels look.
KQelGenericNode* ShinyMaterial(KQelSdkManager& pManager, KQelScene& pScene)
{
    KQelGenericNode* material = pManager.CreateKQelGenericNode("Material::Shiny");
    KQelUserProperty* shininess = pManager.CreateKQelUserProperty("Shininess", "Real", "");
    shininess->ModifyFlag(KQelUserProperty::eAnimatable, true);
    material->AddProperty(shininess);
    pScene.GetEntity()->AddReference(KQelEntity::eMaterials, material);
    return material;
}

TEST(OlderBlocks, TakesKeepMaterialShininessOnTheHundredScale)
{
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary);
        ScratchDir dir;
        const std::string path = dir.File("shiny.qel");
        SceneFixture source;
        KQelGenericNode* material = ShinyMaterial(source.manager, *source.scene);
        source.scene->CreateTake("Glow");
        KFCurve* curve = TakeOf(*material, "Glow")->GetMaterialShininess();
        AddKey(curve, 1.0, 64.0f);
        ASSERT_TRUE(WriteOlder(source.manager, *source.scene, path, binary));
        EXPECT_FLOAT_EQ(64.0f, curve->KeyGetValue(0));
        if (!binary) {
            const std::string text = ReadFile(path);
            EXPECT_NE(std::string::npos, text.find("Material: \"Material::Shiny\""));
            EXPECT_NE(std::string::npos, text.find(",50,")) << text.substr(text.find("Materials animation"));
        }

        SceneFixture target;
        KQelGenericNode* read = ShinyMaterial(target.manager, *target.scene);
        ASSERT_TRUE(ReadInto(target.manager, *target.scene, path).mOk);
        KQelTakeNode* glow = TakeOf(*read, "Glow");
        ASSERT_NE(nullptr, glow);
        ASSERT_EQ(1, glow->GetMaterialShininess()->KeyGetCount());
        EXPECT_FLOAT_EQ(64.0f, glow->GetMaterialShininess()->KeyGetValue(0));
    }
}

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
