// The game options dialog's up-downs, offscreen: the arrow keys, Page Up and
// Page Down and the mouse wheel step them like a spin box, within the same
// bounds and steps as the arrow buttons, and numbers typed into their edits
// are taken brought into the range and to the steps.
#include "support/clientcore.h"
#include "windows/tgamestart.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

using namespace gorse;

namespace {

void wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}

// Selects all of edit and types text over it, as a player does.
void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

} // namespace

class GameStartTest : public QObject
{
    Q_OBJECT
private slots:
    void theHostingPlayerChoosesComputerPlayersAndTheWordList()
    {
        test::ClientCore core;
        GameOptions& options = core.options;
        Tgamestart dialog(&core.session, &options);
        QList<std::pair<int, int>> started;
        dialog.setStarter([&](int target, int seconds) { started.append({target, seconds}); });
        dialog.showDialog();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // A joining player has no computer players or list to choose.
        QVERIFY(!dialog.spin_computers->isVisible());
        const int joinedHeight = dialog.height();

        core.session.setHosting(true);
        QVERIFY(dialog.spin_computers->isVisible() && dialog.combo_wordlist->isVisible());
        QVERIFY(dialog.height() > joinedHeight);
        QVERIFY(dialog.button_start->geometry().top() >
                dialog.combo_wordlist->mapTo(&dialog, QPoint(0, 0)).y());
        QCOMPARE(dialog.combo_level->currentText(), QStringLiteral("Casual"));
        dialog.spin_computers->setValue(3);
        dialog.combo_level->setCurrentIndex(3);
        dialog.combo_wordlist->setCurrentIndex(1);
        QCOMPARE(options.computerPlayers(), 3);
        QCOMPARE(options.computerLevel(), 3);
        QCOMPARE(options.wordList(), BuiltinList::Large);
        // Stored choices show when they are read.
        options.setComputerPlayers(9);
        QCOMPARE(dialog.spin_computers->value(), 5);
        options.setWordList(BuiltinList::Standard);
        QCOMPARE(dialog.combo_wordlist->currentText(), QStringLiteral("Standard"));

        QTest::mouseClick(dialog.button_start, Qt::LeftButton);
        QCOMPARE(started, (QList<std::pair<int, int>>{{500, 120}}));
        QVERIFY(!dialog.isVisible());
    }

