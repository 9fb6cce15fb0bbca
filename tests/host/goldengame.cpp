// A whole game with a fixed seed and a small word list, recorded as the
// transcript of every message each client received, in order. The
// transcript is compared with golden/game.txt on every run.
//
// After a deliberate change to what the host sends, re-record it with
//   GORSE_RECORD_GOLDEN=1 ./test_host --gtest_filter='GoldenGame.*'
// (from the build's bin folder), review the difference and commit it.
#include "goldengame.h"

#include "support/testutil.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <functional>
#include <gtest/gtest.h>

namespace gorse::test {

using Lines = QList<QByteArray>;

namespace {

// The first word the seat can make from its exposed cards: the longest
// first, then piles in ascending order.
QList<int> findword(const tplayer& seat, const QSet<QByteArray>& words)
{
    QList<int> piles;
    std::function<bool(int)> search = [&](int length) {
        if (piles.size() == length) {
            QByteArray word;
            for (int pile : piles)
                word += converttoletter(seat.piles[pile - 1].card);
            return words.contains(word);
        }
        for (int pile = 1; pile <= kPileCount; ++pile) {
            if (piles.contains(pile) || seat.piles[pile - 1].card == 0)
                continue;
            piles.append(pile);
            if (search(length))
                return true;
            piles.removeLast();
        }
        return false;
    };
    for (int length = 4; length >= 2; --length) {
        if (search(length))
            return piles;
    }
    return {};
}

} // namespace

Lines goldenWords()
{
    return QByteArray(
               "ACE ACT ADD AGE AID AIM AIR ALE ALL AND ANT ANY APE ARE ART ASH ASK ATE BAD BAT "
               "BED BEE BET BIT CAT DEN DIE DOE DOG DOT EAR EAT EEL END ERA HAT HEN HER HIT HOT "
               "HUT ICE ILL INN ION ITS LAD LET LID LIE LIT LOT NET NIT NOD NOR NOT NUT OAR OAT "
               "ODD ODE OIL OLD ONE OUR OUT RAT RED RID ROD ROT RUN RUT SAD SAT SEA SET SIT SOD "
               "SON SUN TAN TEA TEN THE TIE TIN TOE TON TOO TOT TUN USE AT AN AS IT IS IN ON NO "
               "SO TO OR US UP DO GO HE ME WE BE BY MY OF OH RATE SEAT TEAR NEAT NOTE TONE STAR "
               "RUST DUST TIDE RIDE SIDE TALE TALL SEEN TREE DEER HEAR HERO HOST ROSE SORE TOES "
               "SUIT QUIT QUIZ STING STRING THING RING SING KING WING LION NATION SHE SHOE WHAT")
        .split(' ');
}

void playGoldenGame(GoldenPlayers& f)
{
    const Lines kWords = goldenWords();
    const QSet<QByteArray> words(kWords.begin(), kWords.end());
    Lines names = {"Ann", "Bob", "Cy", "Dee", "Eve", "Fay", "Spy"};
    for (const QByteArray& name : names)
        f.join(name, name == "Cy" ? "1.1.0" : kVersionText);
    f.act(2, "CMD_chat+2+Hello all+welcome|clNavy");
    f.act(3, "CMD_action+3+waves|$00123456");
    f.act(4, "CMD_playasound+4+wave3+");
    f.act(7, "CMD_chat+7+just watching|clGray");
    // A short game: its target is below the options dialog's range, which
    // the host is told to allow here.
    f.table().setStartRanges({0, kPlayToScoreRange.maximum, 1, 0}, kTimePerTurnRange);
    f.act(1, "CMD_startgame+Ann+150+90+");

    bool won = false;
    for (int round = 1; round <= 8 && !won; ++round) {
        ASSERT_EQ(f.table().roundNumber(), round);
        // Seat 1 tries three words a round, seat 2 two, seat 3 one.
        for (int seat = 1; seat <= 3; ++seat) {
            for (int word = 0; word < 4 - seat; ++word) {
                const QList<int> piles = findword(f.table().player(seat), words);
                f.act(seat, piles.isEmpty() ? msg::discard(seat, (round + word) % kPileCount + 1)
                                            : msg::sendword(seat, piles));
            }
        }
        f.act(4, msg::sendword(4, {8, 7, 6})); // most likely no word
        f.act(5, msg::discard(5, 8));
        f.act(5, msg::discard(5, 8));
        f.act(7, msg::sendword(7, {1, 2})); // a spy: ignored
        if (round == 1) {
            f.leave(6);
            f.tick(1);
            names.append("Gus");
            f.join("Gus", kVersionText);
        }
        f.tick(94 + 15);
        const Lines first = f.received().value(0);
        won = std::any_of(first.begin(), first.end(),
                          [](const QByteArray& m) { return m.startsWith("CMD_winner+"); });
    }
    ASSERT_TRUE(won) << "nobody reached the target in eight rounds\n"
                     << f.log().join(u'\n').toStdString();

    QByteArray actual;
    const QList<Lines> received = f.received();
    for (qsizetype i = 0; i < received.size(); ++i) {
        actual += "== client " + QByteArray::number(i + 1) + " (" + names.value(i) + ")\n";
        for (const QByteArray& m : received[i])
            actual += visible(m) + '\n';
    }
    const QString path = QStringLiteral(GORSE_HOST_GOLDEN_DIR "/game.txt");
    if (qEnvironmentVariableIntValue("GORSE_RECORD_GOLDEN") == 1) {
        QSaveFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(actual) == actual.size() &&
                    out.commit());
        std::printf("recorded %s\n", qPrintable(path));
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly))
        << "missing " << qPrintable(path) << "; record it with GORSE_RECORD_GOLDEN=1";
    const Lines expectedLines = in.readAll().split('\n');
    const Lines actualLines = actual.split('\n');
    for (qsizetype i = 0; i < std::max(expectedLines.size(), actualLines.size()); ++i)
        ASSERT_EQ(actualLines.value(i), expectedLines.value(i)) << "difference at line " << i + 1;
}

} // namespace gorse::test
