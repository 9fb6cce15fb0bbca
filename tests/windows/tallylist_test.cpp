// The tally window, offscreen: its captions, following a player of the
// current game by a click on his check box, an opponent's counts, the
// Yes/No questions before an opponent is dropped or the tally reset, and
// what the player is told when the tally file cannot be read or written.
#include "support/files.h"
#include "support/gamewindow.h"
#include "tally/tally.h"
#include "tally/tallyfile.h"
#include "windows/tdownload.h"
#include "windows/ttallylist.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using namespace gorse;

namespace {

QString text(const QWidget& w, const QString& name)
{
    const auto* label = w.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("(no %1)").arg(name);
}

// Every QLabel's text in a panel, in creation order.
QStringList panelTexts(const QWidget& w, const QString& panel)
{
    QStringList texts;
    for (const QLabel* label : w.findChild<QWidget*>(panel)->findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
}

// A click on the check box of a list's row, where the style draws it.
void clickCheckBox(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    QStyleOptionViewItem opt;
    opt.initFrom(list->viewport());
    opt.rect = list->visualItemRect(item);
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = item->text();
    opt.checkState = item->checkState();
    const QRect box =
        list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
}

void clickItem(QListWidget* list, int row)
{
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(r.right() - 5, r.center().y()));
}

// "Name+" for a ticked item, "Name-" for an unticked one.
QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text() +
                   (list->item(i)->checkState() == Qt::Checked ? u'+' : u'-'));
    return out;
}

// A tally following names, and its window whose Yes/No questions the test
// answers; every question asked is kept.
struct Answered
{
    Tally tally;
    Ttallylist window{&tally};
    QStringList asked;
    bool answer = false;

    explicit Answered(const QStringList& names)
    {
        tally.setPlayersSource([names] { return names; });
        tally.loadchecklist();
        for (int i = 0; i < names.size(); ++i)
            tally.checklistClickCheck(i);
        window.setQuestion([this](const QString& question) {
            asked.append(question);
            return answer;
        });
        window.show();
    }
};

} // namespace

