// The settings file and the main window, offscreen: stored bounds placing
// the window (and bringing it back onto the screen), closing, the notice of
// a failed save, and the sound items of the Options menu.
#include "settings/gameoptions.h"
#include "settings/optionsmenu.h"
#include "settings/settingsbinding.h"
#include "settings/settingsfile.h"
#include "support/fakes.h"
#include "support/files.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace gorse;

using test::readFile;
using test::writeFile;

namespace {

// A shown window bound to the settings file at path.
struct BoundWindow
{
    explicit BoundWindow(const QString& path) : settings(&options, path)
    {
        window.show();
        exposed = QTest::qWaitForWindowExposed(&window);
    }
    GameOptions options;
    SettingsFile settings;
    QWidget window;
    SettingsBinding binding{&window, &settings};
    bool exposed = false;
};

} // namespace

class SettingsBindingTest : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("velmarlobby.ini")); }

private slots:
    void storedBoundsPlaceTheWindowOnAScreen()
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        struct Case
        {
            QByteArray stored;
            QRect placed;
        };
        const Case cases[] = {
            {"[Gorse]\nLeft=50\nTop=60\nWidth=400\nHeight=300\n", QRect(50, 60, 400, 300)},
            // Off every screen: brought back, size kept.
            {"[Gorse]\nLeft=-5000\nTop=100\nWidth=400\nHeight=300\n", QRect(0, 100, 400, 300)},
            {"[Gorse]\nLeft=20\nTop=90000\nWidth=400\nHeight=300\n",
             QRect(20, screen.bottom() + 1 - 300, 400, 300)},
        };
        for (const Case& c : cases) {
            QVERIFY(writeFile(path(), c.stored));
            BoundWindow w(path());
            QVERIFY(w.exposed);
            w.options.load();
            QTRY_COMPARE(SettingsBinding::windowBounds(&w.window), c.placed);
        }
    }

    void closingWritesOnlyWhenTheWindowMoved()
    {
        const QByteArray stored = "[Lobby]\nUser=Kim\n[Gorse]\nLeft=50\nTop=60\nWidth=400\n"
                                  "Height=300\n";
        QVERIFY(writeFile(path(), stored));
        BoundWindow w(path());
        QVERIFY(w.exposed);
        w.options.load();
        QTRY_COMPARE(SettingsBinding::windowBounds(&w.window), QRect(50, 60, 400, 300));
        w.binding.windowClosing();
        QCOMPARE(readFile(path()), stored);

        w.window.move(70, 80);
        QTRY_COMPARE(w.window.frameGeometry().topLeft(), QPoint(70, 80));
        w.binding.windowClosing();
        const QByteArray written = readFile(path());
        QVERIFY(written.startsWith("[Lobby]\nUser=Kim\n[Gorse]\nLeft=70\nTop=80\nWidth=400\n"
                                   "Height=300\nTextsize=8\n"));
        QCOMPARE(w.options.windowBounds(), QRect(70, 80, 400, 300));
    }

    void aFailedSaveShowsOneNoticeAtATime()
    {
        const QString unwritable =
            test::unwritablePath(m_dir.path(), QStringLiteral("velmarlobby.ini"));
        GameOptions options;
        SettingsFile settings(&options, unwritable);
        QWidget window;
        SettingsBinding binding(&window, &settings);
        options.load();
        options.setWarning(true);
        options.save();
        QMessageBox* box = binding.saveFailureBox();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal()); // the game goes on behind it
        QCOMPARE(box->text(), QStringLiteral("Unable to write to ") + unwritable);
        options.setPlaySounds(false);
        options.save();
        QCOMPARE(binding.saveFailureBox(), box);
        QCOMPARE(window.findChildren<QMessageBox*>().size(), 1);
        box->close();
        QTRY_VERIFY(!binding.saveFailureBox());
        options.save();
        QVERIFY(binding.saveFailureBox());
    }

    void soundItemsFollowTheOptionsAndSaveThePlayersChoice()
    {
        test::RecordingOptions options;
        QWidget window;
        OptionsMenuItems items(&options, &window);
        QMenu menu;
        items.addTo(&menu);
        QCOMPARE(items.PlaySounds1()->text(), QStringLiteral("Play Sounds"));
        QCOMPARE(items.PlayChatterSounds1()->text(), QStringLiteral("Play Chatter Sounds"));
        QCOMPARE(items.TurnSound1()->title(), QStringLiteral("Turn Sound"));
        QCOMPARE(items.Classic1()->text(), QStringLiteral("Classic"));
        QCOMPARE(items.New1()->text(), QStringLiteral("New"));
        QCOMPARE(items.ResetScreenLocation1()->text(), QStringLiteral("Reset Screen Location"));
        QVERIFY(items.PlaySounds1()->isChecked());
        QVERIFY(items.PlayChatterSounds1()->isChecked());
        QVERIFY(items.Classic1()->isChecked());
        QVERIFY(!items.New1()->isChecked());

        items.PlaySounds1()->trigger();
        QVERIFY(!options.playSounds());
        QCOMPARE(options.saves, 1);
        items.PlayChatterSounds1()->trigger();
        QVERIFY(!options.playChatterSounds());
        items.New1()->trigger();
        QVERIFY(options.turnSoundNew());
        QVERIFY(!items.Classic1()->isChecked());
        items.Classic1()->trigger();
        QVERIFY(!options.turnSoundNew());
        QCOMPARE(options.saves, 4);

        // Values read from the file show without saving.
        options.setPlaySounds(true);
        options.setTurnSoundNew(true);
        QVERIFY(items.PlaySounds1()->isChecked());
        QVERIFY(items.New1()->isChecked());
        QCOMPARE(options.saves, 4);
        int resets = 0;
        connect(&items, &OptionsMenuItems::resetScreenLocation, [&] { ++resets; });
        items.ResetScreenLocation1()->trigger();
        QCOMPARE(resets, 1);
        QCOMPARE(options.saves, 4);
    }
};

QTEST_MAIN(SettingsBindingTest)
#include "settingsbinding_test.moc"
