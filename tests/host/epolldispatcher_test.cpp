// The dedicated host's epoll event dispatcher: timers, posted events,
// wake-ups from other threads and socket notifiers. This program runs on it
// (its own main below), and so do the host tests compiled into it with it.
#include "host/epolldispatcher.h"
#include "support/testutil.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace gorse;
using namespace gorse::test;

namespace {

struct SocketPair
{
    int fd[2] = {-1, -1};
    SocketPair() { ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fd); }
    ~SocketPair()
    {
        for (int f : fd) {
            if (f >= 0)
                ::close(f);
        }
    }
    void send(int end) const { ASSERT_EQ(::write(fd[end], "x", 1), 1); }
};

} // namespace

TEST(EpollDispatcher, IsTheOneInUse)
{
    EXPECT_NE(dynamic_cast<EpollEventDispatcher*>(QAbstractEventDispatcher::instance()), nullptr);
}

TEST(EpollDispatcher, TimersFireInTheOrderTheyAreDueAndAZeroTimerLeavesRoomForSockets)
{
    QStringList fired;
    QTimer::singleShot(30, [&] { fired << "30"; });
    QTimer::singleShot(5, [&] { fired << "5"; });
    QTimer::singleShot(15, Qt::PreciseTimer, [&] { fired << "15"; });
    // A zero timer runs at every turn; a socket's data still comes through.
    QTimer zero;
    int zeroTurns = 0;
    QObject::connect(&zero, &QTimer::timeout, [&] { ++zeroTurns; });
    zero.start(0);
    SocketPair pair;
    QSocketNotifier reader(pair.fd[0], QSocketNotifier::Read);
    int reads = 0;
    QObject::connect(&reader, &QSocketNotifier::activated, [&] {
        char c = 0;
        while (::read(pair.fd[0], &c, 1) == 1)
            ++reads;
    });
    pair.send(1);
    EXPECT_TRUE(waitUntil([&] { return fired.size() == 3 && reads == 1; }));
    EXPECT_EQ(fired, (QStringList{"5", "15", "30"}));
    EXPECT_GT(zeroTurns, 0);

    // What Qt asks of a running timer, and of a stopped one.
    QTimer longOne;
    longOne.start(10000);
    const int left = longOne.remainingTime();
    EXPECT_GT(left, 9000);
    EXPECT_LE(left, 10000);
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(&longOne);
    ASSERT_EQ(timers.size(), 1);
    EXPECT_EQ(timers.first().interval, 10000);
    longOne.stop();
    EXPECT_EQ(longOne.remainingTime(), -1);
}

TEST(EpollDispatcher, PostedEventsAndWakeUpsFromOtherThreadsEndTheWait)
{
    QEventLoop loop;
    QObject receiver;
    bool delivered = false;
    // No timer and no socket: only the wake-up ends the wait.
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        QMetaObject::invokeMethod(
            &receiver,
            [&] {
                delivered = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    QTimer::singleShot(20000, &loop, [&] { loop.exit(1); }); // a bound for a failure
    EXPECT_EQ(loop.exec(), 0);
    poster.join();
    EXPECT_TRUE(delivered);

    // deleteLater is carried out once control is back in the loop.
    QPointer<QObject> doomed = new QObject;
    doomed->deleteLater();
    EXPECT_TRUE(waitUntil([&] { return doomed.isNull(); }));
}

TEST(EpollDispatcher, ANotifierGoneBeforeItsTurnIsNotActivated)
{
    // Both sockets are ready in the same turn; whichever handler runs first
    // deletes the other's notifier, which then must not be activated.
    SocketPair a, b;
    auto first = std::make_unique<QSocketNotifier>(a.fd[0], QSocketNotifier::Read);
    auto second = std::make_unique<QSocketNotifier>(b.fd[0], QSocketNotifier::Read);
    int activations = 0;
    char c = 0;
    QObject::connect(first.get(), &QSocketNotifier::activated, [&] {
        ++activations;
        [[maybe_unused]] const ssize_t n = ::read(a.fd[0], &c, 1);
        second.reset();
    });
    QObject::connect(second.get(), &QSocketNotifier::activated, [&] {
        ++activations;
        [[maybe_unused]] const ssize_t n = ::read(b.fd[0], &c, 1);
        first.reset();
    });
    a.send(1);
    b.send(1);
    EXPECT_TRUE(waitUntil([&] { return activations > 0; }));
    settle(50);
    EXPECT_EQ(activations, 1);
}

TEST(EpollDispatcher, ASocketGivenTheNumberOfAClosedOneIsHeard)
{
    // Closed and replaced within one turn, before the dispatcher waited:
    // the new socket under the old number must be watched all the same.
    auto old = std::make_unique<SocketPair>();
    const int number = old->fd[0];
    auto oldNotifier = std::make_unique<QSocketNotifier>(number, QSocketNotifier::Read);
    settle(10); // the dispatcher has waited on it
    oldNotifier.reset();
    old.reset();
    SocketPair fresh;
    if (fresh.fd[0] != number && fresh.fd[1] != number)
        GTEST_SKIP() << "the system gave out other numbers";
    const int end = fresh.fd[0] == number ? 0 : 1;
    QSocketNotifier notifier(number, QSocketNotifier::Read);
    bool heard = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] { heard = true; });
    fresh.send(1 - end);
    EXPECT_TRUE(waitUntil([&] { return heard; }, 2000));
}

TEST(EpollDispatcher, AWriteNotifierFiresWhileThereIsRoomAndADisabledOneDoesNot)
{
    SocketPair pair;
    QSocketNotifier writer(pair.fd[0], QSocketNotifier::Write);
    int writes = 0;
    QObject::connect(&writer, &QSocketNotifier::activated, [&] {
        ++writes;
        writer.setEnabled(false);
    });
    EXPECT_TRUE(waitUntil([&] { return writes == 1; }));
    settle(30);
    EXPECT_EQ(writes, 1);
    writer.setEnabled(true);
    EXPECT_TRUE(waitUntil([&] { return writes == 2; }));
}

int main(int argc, char** argv)
{
    QCoreApplication::setEventDispatcher(new EpollEventDispatcher);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
