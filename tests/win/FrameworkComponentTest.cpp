// The component model: owners free what they own, and referrers hear of a
// removal in time to drop their pointer.
#include "Classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using TLog = std::vector<std::string>;

// A component that logs its destruction and the removals it hears of, and
// holds one non-owning reference that it clears in Notification.
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, const std::string& name, TLog& log) : TComponent(owner), log_(log)
    {
        SetName(name);
    }
    ~TProbe() override { log_.push_back("~" + Name()); }

    // Poisons the memory instead of handing it back, so a later call through a
    // dangling pointer jumps through a garbage vtable and crashes the test.
    static void operator delete(void* p, std::size_t size) { std::memset(p, 0xCC, size); }

    void Refer(TComponent* target)
    {
        ref = target;
        if (target) target->FreeNotification(this);
    }

    void Notification(TComponent* c, TOperation op) override
    {
        if (op == TOperation::opRemove && c == ref) {
            ref = nullptr;
            log_.push_back(Name() + " lost " + c->Name());
        }
        TComponent::Notification(c, op);
    }

    TComponent* ref = nullptr;  // not owned

private:
    TLog& log_;
};

TEST(Component, OwnerFreesOwnedComponentsLastCreatedFirst)
{
    TLog log;
    auto* owner = new TProbe(nullptr, "owner", log);
    new TProbe(owner, "a", log);
    auto* b = new TProbe(owner, "b", log);
    new TProbe(b, "b1", log);
    new TProbe(owner, "c", log);

    owner->Free();

    EXPECT_EQ(log, (TLog{"~c", "~b1", "~b", "~a", "~owner"}));
}

TEST(Component, ComponentFreedDirectlyLeavesItsOwnersList)
{
    TLog log;
    TOwnedComponent<TProbe> owner(new TProbe(nullptr, "owner", log));
    auto* a = new TProbe(owner.get(), "a", log);
    auto* b = new TProbe(owner.get(), "b", log);

    b->Free();

    ASSERT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(owner->FindComponent("b"), nullptr);
    owner.reset();
    EXPECT_EQ(std::count(log.begin(), log.end(), "~b"), 1);
    EXPECT_EQ(log.back(), "~owner");
}

TEST(Component, ReferrerHearsOfRemovalHoweverTheTargetGoes)
{
    TLog log;
    TOwnedComponent<TProbe> referrer(new TProbe(nullptr, "referrer", log));

    {
        SCOPED_TRACE("target freed directly");
        auto* target = new TProbe(nullptr, "t1", log);
        referrer->Refer(target);
        target->Free();
        EXPECT_EQ(referrer->ref, nullptr);
    }
    {
        SCOPED_TRACE("target freed by its owner");
        auto* owner = new TProbe(nullptr, "owner", log);
        auto* target = new TProbe(owner, "t2", log);
        referrer->Refer(target);
        owner->Free();
        EXPECT_EQ(referrer->ref, nullptr);
    }
    {
        // A sibling hears of the removal through the common owner, without asking.
        SCOPED_TRACE("sibling of the target");
        TOwnedComponent<TProbe> owner(new TProbe(nullptr, "owner2", log));
        auto* sibling = new TProbe(owner.get(), "sibling", log);
        auto* target = new TProbe(owner.get(), "t3", log);
        sibling->ref = target;
        target->Free();
        EXPECT_EQ(sibling->ref, nullptr);
    }
    EXPECT_NE(std::find(log.begin(), log.end(), "referrer lost t1"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "referrer lost t2"), log.end());
}

TEST(Component, ReferrerFreedFirstIsNotCalledWhenTargetGoesLater)
{
    TLog log;
    auto* target = new TProbe(nullptr, "target", log);
    auto* referrer = new TProbe(nullptr, "referrer", log);
    auto* other = new TProbe(nullptr, "other", log);
    referrer->Refer(target);
    other->Refer(target);

    referrer->Free();  // its memory is poisoned: a call to it now would crash
    target->Free();

    EXPECT_EQ(other->ref, nullptr);
    other->Free();
    EXPECT_EQ(log, (TLog{"~referrer", "other lost target", "~target", "~other"}));
}

}  // namespace
