#include "observation/observation_token.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

namespace veloquill {
namespace {

std::shared_ptr<ObservationToken> countingToken(int& cancellations)
{
    return ObservationToken::create([&cancellations] { ++cancellations; });
}

TEST(ObservationToken, UntiedTokenCancelsExactlyOnceWhenDropped)
{
    int cancellations = 0;
    auto token = countingToken(cancellations);
    EXPECT_EQ(cancellations, 0);
    token.reset();
    EXPECT_EQ(cancellations, 1);
}

TEST(ObservationToken, OwnerAloneKeepsTiedTokenAliveAndItsDeathCancelsTwice)
{
    int cancellations = 0;
    auto* owner = new QObject;
    auto token = countingToken(cancellations);
    EXPECT_EQ(token->tieToLifetime(owner), token);
    const std::weak_ptr<ObservationToken> weakToken = token;
    token.reset();

    EXPECT_FALSE(weakToken.expired());
    EXPECT_EQ(cancellations, 0);

    delete owner;
    EXPECT_TRUE(weakToken.expired());
    EXPECT_EQ(cancellations, 2);
}

TEST(ObservationToken, OwnerDyingWhileTokenIsHeldElsewhereCancelsOnceAndLeavesItDetached)
{
    int cancellations = 0;
    auto* owner = new QObject;
    auto token = countingToken(cancellations)->tieToLifetime(owner);

    delete owner;
    EXPECT_EQ(cancellations, 1);

    token->removeLifetime();
    EXPECT_EQ(cancellations, 1);
    token.reset();
    EXPECT_EQ(cancellations, 2);
}

TEST(ObservationToken, DetachedTokenOutlivesFormerOwnerAndCancelsOnceWhenDropped)
{
    int cancellations = 0;
    auto* owner = new QObject;
    auto token = countingToken(cancellations)->tieToLifetime(owner);

    token->removeLifetime();
    delete owner;
    EXPECT_EQ(cancellations, 0);

    token.reset();
    EXPECT_EQ(cancellations, 1);
}

TEST(ObservationToken, DetachingATokenOnlyItsOwnerHeldEndsItOnce)
{
    int cancellations = 0;
    QObject owner;
    auto tied = countingToken(cancellations)->tieToLifetime(&owner);
    const std::weak_ptr<ObservationToken> weakToken = tied;
    ObservationToken* const token = tied.get();
    tied.reset();

    token->removeLifetime();

    EXPECT_TRUE(weakToken.expired());
    EXPECT_EQ(cancellations, 1);
}

TEST(ObservationToken, RemovingLifetimeOfAnUntiedOrDetachedTokenDoesNothing)
{
    int cancellations = 0;
    QObject owner;
    auto neverTied = countingToken(cancellations);
    neverTied->removeLifetime();
    auto detached = countingToken(cancellations)->tieToLifetime(&owner);
    detached->removeLifetime();
    detached->removeLifetime();

    EXPECT_EQ(cancellations, 0);
}

TEST(ObservationToken, TokensOnOneOwnerDetachIndependently)
{
    int firstCancellations = 0;
    int secondCancellations = 0;
    auto* owner = new QObject;
    auto first = countingToken(firstCancellations)->tieToLifetime(owner);
    const std::weak_ptr<ObservationToken> second =
        countingToken(secondCancellations)->tieToLifetime(owner);

    first->removeLifetime();
    EXPECT_FALSE(second.expired());
    delete owner;

    EXPECT_EQ(firstCancellations, 0);
    EXPECT_EQ(secondCancellations, 2);
    EXPECT_TRUE(second.expired());
}

TEST(ObservationToken, SecondTieMovesTheTokenToTheNewOwnerWithoutCancelling)
{
    int cancellations = 0;
    auto* formerOwner = new QObject;
    auto* newOwner = new QObject;
    const std::weak_ptr<ObservationToken> token =
        countingToken(cancellations)->tieToLifetime(formerOwner);

    token.lock()->tieToLifetime(newOwner);
    EXPECT_EQ(cancellations, 0);
    delete formerOwner;
    EXPECT_EQ(cancellations, 0);
    EXPECT_FALSE(token.expired());

    delete newOwner;
    EXPECT_EQ(cancellations, 2);
    EXPECT_TRUE(token.expired());
}

TEST(ObservationToken, CancellationThatDetachesASiblingOnTheSameOwnerReallyDetachesIt)
{
    int siblingCancellations = 0;
    auto* owner = new QObject;
    auto sibling = countingToken(siblingCancellations)->tieToLifetime(owner);
    auto tied = ObservationToken::create([&] { sibling->removeLifetime(); })->tieToLifetime(owner);
    const std::weak_ptr<ObservationToken> weakToken = tied;
    ObservationToken* const token = tied.get();
    tied.reset();

    // Only the owner holds the token, so detaching it ends it, and its cancellation edits the
    // owner's tracker list while the detaching is still under way.
    token->removeLifetime();
    EXPECT_TRUE(weakToken.expired());

    // Detached, the sibling lives exactly as long as its holders.
    sibling.reset();
    EXPECT_EQ(siblingCancellations, 1);
    delete owner;
    EXPECT_EQ(siblingCancellations, 1);
}

} // namespace
} // namespace veloquill
