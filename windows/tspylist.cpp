#include "windows/tspylist.h"

#include "client/clientsession.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace gorse {

Tspylist::Tspylist(ClientSession* session, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_session(session)
{
    setObjectName(QStringLiteral("Tspylist"));
    setWindowTitle(QStringLiteral("Gorse - Spys"));
    QPalette form = palette();
    form.setColor(QPalette::Window, QColor(0xA5, 0xA4, 0xBC));
    setPalette(form);
    setAutoFillBackground(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listbox_spys"));
    m_list->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    m_list->setStyleSheet(
        QStringLiteral("QListWidget { background: #F7F8F9; } QListWidget::item { height: 13px; }"));
    m_list->setContextMenuPolicy(Qt::DefaultContextMenu);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popup_kick"));
    m_kick = m_popup->addAction(QStringLiteral("Remove From Game"));
    m_kick->setObjectName(QStringLiteral("popup_kickhim"));
    m_kick->setEnabled(session->canRemoveSpies());
    connect(m_kick, &QAction::triggered, this, &Tspylist::popup_kickhimClick);
    connect(session, &ClientSession::hostingChanged, this,
            [this] { m_kick->setEnabled(m_session->canRemoveSpies()); });

    auto* footer = new QLabel(QStringLiteral("Spy List"), this);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    connect(done, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    auto* row = new QHBoxLayout;
    row->addWidget(footer);
    row->addStretch();
    row->addWidget(done);
    layout->addLayout(row);
    resize(200, 160);
    setFixedSize(sizeHint().expandedTo(QSize(200, 160)));

    connect(session->table(), &Table::spiesChanged, this, &Tspylist::refresh);
    refresh();
}

void Tspylist::refresh()
{
    m_list->clear();
    for (const Spy& spy : m_session->table()->spies())
        m_list->addItem(spy.itemText());
    m_underPointer = -1;
}

bool Tspylist::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            QListWidgetItem* item = m_list->itemAt(move->position().toPoint());
            m_underPointer = item ? m_list->row(item) : -1;
        } else if (event->type() == QEvent::Leave) {
            m_underPointer = -1;
        } else if (event->type() == QEvent::ContextMenu) {
            const auto* menu = static_cast<QContextMenuEvent*>(event);
            QListWidgetItem* item = m_list->itemAt(menu->pos());
            m_underPointer = item ? m_list->row(item) : -1;
            m_menuItem = m_underPointer;
            m_popup->popup(menu->globalPos());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tspylist::popup_kickhimClick()
{
    const int row = m_menuItem >= 0 ? m_menuItem : m_underPointer;
    m_menuItem = -1;
    const QList<Spy>& spies = m_session->table()->spies();
    if (row < 0 || row >= spies.size())
        return;
    m_session->kicking(spies[row].number);
}

} // namespace gorse
