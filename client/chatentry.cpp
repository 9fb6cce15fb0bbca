#include "client/chatentry.h"

#include "chat/chatinput.h"
#include "client/clientsession.h"
#include "client/uistyle.h"
#include "settings/gameoptions.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QValidator>

namespace gorse {

namespace {

// Refuses any edit that would make the text longer than a message carries.
class ChatLimitValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return utf8Length(input) <= kChatEntryLimit ? Acceptable : Invalid;
    }
};

} // namespace

const QString ChatEntry::kPlaceholder = QStringLiteral("<Enter Chat Here>");

ChatEntry::ChatEntry(ClientSession* session, GameOptions* options, QWidget* parent)
    : QLineEdit(kPlaceholder, parent), m_session(session), m_options(options)
{
    setObjectName(QStringLiteral("mychat"));
    setFont(arialFont(13));
    setValidator(new ChatLimitValidator(this));
    setToolTip(QStringLiteral("Type a chat line and press Enter; start it with /me for an action"));
    setAccessibleName(QStringLiteral("Chat entry"));

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popup_mychat"));
    m_paste = m_popup->addAction(QStringLiteral("Paste"));
    m_paste->setObjectName(QStringLiteral("Paste1"));
    // Shown in the menu; the key itself reaches keyPressEvent.
    m_paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    m_paste->setShortcutContext(Qt::WidgetShortcut);
    connect(m_paste, &QAction::triggered, this, &ChatEntry::Paste1Click);

    showColour();
    connect(options, &GameOptions::changed, this, [this](GameOptions::Option option) {
        if (option == GameOptions::Option::TextColour)
            showColour();
    });
}

void ChatEntry::showColour()
{
    QPalette p = palette();
    p.setColor(QPalette::Text, toQColor(m_options->textColour()));
    setPalette(p);
}

void ChatEntry::clearPlaceholder()
{
    if (text() == kPlaceholder)
        clear();
}

void ChatEntry::sendit()
{
    if (m_session->sendit(text(), m_options->textColour()))
        clear();
}

void ChatEntry::Paste1Click()
{
    const QString pasted = QGuiApplication::clipboard()->text();
    if (pasted.isEmpty())
        return;
    clearPlaceholder();
    // What does not fit is left out.
    setText(fitUtf8(text() + pasted, kChatEntryLimit));
    deselect();
    setCursorPosition(int(text().size()));
}

bool ChatEntry::appendText(const QString& added)
{
    const QString base = text() == kPlaceholder ? QString() : text();
    if (utf8Length(base + added) > kChatEntryLimit)
        return false;
    setText(base + added);
    deselect();
    setCursorPosition(int(text().size()));
    return true;
}

void ChatEntry::keyPressEvent(QKeyEvent* event)
{
    // Any key first takes the placeholder away.
    clearPlaceholder();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        sendit();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        Paste1Click();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatEntry::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() || !event->preeditString().isEmpty())
        clearPlaceholder();
    QLineEdit::inputMethodEvent(event);
}

void ChatEntry::contextMenuEvent(QContextMenuEvent* event)
{
    m_paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    m_popup->popup(event->globalPos());
    event->accept();
}

} // namespace gorse
