// The field file object: its name registry, layout flag and events.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/karraytemplate.h"
#include "file/iqelobject.h"
#include "object/ikobject.h"
#include "common/scratch_dir.h"

namespace qelsdk_600 {
namespace {

class Thing : public IKObject {
public:
    IKObject* IQuery(unsigned long, int) override { return this; }
    void Destroy(int) override {}
};

std::unique_ptr<IQelObject> NewObject()
{
    return std::unique_ptr<IQelObject>(KQelObjectCreate());
}

TEST(QelObjectRegistry, RegistersFetchesAndForgetsByExactName)
{
    auto file = NewObject();
    Thing a, b;
    EXPECT_TRUE(file->ObjectRegister("Model::Scene", &a));
    EXPECT_FALSE(file->ObjectRegister("Model::Scene", &b));  // the first stays
    EXPECT_TRUE(file->ObjectRegister("Model::scene", &b));   // case matters
    EXPECT_FALSE(file->ObjectRegister(nullptr, &a));
    EXPECT_FALSE(file->ObjectRegister("Null", nullptr));
    EXPECT_EQ(file->ObjectFetch("Model::Scene"), &a);
    EXPECT_EQ(file->ObjectFetch("Model::scene"), &b);
    EXPECT_EQ(file->ObjectFetch("Model::Other"), nullptr);
    EXPECT_EQ(file->ObjectFetch(nullptr), nullptr);

    EXPECT_TRUE(file->ObjectNameUnregister("Model::Scene"));
    EXPECT_FALSE(file->ObjectNameUnregister("Model::Scene"));
    EXPECT_EQ(file->ObjectFetch("Model::Scene"), nullptr);
    EXPECT_TRUE(file->ObjectRegister("Model::Scene", &b));
    EXPECT_EQ(file->ObjectFetch("Model::Scene"), &b);
}

TEST(QelObjectRegistry, NestedReadWorksInAFreshRegistryAndGetsTheOldOneBack)
{
    auto file = NewObject();
    Thing outer, inner, deeper;
    ASSERT_TRUE(file->ObjectRegister("Model::Scene", &outer));
    EXPECT_FALSE(file->ObjectRegistryPop());  // nothing set aside

    file->ObjectRegistryPush();
    EXPECT_EQ(file->ObjectGetCount(), 0);
    EXPECT_EQ(file->ObjectFetch("Model::Scene"), nullptr);
    ASSERT_TRUE(file->ObjectRegister("Model::Scene", &inner));
    file->ObjectRegistryPush();
    ASSERT_TRUE(file->ObjectRegister("Model::Scene", &deeper));
    EXPECT_TRUE(file->ObjectRegistryPop());
    EXPECT_EQ(file->ObjectFetch("Model::Scene"), &inner);
    EXPECT_TRUE(file->ObjectRegistryPop());

    EXPECT_EQ(file->ObjectFetch("Model::Scene"), &outer);
    EXPECT_EQ(file->ObjectGetCount(), 1);
    EXPECT_FALSE(file->ObjectRegistryPop());
}

TEST(QelObjectWithoutFile, ObjectLevelOperationsFailCleanly)
{
    auto file = NewObject();
    KArrayTemplate<KProperty*> list;
    list.Add(nullptr);
    file->FieldWritePropertiesList(list);
    EXPECT_FALSE(file->FieldReadPropertiesList(list, nullptr));
    KString name("a.png"), relative("r");
    bool keep = true;
    EXPECT_FALSE(file->FieldReadEmbeddedFile(name, relative, "", &keep));
    EXPECT_STREQ(name.Buffer(), "a.png");
    EXPECT_NE(file->GetLastErrorID(), -1);
}

// Supplies a password when told one is needed.
class PasswordListener : public IQelObjectListener {
public:
    explicit PasswordListener(const char* password) : mPassword(password) {}
    void QelObjectEvent(IQelObject* object, int event) override
    {
        ++mCalls;
        mLastEvent = event;
        if (event == kQelObjectEventPasswordNeeded)
            object->CheckPassword(mPassword);
    }
    const char* mPassword;
    int mCalls = 0;
    int mLastEvent = -1;
};

TEST(QelObjectEvents, PasswordListenerUnlocksAProtectedFile)
{
    scratch::ScratchDir dir;
    std::string path = dir.File("locked.qel");
    {
        auto file = NewObject();
        ASSERT_TRUE(file->ProjectCreate(path.c_str(), true, false, nullptr));
        ASSERT_TRUE(file->WritePassword("secret"));
        file->FieldWriteBegin("Data");
        file->FieldWriteI(7);
        file->FieldWriteEnd();
        ASSERT_TRUE(file->ProjectClose());
    }
    auto file = NewObject();
    ASSERT_TRUE(file->ProjectOpen(path.c_str(), false, true, nullptr));
    ASSERT_TRUE(file->IsPasswordPending());
    EXPECT_FALSE(file->CheckPassword("wrong"));

    KQelObject_GenerateEvent(file.get(), kQelObjectEventPasswordNeeded);  // no listener: nothing
    EXPECT_TRUE(file->IsPasswordPending());

    PasswordListener listener("secret");
    ASSERT_TRUE(KQelObject_AddListener(&listener));
    ASSERT_TRUE(KQelObject_AddListener(&listener));  // still one entry
    KQelObject_GenerateEvent(file.get(), kQelObjectEventPasswordNeeded);
    EXPECT_TRUE(KQelObject_RemoveListener(&listener));
    EXPECT_FALSE(KQelObject_RemoveListener(&listener));

    EXPECT_EQ(listener.mCalls, 1);
    EXPECT_EQ(listener.mLastEvent, 16);
    EXPECT_FALSE(file->IsPasswordPending());
}

// Removes another listener (and itself) while being told.
class RemovingListener : public IQelObjectListener {
public:
    void QelObjectEvent(IQelObject*, int) override
    {
        ++mCalls;
        KQelObject_RemoveListener(mOther);
        KQelObject_RemoveListener(this);
    }
    IQelObjectListener* mOther = nullptr;
    int mCalls = 0;
};

TEST(QelObjectEvents, ListenerRemovedDuringNotificationIsNotCalled)
{
    auto file = NewObject();
    RemovingListener first;
    PasswordListener second("x");
    first.mOther = &second;
    KQelObject_AddListener(&first);
    KQelObject_AddListener(&second);
    KQelObject_GenerateEvent(file.get(), 3);
    EXPECT_EQ(first.mCalls, 1);
    EXPECT_EQ(second.mCalls, 0);
    KQelObject_GenerateEvent(nullptr, 3);
    EXPECT_FALSE(KQelObject_RemoveListener(&first));
}

}  // namespace
}  // namespace qelsdk_600
