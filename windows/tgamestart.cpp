#include "windows/tgamestart.h"

#include "client/clientservices.h"
#include "client/clientsession.h"
#include "net/messages.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace gorse {

UpDown::UpDown(int minimum, int maximum, int increment, int position, QWidget* parent)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_increment(increment),
      m_position(qBound(minimum, position, maximum))
{
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 12);
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_up);
    column->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
}

void UpDown::setBuddy(QLineEdit* edit)
{
    m_buddy = edit;
    m_buddy->setText(QString::number(m_position));
}

void UpDown::setPosition(int position)
{
    position = qBound(m_min, position, m_max);
    if (m_buddy)
        m_buddy->setText(QString::number(position));
    if (position == m_position)
        return;
    m_position = position;
    emit positionChanged(position);
}

Tgamestart::Tgamestart(ClientSession* session, SettingsHooks* settings, QWidget* parent)
    : QDialog(parent), m_session(session), m_settings(settings)
{
    setObjectName(QStringLiteral("Tgamestart"));
    setWindowTitle(QStringLiteral("Gorse - Game Start"));
    setFixedSize(260, 200);
    setStyleSheet(QStringLiteral("#Tgamestart { background: white; }"
                                 "#panel { background: black; }"
                                 "QLabel { color: white; }"
                                 "QLineEdit { background: white; color: black; }"));

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setGeometry(8, 8, 244, 184);

    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    titleFont.setPixelSize(18);
    auto* title = new QLabel(QStringLiteral("Game Options"), panel);
    title->setObjectName(QStringLiteral("Label3"));
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(0, 8, 244, 24);

    auto* scoreLabel = new QLabel(QStringLiteral("Play to Score:"), panel);
    scoreLabel->setObjectName(QStringLiteral("Label2"));
    scoreLabel->setGeometry(16, 48, 110, 22);
    edit_playtoscore = new QLineEdit(QStringLiteral("500"), panel);
    edit_playtoscore->setObjectName(QStringLiteral("edit_playtoscore"));
    edit_playtoscore->setReadOnly(true);
    edit_playtoscore->setGeometry(130, 48, 70, 24);
    UpDown1 = new UpDown(300, 20000, 100, 500, panel);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(202, 48, 18, 24);
    UpDown1->setBuddy(edit_playtoscore);

    auto* timeLabel = new QLabel(QStringLiteral("Creation Time:"), panel);
    timeLabel->setObjectName(QStringLiteral("Label1"));
    timeLabel->setGeometry(16, 86, 110, 22);
    edit_creationtime = new QLineEdit(QStringLiteral("120"), panel);
    edit_creationtime->setObjectName(QStringLiteral("edit_creationtime"));
    edit_creationtime->setReadOnly(true);
    edit_creationtime->setGeometry(130, 86, 70, 24);
    UpDown2 = new UpDown(45, 120, 10, 120, panel);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setGeometry(202, 86, 18, 24);
    UpDown2->setBuddy(edit_creationtime);

    button_start = new QPushButton(QStringLiteral("Start"), panel);
    button_start->setObjectName(QStringLiteral("button_start"));
    button_start->setGeometry(72, 130, 100, 34);
    button_start->setAutoDefault(false);
    connect(button_start, &QPushButton::clicked, this, &Tgamestart::button_startClick);
}

void Tgamestart::showDialog()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

int Tgamestart::playtoscore() const
{
    return UpDown1->position();
}

int Tgamestart::creationtime() const
{
    return UpDown2->position();
}

void Tgamestart::setPositions(int playtoscore, int creationtime)
{
    UpDown1->setPosition(playtoscore);
    UpDown2->setPosition(creationtime);
}

void Tgamestart::button_startClick()
{
    // The player's own name: the login name without its terminator.
    QByteArray name = m_session->loginName();
    if (name.endsWith(kTerminator))
        name.chop(1);
    m_session->send(msg::startgame(name, UpDown1->position(), UpDown2->position()));
    hide();
    if (m_settings)
        m_settings->saveinifile();
}

} // namespace gorse
