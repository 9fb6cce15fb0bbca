#include "windows/tgamestart.h"

#include "client/clientsession.h"
#include "client/uistyle.h"
#include "game/botlevel.h"
#include "settings/gameoptions.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace gorse {

namespace {

// The dialog's size without the hosting player's rows, and their height.
constexpr int kWidth = 260;
constexpr int kHeight = 200;
constexpr int kHostRowsHeight = 96;

// value brought into the range and to the nearest multiple of the step, or
// to the nearer bound where the bound lies between two multiples (47 of
// 45..120 gives 45, 48 gives 50); halves go up.
int snapToStep(const OptionRange& range, int value)
{
    value = range.clamp(value);
    const int multiple = value / range.step * range.step;
    const int below = range.clamp(multiple);
    const int above = multiple == value ? value : range.clamp(multiple + range.step);
    return value - below < above - value ? below : above;
}

} // namespace

UpDown::UpDown(const OptionRange& range, int position, QWidget* parent)
    : QWidget(parent), m_range(range), m_position(range.clamp(position))
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
    setFocusPolicy(Qt::ClickFocus);
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
    m_buddy->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), edit));
    m_buddy->installEventFilter(this);
    connect(m_buddy, &QLineEdit::editingFinished, this, &UpDown::takeTyped);
}

void UpDown::takeTyped()
{
    if (!m_buddy || !m_buddy->isModified())
        return;
    bool number = false;
    const int typed = m_buddy->text().toInt(&number);
    // setPosition writes the position back, which also ends the typing.
    setPosition(number ? snapToStep(m_range, typed) : m_position);
}

void UpDown::step(int steps)
{
    takeTyped();
    setPosition(m_range.stepFrom(m_position, steps));
}

bool UpDown::stepByKey(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        step(1);
        return true;
    case Qt::Key_Down:
        step(-1);
        return true;
    case Qt::Key_PageUp:
        step(10);
        return true;
    case Qt::Key_PageDown:
        step(-10);
        return true;
    default:
        return false;
    }
}

bool UpDown::stepByWheel(const QWheelEvent* event)
{
    constexpr int kNotch = 120;
    const QPoint delta = event->angleDelta();
    m_wheelRest += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = m_wheelRest / kNotch;
    m_wheelRest -= notches * kNotch;
    if (notches != 0)
        step(notches * (event->modifiers() & Qt::ControlModifier ? 10 : 1));
    return true;
}

void UpDown::keyPressEvent(QKeyEvent* event)
{
    if (!stepByKey(event))
        QWidget::keyPressEvent(event);
}

