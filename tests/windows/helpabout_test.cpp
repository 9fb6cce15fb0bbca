// The help and about windows, offscreen: every help page behind its button,
// the scoring page against the rules, F1, and the about window's texts.
#include "app/tchat.h"
#include "dict/tdictn.h"
#include "net/rules.h"
#include "settings/gameoptions.h"
#include "support/testutil.h"
#include "windows/tabout.h"
#include "windows/thelp.h"

#include <QFile>
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
            QCOMPARE(m.captured(3).toInt(), wordscore(letters));
            if (!m.captured(2).isEmpty())
                QCOMPARE(wordscore(letters + 20), wordscore(letters));
        }
        QCOMPARE(rows, 10);
        QVERIFY(
            html.contains(QStringLiteral("15 + %1 = %2").arg(kQuBonus).arg(wordpoints(4, true))));
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
        LaunchOptions none;
        none.mode = LaunchOptions::Mode::None;
        GameOptions options;
        Tchat chat(none, HostStarter(), &options, nullptr);
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