class TallyListTest : public QObject
{
    Q_OBJECT
private slots:
    void showsTheDesignedCaptionsAndIsNotModal()
    {
        Tally tally;
        Ttallylist window(&tally);
        window.ViewTally1Click();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Gorse - Tally List"));
        QVERIFY(!window.isModal());
        QCOMPARE(window.windowModality(), Qt::NonModal);
        QCOMPARE(text(window, QStringLiteral("Label2")), QStringLiteral("Players Being Tallied"));
        QCOMPARE(text(window, QStringLiteral("Label8")), QStringLiteral("Your Total Tally"));
        QCOMPARE(text(window, QStringLiteral("Label1")),
                 QStringLiteral("Players In Current Game (Click to Start Tally)"));
        QCOMPARE(window.button_reset()->text(), QStringLiteral("Reset Tally"));
        QCOMPARE(window.FlatButton1()->text(), QStringLiteral("Ok"));
        QCOMPARE(panelTexts(window, QStringLiteral("FlatPanel2")),
                 (QStringList{QStringLiteral("Total Games:"), QStringLiteral("0"),
                              QStringLiteral("Your Wins:"), QStringLiteral("0"),
                              QStringLiteral("Total Words:"), QStringLiteral("0"),
                              QStringLiteral("Turn Score:"), QStringLiteral("0"),
                              QStringLiteral("Longest Word:"), QStringLiteral("None"),
                              QStringLiteral("Best Scoring:"), QStringLiteral("None")}));
        QCOMPARE(text(window, QStringLiteral("label_hisnametop")), QString());
        QCOMPARE(text(window, QStringLiteral("label_hisname")), QStringLiteral("XX Wins:"));
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(text(window, QStringLiteral("label_%1").arg(n)), QStringLiteral("0"));
        for (const char* caption :
             {"Total", "Session", "Number of Games:", "Your Wins:", "Neither Won:"})
            QVERIFY(panelTexts(window, QStringLiteral("FlatPanel1"))
                        .contains(QString::fromLatin1(caption)));

        // The own figures follow the tally.
        tally.addword(QStringLiteral("STRING"), 6, 3);
        tally.addgame(QStringLiteral("addtomine"));
        QCOMPARE(text(window, QStringLiteral("mylabel_3")), QStringLiteral("STRING (6)"));
        QCOMPARE(text(window, QStringLiteral("mylabel_2")), QStringLiteral("1"));
        QTest::mouseClick(window.FlatButton1(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    void followsAPlayerOfTheCurrentGameByHisCheckBox()
    {
        Tally tally;
        QStringList players{QStringLiteral("Bob"), QStringLiteral("Cy")};
        tally.setPlayersSource([&players] { return players; });
        Ttallylist window(&tally);
        window.ViewTally1Click();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(items(window.checklist()),
                 (QStringList{QStringLiteral("Bob-"), QStringLiteral("Cy-")}));

        clickCheckBox(window.checklist(), 0);
        QTRY_COMPARE(items(window.listbox_tally()), QStringList{QStringLiteral("Bob+")});
        QCOMPARE(items(window.checklist()),
                 (QStringList{QStringLiteral("Bob+"), QStringLiteral("Cy-")}));
        // Unticking him there does not stop following him.
        clickCheckBox(window.checklist(), 0);
        QTRY_COMPARE(items(window.checklist()),
                     (QStringList{QStringLiteral("Bob+"), QStringLiteral("Cy-")}));
        QCOMPARE(tally.followed(), QStringList{QStringLiteral("Bob")});

        // His counts, once selected, follow every game.
        clickItem(window.listbox_tally(), 0);
        QCOMPARE(text(window, QStringLiteral("label_hisnametop")), QStringLiteral("Bob's Tally"));
        QCOMPARE(text(window, QStringLiteral("label_hisname")), QStringLiteral("Bob Wins:"));
        tally.addgame(QStringLiteral("Bob"));
        for (int n : {1, 2, 5, 6})
            QCOMPARE(text(window, QStringLiteral("label_%1").arg(n)), QStringLiteral("1"));
        QCOMPARE(text(window, QStringLiteral("label_3")), QStringLiteral("0"));
        QCOMPARE(text(window, QStringLiteral("mylabel_1")), QStringLiteral("1"));

        // The next time the window opens, the players are those of that game.
        players = {QStringLiteral("Dee")};
        window.ViewTally1Click();
        QCOMPARE(items(window.checklist()), QStringList{QStringLiteral("Dee-")});
    }

    void dropsAnOpponentOnlyWhenTheAnswerIsYes()
    {
        Answered a({QStringLiteral("Bob"), QStringLiteral("Cy")});
        Ttallylist& window = a.window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(items(window.listbox_tally()),
                 (QStringList{QStringLiteral("Bob+"), QStringLiteral("Cy+")}));

        clickCheckBox(window.listbox_tally(), 0);
        QTRY_COMPARE(a.asked, QStringList{QStringLiteral(
                                  "This will delete Bob's Tally, Are you want to delete it?")});
        QTRY_COMPARE(items(window.listbox_tally()),
                     (QStringList{QStringLiteral("Bob+"), QStringLiteral("Cy+")}));
        QCOMPARE(a.tally.rowCount(), 3);

        a.answer = true;
        clickCheckBox(window.listbox_tally(), 0);
        QTRY_COMPARE(items(window.listbox_tally()), QStringList{QStringLiteral("Cy+")});
        QCOMPARE(a.asked.size(), 2);
        QCOMPARE(a.tally.rowCount(), 2);
        QCOMPARE(a.tally.cell(0, 1), QStringLiteral("Cy"));
    }

    void resetsOnlyWhenTheAnswerIsYes()
    {
        Answered a({QStringLiteral("Bob")});
        a.tally.addgame(QStringLiteral("addtomine"));
        Ttallylist& window = a.window;
        QTest::mouseClick(window.button_reset(), Qt::LeftButton);
        QCOMPARE(a.asked, QStringList{QStringLiteral("Are you sure you want to reset the Tally?")});
        QCOMPARE(text(window, QStringLiteral("mylabel_1")), QStringLiteral("1"));
        QCOMPARE(window.listbox_tally()->count(), 1);

        a.answer = true;
        QTest::mouseClick(window.button_reset(), Qt::LeftButton);
        QCOMPARE(text(window, QStringLiteral("mylabel_1")), QStringLiteral("0"));
        QCOMPARE(text(window, QStringLiteral("mylabel_2")), QStringLiteral("0"));
        QCOMPARE(window.listbox_tally()->count(), 0);
        QCOMPARE(a.tally.rowCount(), 1);
    }

    void aDamagedFileIsToldAboveTheSoloStart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(TallyFile::kFileName);
        QVERIFY(test::writeFile(path, "WRZL")); // cut short
        Tally tally;
        TallyFile file(&tally, path);
        const QString notice = file.load();
        QVERIFY(QFile::exists(path + QStringLiteral(".bad")));
        QVERIFY(!QFile::exists(path));

        // The solo start as the program makes it: the main window shows the
        // download window, which stays on top, and the notice is handed the
        // download window before either is on screen.
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost, 0));
        test::GameWindow win(test::launchAs(LaunchOptions::Mode::Solo, QStringLiteral("You"),
                                            QString(), host.serverPort()),
                             {.tally = &tally}, [](quint16) { return QString(); });
        Tchat& chat = win.w;
        Tdownload download(
            LobbyConfig{}, [](const QString&, const QStringList&) { return true; }, &chat);
        chat.setDownloadWindow(&download);
        chat.show();
        const QPointer<QMessageBox> box = Ttallylist::showFileNotice(&download, notice);
        QTRY_VERIFY(box->isVisible());
        QVERIFY(download.isVisible());
        QCOMPARE(box->text(),
                 QStringLiteral("The statistics file could not be read. It was kept as %1.bad and "
                                "a new one was started.\n\nLzrw1 : Error reading from input "
                                "file : %1")
                     .arg(path));

        // Modal, on top of the download window, and the active window. The
        // offscreen platform keeps no stacking order: what it shows is the
        // window the box belongs to, its layer and which window is active.
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        QCOMPARE(QApplication::activeModalWidget(), box.data());
        QCOMPARE(box->windowHandle()->transientParent(), download.windowHandle());
        QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QTRY_COMPARE(QApplication::activeWindow(), box.data());
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        QVERIFY(ok->isVisible() && ok->isEnabled());
        QVERIFY(box->screen()->geometry().contains(ok->mapToGlobal(ok->rect().center())));
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(!box);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(download.isVisible());
    }

