#include "windows/ttallylist.h"

#include "tally/tally.h"
#include "tally/tallyfile.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <utility>

namespace gorse {

namespace {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text = QString())
{
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

QFrame* makePanel(QWidget* parent, const QString& name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, QColor(0xF7, 0xF8, 0xF9));
    panel->setPalette(p);
    return panel;
}

QFont bold(QFont font)
{
    font.setBold(true);
    return font;
}

// Makes list's items the given names with the given check states, reusing
// the items it has; no signals while doing so.
void fillList(QListWidget* list, const QStringList& names, const QList<bool>& ticked)
{
    const QSignalBlocker blocker(list);
    while (list->count() > names.size())
        delete list->takeItem(list->count() - 1);
    while (list->count() < names.size()) {
        auto* item = new QListWidgetItem(list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    for (int i = 0; i < names.size(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setText(names[i]);
        item->setCheckState(ticked[i] ? Qt::Checked : Qt::Unchecked);
    }
}

// Runs f once, in the watched widget's show event.
class WhenShown : public QObject
{
public:
    WhenShown(QWidget* watched, std::function<void()> f) : QObject(watched), m_f(std::move(f))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && m_f) {
            std::exchange(m_f, nullptr)();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_f;
};

} // namespace

Ttallylist::Ttallylist(Tally* tally, QWidget* parent) : QDialog(parent), m_tally(tally)
{
    setObjectName(QStringLiteral("Ttallylist"));
    setWindowTitle(QStringLiteral("Gorse - Tally List"));
    setModal(false);
    QPalette form = palette();
    form.setColor(QPalette::Window, QColor(0xA5, 0xA2, 0xBC));
    form.setColor(QPalette::WindowText, QColor(0x17, 0x4F, 0x7B));
    setPalette(form);
    setAutoFillBackground(true);

    // Left: the followed opponents.
    auto* label2 =
        makeLabel(this, QStringLiteral("Label2"), QStringLiteral("Players Being Tallied"));
    label2->setFont(bold(font()));
    m_listboxTally = new QListWidget(this);
    m_listboxTally->setObjectName(QStringLiteral("listbox_tally"));

    // Right, top: the own figures.
    auto* label8 = makeLabel(this, QStringLiteral("Label8"), QStringLiteral("Your Total Tally"));
    label8->setFont(bold(font()));
    QFrame* own = makePanel(this, QStringLiteral("FlatPanel2"));
    auto* ownGrid = new QGridLayout(own);
    const std::pair<int, QString> ownRows[] = {
        {1, QStringLiteral("Total Games:")},  {2, QStringLiteral("Your Wins:")},
        {7, QStringLiteral("Total Words:")},  {8, QStringLiteral("Turn Score:")},
        {3, QStringLiteral("Longest Word:")}, {5, QStringLiteral("Best Scoring:")}};
    int line = 0;
    for (const auto& [column, caption] : ownRows) {
        ownGrid->addWidget(makeLabel(own, QString(), caption), line, 0);
        m_mylabel[column] = makeLabel(own, QStringLiteral("mylabel_%1").arg(column));
        m_mylabel[column]->setFont(bold(font()));
        ownGrid->addWidget(m_mylabel[column], line, 1);
        ++line;
    }
    ownGrid->setColumnStretch(1, 1);

    // Right, below: the selected opponent.
    m_hisnametop = makeLabel(this, QStringLiteral("label_hisnametop"));
    m_hisnametop->setFont(bold(font()));
    QFrame* his = makePanel(this, QStringLiteral("FlatPanel1"));
    auto* hisGrid = new QGridLayout(his);
    hisGrid->addWidget(makeLabel(his, QString(), QStringLiteral("Total")), 0, 1);
    hisGrid->addWidget(makeLabel(his, QString(), QStringLiteral("Session")), 0, 2);
    m_hisname = makeLabel(his, QStringLiteral("label_hisname"));
    QLabel* const rowCaptions[] = {makeLabel(his, QString(), QStringLiteral("Number of Games:")),
                                   m_hisname,
                                   makeLabel(his, QString(), QStringLiteral("Your Wins:")),
                                   makeLabel(his, QString(), QStringLiteral("Neither Won:"))};
    for (int r = 0; r < 4; ++r) {
        hisGrid->addWidget(rowCaptions[r], r + 1, 0);
        for (int half = 0; half < 2; ++half) {
            const int n = r + 1 + half * 4;
            m_label[n] = makeLabel(his, QStringLiteral("label_%1").arg(n));
            m_label[n]->setFont(bold(font()));
            hisGrid->addWidget(m_label[n], r + 1, 1 + half);
        }
    }
    hisGrid->setColumnStretch(0, 1);

    // Below: the players of the current game, and the buttons.
    auto* label1 = makeLabel(this, QStringLiteral("Label1"),
                             QStringLiteral("Players In Current Game (Click to Start Tally)"));
    label1->setFont(bold(font()));
    m_checklist = new QListWidget(this);
    m_checklist->setObjectName(QStringLiteral("checklist"));
    m_checklist->setMaximumHeight(110);
    m_buttonReset = new QPushButton(QStringLiteral("Reset Tally"), this);
    m_buttonReset->setObjectName(QStringLiteral("button_reset"));
    m_buttonOk = new QPushButton(QStringLiteral("Ok"), this);
    m_buttonOk->setObjectName(QStringLiteral("FlatButton1"));
    m_buttonOk->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label2, 0, 0);
    layout->addWidget(m_listboxTally, 1, 0, 3, 1);
    layout->addWidget(label8, 0, 1);
    layout->addWidget(own, 1, 1);
    layout->addWidget(m_hisnametop, 2, 1);
    layout->addWidget(his, 3, 1);
    layout->addWidget(label1, 4, 0, 1, 2);
    layout->addWidget(m_checklist, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_buttonReset);
    buttons->addStretch();
    buttons->addWidget(m_buttonOk);
    layout->addLayout(buttons, 6, 0, 1, 2);
    layout->setColumnMinimumWidth(0, 170);
    layout->setColumnMinimumWidth(1, 320);

    connect(m_buttonReset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    connect(m_buttonOk, &QPushButton::clicked, this, &Ttallylist::FlatButton1Click);
    connect(m_checklist, &QListWidget::itemChanged, this, &Ttallylist::checklistChanged);
    connect(m_listboxTally, &QListWidget::itemChanged, this, &Ttallylist::listboxChanged);
    connect(m_listboxTally, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        m_tally->listbox_tallyClick(m_listboxTally->row(item));
    });
    connect(m_tally, &Tally::changed, this, &Ttallylist::render);
    render();
}

void Ttallylist::render()
{
    for (int column : {1, 2, 3, 5, 7, 8})
        m_mylabel[column]->setText(m_tally->mylabel(column));
    for (int n = 1; n <= 8; ++n)
        m_label[n]->setText(m_tally->label(n));
    m_hisname->setText(m_tally->hisname());
    m_hisnametop->setText(m_tally->hisnametop());

    const QStringList followed = m_tally->followed();
    fillList(m_listboxTally, followed, QList<bool>(followed.size(), true));
    {
        const QSignalBlocker blocker(m_listboxTally);
        m_listboxTally->setCurrentRow(m_tally->selected());
    }
    const QStringList players = m_tally->checklist();
    QList<bool> ticked;
    for (const QString& name : players)
        ticked.append(m_tally->isFollowed(name));
    fillList(m_checklist, players, ticked);
}

// The list is changed only after the signal that reports the click has been
// delivered, so no item is deleted while Qt still uses it.
void Ttallylist::checklistChanged(QListWidgetItem* item)
{
    const int index = m_checklist->row(item);
    QTimer::singleShot(0, this, [this, index] { m_tally->checklistClickCheck(index); });
}

void Ttallylist::listboxChanged(QListWidgetItem* item)
{
    if (item->checkState() != Qt::Unchecked)
        return; // ticking does nothing
    const int index = m_listboxTally->row(item);
    QTimer::singleShot(0, this, [this, index] { listbox_tallyClickCheck(index); });
}

void Ttallylist::listbox_tallyClickCheck(int index)
{
    if (index < 0 || index >= m_tally->followed().size())
        return;
    if (ask(m_tally->unfollowQuestion(index)))
        m_tally->unfollow(index);
    else
        render(); // ticked again
}

void Ttallylist::button_resetClick()
{
    if (ask(Tally::resetQuestion()))
        m_tally->reset();
}

void Ttallylist::ViewTally1Click()
{
    m_tally->loadchecklist();
    show();
    raise();
    activateWindow();
}

bool Ttallylist::ask(const QString& text)
{
    if (m_ask)
        return m_ask(text);
    return QMessageBox::question(this, QStringLiteral("Gorse"), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QMessageBox* Ttallylist::showFileNotice(QWidget* above, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Gorse"), text,
                                QMessageBox::Ok, above);
    box->setObjectName(QStringLiteral("tallyFileNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    // A window kept on top covers every other: the box joins it there.
    if (above->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    // Shown after the window it belongs to, in the next turn of the event
    // loop, so that it is the last window shown and the active one.
    const auto showBox = [box] { QTimer::singleShot(0, box, [box] { box->show(); }); };
    if (above->isVisible())
        showBox();
    else
        new WhenShown(above, showBox);
    return box;
}

void Ttallylist::setTallyFile(TallyFile* file)
{
    connect(file, &TallyFile::saveFailed, this, &Ttallylist::showSaveFailure);
}

void Ttallylist::showSaveFailure(const QString& text)
{
    if (m_saveNotice)
        return;
    // Above the tally window when the change was made there.
    QWidget* parent = isVisible() || !parentWidget() ? this : parentWidget();
    m_saveNotice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Gorse"), text,
                                   QMessageBox::Ok, parent);
    m_saveNotice->setObjectName(QStringLiteral("tallySaveNotice"));
    m_saveNotice->setAttribute(Qt::WA_DeleteOnClose);
    m_saveNotice->setWindowModality(Qt::NonModal);
    m_saveNotice->show();
}

} // namespace gorse
