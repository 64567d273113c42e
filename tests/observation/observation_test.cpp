#include "observation/associated_object.h"
#include "observation/lifetime_association.h"
#include "observation/observation_token.h"

#include <QObject>
#include <QPointer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace veloquill;

namespace {
// Runs its action when the last reference to it goes.
struct Canary
{
    std::function<void()> onRelease;
    ~Canary() { onRelease(); }
};

std::shared_ptr<ObservationToken> countingToken(int& cancellations)
{
    return ObservationToken::create([&cancellations] { ++cancellations; });
}

// The token through a pointer that adds no hold: for a token only its owner holds.
ObservationToken* ownerHeld(const std::weak_ptr<ObservationToken>& token)
{
    return token.lock().get();
}
} // namespace

TEST(AssociatedObject, HoldsOneValuePerOwnerAndKeyUntilTheOwnersPointersHaveCleared)
{
    AssociatedObject<int> first;
    AssociatedObject<int> second;
    QObject owner;
    QObject other;
    first.setValue(&owner, 1);
    first.setValue(&other, 2);
    second.setValue(&owner, 3);
    first.setValue(&owner, 4);
    first.setValue(nullptr, 5);
    EXPECT_EQ(first.value(&owner), 4);
    EXPECT_EQ(first.value(&other), 2);
    EXPECT_EQ(second.value(&owner), 3);
    EXPECT_EQ(first.value(nullptr), std::nullopt);

    AssociatedObject<std::shared_ptr<Canary>> key;
    auto* dying = new QObject;
    QPointer<QObject> guard(dying);
    std::optional<bool> guardNullOnRelease;
    key.setValue(dying, std::make_shared<Canary>([&] { guardNullOnRelease = guard.isNull(); }));
    EXPECT_EQ(key.value(&owner), std::nullopt);
    delete dying;
    EXPECT_EQ(guardNullOnRelease, true);
}

TEST(AssociatedObject, ReplacedValueIsReleasedOnlyOnceTheNewOneCanBeRead)
{
    AssociatedObject<std::shared_ptr<Canary>> key;
    QObject owner;
    std::shared_ptr<Canary> seenOnRelease;
    key.setValue(&owner, std::make_shared<Canary>(
                             [&] { seenOnRelease = key.value(&owner).value_or(nullptr); }));
    const auto replacement = std::make_shared<Canary>([] {});
    key.setValue(&owner, replacement);
    EXPECT_EQ(seenOnRelease, replacement);
    seenOnRelease.reset();
}

TEST(LifetimeAssociation, OwnerRunsTheHandlerThenReleasesAndCancelDoesNeither)
{
    auto tied = std::make_shared<int>(7);
    const std::weak_ptr<int> weakTied = tied;
    auto* owner = new QObject;
    std::optional<bool> tiedAliveInHandler;
    LifetimeAssociation association(tied, owner, [&] { tiedAliveInHandler = !weakTied.expired(); });
    tied.reset();
    EXPECT_FALSE(weakTied.expired());
    delete owner;
    EXPECT_EQ(tiedAliveInHandler, true);
    EXPECT_TRUE(weakTied.expired());

    QObject keptOwner;
    tied = std::make_shared<int>(8);
    const std::weak_ptr<int> weakCancelled = tied;
    LifetimeAssociation cancelled(std::move(tied), &keptOwner, [] { FAIL(); });
    cancelled.cancel();
    cancelled.cancel();
    EXPECT_TRUE(weakCancelled.expired());
}

// A tied token's cancellation runs when its owner goes and again when the token is destroyed.
TEST(ObservationToken, OwnerKeepsATiedTokenUntilItGoesAndDetachingLeavesItToItsHolders)
{
    int count = 0;
    auto* owner = new QObject;
    const std::weak_ptr<ObservationToken> ownerOnly = countingToken(count)->tieToLifetime(owner);
    auto heldElsewhere = countingToken(count)->tieToLifetime(owner);
    auto detached = countingToken(count)->tieToLifetime(owner);
    detached->removeLifetime();
    detached->removeLifetime();
    countingToken(count)->removeLifetime(); // never tied: dropped at once
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(ownerOnly.expired());
    delete owner;
    EXPECT_TRUE(ownerOnly.expired());
    EXPECT_EQ(count, 1 + 2 + 1); // ownerOnly twice, heldElsewhere once
    heldElsewhere->removeLifetime();
    heldElsewhere.reset();
    detached.reset();
    EXPECT_EQ(count, 4 + 1 + 1);

    // Detaching a token only its owner held ends it, once.
    QObject keptOwner;
    const std::weak_ptr<ObservationToken> token = countingToken(count)->tieToLifetime(&keptOwner);
    ownerHeld(token)->removeLifetime();
    EXPECT_TRUE(token.expired());
    EXPECT_EQ(count, 7);
}

TEST(ObservationToken, SecondTieMovesTheTokenToTheNewOwnerWithoutCancelling)
{
    int count = 0;
    auto* formerOwner = new QObject;
    auto* newOwner = new QObject;
    const std::weak_ptr<ObservationToken> token = countingToken(count)->tieToLifetime(formerOwner);
    ownerHeld(token)->tieToLifetime(newOwner);
    delete formerOwner;
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(token.expired());
    delete newOwner;
    EXPECT_EQ(count, 2);
}

TEST(ObservationToken, CancellationThatDetachesASiblingOnTheSameOwnerReallyDetachesIt)
{
    int siblingCount = 0;
    auto* owner = new QObject;
    auto sibling = countingToken(siblingCount)->tieToLifetime(owner);
    const std::weak_ptr<ObservationToken> token =
        ObservationToken::create([&] { sibling->removeLifetime(); })->tieToLifetime(owner);
    // Detaching the token ends it, and its cancellation edits the owner's tracker list while
    // the detaching is still under way.
    ownerHeld(token)->removeLifetime();
    EXPECT_TRUE(token.expired());
    sibling.reset(); // detached, the sibling lives exactly as long as its holders
    EXPECT_EQ(siblingCount, 1);
    delete owner;
    EXPECT_EQ(siblingCount, 1);
}