    void aSaveThatFailsInPlayIsToldOneNoticeAtATime()
    {
        QTemporaryDir dir;
        const QString path = test::unwritablePath(dir.path(), TallyFile::kFileName);
        Tally tally;
        TallyFile file(&tally, path);
        QCOMPARE(file.load(), QString());
        QWidget main;
        main.show();
        Ttallylist window(&tally, &main);
        window.setTallyFile(&file);

        tally.addgame(Tally::kOwnWin);
        QMessageBox* box = window.saveFailureBox();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal()); // the game goes on behind it
        QCOMPARE(box->parentWidget(), &main);
        QVERIFY(box->text().startsWith(
            QStringLiteral("The statistics could not be saved to %1.").arg(path)));
        QVERIFY(box->text().contains(
            QStringLiteral("\n\nLzrw1 (de)compression : Failed to open output file : ") + path));
        tally.addgame(Tally::kOwnWin);
        QCOMPARE(window.saveFailureBox(), box);
        QCOMPARE(main.findChildren<QMessageBox*>().size(), 1);
        box->close();
        QTRY_VERIFY(!window.saveFailureBox());
        tally.addgame(Tally::kOwnWin);
        QVERIFY(window.saveFailureBox());
    }
};

QTEST_MAIN(TallyListTest)
#include "tallylist_test.moc"
