// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "observation/associated_object.h"
#include "observation/observation_token.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

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

TEST(AssociatedObject, HoldsOneValuePerOwnerAndKeyAndReleasesItOnceNoLongerReadable)
{
    AssociatedObject<int> first;
    AssociatedObject<int> second;
    QObject owner;
    QObject other;
    first.setValue(&owner, 1);
    first.setValue(&other, 2);
    second.setValue(&owner, 3);
    first.setValue(nullptr, 5);
    EXPECT_EQ(first.value(&owner), 1);
    EXPECT_EQ(first.value(&other), 2);
    EXPECT_EQ(second.value(&owner), 3);
    EXPECT_EQ(first.value(nullptr), std::nullopt);

    // A replaced value is released once the new one can be read; an owner's values once its
    // QPointers read null.
    AssociatedObject<std::shared_ptr<Canary>> key;
    auto* dying = new QObject;
    QPointer<QObject> guard(dying);
    QStringList seen;
    Canary* replacement = nullptr;
    key.setValue(dying, std::make_shared<Canary>([&] {
                     seen << QString("replaced, new one read: %1")
                                 .arg(key.value(dying).value_or(nullptr).get() == replacement);
                 }));
    auto next = std::make_shared<Canary>(
        [&] { seen << QString("owner gone, pointers null: %1").arg(guard.isNull()); });
    replacement = next.get();
    key.setValue(dying, std::move(next));
    delete dying;
    EXPECT_EQ(seen, QStringList({"replaced, new one read: 1", "owner gone, pointers null: 1"}));
}

// A tied token's cancellation runs when its owner goes (while the owner still holds the token)
// and again when the token is destroyed.
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
