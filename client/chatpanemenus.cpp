// ChatPane: its pop-up menu and the items the main window's menus show
// (clear, scroll off, text colour, text size), and what they do.

#include "client/chatpane.h"

#include "chat/chatlog.h"
#include "client/uistyle.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>

namespace gorse {

void ChatPane::createActions()
{
    auto makeAction = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1StringView(name));
        return action;
    };

    m_selectAll = makeAction("SelectAll1", QStringLiteral("Select All"));
    m_copy = makeAction("Copy1", QStringLiteral("Copy"));
    m_copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    m_copy->setShortcutContext(Qt::WidgetShortcut); // the pane copies by itself
    m_clear = makeAction("ClearMainChat2", QStringLiteral("Clear Main Chat"));
    m_scrollOff = makeAction("ScrollChatOff1", QStringLiteral("Scroll Chat Off"));
    m_scrollOff->setCheckable(true);
    m_scrollOff->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // Only while the menu is open; the Options menu item owns the key.
    m_scrollOff->setShortcutContext(Qt::WidgetShortcut);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popup_mainchat"));
    m_popup->addAction(m_selectAll);
    m_popup->addAction(m_copy);
    m_popup->addAction(m_clear);
    m_popup->addAction(m_scrollOff);

    m_scrollOff2 = makeAction("ScrollChatOff2", QStringLiteral("Scroll Chat Off"));
    m_scrollOff2->setCheckable(true);
    m_scrollOff2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_clear1 = makeAction("ClearMainChat1", QStringLiteral("Clear Main Chat"));
    m_textColor = makeAction("TextColor1", QStringLiteral("Text Color"));

    m_textSizeMenu = new QMenu(QStringLiteral("Text Size"), this);
    m_textSizeMenu->setObjectName(QStringLiteral("TextSize1"));
    for (std::size_t i = 0; i < m_textSizeItems.size(); ++i) {
        const int points = kTextSizes[i];
        QAction* item = new QAction(QString::number(points), this);
        item->setObjectName(QStringLiteral("N%1").arg(points));
        item->setCheckable(true);
        m_textSizeMenu->addAction(item);
        m_textSizeItems[i] = item;
        connect(item, &QAction::triggered, this, [this, points] { TextSizeClick(points); });
    }

    connect(m_selectAll, &QAction::triggered, this, &ChatPane::SelectAll1Click);
    connect(m_copy, &QAction::triggered, this, &ChatPane::Copy1Click);
    connect(m_clear, &QAction::triggered, this, &ChatPane::ClearMainChatClick);
    connect(m_clear1, &QAction::triggered, this, &ChatPane::ClearMainChatClick);
    connect(m_scrollOff, &QAction::triggered, this,
            [this](bool on) { m_log->setScrollChatOff(on); });
    connect(m_scrollOff2, &QAction::triggered, this,
            [this](bool on) { m_log->setScrollChatOff(on); });
    connect(m_textColor, &QAction::triggered, this, &ChatPane::TextColor1Click);

    setScrollChecks(m_log->scrollChatOff());
    updateTextSizeChecks();
}

QAction* ChatPane::textSizeAction(int points) const
{
    for (std::size_t i = 0; i < m_textSizeItems.size(); ++i) {
        if (kTextSizes[i] == points)
            return m_textSizeItems[i];
    }
    return nullptr;
}

void ChatPane::applyTextSize(int points)
{
    QFont font = document()->defaultFont();
    font.setPointSize(points);
    document()->setDefaultFont(font);
    updateTextSizeChecks();
    restyleVisible();
}

void ChatPane::updateTextSizeChecks()
{
    for (std::size_t i = 0; i < m_textSizeItems.size(); ++i)
        m_textSizeItems[i]->setChecked(kTextSizes[i] == m_log->textSize());
}

void ChatPane::setScrollChecks(bool on)
{
    m_scrollOff->setChecked(on);
    m_scrollOff2->setChecked(on);
}

void ChatPane::contextMenuEvent(QContextMenuEvent* event)
{
    m_popup->exec(event->globalPos());
    event->accept();
}

void ChatPane::SelectAll1Click()
{
    insertPendingLines();
    selectAll();
}

void ChatPane::Copy1Click()
{
    copy();
}

void ChatPane::ClearMainChatClick()
{
    m_log->clear();
    emit focusChatEntry();
}

void ChatPane::ScrollChatOffClick()
{
    m_log->setScrollChatOff(!m_log->scrollChatOff());
}

void ChatPane::TextColor1Click()
{
    const std::optional<QColor> chosen = m_pickColour(toQColor(m_log->chatColour()));
    if (chosen && chosen->isValid())
        m_log->chooseChatColour(fromQColor(*chosen));
}

void ChatPane::TextSizeClick(int points)
{
    m_log->chooseTextSize(points);
    // A click on the checked item unchecks it; the marks follow the size.
    updateTextSizeChecks();
}

void ChatPane::mainchatJump(int link)
{
    emit linkClicked(link);
    const QUrl url = m_log->linkUrl(link);
    if (!url.isValid() || !m_openLink(url))
        QMessageBox::information(this, QString(), QStringLiteral("Cannot open Webpage"));
}

} // namespace gorse
