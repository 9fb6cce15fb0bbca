// The help and about windows, offscreen: every help page behind its button,
// how to play first, the scoring page against the rules, F1, where the help
// opens, and the about window's texts.
#include "dict/tdictn.h"
#include "game/rules.h"
#include "settings/gameoptions.h"
#include "support/gamewindow.h"
#include "support/testutil.h"
#include "windows/tabout.h"
#include "windows/thelp.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

using namespace gorse;

class HelpAboutTest : public QObject
{
    Q_OBJECT
private slots:
    void eachButtonShowsItsPage()
    {
        Thelp help;
        QCOMPARE(help.currentPage(), 0);
        QSet<QString> texts;
        // Backwards, so that no page is already showing when its button is clicked.
        for (int i = Thelp::kPageCount - 1; i >= 0; --i) {
            QPushButton* b = help.pageButton(i);
            QVERIFY(b);
            QCOMPARE(b->text(), QString::fromLatin1(Thelp::kPages[i].caption));
            b->click();
            QCOMPARE(help.currentPage(), i);
            QVERIFY(b->isChecked());
            QVERIFY(help.text_help()->source().toString().endsWith(
                QString::fromLatin1(Thelp::kPages[i].file)));
            const QString shown = help.text_help()->toPlainText();
            // Each page is there (not an empty browser) and heads with its title.
            QVERIFY2(shown.startsWith(b->text()), qPrintable(shown.left(80)));
            QVERIFY(shown.size() > 400);
            texts.insert(shown);
        }
        QCOMPARE(texts.size(), Thelp::kPageCount);
        QCOMPARE(help.findChildren<QPushButton*>().size(), Thelp::kPageCount + 1); // and Done
    }

