// The phrase editor, offscreen: filled from the options at every opening,
// "Done" applying and storing, any other close discarding, 50 characters,
// and a write that fails.
#include "settings/gameoptions.h"
#include "settings/settingsfile.h"
#include "support/files.h"
#include "windows/tphrases.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace gorse;

class PhrasesTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("velmarlobby.ini")); }

private slots:
    void opensFilledFromTheButtons()
    {
        GameOptions options;
        Tphrases editor(&options, nullptr);
        QCOMPARE(editor.windowTitle(), QStringLiteral("Gorse - Phrase Buttons "));
        QCOMPARE(editor.findChild<QLabel*>(QStringLiteral("Label13"))->text(),
                 QStringLiteral("Buttons can only be used once every 2 seconds"));
        QCOMPARE(editor.button_done()->text(), QStringLiteral("Done"));
        const QList<QLabel*> labels = editor.findChildren<QLabel*>();
        for (int n = 1; n <= 10; ++n) {
            QLineEdit* edit = editor.phrase(n);
            QCOMPARE(edit->objectName(), QStringLiteral("phrase%1").arg(n));
            QCOMPARE(edit->maxLength(), 50);
            QVERIFY(!edit->toolTip().isEmpty());
            QCOMPARE(edit->accessibleName(), QStringLiteral("Phrase Button %1:").arg(n));
            QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) {
                return l->text() == QStringLiteral("Phrase Button %1:").arg(n) &&
                       l->buddy() == edit;
            }));
        }
        options.setPhrase(4, QStringLiteral("Good Find!"));
        editor.PrhaseList1Click();
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.phrase(1)->text(), QStringLiteral("Way To Go!"));
        QCOMPARE(editor.phrase(4)->text(), QStringLiteral("Good Find!"));
        QCOMPARE(editor.phrase(10)->text(), QStringLiteral("/me waves \"Good-Bye\""));

        // A 51st character cannot be typed.
        editor.phrase(2)->clear();
        QTest::keyClicks(editor.phrase(2), QString(60, QLatin1Char('x')));
        QCOMPARE(editor.phrase(2)->text(), QString(50, QLatin1Char('x')));

        // Closed with its close box: nothing applied; reopening shows the
        // buttons' phrases again.
        editor.close();
        QCOMPARE(options.phrase(2), QStringLiteral("Good One!"));
        editor.PrhaseList1Click();
        QCOMPARE(editor.phrase(2)->text(), QStringLiteral("Good One!"));
        editor.phrase(2)->setText(QStringLiteral("changed"));
        QTest::keyClick(&editor, Qt::Key_Escape);
        QVERIFY(!editor.isVisible());
        QCOMPARE(options.phrase(2), QStringLiteral("Good One!"));
    }

    void doneStoresOnlyWhatThePlayerChangedAndAnEmptyPhraseComesBackAfterARestart()
    {
        // Ten stored phrases of the player's own, the seventh longer than an
        // edit holds.
        const QString longPhrase = QStringLiteral("/me ") + QString(56, QLatin1Char('z'));
        QByteArray stored = "[Lobby]\nUser=Kim\n[Gorse]\nTextsize=12\n";
        for (int n = 1; n <= 10; ++n)
            stored += "Phrase" + QByteArray::number(n) + '=' +
                      (n == 7 ? longPhrase.toUtf8() : "mine " + QByteArray::number(n)) + '\n';
        QVERIFY(test::writeFile(path(), stored));
        GameOptions options;
        SettingsFile settings(&options, path());
        Tphrases editor(&options, &settings);

        // Before the own login the editor shows the built-in phrases; Done
        // stores only the one the player changed.
        editor.PrhaseList1Click();
        QCOMPARE(editor.phrase(2)->text(), QStringLiteral("Good One!"));
        editor.phrase(2)->selectAll();
        QTest::keyClicks(editor.phrase(2), QStringLiteral("Hello"));
        QTest::mouseClick(editor.button_done(), Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QCOMPARE(options.phrase(2), QStringLiteral("Hello"));
        QByteArray expected = stored;
        expected.replace("Phrase2=mine 2\n", "Phrase2=Hello\n");
        QCOMPARE(test::readFile(path()), expected);

        // After it, Done with nothing touched keeps the long phrase whole.
        options.load();
        QCOMPARE(options.phrase(7), longPhrase);
        editor.PrhaseList1Click();
        QCOMPARE(editor.phrase(7)->text(), longPhrase.left(50));
        QTest::mouseClick(editor.button_done(), Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QCOMPARE(options.phrase(7), longPhrase);
        QCOMPARE(test::readFile(path()), expected);

        // A phrase emptied is sent empty and stored empty.
        editor.PrhaseList1Click();
        editor.phrase(1)->setText(QStringLiteral("/me dances"));
        editor.phrase(3)->clear();
        QTest::mouseClick(editor.button_done(), Qt::LeftButton);
        QCOMPARE(options.phrase(1), QStringLiteral("/me dances"));
        QCOMPARE(options.phrase(3), QString());
        expected.replace("Phrase1=mine 1\n", "Phrase1=/me dances\n");
        expected.replace("Phrase3=mine 3\n", "Phrase3=\n");
        QCOMPARE(test::readFile(path()), expected);

        // The next start reads them at the login; the empty one is ignored.
        GameOptions restarted;
        SettingsFile file(&restarted, path());
        restarted.load();
        QCOMPARE(restarted.phrase(1), QStringLiteral("/me dances"));
        QCOMPARE(restarted.phrase(3), QStringLiteral("Nice Try!"));
        QCOMPARE(restarted.phrase(7), longPhrase);
        QCOMPARE(restarted.textSize(), 12);
    }

    void aFailedWriteKeepsTheEditorOpenAndThePhrasesApplied()
    {
        const QString unwritable =
            test::unwritablePath(m_dir.path(), QStringLiteral("velmarlobby.ini"));
        GameOptions options;
        SettingsFile settings(&options, unwritable);
        Tphrases editor(&options, &settings);
        editor.PrhaseList1Click();
        editor.phrase(5)->setText(QStringLiteral("Well played"));
        QTest::mouseClick(editor.button_done(), Qt::LeftButton);
        QVERIFY(editor.isVisible());
        QCOMPARE(options.phrase(5), QStringLiteral("Well played"));
        QMessageBox* box = editor.failureBox();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("Unable to write to ") + unwritable);
        // A second try while the notice is open adds no second notice.
        QTest::mouseClick(editor.button_done(), Qt::LeftButton);
        QCOMPARE(editor.findChildren<QMessageBox*>().size(), 1);
    }
};

QTEST_MAIN(PhrasesTest)
#include "phrases_test.moc"