    void theDialogWorksFromTheKeyboard()
    {
        test::ClientCore core;
        GameOptions& options = core.options;
        core.session.setHosting(true);
        Tgamestart dialog(&core.session, &options);
        QList<std::pair<int, int>> started;
        dialog.setStarter([&](int target, int seconds) { started.append({target, seconds}); });
        dialog.showDialog();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.edit_playtoscore->setFocus();
        const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
        press(Qt::Key_Up);
        QCOMPARE(dialog.edit_playtoscore->text(), QStringLiteral("600"));
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.edit_creationtime);
        press(Qt::Key_Down);
        QCOMPARE(dialog.edit_creationtime->text(), QStringLiteral("110"));
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.spin_computers);
        press(Qt::Key_Up);
        QCOMPARE(options.computerPlayers(), 1);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.combo_level);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.combo_wordlist);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.button_start);
        press(Qt::Key_Backtab);
        press(Qt::Key_Backtab);
        press(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), dialog.spin_computers);
        // Enter starts the game from any field.
        press(Qt::Key_Return);
        QCOMPARE(started, (QList<std::pair<int, int>>{{600, 110}}));
        QVERIFY(!dialog.isVisible());
    }

    void upDownsStepWithKeysAndWheel()
    {
        test::ClientCore core;
        GameOptions& options = core.options;
        Tgamestart dialog(&core.session, &options);
        dialog.showDialog();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QLineEdit* time = dialog.edit_creationtime;
        QLineEdit* score = dialog.edit_playtoscore;
        QCOMPARE(time->text(), QStringLiteral("120"));

        // Keys on the edit.
        time->setFocus();
        QTest::keyClick(time, Qt::Key_Down);
        QCOMPARE(time->text(), QStringLiteral("110"));
        QTest::keyClick(time, Qt::Key_PageDown);
        QCOMPARE(time->text(), QStringLiteral("45"));
        QTest::keyClick(time, Qt::Key_Up);
        QCOMPARE(time->text(), QStringLiteral("55"));
        QCOMPARE(options.timePerTurn(), 55);
        QTest::keyClick(time, Qt::Key_PageUp);
        QCOMPARE(time->text(), QStringLiteral("120"));
        QTest::keyClick(time, Qt::Key_Up);
        QCOMPARE(time->text(), QStringLiteral("120")); // no wrap-around
        // Keys on the up-down itself.
        QTest::keyClick(dialog.UpDown1, Qt::Key_Down);
        QCOMPARE(score->text(), QStringLiteral("400"));

        // The wheel over the edit and over the arrows: a notch is a step,
        // with Ctrl ten steps, and half notches add up.
        wheel(score, 120);
        QCOMPARE(score->text(), QStringLiteral("500"));
        wheel(dialog.UpDown1, -120);
        QCOMPARE(score->text(), QStringLiteral("400"));
        wheel(score, 60);
        QCOMPARE(score->text(), QStringLiteral("400"));
        wheel(score, 60);
        QCOMPARE(score->text(), QStringLiteral("500"));
        wheel(score, 120, Qt::ControlModifier);
        QCOMPARE(score->text(), QStringLiteral("1500"));
        wheel(score, -3 * 120, Qt::ControlModifier);
        QCOMPARE(score->text(), QStringLiteral("300"));
        QCOMPARE(options.playToScore(), 300);
        // Other keys move the caret.
        QTest::keyClick(score, Qt::Key_Left);
        QCOMPARE(score->text(), QStringLiteral("300"));
    }

    void typedNumbersAreTakenWithinTheRangeAndSteps()
    {
        test::ClientCore core;
        GameOptions& options = core.options;
        Tgamestart dialog(&core.session, &options);
        QList<std::pair<int, int>> started;
        dialog.setStarter([&](int target, int seconds) { started.append({target, seconds}); });
        dialog.showDialog();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QLineEdit* score = dialog.edit_playtoscore;
        QLineEdit* time = dialog.edit_creationtime;

        // Typed, then the edit left with Tab.
        struct Case
        {
            QLineEdit* edit;
            const char* typed;
            const char* taken;
        };
        const Case cases[] = {
            {score, "5000", "5000"}, {score, "25000", "20000"}, {score, "10", "300"},
            {score, "5049", "5000"}, {score, "5050", "5100"},   {time, "73", "70"},
            {time, "47", "45"},      {time, "48", "50"},        {time, "9x9", "100"},
        };
        for (const Case& c : cases) {
            retype(c.edit, QString::fromLatin1(c.typed));
            QTest::keyClick(c.edit, Qt::Key_Tab);
            QVERIFY(!c.edit->hasFocus());
            QCOMPARE(c.edit->text(), QString::fromLatin1(c.taken));
            const int value = c.edit == score ? options.playToScore() : options.timePerTurn();
            QCOMPARE(value, QByteArray(c.taken).toInt());
        }

        // Backspace works, and an edit left empty shows its value again.
        score->setFocus();
        QTest::keyClick(score, Qt::Key_End);
        QTest::keyClick(score, Qt::Key_Backspace);
        QCOMPARE(score->text(), QStringLiteral("510"));
        QTest::keyClick(score, Qt::Key_Tab);
        QCOMPARE(options.playToScore(), 500);
        retype(time, QString());
        QTest::keyClick(time, Qt::Key_Backspace);
        QCOMPARE(time->text(), QString());
        QTest::keyClick(time, Qt::Key_Tab);
        QCOMPARE(time->text(), QStringLiteral("100"));

        // A step goes on from the number typed: key, arrow button, wheel.
        retype(score, QStringLiteral("5000"));
        QTest::keyClick(score, Qt::Key_Up);
        QCOMPARE(score->text(), QStringLiteral("5100"));
        retype(score, QStringLiteral("3000"));
        QTest::mouseClick(dialog.UpDown1->downButton(), Qt::LeftButton);
        QCOMPARE(score->text(), QStringLiteral("2900"));
        retype(time, QStringLiteral("90"));
        wheel(time, 120);
        QCOMPARE(time->text(), QStringLiteral("100"));
        QCOMPARE(options.timePerTurn(), 100);

        // Enter takes the number and starts with it.
        retype(score, QStringLiteral("4321"));
        QTest::keyClick(score, Qt::Key_Return);
        QCOMPARE(started, (QList<std::pair<int, int>>{{4300, 100}}));
        QCOMPARE(score->text(), QStringLiteral("4300"));
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(GameStartTest)
#include "gamestart_test.moc"