    void theFirstPageTellsHowToPlay()
    {
        Thelp help;
        QCOMPARE(help.currentPage(), 0);
        QCOMPARE(QByteArray(Thelp::kPages[0].file), QByteArray("gameplay.html"));
        QCOMPARE(help.windowTitle(), QStringLiteral("Gorse - Help"));
        // The turn, words, scoring and the keyboard's rule come first.
        QFile page(QStringLiteral(":/help/gameplay.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QStringList headings;
        auto it = QRegularExpression(QStringLiteral("<h3>([^<]*)</h3>"))
                      .globalMatch(QString::fromUtf8(page.readAll()));
        while (it.hasNext())
            headings.append(it.next().captured(1));
        QCOMPARE(headings.mid(0, 4),
                 (QStringList{"The turn", "Making words", "Scoring", "Playing with the keyboard"}));
        // Its short account of scoring is the rules'.
        const QString shown = help.text_help()->toPlainText();
        for (const QString& rule : {QStringLiteral("%1 points for two letters").arg(wordScore(2)),
                                    QStringLiteral("up to %1 for more than ten").arg(wordScore(11)),
                                    QStringLiteral("scores %1 more").arg(kQuBonus),
                                    QStringLiteral("costs %1 points").arg(kDiscardPenalty),
                                    QStringLiteral("letters you typed spell its face")})
            QVERIFY2(shown.contains(rule), qPrintable(rule));
    }

    void helpOpensBesideTheMainWindowNeverOverTheBoard()
    {
        // A main window with its board, small enough for the 800 by 600
        // offscreen screen to hold the help beside it.
        QWidget main;
        main.resize(300, 200);
        auto* board = new QFrame(&main);
        board->setObjectName(QStringLiteral("panel_board"));
        board->setGeometry(8, 8, 280, 180);
        main.move(20, 20);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const auto boardArea = [&] {
            return QRect(board->mapToGlobal(QPoint(0, 0)), board->size());
        };
        Thelp help(&main);
        help.resize(300, 260);

        help.show(); // F1
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QVERIFY(!help.frameGeometry().intersects(boardArea()));
        QVERIFY(help.frameGeometry().left() > main.frameGeometry().right());
        QCOMPARE(help.size(), QSize(300, 260));

        // Where the player puts it, it opens again.
        help.move(420, 300);
        help.close();
        help.show();
        QCOMPARE(help.frameGeometry().topLeft(), QPoint(420, 300));
        help.close();

        // Unless the board has come there since; no room on the right: left.
        main.move(480, 250);
        QVERIFY(boardArea().intersects(QRect(QPoint(420, 300), help.frameGeometry().size())));
        help.show();
        QVERIFY(!help.frameGeometry().intersects(boardArea()));
        QVERIFY(help.frameGeometry().right() < main.frameGeometry().left());
        help.close();
        // Once put back beside it, it follows the main window again.
        main.move(20, 20);
        help.show();
        QVERIFY(help.frameGeometry().left() > main.frameGeometry().right());
    }

    void theScoringTableIsTheRulesTable()
    {
        QFile page(QStringLiteral(":/help/scoring.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QRegularExpression row(
            QStringLiteral("<tr><td>(\\d+)( or more)?</td><td>(\\d+)</td></tr>"));
        int rows = 0;
        for (auto it = row.globalMatch(html); it.hasNext(); ++rows) {
            const auto m = it.next();
            const int letters = m.captured(1).toInt();
            QCOMPARE(m.captured(3).toInt(), wordScore(letters));
            if (!m.captured(2).isEmpty())
                QCOMPARE(wordScore(letters + 20), wordScore(letters));
        }
        QCOMPARE(rows, 10);
        QVERIFY(
            html.contains(QStringLiteral("15 + %1 = %2").arg(kQuBonus).arg(wordPoints(4, true))));
        QVERIFY(html.contains(QStringLiteral("costs %1 points").arg(kDiscardPenalty)));
    }

    void theTwoLetterWordsAreThoseOfTheStandardList()
    {
        QFile page(QStringLiteral(":/help/scoring.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        const auto m =
            QRegularExpression(QStringLiteral("id=\"two-letter-words\">([^<]*)<")).match(html);
        QVERIFY(m.hasMatch());
        const QStringList listed = m.captured(1).split(u' ', Qt::SkipEmptyParts);
        // Every pair of letters the list accepts, and nothing else.
        const TDictn words;
        QStringList accepted;
        for (char a = 'A'; a <= 'Z'; ++a) {
            for (char b = 'A'; b <= 'Z'; ++b) {
                const char pair[] = {a, b, 0};
                if (words.isword(pair))
                    accepted.append(QString::fromLatin1(pair));
            }
        }
        QCOMPARE(listed, accepted);
    }

    void f1OpensHelpFromTheMainWindow()
    {
        test::GameWindow win;
        Tchat& chat = win.w;
        Thelp help(&chat);
        chat.setHelpWindow(&help);
        chat.show();
        QVERIFY(QTest::qWaitForWindowActive(&chat));
        QVERIFY(!help.isVisible());
        QTest::keyClick(&chat, Qt::Key_F1);
        QVERIFY(help.isVisible());
    }

    void aboutShowsTheVersionCreditsAndReadme()
    {
        Tabout about;
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("version"))->text(),
                 QStringLiteral("1.2.0"));
        QCOMPARE(QByteArray(kVersionText), QByteArray("1.2.0"));
        QLabel* credits = about.findChild<QLabel*>(QStringLiteral("label_credits"));
        for (const char* needle : {"SCOWL", "Kevin Atkinson", "LGPLv3", "README"})
            QVERIFY2(credits->text().contains(QLatin1String(needle)), needle);

        emit credits->linkActivated(QStringLiteral("readme"));
        QVERIFY(about.viewer()->isVisible());
        QVERIFY(about.viewerText()->toPlainText().contains(QStringLiteral("Playing with others")));
        emit credits->linkActivated(QStringLiteral("wordlist"));
        QVERIFY(about.viewerText()->toPlainText().contains(
            QStringLiteral("Copyright 2000-2011 by Kevin Atkinson")));
        QVERIFY(about.viewerText()->toPlainText().contains(QStringLiteral("Geoff Kuenning")));
    }
};

QTEST_MAIN(HelpAboutTest)
#include "helpabout_test.moc"
