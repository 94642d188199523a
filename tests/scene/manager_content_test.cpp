// The manager's materials, textures, videos and image converters.
#include <functional>

#include <gtest/gtest.h>

#include "base/kname.h"
#include "content/kqelimageconverter.h"
#include "content/kqelmaterial.h"
#include "content/kqeltexture.h"
#include "content/kqelvideo.h"
#include "scene/kqelnode.h"
#include "scene/kqelnodeproperties.h"
#include "scene/kqelsdkmanager.h"

namespace qelsdk_600 {
namespace {

// Objects travel as void* of their own class, so that a destroyed one is
// never converted.
struct NamedKind {
    const char* prefix;
    KQelSdkManager::ERenamingKind strategy;
    std::function<void*(KQelSdkManager&, const char*)> create;
    std::function<bool(KQelSdkManager&, void*)> destroy;
    std::function<void*(KQelSdkManager&, const char*, int)> find;
    std::function<int(KQelSdkManager&)> count;
    std::function<KQelTakeNodeContainer*(void*)> object;
};

#define QEL_NAMED_KIND(Kind, Prefix, Strategy)                                                              \
    {                                                                                                       \
        Prefix, KQelSdkManager::Strategy,                                                                   \
            [](KQelSdkManager& m, const char* n) -> void* { return m.CreateKQel##Kind(n); },                \
            [](KQelSdkManager& m, void* p) { return m.DestroyKQel##Kind(static_cast<KQel##Kind*>(p)); },    \
            [](KQelSdkManager& m, const char* n, int i) -> void* { return m.FindKQel##Kind(n, i); },        \
            [](KQelSdkManager& m) { return m.GetKQel##Kind##Count(); },                                     \
            [](void* p) -> KQelTakeNodeContainer* { return static_cast<KQel##Kind*>(p); }                   \
    }

const NamedKind kNamedKinds[] = {
    QEL_NAMED_KIND(Material, "Material::", eMaterialNames),
    QEL_NAMED_KIND(Texture, "Texture::", eTextureNames),
    QEL_NAMED_KIND(Video, "Video::", eVideoNames),
};

#undef QEL_NAMED_KIND

// Appends "!" to every name it sees.
class MarkingStrategy : public KRenamingStrategy {
public:
    void Clear() override {}
    bool Rename(KName& pName) override
    {
        pName.SetCurrentName((KString(pName.GetCurrentName()) + "!").Buffer());
        return true;
    }
    KRenamingStrategy* Clone() override { return new MarkingStrategy; }
};

TEST(KQelSdkManagerContent, NamedKindsArePrefixedRenamedFoundAndDestroyedOnce)
{
    for (const NamedKind& kind : kNamedKinds) {
        SCOPED_TRACE(kind.prefix);
        KQelSdkManager manager;
        void* first = kind.create(manager, "Model::Wood");
        void* second = kind.create(manager, "Wood");
        EXPECT_EQ(KString(kind.object(first)->GetName()), KString(kind.prefix) + "Wood");
        EXPECT_EQ(kind.find(manager, "Wood", 1), second);
        EXPECT_EQ(kind.find(manager, "Other::Wood", 0), first);
        manager.GetError().ClearLastError();
        EXPECT_EQ(kind.find(manager, "wood", 0), nullptr);
        EXPECT_EQ(kind.find(manager, "Wood", 2), nullptr);
        EXPECT_EQ(kind.find(manager, "Wood", -1), nullptr);
        EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");

        manager.SetRenamingStrategy(kind.strategy, new MarkingStrategy);
        EXPECT_EQ(KString(kind.object(kind.create(manager, "Wood"))->GetName()), KString(kind.prefix) + "Wood!");

        EXPECT_TRUE(kind.destroy(manager, first));
        EXPECT_FALSE(kind.destroy(manager, first));
        EXPECT_EQ(kind.count(manager), 2);
        manager.Clear();
        EXPECT_EQ(kind.count(manager), 0);
    }
}

// Destroying a material tells the node it was connected to.
TEST(KQelSdkManagerContent, DestroyedObjectsLeaveTheirConnections)
{
    KQelSdkManager manager;
    KQelNode* node = manager.CreateKQelNode("Face");
    for (const NamedKind& kind : kNamedKinds) {
        void* object = kind.create(manager, "Wood");
        ASSERT_TRUE(node->GetPropertyHandler()->ConnectSrc(kind.object(object)->GetPropertyHandler()));
        EXPECT_TRUE(kind.destroy(manager, object));
        EXPECT_EQ(node->GetPropertyHandler()->GetSrcCount(), 0) << kind.prefix;
    }
}

TEST(KQelSdkManagerContent, ImageConvertersOutliveClearAndEndWithTheManager)
{
    KQelSdkManager manager;
    KQelImageConverter* kept = manager.CreateKQelImageConverter();
    KQelImageConverter* dropped = manager.CreateKQelImageConverter();
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(manager.DestroyKQelImageConverter(dropped));
    EXPECT_FALSE(manager.DestroyKQelImageConverter(dropped));
    EXPECT_STREQ(manager.GetLastErrorString(), "Object not found");
    manager.Clear();
    // Still listed: destroying it now works once.
    KQelImageConverter* later = manager.CreateKQelImageConverter();
    EXPECT_TRUE(manager.DestroyKQelImageConverter(kept));
    (void)later;  // ended by the manager's destructor (leak-checked)
}

}  // namespace
}  // namespace qelsdk_600
