#include "client/phrasebar.h"

#include "chat/smilies.h"
#include "client/chatentry.h"
#include "client/clientsession.h"
#include "settings/gameoptions.h"
#include "sound/soundcues.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace gorse {

namespace {

constexpr int kButtonWidth = 21;
constexpr int kButtonHeight = 22;
constexpr int kButtonGap = 2;
constexpr int kFirstSmiley = 10;

// A loudspeaker for the sound button.
QIcon speakerIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x50));
    QPainterPath body;
    body.moveTo(1, 6);
    body.lineTo(4, 6);
    body.lineTo(8, 2);
    body.lineTo(8, 14);
    body.lineTo(4, 10);
    body.lineTo(1, 10);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(QPen(QColor(0x30, 0x30, 0x50), 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 4, 6, 8), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 1.5, 9, 13), -60 * 16, 120 * 16);
    return QIcon(pixmap);
}

QToolButton* makeButton(QWidget* parent, const QString& name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->resize(kButtonWidth, kButtonHeight);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoRaise(false);
    return button;
}

} // namespace

PhraseBar::PhraseBar(ClientSession* session, GameOptions* options, ChatEntry* entry,
                     QWidget* parent, PhraseLock::Clock clock)
    : QWidget(parent), m_session(session), m_options(options), m_entry(entry),
      m_lock(std::move(clock))
{
    setObjectName(QStringLiteral("phrasebar"));
    setAccessibleName(QStringLiteral("Phrase buttons"));
    // The buttons stand side by side at fixed places, so that a window that
    // scales its table scales them with it.
    int x = 0;
    const auto place = [&x](QToolButton* button) {
        button->move(x, 0);
        x += kButtonWidth + kButtonGap;
    };
    for (int n = 1; n <= kPhraseButtons; ++n) {
        QToolButton* button = makeButton(this, QStringLiteral("b_phrase%1").arg(n));
        button->setText(QString::number(n));
        connect(button, &QToolButton::clicked, this, [this, n] { b_phraseClick(n); });
        m_phrases[size_t(n - 1)] = button;
        place(button);
    }
    m_smilies = makeButton(this, QStringLiteral("button_smilies"));
    m_smilies->setIcon(QIcon(QPixmap::fromImage(paintSmiley(0))));
    m_smilies->setToolTip(QStringLiteral("Chatter Sounds"));
    m_smilies->setAccessibleName(QStringLiteral("Smilies"));
    m_smilies->setAccessibleDescription(QStringLiteral("Puts a smiley into the chat entry"));
    place(m_smilies);
    QToolButton* sound = makeButton(this, QStringLiteral("b_phrase10"));
    sound->setIcon(speakerIcon());
    sound->setAccessibleName(QStringLiteral("Chatter sounds"));
    sound->setAccessibleDescription(QStringLiteral("Sends a sound to everybody at the table"));
    m_phrases[kPhraseButtons] = sound;
    place(sound);

    createMenus();
    connect(m_smilies, &QToolButton::clicked, this,
            [this] { popupBelow(m_smileyMenu, m_smilies); });
    connect(sound, &QToolButton::clicked, this, [this, sound] { popupBelow(m_soundMenu, sound); });

    // The keyboard goes from the entry through the phrase buttons to the
    // smiley and sound buttons.
    const QList<QWidget*> order = QList<QWidget*>{m_entry} + focusOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    showPhrases();
    connect(options, &GameOptions::changed, this, [this](GameOptions::Option option) {
        if (option == GameOptions::Option::Phrase)
            showPhrases();
    });
}

QList<QWidget*> PhraseBar::focusOrder() const
{
    QList<QWidget*> order;
    for (int n = 1; n <= kPhraseButtons; ++n)
        order.append(m_phrases[size_t(n - 1)]);
    order.append(m_smilies);
    order.append(m_phrases[kPhraseButtons]);
    return order;
}

void PhraseBar::createMenus()
{
    m_smileyMenu = new QMenu(this);
    m_smileyMenu->setObjectName(QStringLiteral("popup_smilies"));
    for (int k = 0; k < 18; ++k) {
        const int tag = kFirstSmiley + k;
        QAction* item = m_smileyMenu->addAction(QIcon(QPixmap::fromImage(paintSmiley(k))),
                                                QStringLiteral(":)#") + QString::number(tag));
        item->setObjectName(k < 17 ? QStringLiteral("MenuItem%1").arg(k + 1)
                                   : QStringLiteral("N271"));
        item->setData(tag);
        connect(item, &QAction::triggered, this, [this, tag] { smileyChosen(tag); });
    }

    m_soundMenu = new QMenu(this);
    m_soundMenu->setObjectName(QStringLiteral("popup_sounds"));
    m_soundMenu->setToolTipsVisible(true);
    QAction* cancel = m_soundMenu->addAction(QStringLiteral("<Cancel>"));
    cancel->setObjectName(QStringLiteral("Cancel1"));
    cancel->setData(0);
    for (int n = 1; n <= kChatterSoundCount; ++n) {
        QAction* item = m_soundMenu->addAction(chatterSoundName(n));
        item->setObjectName(QStringLiteral("wave%1").arg(n));
        item->setData(n);
        item->setToolTip(chatterSoundName(n));
        connect(item, &QAction::triggered, this, [this, n] { soundChosen(n); });
    }
}

QToolButton* PhraseBar::phraseButton(int n) const
{
    return n >= 1 && n <= kPhraseButtons + 1 ? m_phrases[size_t(n - 1)] : nullptr;
}

void PhraseBar::showPhrases()
{
    for (int n = 1; n <= kPhraseButtons + 1; ++n) {
        QToolButton* button = m_phrases[size_t(n - 1)];
        button->setToolTip(m_options->phrase(n));
        if (n <= kPhraseButtons) {
            button->setAccessibleName(QStringLiteral("Phrase %1").arg(n));
            button->setAccessibleDescription(m_options->phrase(n));
        }
    }
}

void PhraseBar::b_phraseClick(int n)
{
    // Before login there is no number to send with; a click within the lock
    // is lost.
    if (n < 1 || n > kPhraseButtons || !m_session->loggedIn() || !m_lock.take())
        return;
    m_session->sendPhrase(m_options->phrase(n), m_options->textColour());
}

void PhraseBar::smileyChosen(int tag)
{
    m_entry->appendText(QStringLiteral(":)#") + QString::number(tag));
}

void PhraseBar::soundChosen(int sound)
{
    if (sound >= 1)
        m_session->sendChatterSound(sound);
}

void PhraseBar::popupBelow(QMenu* menu, QToolButton* button)
{
    menu->popup(button->mapToGlobal(QPoint(button->width(), button->height())));
}

} // namespace gorse
