// An object's owned plugs against its property list: the two mostly hold the
// same plugs in the same order, and every way they part must leave the owned
// plugs, their order and their owners exactly as changes to ownership say.
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "object/kobject.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {
namespace {

typedef std::vector<std::string> Names;

// An object with properties A, B, C (kept by the test, so that they outlive
// it) and the dynamic D, each made owned and then listed; F and G are
// properties and P a plain plug that the steps may use.
struct Scene {
    KObject other;
    KObject* set = new KObject;
    KPropertyTemplate<int> a, b, c, f, g;
    KPlug p;
    KProperty* d = nullptr;
    KProperty* e = nullptr;  // made by a step

    Scene()
    {
        a.SetPropertyInfo("A", set, nullptr, nullptr);
        set->PropertyAddToList(&a);
        b.SetPropertyInfo("B", set, nullptr, nullptr);
        set->PropertyAddToList(&b);
        c.SetPropertyInfo("C", set, nullptr, nullptr);
        set->PropertyAddToList(&c);
        d = set->CreatePropertyFromType("D", kPropertyInt, nullptr, false, false, nullptr);
        f.SetPropertyName("F");
        g.SetPropertyName("G");
    }
    ~Scene() { delete set; }
    void Own(KProperty& pProperty, const char* pName, KObject* pOwner)
    {
        pProperty.SetPropertyInfo(pName, pOwner, nullptr, nullptr);
    }
    std::string Name(const KPlug* pPlug) const
    {
        if (pPlug == &p)
            return "P";
        const char* name = pPlug ? static_cast<const KProperty*>(pPlug)->GetPropertyName() : nullptr;
        return name ? name : "?";
    }
    Names Owned(const KPlug& pOwner) const
    {
        Names names;
        for (int i = 0; i < pOwner.GetOwnedPlugCount(); ++i)
            names.push_back(Name(pOwner.GetOwnedPlug(i)));
        return names;
    }
    Names Listed() const
    {
        Names names;
        for (int i = 0; i < set->GetPropertyCount(); ++i)
            names.push_back(Name(set->GetProperty(i)));
        return names;
    }
    std::vector<KPlug*> Kept() { return {&a, &b, &c, &f, &g, &p}; }
};

struct Case {
    const char* mName;
    std::function<void(Scene&)> mSteps;
    Names mOwned;
    Names mListed;
};

const Case kCases[] = {
    {"as registered", [](Scene&) {}, {"A", "B", "C", "D"}, {"A", "B", "C", "D"}},
    {"taken by another owner", [](Scene& s) { s.other.ConnectOwnedPlug(&s.b); }, {"A", "C", "D"},
     {"A", "B", "C", "D"}},
    {"released, still listed", [](Scene& s) { s.set->DisconnectOwnedPlug(&s.c); }, {"A", "B", "D"},
     {"A", "B", "C", "D"}},
    {"released and owned again",
     [](Scene& s) {
         s.set->DisconnectOwnedPlug(&s.b);
         s.set->ConnectOwnedPlug(&s.b);
     },
     {"A", "C", "D", "B"}, {"A", "B", "C", "D"}},
    {"unlisted in the middle, still owned", [](Scene& s) { s.set->PropertyIndexRemoveFromList(1); },
     {"A", "B", "C", "D"}, {"A", "C", "D"}},
    {"unlisted in the middle and listed again",
     [](Scene& s) {
         s.set->PropertyIndexRemoveFromList(1);
         s.set->PropertyAddToList(&s.b);
     },
     {"A", "B", "C", "D"}, {"A", "C", "D", "B"}},
    {"the last two unlisted, one listed again",
     [](Scene& s) {
         s.set->PropertyDestroy(s.d);
         s.set->PropertyIndexRemoveFromList(2);
         s.set->PropertyIndexRemoveFromList(1);
         s.set->PropertyAddToList(&s.b);
     },
     {"A", "B", "C"}, {"A", "B"}},
    {"the last two unlisted, listed again in the other order",
     [](Scene& s) {
         s.set->PropertyDestroy(s.d);
         s.set->PropertyIndexRemoveFromList(2);
         s.set->PropertyIndexRemoveFromList(1);
         s.set->PropertyAddToList(&s.c);
         s.set->PropertyAddToList(&s.b);
     },
     {"A", "B", "C"}, {"A", "C", "B"}},
    {"unlisted at the end, then released",
     [](Scene& s) {
         s.set->PropertyDestroy(s.d);
         s.set->PropertyIndexRemoveFromList(2);
         s.set->DisconnectOwnedPlug(&s.c);
     },
     {"A", "B"}, {"A", "B"}},
    {"a plain plug owned, then a property",
     [](Scene& s) {
         s.set->ConnectOwnedPlug(&s.p);
         s.Own(s.f, "F", s.set);
         s.set->PropertyAddToList(&s.f);
     },
     {"A", "B", "C", "D", "P", "F"}, {"A", "B", "C", "D", "F"}},
    {"a property owned, then a plain plug, then it is listed",
     [](Scene& s) {
         s.Own(s.f, "F", s.set);
         s.set->ConnectOwnedPlug(&s.p);
         s.set->PropertyAddToList(&s.f);
     },
     {"A", "B", "C", "D", "F", "P"}, {"A", "B", "C", "D", "F"}},
    {"two owned, listed in the other order",
     [](Scene& s) {
         s.Own(s.f, "F", s.set);
         s.Own(s.g, "G", s.set);
         s.set->PropertyAddToList(&s.g);
         s.set->PropertyAddToList(&s.f);
     },
     {"A", "B", "C", "D", "F", "G"}, {"A", "B", "C", "D", "G", "F"}},
    {"listed without owner", [](Scene& s) { s.set->PropertyAddToList(&s.f); }, {"A", "B", "C", "D"},
     {"A", "B", "C", "D", "F"}},
    {"listed, owned by another",
     [](Scene& s) {
         s.Own(s.f, "F", &s.other);
         s.set->PropertyAddToList(&s.f);
     },
     {"A", "B", "C", "D"}, {"A", "B", "C", "D", "F"}},
    {"a listed property ends in the middle",
     [](Scene& s) {
         s.e = s.set->CreatePropertyFromType("E", kPropertyInt, nullptr, false, false, nullptr);
         delete s.d;
     },
     {"A", "B", "C", "E"}, {"A", "B", "C", "E"}},
    {"a listed member ends before the last",
     [](Scene& s) {
         s.b.~KPropertyTemplate<int>();
         new (&s.b) KPropertyTemplate<int>;
     },
     {"A", "C", "D"}, {"A", "C", "D"}},
    {"a member destroyed through the list in the middle, then a property made",
     [](Scene& s) {
         s.set->PropertyDestroy(&s.b);
         s.e = s.set->CreatePropertyFromType("E", kPropertyInt, nullptr, false, false, nullptr);
     },
     {"A", "B", "C", "D", "E"}, {"A", "C", "D", "E"}},
};

Names Without(Names pNames, const char* pName)
{
    for (std::size_t i = 0; i < pNames.size(); ++i) {
        if (pNames[i] == pName)
            pNames.erase(pNames.begin() + static_cast<long>(i--));
    }
    return pNames;
}

TEST(OwnedPlugs, FollowOwnershipWhateverTheListDoes)
{
    enum Ending { kDestroy, kDestructOnly, kDeleteOnly };
    for (const Case& c : kCases) {
        for (Ending ending : {kDestroy, kDestructOnly, kDeleteOnly}) {
            SCOPED_TRACE(std::string(c.mName) + ", ending " + std::to_string(ending));
            Scene s;
            c.mSteps(s);
            EXPECT_EQ(s.Owned(*s.set), c.mOwned);
            EXPECT_EQ(s.Listed(), c.mListed);
            const int count = s.set->GetOwnedPlugCount();
            EXPECT_EQ(s.set->GetOwnedPlug(count), nullptr);
            EXPECT_EQ(s.set->GetOwnedPlug(-1), nullptr);
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(s.set->GetOwnedPlug(i)->GetOwner(), s.set);
                EXPECT_FALSE(s.set->ConnectOwnedPlug(s.set->GetOwnedPlug(i)));
            }
            for (KPlug* kept : s.Kept()) {
                bool owned = false;
                for (int i = 0; i < count; ++i)
                    owned = owned || s.set->GetOwnedPlug(i) == kept;
                EXPECT_EQ(kept->GetOwner() == s.set, owned) << s.Name(kept);
            }
            // Ownership given after the parting follows it too.
            s.set->ConnectOwnedPlug(&s.g);
            Names owned = c.mOwned;
            if (s.g.GetOwner() == s.set && owned.back() != "G")
                owned.push_back("G");
            EXPECT_EQ(s.Owned(*s.set), owned);

            // Destruct ends the dynamic properties and unlists the others,
            // which stay owned in their order.
            if (ending == kDestructOnly) {
                s.set->Destruct();
                EXPECT_EQ(s.set->GetPropertyCount(), 0);
                EXPECT_EQ(s.Owned(*s.set), Without(Without(owned, "D"), "E"));
            } else if (ending == kDestroy) {
                s.set->Destroy();
                s.set = nullptr;
            }
            delete s.set;
            s.set = nullptr;
            for (KPlug* kept : s.Kept()) {
                EXPECT_TRUE(kept->GetOwner() == nullptr || kept->GetOwner() == &s.other) << s.Name(kept);
                if (KProperty* property = dynamic_cast<KProperty*>(kept)) {
                    KObject probe;
                    EXPECT_EQ(probe.PropertyAddToList(property), 0) << s.Name(kept);
                }
            }
        }
    }
}

}  // namespace
}  // namespace qelsdk_600
