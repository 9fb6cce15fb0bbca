#include "settings/optionsmenu.h"

#include "settings/gameoptions.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace gorse {

namespace {

QAction* makeItem(QObject* parent, const char* name, const QString& text, bool checkable)
{
    auto* action = new QAction(text, parent);
    action->setObjectName(QLatin1StringView(name));
    action->setCheckable(checkable);
    return action;
}

} // namespace

OptionsMenuItems::OptionsMenuItems(GameOptions* options, QWidget* parent)
    : QObject(parent), m_options(options)
{
    m_playSounds = makeItem(this, "PlaySounds1", QStringLiteral("Play Sounds"), true);
    m_playChatterSounds =
        makeItem(this, "PlayChatterSounds1", QStringLiteral("Play Chatter Sounds"), true);
    m_turnSound = new QMenu(QStringLiteral("Turn Sound"), parent);
    m_turnSound->setObjectName(QStringLiteral("TurnSound1"));
    m_turnGroup = new QActionGroup(this);
    m_classic = makeItem(m_turnGroup, "Classic1", QStringLiteral("Classic"), true);
    m_new = makeItem(m_turnGroup, "New1", QStringLiteral("New"), true);
    m_turnSound->addAction(m_classic);
    m_turnSound->addAction(m_new);
    m_reset =
        makeItem(this, "ResetScreenLocation1", QStringLiteral("Reset Screen Location"), false);
    follow();

    connect(m_playSounds, &QAction::triggered, this, [this](bool on) {
        m_options->setPlaySounds(on);
        m_options->save();
    });
    connect(m_playChatterSounds, &QAction::triggered, this, [this](bool on) {
        m_options->setPlayChatterSounds(on);
        m_options->save();
    });
    connect(m_classic, &QAction::triggered, this, [this] {
        m_options->setTurnSoundNew(false);
        m_options->save();
    });
    connect(m_new, &QAction::triggered, this, [this] {
        m_options->setTurnSoundNew(true);
        m_options->save();
    });
    connect(m_reset, &QAction::triggered, this, &OptionsMenuItems::resetScreenLocation);
    connect(options, &GameOptions::changed, this, &OptionsMenuItems::follow);
}

void OptionsMenuItems::follow()
{
    m_playSounds->setChecked(m_options->playSounds());
    m_playChatterSounds->setChecked(m_options->playChatterSounds());
    (m_options->turnSoundNew() ? m_new : m_classic)->setChecked(true);
}

void OptionsMenuItems::addTo(QMenu* menu) const
{
    menu->addAction(m_playSounds);
    menu->addAction(m_playChatterSounds);
    menu->addMenu(m_turnSound);
    menu->addAction(m_reset);
}

} // namespace gorse
