// The single-instance guard within one process (the two-process case is in
// the process tests).
#include "launch/instanceguard.h"
#include "support/testutil.h"

#include <QCoreApplication>
#include <QUuid>
#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::waitUntil;

TEST(InstanceGuard, SecondClaimRaisesTheFirstAndAFreedNameCanBeClaimedAgain)
{
    const QString name =
        QStringLiteral("gorse-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto first = std::make_unique<InstanceGuard>(name);
    int raised = 0;
    QObject::connect(first.get(), &InstanceGuard::raiseRequested, [&] { ++raised; });
    ASSERT_TRUE(first->claim());

    InstanceGuard second(name);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(waitUntil([&] { return raised == 1; }));

    first.reset();
    InstanceGuard third(name);
    EXPECT_TRUE(third.claim());
}

TEST(InstanceGuard, AReleasedNameIsFreeForAnotherCopyAndCanBeTakenBack)
{
    const QString name =
        QStringLiteral("gorse-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    InstanceGuard lobby(name);
    ASSERT_TRUE(lobby.claim());
    EXPECT_TRUE(lobby.held());
    EXPECT_TRUE(lobby.claim()); // claiming again keeps it
    lobby.release();
    EXPECT_FALSE(lobby.held());
    {
        InstanceGuard game(name);
        EXPECT_TRUE(game.claim());
        // While the game holds it, the lobby cannot take it back.
        EXPECT_FALSE(lobby.claim());
        EXPECT_FALSE(lobby.held());
    }
    EXPECT_TRUE(lobby.claim());
    EXPECT_TRUE(lobby.held());
}

TEST(InstanceGuard, NamesDependOnTheRuntimeFolder)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", "/run/user/a");
    const QString a = InstanceGuard::defaultName();
    qputenv("XDG_RUNTIME_DIR", "/run/user/b");
    const QString b = InstanceGuard::defaultName();
    qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.startsWith(QStringLiteral("ramlev11-")));
}