void UpDown::wheelEvent(QWheelEvent* event)
{
    stepByWheel(event);
    event->accept();
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy) {
        if (event->type() == QEvent::KeyPress && stepByKey(static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::Wheel)
            return stepByWheel(static_cast<QWheelEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::setPosition(int position)
{
    position = m_range.clamp(position);
    if (m_buddy)
        m_buddy->setText(QString::number(position));
    if (position == m_position)
        return;
    m_position = position;
    emit positionChanged(position);
}

Tgamestart::Tgamestart(ClientSession* session, GameOptions* options, QWidget* parent)
    : QDialog(parent), m_session(session), m_options(options)
{
    setObjectName(QStringLiteral("Tgamestart"));
    setWindowTitle(QStringLiteral("Gorse - Game Start"));
    setFixedSize(kWidth, kHeight);
    setStyleSheet(QStringLiteral("#Tgamestart { background: white; }"
                                 "#panel { background: black; }"
                                 "QLabel { color: white; }"
                                 "QLineEdit { background: white; color: black; }"));

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setGeometry(8, 8, 244, 184);
    m_panel = panel;

    auto* title = new QLabel(QStringLiteral("Game Options"), panel);
    title->setObjectName(QStringLiteral("Label3"));
    title->setFont(arialFont(18, true));
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(0, 8, 244, 24);

    auto* scoreLabel = new QLabel(QStringLiteral("Play to Score:"), panel);
    scoreLabel->setObjectName(QStringLiteral("Label2"));
    scoreLabel->setGeometry(16, 48, 110, 22);
    edit_playtoscore = new QLineEdit(panel);
    edit_playtoscore->setObjectName(QStringLiteral("edit_playtoscore"));
    edit_playtoscore->setGeometry(130, 48, 70, 24);
    UpDown1 = new UpDown(kPlayToScoreRange, options->playToScore(), panel);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(202, 48, 18, 24);
    UpDown1->setBuddy(edit_playtoscore);

    auto* timeLabel = new QLabel(QStringLiteral("Creation Time:"), panel);
    timeLabel->setObjectName(QStringLiteral("Label1"));
    timeLabel->setGeometry(16, 86, 110, 22);
    edit_creationtime = new QLineEdit(panel);
    edit_creationtime->setObjectName(QStringLiteral("edit_creationtime"));
    edit_creationtime->setGeometry(130, 86, 70, 24);
    UpDown2 = new UpDown(kTimePerTurnRange, options->timePerTurn(), panel);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setGeometry(202, 86, 18, 24);
    UpDown2->setBuddy(edit_creationtime);

    button_start = new QPushButton(QStringLiteral("Start"), panel);
    button_start->setObjectName(QStringLiteral("button_start"));
    button_start->setGeometry(72, 130, 100, 34);
    button_start->setAutoDefault(false);
    connect(button_start, &QPushButton::clicked, this, &Tgamestart::button_startClick);
    m_start = [session](int target, int seconds) { session->startGame(target, seconds); };
    addHostRows(panel);
    showHostRows(session->hosting());
    // From the keyboard: Tab goes down the dialog as it is seen, the arrow
    // keys step what has the focus, and Enter starts.
    setTabOrder(edit_playtoscore, edit_creationtime);
    setTabOrder(edit_creationtime, spin_computers);
    setTabOrder(spin_computers, combo_level);
    setTabOrder(combo_level, combo_wordlist);
    setTabOrder(combo_wordlist, button_start);
    button_start->setDefault(true);
    connect(session, &ClientSession::hostingChanged, this, &Tgamestart::showHostRows);

    // The up-downs show the options and change them.
    connect(UpDown1, &UpDown::positionChanged, options, &GameOptions::setPlayToScore);
    connect(UpDown2, &UpDown::positionChanged, options, &GameOptions::setTimePerTurn);
    connect(options, &GameOptions::changed, this, [this](GameOptions::Option option) {
        if (option == GameOptions::Option::PlayToScore)
            UpDown1->setPosition(m_options->playToScore());
        else if (option == GameOptions::Option::TimePerTurn)
            UpDown2->setPosition(m_options->timePerTurn());
    });
}

void Tgamestart::addHostRows(QWidget* panel)
{
    m_hostRows = new QWidget(panel);
    m_hostRows->setObjectName(QStringLiteral("panel_host"));
    m_hostRows->setGeometry(0, 124, kWidth - 16, kHostRowsHeight);
    const auto row = [this](int y, const QString& text, QWidget* field) {
        auto* label = new QLabel(text, m_hostRows);
        label->setGeometry(16, y, 110, 22);
        label->setBuddy(field);
        field->setGeometry(130, y, 96, 24);
    };
    spin_computers = new QSpinBox(m_hostRows);
    spin_computers->setObjectName(QStringLiteral("spin_computers"));
    spin_computers->setRange(0, GameOptions::kMaxComputerPlayers);
    spin_computers->setValue(m_options->computerPlayers());
    spin_computers->setToolTip(
        QStringLiteral("Computer players who take free seats when you press Start"));
    row(0, QStringLiteral("&Computer players:"), spin_computers);
    combo_level = new QComboBox(m_hostRows);
    combo_level->setObjectName(QStringLiteral("combo_level"));
    for (int level = 0; level < GameOptions::kComputerLevels; ++level)
        combo_level->addItem(botLevelName(BotLevel(level)));
    combo_level->setCurrentIndex(m_options->computerLevel());
    combo_level->setToolTip(QStringLiteral("How well the computer players play"));
    row(32, QStringLiteral("&Level:"), combo_level);
    combo_wordlist = new QComboBox(m_hostRows);
    combo_wordlist->setObjectName(QStringLiteral("combo_wordlist"));
    combo_wordlist->addItem(QStringLiteral("Standard"));
    combo_wordlist->addItem(QStringLiteral("Large"));
    combo_wordlist->setCurrentIndex(int(m_options->wordList()));
    combo_wordlist->setToolTip(
        QStringLiteral("Standard: everyday words. Large: every word of the list, rare ones too"));
    row(64, QStringLiteral("&Word list:"), combo_wordlist);

    connect(spin_computers, &QSpinBox::valueChanged, m_options, &GameOptions::setComputerPlayers);
    connect(combo_level, &QComboBox::currentIndexChanged, m_options,
            &GameOptions::setComputerLevel);
    connect(combo_wordlist, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_options->setWordList(BuiltinList(index)); });
    connect(m_options, &GameOptions::changed, this, [this](GameOptions::Option option) {
        if (option == GameOptions::Option::ComputerPlayers)
            spin_computers->setValue(m_options->computerPlayers());
        else if (option == GameOptions::Option::ComputerLevel)
            combo_level->setCurrentIndex(m_options->computerLevel());
        else if (option == GameOptions::Option::WordList)
            combo_wordlist->setCurrentIndex(int(m_options->wordList()));
    });
}

void Tgamestart::showHostRows(bool hosting)
{
    // The rows go between the two values and Start, which moves down.
    const int extra = hosting ? kHostRowsHeight : 0;
    m_hostRows->setVisible(hosting);
    button_start->move(button_start->x(), 130 + extra);
    m_panel->resize(m_panel->width(), kHeight - 16 + extra);
    setFixedSize(kWidth, kHeight + extra);
}

void Tgamestart::showDialog()
{
    // A number typed and left without taking it is not kept.
    UpDown1->setPosition(UpDown1->position());
    UpDown2->setPosition(UpDown2->position());
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
    return m_options->playToScore();
}

int Tgamestart::creationtime() const
{
    return m_options->timePerTurn();
}

void Tgamestart::button_startClick()
{
    UpDown1->takeTyped();
    UpDown2->takeTyped();
    m_start(m_options->playToScore(), m_options->timePerTurn());
    hide();
    m_options->save();
}

} // namespace gorse
