// The character bridge against the stand-in's solver stub, with and without
// the solver loaded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vesk/MGlobal.h>

#include "character/kqelcharacter.h"
#include "character/kqelcharacterlink.h"
#include "host/host_fixture.h"
#include "plugin/qelcharacterbridge.h"
#include "plugin/qelvesknode.h"
#include "plugin/qelvesksdkmanager.h"
#include "scene/kqelscene.h"

using namespace qelsdk_600;

namespace {

class HostBridge : public HostTest {
protected:
    HostBridge() : mManager(QelVeskSdkManager::eImport) { mScene = mManager.CreateKQelScene(); }

    void SetUp() override
    {
        HostTest::SetUp();
        standin::setSolverEnabled(true);
    }
    QelVeskNode* Node(const char* pName, const char* pBoundTo = nullptr, KQelNode* pParent = nullptr)
    {
        QelVeskNode* node = static_cast<QelVeskNode*>(mManager.CreateKQelNode(pName));
        (pParent ? pParent : mScene->GetRootNode())->AddChild(node);
        if (pBoundTo) {
            const MDagPath p = path(pBoundTo);
            node->SetDagPath(&p);
        }
        return node;
    }
    KQelCharacter* Character(const char* pName)
    {
        return mScene->GetCharacter(mScene->CreateCharacter(pName));
    }
    static void Link(KQelCharacter* pCharacter, ECharacterNodeId pId, KQelNode* pNode, double pRotationX = 0)
    {
        KQelCharacterLink link;
        link.mNode = pNode;
        link.mOffsetR[0] = pRotationX;
        ASSERT_TRUE(pCharacter->SetCharacterLink(pId, link, false));
    }
    static bool Run(const std::string& pText) { return static_cast<bool>(MGlobal::executeCommand(pText.c_str())); }
    static std::vector<std::string> Commands(const char* pStart)
    {
        std::vector<std::string> texts;
        for (const standin::LoggedCommand& c : standin::commandLog())
            if (c.text.compare(0, std::string(pStart).size(), pStart) == 0)
                texts.push_back(c.text);
        return texts;
    }
    static KQelNode* LinkedNode(KQelCharacter* pCharacter, ECharacterNodeId pId)
    {
        KQelCharacterLink link;
        return pCharacter->GetCharacterLink(pId, &link) ? link.mNode : nullptr;
    }

    QelVeskSdkManager mManager;
    KQelScene* mScene;
};

}  // namespace

TEST_F(HostBridge, ImportCreatesOneSolverCharacterPerSceneCharacter)
{
    make("transform", "hip");
    make("transform", "ref");
    KQelCharacter* first = Character("first");
    KQelCharacter* second = Character("second");
    Link(first, eCharacterHips, Node("hip"), 90);
    Link(first, eCharacterReference, Node("ref"));
    Link(second, eCharacterHips, Node("hip"));
    Link(second, eCharacterLeftUpLeg, Node("missing"));  // no host node: skipped
    EXPECT_TRUE(QELCharacterPostLoad(mScene));

    EXPECT_EQ(Commands("DOVCreateCharacter"),
              (std::vector<std::string>{"DOVCreateCharacter \"first\"", "DOVCreateCharacter \"second\""}));
    EXPECT_EQ(Commands("DOVSetCharacterNodeLink "),
              (std::vector<std::string>{"DOVSetCharacterNodeLink -ci 0 -lti 1 -li 0 -nn \"hip\"",
                                        "DOVSetCharacterNodeLink -ci 0 -lti 0 -li 0 -nn \"ref\"",
                                        "DOVSetCharacterNodeLink -ci 1 -lti 1 -li 0 -nn \"hip\""}));
    const std::vector<std::string> offsets = Commands("DOVSetCharacterNodeLinkTRS");
    ASSERT_EQ(offsets.size(), 3u);
    EXPECT_EQ(offsets[0], "DOVSetCharacterNodeLinkTRS -ci 0 -lti 1 -li 0 -t 0 0 0 -r 1.5707963267948966 0 0 -s 1 1 1");
    EXPECT_EQ(Commands("DOVCharacterize"),
              (std::vector<std::string>{"DOVCharacterize  -ci 0 -keepTstance", "DOVCharacterize  -ci 1 -keepTstance"}));

    const std::vector<standin::SolverCharacter> solver = standin::solverCharacters();
    ASSERT_EQ(solver.size(), 2u);
    EXPECT_EQ(solver[1].name, "second");
    EXPECT_TRUE(solver[1].characterized);
    ASSERT_EQ(solver[0].slots.size(), 2u);
    EXPECT_EQ(solver[0].slots[0].node, "|ref");
    EXPECT_DOUBLE_EQ(solver[0].slots[1].rotate[0], 1.5707963267948966);
}

