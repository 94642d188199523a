// Older-layout documents that no writer of this system makes: cycles,
// runaway nesting and counts, repeated takes, foreign take files, numbers
// outside their enumerations, garbage and truncation.
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/kset.h"
#include "character/kqelcharacter.h"
#include "character/kqelfilterset.h"
#include "curves/kfcurvenode.h"
#include "curves/kfcurvesettings.h"
#include "olderlayout_test_util.h"
#include "scene/kqelcharacterpose.h"
#include "scene/kqellimits.h"
#include "scene/kqelpose.h"

namespace qelsdk_600 {
namespace nativetest {
namespace {

// Every node below the root reached once, the tree acyclic by construction
// of the walk (a revisit would show as a repeated name).
std::multiset<std::string> TreeNames(KQelNode& pRoot)
{
    std::multiset<std::string> names;
    std::vector<KQelNode*> stack{&pRoot};
    while (!stack.empty() && names.size() < 1000) {
        KQelNode* node = stack.back();
        stack.pop_back();
        for (int i = 0; i < node->GetChildCount(); ++i) {
            names.insert(node->GetChild(i)->GetName());
            stack.push_back(node->GetChild(i));
        }
    }
    return names;
}

TEST(OlderHostile, ChildCyclesAreCutAndMarkTheFileCorrupted)
{
    typedef std::vector<std::pair<const char*, std::vector<const char*>>> Models;
    const struct {
        const char* mName;
        Models mModels;
        std::vector<std::string> mUnderRoot;
    } cases[] = {
        {"two nodes naming each other", {{"A", {"B"}}, {"B", {"A"}}}, {"Model::A"}},
        {"a loop of three", {{"A", {"B"}}, {"B", {"C"}}, {"C", {"A"}}}, {"Model::A"}},
        {"a node naming itself", {{"A", {"A", "B"}}, {"B", {}}}, {"Model::A"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        ScratchDir dir;
        const std::string path = dir.File("cycle.qel");
        BuildFile(path, 5800, true, [&](KQel& pFile) {
            for (const auto& model : c.mModels)
                WriteModel(pFile, model.first, model.second);
        });
        SceneFixture f;
        const ReadResult read = ReadInto(f.manager, *f.scene, path);
        EXPECT_FALSE(read.mOk);
        EXPECT_EQ(KQelReader::eFileCorrupted, read.mError);
        EXPECT_EQ(c.mUnderRoot, ChildNames(*f.scene->GetRootNode()));
        const std::multiset<std::string> names = TreeNames(*f.scene->GetRootNode());
        EXPECT_EQ(c.mModels.size(), names.size());
        EXPECT_EQ(names.size(), std::set<std::string>(names.begin(), names.end()).size());
    }
}

TEST(OlderHostile, TenThousandNestedCharacterPosesEndQuickly)
{
    ScratchDir dir;
    const std::string path = dir.File("nested.qel");
    const int depth = 10000;
    BuildFile(path, 5800, true, [&](KQel& pFile) {
        for (int i = 0; i < depth; ++i) {
            pFile.FieldWriteBegin("SceneGenericPersistence");
            pFile.FieldWriteBlockBegin();
            pFile.FieldWriteBegin("Pose");
            pFile.FieldWriteC("Pose::P");
            pFile.FieldWriteBlockBegin();
            WriteFieldC(pFile, "Type", "CharacterPose");
            pFile.FieldWriteBegin("PoseScene");
            pFile.FieldWriteBlockBegin();
        }
        for (int i = 0; i < depth * 3; ++i) {
            pFile.FieldWriteBlockEnd();
            pFile.FieldWriteEnd();
        }
    });
    SceneFixture f;
    const auto start = std::chrono::steady_clock::now();
    const ReadResult read = ReadInto(f.manager, *f.scene, path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(read.mOk);
    EXPECT_EQ(KQelReader::eFileCorrupted, read.mError);
    EXPECT_EQ(0, f.scene->GetCharacterPoseCount());
}

// A take "T" whose node "A" keys its translation through time warp 1, whose
// keys lie pSpan seconds apart.
Filler WarpedTake(double pSpan)
{
    return [pSpan](KQel& pFile) {
        WriteModel(pFile, "A", {});
        KFCurveNode* warp = KFCurveNodeCreate("Warp");
        warp->FCurveSet(KFCurveCreate());
        AddKey(warp->FCurveGet(), 0.0, 0.0f);
        AddKey(warp->FCurveGet(), pSpan, static_cast<float>(pSpan));
        KFCurveNode* transform = KFCurveNodeCreate("Transform");
        KFCurveNode* t = KFCurveNodeCreate("T");
        transform->Add(t);
        KFCurveNode* x = KFCurveNodeCreate("X");
        x->FCurveSet(KFCurveCreate());
        AddKey(x->FCurveGet(), 0.0, 1.0f);
        AddKey(x->FCurveGet(), 1.0, 2.0f);
        t->Add(x);
        t->TimeWarpSet(warp);
        KSet numbers;
        numbers.Add(1, reinterpret_cast<kReference>(warp));
        KFCurve_SetTWSet(&numbers);
        WriteTakes(pFile, {{"T", [&](KQel& pTake) {
                                {
                                    WriteBlock warps(pTake, "TimeWarps");
                                    WriteFieldI(pTake, "Version", 100);
                                    pTake.FieldWriteBegin("TW");
                                    pTake.FieldWriteI(1);
                                    pTake.FieldWriteBlockBegin();
                                    warp->QelStore(&pTake, false, true, true, "Channel", true, true);
                                    pTake.FieldWriteBlockEnd();
                                    pTake.FieldWriteEnd();
                                }
                                WriteBlock model(pTake, "Model", "Model::A");
                                transform->QelStore(&pTake, false, true, true, "Channel", true, true);
                            }}});
        KFCurve_SetTWSet(nullptr);
        transform->Destroy();
    };
}

TEST(OlderHostile, MergingRefusesATimeWarpOfAnEndlessSpan)
{
    for (double span : {2.0, 1e9}) {
        SCOPED_TRACE(span);
        ScratchDir dir;
        const std::string path = dir.File("warp.qel");
        BuildFile(path, 5800, true, WarpedTake(span));
        SceneFixture f;
        const ReadResult read = ReadInto(f.manager, *f.scene, path, nullptr, [](KStreamOptionsQel& pOptions) {
            pOptions.SetOption(KStreamOptionsQel::eMergeLayerAndTimeWarp, true);
        });
        KQelNode* a = f.scene->GetRootNode()->FindChild("A");
        ASSERT_NE(nullptr, a);
        KFCurve* x = TakeOf(*a, "T")->GetTranslationX();
        if (span < 10.0) {
            EXPECT_TRUE(read.mOk);
            // Resampled on the plot period over the warp's two seconds
            // (constant stretches reduced).
            EXPECT_GT(x->KeyGetCount(), 20);
        } else {
            EXPECT_FALSE(read.mOk);
            EXPECT_EQ(KQelReader::eFileCorrupted, read.mError);
            EXPECT_EQ(2, x->KeyGetCount());
        }
    }
}

// Files of 1999 and earlier keep a take in a file of its own: when it is
// missing, or not a regular file, the error names it.
TEST(OlderHostile, UnreadableTakeFileIsNamedInTheError)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir.File("Folder.tak"));
    for (const char* take : {"Missing.tak", "Folder.tak"}) {
        SCOPED_TRACE(take);
        const std::string path = dir.File("old.qel");
        BuildFile(path, 1999, false, [&](KQel& pFile) {
            WriteModel(pFile, "A", {});
            WriteTakes(pFile, {{"Walk", [&](KQel& pTake) { WriteFieldC(pTake, "FileName", take); }}});
        });
        SceneFixture f;
        const ReadResult read = ReadInto(f.manager, *f.scene, path);
        EXPECT_FALSE(read.mOk);
        EXPECT_NE(std::string::npos, read.mText.find(dir.File(take))) << read.mText;
        EXPECT_NE(std::string::npos, read.mText.find("missing or not a regular file")) << read.mText;
    }
}

TEST(OlderHostile, OddTakesAndPosesReadAsFarAsTheyHold)
{
    ScratchDir dir;
    const std::string path = dir.File("odd.qel");
    const std::string folder = dir.File("Walk.tak");
    std::filesystem::create_directory(folder);
    auto keyed = [](float pValue) {
        return [pValue](KQel& pFile) {
            WriteBlock model(pFile, "Model", "Model::A");
            KFCurveNode* visibility = KFCurveNodeCreate("Visibility");
            visibility->FCurveSet(KFCurveCreate());
            AddKey(visibility->FCurveGet(), 1.0, pValue);
            visibility->QelStore(&pFile, false, true, true, "Channel", true, true);
            visibility->Destroy();
        };
    };
    BuildFile(path, 5800, true, [&](KQel& pFile) {
        WriteModel(pFile, "A", {});
        WriteTakes(pFile, {{"Walk",
                            [&](KQel& pTake) {
                                WriteFieldC(pTake, "FileName", "Walk.tak");  // a directory
                                keyed(0.25f)(pTake);
                            }},
                           {"Walk", keyed(0.75f)}});
        WriteBlock generic(pFile, "SceneGenericPersistence");
        WriteBlock pose(pFile, "Pose", "Pose::Rest");
        WriteFieldC(pFile, "Type", "RestPose");
        WriteFieldI(pFile, "NbPoseNodes", 2147483647);
        for (const char* node : {"Model::A", "Model::B"}) {
            WriteBlock entry(pFile, "PoseNode");
            WriteFieldC(pFile, "Node", node);
        }
    });
    SceneFixture f;
    const ReadResult read = ReadInto(f.manager, *f.scene, path);
    EXPECT_TRUE(read.mOk) << read.mError;
    KQelNode* a = f.scene->GetRootNode()->FindChild("A");
    ASSERT_NE(nullptr, a);
    KFCurve* visibility = TakeOf(*a, "Walk")->GetVisibility();
    ASSERT_EQ(1, visibility->KeyGetCount());
    EXPECT_FLOAT_EQ(0.25f, visibility->KeyGetValue(0));
    ASSERT_EQ(1, f.scene->GetPoseCount());
    EXPECT_EQ(2, f.scene->GetPose(0)->GetCount());
}

TEST(OlderHostile, NumbersOutsideTheirEnumerationsCountAsAbsent)
{
    ScratchDir dir;
    const std::string path = dir.File("enums.qel");
    BuildFile(path, 5800, true, [](KQel& pFile) {
        WriteModel(pFile, "A", {}, [](KQel& pModel) {
            WriteFieldI(pModel, "MultiTake", 7);
            WriteBlock limits(pModel, "Limits");
            WriteFieldI(pModel, "RAuto", 0);
            WriteFieldI(pModel, "RType", 5);
            WriteFieldI(pModel, "RClampType", -3);
        });
        WriteBlock character(pFile, "CHARACTER");
        WriteFieldI(pFile, "INPUTOUTPUTTYPE", 3);
        WriteBlock filters(pFile, "FILTERSET");
        WriteBlock param(pFile, "PARAM");
        WriteFieldC(pFile, "NAME", "ScaleCompensation");  // off, auto or user
        WriteFieldI(pFile, "MODE", 9);
        WriteFieldD(pFile, "VALUE0", 4.0);
    });
    SceneFixture f;
    ASSERT_TRUE(ReadInto(f.manager, *f.scene, path).mOk);
    KQelNode* a = f.scene->GetRootNode()->FindChild("A");
    EXPECT_EQ(KQelNode::eMultiTakeOff, a->GetMultiTakeMode());
    KQelLimitsUtilities limits(&a->GetLimits());
    EXPECT_EQ(KQelLimitsUtilities::eEulerRotation, limits.GetRotationType());
    EXPECT_EQ(KQelLimitsUtilities::eRectangularClamp, limits.GetRotationClampType());
    ASSERT_EQ(1, f.scene->GetCharacterCount());
    KQelCharacter* character = f.scene->GetCharacter(0);
    EXPECT_EQ(eCharacterInputNone, character->GetInputType());
    // The missing mode's default, "Off", not the parameter's own "Auto".
    const int index = KQelFilterSet::GetParameterIndex("ScaleCompensation");
    EXPECT_EQ(0, character->GetFilterSet()->GetParameterMode(index));
    EXPECT_DOUBLE_EQ(4.0, character->GetFilterSet()->GetParameterValue(index));
}

// Fields of the wrong kind, wrong counts and blocks where values belong, in
// every block family this reader knows.
TEST(OlderHostile, GarbageFieldsAreReadOrRefusedWithoutHarm)
{
    const std::vector<std::pair<const char*, Filler>> documents = {
        {"node fields", [](KQel& pFile) {
             WriteBlock model(pFile, "Model", "Model::A");
             pFile.FieldWriteBegin("Children");
             pFile.FieldWriteI(7);
             pFile.FieldWriteD(2.5);
             pFile.FieldWriteC("Model::A");
             pFile.FieldWriteEnd();
             WriteFieldI(pFile, "Culling", 3);
             WriteFieldI(pFile, "Hidden", 1);
             WriteFieldD(pFile, "PostTargetRotation", 1.0);
             WriteFieldI(pFile, "LookAtModel", 5);
             WriteFieldC(pFile, "Limits", "not a block");
             WriteBlock pivots(pFile, "Pivots");
             WriteFieldC(pFile, "Package", "text");
             WriteBlock file(pFile, "File");
             WriteFieldC(pFile, "RotationPivot", "x");
         }},
        {"user properties", [](KQel& pFile) {
             WriteBlock model(pFile, "Model", "Model::A");
             for (const char* type : {"Color", "Vector", "Bogus", "", "Bool"}) {
                 WriteBlock property(pFile, "UserProperty");
                 WriteFieldC(pFile, "Type", type);
                 WriteFieldD(pFile, "Value", 1.0);
                 WriteFieldC(pFile, "Min", "low");
             }
             WriteFieldC(pFile, "UserProperty", "no block");
         }},
        {"takes", [](KQel& pFile) {
             WriteModel(pFile, "A", {});
             WriteTakes(pFile, {{"T", [](KQel& pTake) {
                                     WriteBlock warps(pTake, "TimeWarps");
                                     WriteFieldC(pTake, "TW", "no number");
                                     WriteBlock tw(pTake, "TW");
                                     WriteFieldI(pTake, "Channel", 3);
                                 }},
                                {"", [](KQel& pTake) { WriteFieldI(pTake, "Model", 1); }}});
         }},
        {"poses", [](KQel& pFile) {
             WriteBlock generic(pFile, "SceneGenericPersistence");
             {
                 WriteBlock pose(pFile, "Pose", "Pose::P");
                 WriteFieldC(pFile, "Type", "BindPose");
                 WriteFieldI(pFile, "NbPoseNodes", -5);
             }
             {
                 WriteBlock pose(pFile, "Pose", "Pose::Q");
                 WriteFieldC(pFile, "Type", "RestPose");
                 WriteFieldI(pFile, "NbPoseNodes", 3);
                 WriteFieldC(pFile, "PoseNode", "no block");
                 WriteBlock entry(pFile, "PoseNode");
                 WriteFieldD(pFile, "Matrix", 2.0);
             }
             WriteBlock character(pFile, "Pose", "Pose::C");
             WriteFieldC(pFile, "Type", "CharacterPose");
             WriteFieldI(pFile, "PoseScene", 1);
         }},
        {"characters", [](KQel& pFile) {
             WriteModel(pFile, "A", {});
             WriteBlock character(pFile, "CHARACTER");
             WriteFieldI(pFile, "CONSTRAINT", 4);
             WriteFieldC(pFile, "REFERENCE", "no block");
             {
                 WriteBlock base(pFile, "BASE");
                 for (const char* name : {"NoSuchRole", "Hips", "Hips"}) {
                     WriteBlock link(pFile, "LINK", name);
                     WriteFieldI(pFile, "MODEL", 9);
                     WriteFieldC(pFile, "TOFFSETX", "far");
                 }
             }
             {
                 WriteBlock spine(pFile, "SPINE");
                 for (int i = 0; i < 40; ++i)
                     WriteBlock link(pFile, "LINK");
             }
             {
                 WriteBlock filters(pFile, "FILTERSET");
                 WriteBlock param(pFile, "PARAM");
                 WriteFieldC(pFile, "NAME", "");
             }
             WriteBlock controls(pFile, "CONTROLSET");
             WriteFieldC(pFile, "TYPE", "text");
             WriteBlock effectors(pFile, "EFFECTOR");
             for (const char* name : {"Unknown", "HipsEffector"}) {
                 WriteBlock link(pFile, "LINK");
                 WriteFieldC(pFile, "NAME", name);
                 WriteFieldC(pFile, "MODEL", "Model::Nobody");
             }
         }},
    };
    for (const auto& document : documents) {
        for (bool binary : {true, false}) {
            SCOPED_TRACE(std::string(document.first) + (binary ? " binary" : " text"));
            ScratchDir dir;
            const std::string path = dir.File("garbage.qel");
            BuildFile(path, 5800, binary, document.second);
            SceneFixture f;
            const ReadResult read = ReadInto(f.manager, *f.scene, path);
            EXPECT_TRUE(read.mOk || read.mError == KQelReader::eFileCorrupted) << read.mError;
        }
    }
}

TEST(OlderHostile, ATextFileCutAnywhereReadsOrFails)
{
    ScratchDir dir;
    const std::string whole = dir.File("whole.qel");
    {
        SceneFixture f;
        KQelNode* a = f.manager.CreateKQelNode("A");
        KQelNode* b = f.manager.CreateKQelNode("B");
        f.scene->GetRootNode()->AddChild(a);
        a->AddChild(b);
        b->SetTarget(a);
        f.scene->CreateTake("Walk");
        AddKey(TakeOf(*b, "Walk")->GetTranslationY(), 1.0, 2.0f);
        KQelPose* pose = f.manager.CreateKQelPose("Rest", false);
        pose->Add("Model::B", KQelMatrix(), true);
        f.scene->AddPose(pose);
        ASSERT_TRUE(WriteOlder(f.manager, *f.scene, whole, false));
    }
    ExpectEveryCutReadsOrFails(whole, dir.File("cut.qel"));
}

}  // namespace
}  // namespace nativetest
}  // namespace qelsdk_600
