#include "observation/lifetime_association.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

namespace veloquill {
namespace {

TEST(LifetimeAssociation, OwnerKeepsTheTiedObjectUntilItDiesAndRunsTheHandlerFirst)
{
    auto tied = std::make_shared<int>(7);
    const std::weak_ptr<int> weakTied = tied;
    auto* owner = new QObject;
    bool tiedAliveInHandler = false;
    LifetimeAssociation association(std::move(tied), owner,
                                    [&] { tiedAliveInHandler = !weakTied.expired(); });

    EXPECT_FALSE(weakTied.expired());
    delete owner;

    EXPECT_TRUE(tiedAliveInHandler);
    EXPECT_TRUE(weakTied.expired());
}

TEST(LifetimeAssociation, CancelReleasesTheTiedObjectWithoutRunningTheHandler)
{
    auto tied = std::make_shared<int>(7);
    const std::weak_ptr<int> weakTied = tied;
    QObject owner;
    int handlerRuns = 0;
    LifetimeAssociation association(std::move(tied), &owner, [&] { ++handlerRuns; });

    association.cancel();
    association.cancel();

    EXPECT_TRUE(weakTied.expired());
    EXPECT_EQ(handlerRuns, 0);
}

} // namespace
} // namespace veloquill
