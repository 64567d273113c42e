#include "observation/associated_object.h"

#include <QObject>
#include <QPointer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace veloquill {
namespace {

// Runs its action when the last reference to it goes.
class Canary
{
public:
    explicit Canary(std::function<void()> onRelease) : m_onRelease(std::move(onRelease)) {}
    ~Canary() { m_onRelease(); }
    Canary(const Canary&) = delete;
    Canary& operator=(const Canary&) = delete;

private:
    std::function<void()> m_onRelease;
};

TEST(AssociatedObject, StoresOneValuePerOwnerAndKey)
{
    AssociatedObject<int> first;
    AssociatedObject<int> second;
    QObject owner;
    QObject other;

    EXPECT_FALSE(first.value(&owner));
    first.setValue(&owner, 1);
    first.setValue(&other, 2);
    second.setValue(&owner, 3);
    first.setValue(&owner, 4);

    EXPECT_EQ(first.value(&owner), 4);
    EXPECT_EQ(first.value(&other), 2);
    EXPECT_EQ(second.value(&owner), 3);
}

TEST(AssociatedObject, NullOwnerHoldsNothing)
{
    AssociatedObject<int> key;
    key.setValue(nullptr, 1);
    EXPECT_FALSE(key.value(nullptr));
}

TEST(AssociatedObject, ValueIsReleasedWithItsOwnerAfterTheOwnersPointersClear)
{
    AssociatedObject<std::shared_ptr<Canary>> key;
    auto* owner = new QObject;
    QPointer<QObject> guard(owner);
    bool released = false;
    bool ownerPointerWasNull = false;
    key.setValue(owner, std::make_shared<Canary>([&] {
                     released = true;
                     ownerPointerWasNull = guard.isNull();
                 }));

    EXPECT_FALSE(released);
    delete owner;
    EXPECT_TRUE(released);
    EXPECT_TRUE(ownerPointerWasNull);
}

TEST(AssociatedObject, ReplacedValueIsReleasedOnlyOnceTheNewOneCanBeRead)
{
    AssociatedObject<std::shared_ptr<Canary>> key;
    QObject owner;
    std::shared_ptr<Canary> seenOnRelease;
    auto original =
        std::make_shared<Canary>([&] { seenOnRelease = key.value(&owner).value_or(nullptr); });
    key.setValue(&owner, std::move(original));
    const auto replacement = std::make_shared<Canary>([] {});

    key.setValue(&owner, replacement);

    EXPECT_EQ(seenOnRelease, replacement);
    seenOnRelease.reset();
}

} // namespace
} // namespace veloquill