TEST_F(HostBridge, WithoutTheSolverOnlyExistsRuns)
{
    standin::setSolverEnabled(false);
    make("transform", "hip");
    Link(Character("c"), eCharacterHips, Node("hip"));
    EXPECT_FALSE(QELCharacterPostLoad(mScene));
    EXPECT_FALSE(QELCharacterPostSave(mScene));
    EXPECT_TRUE(QELCharacterPreLoad(mScene));
    EXPECT_TRUE(QELCharacterPreSave(mScene));
    const std::vector<standin::LoggedCommand> log = standin::commandLog();
    ASSERT_FALSE(log.empty());
    for (const standin::LoggedCommand& c : log)
        EXPECT_EQ(c.text.compare(0, 7, "exists "), 0) << c.text;
    EXPECT_EQ(mScene->GetCharacterCount(), 1);
}

TEST_F(HostBridge, ExportReadsEverySolverCharacter)
{
    make("transform", "hip");
    make("transform", "spine", "hip");
    ASSERT_TRUE(Run("DOVCreateCharacter \"rig\""));
    ASSERT_TRUE(Run("DOVCreateCharacter \"empty\""));
    ASSERT_TRUE(Run("DOVSetCharacterNodeLink -ci 0 -lti 1 -li 0 -nn hip"));
    ASSERT_TRUE(Run("DOVSetCharacterNodeLink -ci 0 -lti 0 -li 0 -nn spine"));
    KQelNode* hip = Node("hip");
    KQelNode* spine = Node("spine", nullptr, hip);
    EXPECT_TRUE(QELCharacterPostSave(mScene));
    ASSERT_EQ(mScene->GetCharacterCount(), 2);
    KQelCharacter* rig = mScene->GetCharacter(0);
    EXPECT_STREQ(rig->GetName(), "Constraint::rig");
    EXPECT_EQ(LinkedNode(rig, eCharacterHips), hip);
    EXPECT_EQ(LinkedNode(rig, eCharacterReference), spine);
    KQelCharacter* empty = mScene->GetCharacter(1);
    for (int id = 0; id < kCharacterNodeIdCount; ++id)
        EXPECT_EQ(LinkedNode(empty, static_cast<ECharacterNodeId>(id)), nullptr) << id;
    EXPECT_EQ(Commands("DOVGetCharacterName").front(), "DOVGetCharacterName  -ci 0");
}

// Two host nodes named hip: links follow the paths nodes are bound to, both
// ways, not the first node of the name.
TEST_F(HostBridge, DuplicateShortNamesFollowBoundPaths)
{
    make("transform", "L");
    make("transform", "R");
    make("transform", "hip", "L");
    make("transform", "hip", "R");
    KQelNode* left = Node("hip", "|L|hip", Node("L", "|L"));
    KQelNode* right = Node("hip", "|R|hip", Node("R", "|R"));
    Link(Character("c"), eCharacterHips, right);
    EXPECT_TRUE(QELCharacterPostLoad(mScene));
    std::vector<standin::SolverCharacter> solver = standin::solverCharacters();
    ASSERT_EQ(solver.size(), 1u);
    ASSERT_EQ(solver[0].slots.size(), 1u);
    EXPECT_EQ(solver[0].slots[0].node, "|R|hip");

    ASSERT_TRUE(Run("DOVSetCharacterNodeLink -ci 0 -lti 1 -li 1 -nn \"L|hip\""));
    QelVeskSdkManager exportManager(QelVeskSdkManager::eExport);
    KQelScene* exported = exportManager.CreateKQelScene();
    QelVeskNode* roots[2];
    KQelNode* hips[2];
    const char* const sides[] = {"L", "R"};
    for (int i = 0; i < 2; ++i) {
        const MDagPath side = path(sides[i]), hip = path((std::string("|") + sides[i] + "|hip").c_str());
        roots[i] = exportManager.CreateQelVeskNode(sides[i], &side);
        hips[i] = exportManager.CreateQelVeskNode("hip", &hip);
        exported->GetRootNode()->AddChild(roots[i]);
        roots[i]->AddChild(hips[i]);
    }
    EXPECT_TRUE(QELCharacterPostSave(exported));
    KQelCharacter* character = exported->GetCharacter(0);
    EXPECT_EQ(LinkedNode(character, eCharacterHips), hips[1]);
    EXPECT_EQ(LinkedNode(character, eCharacterLeftUpLeg), hips[0]);
    (void)left;
}

TEST_F(HostBridge, NewCharactersGoAfterTheSolversOwn)
{
    make("transform", "hip");
    make("transform", "old");
    ASSERT_TRUE(Run("DOVCreateCharacter \"existing\""));
    ASSERT_TRUE(Run("DOVSetCharacterNodeLink -ci 0 -lti 1 -li 0 -nn old"));
    Link(Character("my \"hero\"\\"), eCharacterHips, Node("hip"));
    EXPECT_TRUE(QELCharacterPostLoad(mScene));
    const std::vector<standin::SolverCharacter> solver = standin::solverCharacters();
    ASSERT_EQ(solver.size(), 2u);
    EXPECT_EQ(solver[0].slots[0].node, "|old");
    EXPECT_FALSE(solver[0].characterized);
    EXPECT_EQ(solver[1].name, "my \"hero\"\\");
    ASSERT_EQ(solver[1].slots.size(), 1u);
    EXPECT_EQ(solver[1].slots[0].node, "|hip");
    EXPECT_TRUE(solver[1].characterized);
}
