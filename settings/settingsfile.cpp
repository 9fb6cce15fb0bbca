#include "settings/settingsfile.h"

#include "game/botlevel.h"
#include "settings/inifile.h"
#include "settings/paths.h"
#include "settings/screenbounds.h"

#include <QDir>

namespace gorse {

namespace {

using Option = GameOptions::Option;

const QString kSectionName = QString::fromLatin1(SettingsFile::kSection);

// Every option kept in the file, once: its key, the text that stands for a
// missing key, how a stored text is applied and what is written. In the
// order they are written; the window's bounds are written after the text
// size, and the phrases on their own.
struct OptionKey
{
    Option option;
    const char* name;
    const char* missing;
    void (*read)(GameOptions& options, const QString& text);
    QString (*write)(const GameOptions& options);
};

const OptionKey kOptionKeys[] = {
    {Option::TextSize, "Textsize", "8",
     [](GameOptions& o, const QString& t) { o.setTextSize(iniNumber(t).value_or(8)); },
     [](const GameOptions& o) { return QString::number(o.textSize()); }},
    {Option::TurnSoundNew, "Turnsound", "0",
     [](GameOptions& o, const QString& t) { o.setTurnSoundNew(t == QLatin1StringView("1")); },
     [](const GameOptions& o) {
         return o.turnSoundNew() ? QStringLiteral("1") : QStringLiteral("0");
     }},
    {Option::PlayChatterSounds, "ChatterSounds", "true",
     [](GameOptions& o, const QString& t) { o.setPlayChatterSounds(iniFlag(t, true)); },
     [](const GameOptions& o) { return iniFlagText(o.playChatterSounds()); }},
    {Option::TextColour, "Textcolor", "clblack",
     [](GameOptions& o, const QString& t) { o.setTextColour(colourFromText(t).value_or(kBlack)); },
     [](const GameOptions& o) { return colourToText(o.textColour()); }},
    // The two game values keep their position when the stored text is empty
    // or not a number; "$" is the only hexadecimal form here.
    {Option::PlayToScore, "Playtoscore", "30",
     [](GameOptions& o, const QString& t) {
         if (const auto score = iniNumber(t, false))
             o.setPlayToScore(*score);
     },
     [](const GameOptions& o) { return QString::number(o.playToScore()); }},
    {Option::TimePerTurn, "Timeperturn", "1",
     [](GameOptions& o, const QString& t) {
         if (const auto time = iniNumber(t, false))
             o.setTimePerTurn(*time);
     },
     [](const GameOptions& o) { return QString::number(o.timePerTurn()); }},
    {Option::Warning, "Warning", "false",
     [](GameOptions& o, const QString& t) { o.setWarning(iniFlag(t, false)); },
     [](const GameOptions& o) { return iniFlagText(o.warning()); }},
    {Option::PlaySounds, "Playsounds", "true",
     [](GameOptions& o, const QString& t) { o.setPlaySounds(iniFlag(t, true)); },
     [](const GameOptions& o) { return iniFlagText(o.playSounds()); }},
    // Our own keys, after those the lobby program shares.
    {Option::Zoom, "Zoom", "",
     [](GameOptions& o, const QString& t) {
         o.setZoom(iniNumber(t).value_or(GameOptions::kMinZoom));
     },
     [](const GameOptions& o) { return QString::number(o.zoom()); }},
    {Option::ConfirmNewGame, "ConfirmNewGame", "true",
     [](GameOptions& o, const QString& t) { o.setConfirmNewGame(iniFlag(t, true)); },
     [](const GameOptions& o) { return iniFlagText(o.confirmNewGame()); }},
    {Option::ConfirmLeave, "ConfirmLeave", "true",
     [](GameOptions& o, const QString& t) { o.setConfirmLeave(iniFlag(t, true)); },
     [](const GameOptions& o) { return iniFlagText(o.confirmLeave()); }},
    {Option::ComputerPlayers, "ComputerPlayers", "",
     [](GameOptions& o, const QString& t) { o.setComputerPlayers(iniNumber(t).value_or(0)); },
     [](const GameOptions& o) { return QString::number(o.computerPlayers()); }},
    {Option::ComputerLevel, "ComputerLevel", "",
     [](GameOptions& o, const QString& t) {
         if (const auto level = botLevelFromName(t))
             o.setComputerLevel(int(*level));
     },
     [](const GameOptions& o) { return botLevelName(BotLevel(o.computerLevel())); }},
    {Option::WordList, "WordList", "",
     [](GameOptions& o, const QString& t) {
         if (const auto list = builtinListFromName(t))
             o.setWordList(*list);
     },
     [](const GameOptions& o) { return builtinListName(o.wordList()); }},
};

// The window's bounds, with the values that stand for missing keys.
struct BoundsKey
{
    const char* name;
    int missing;
};
constexpr BoundsKey kLeft{"Left", 3};
constexpr BoundsKey kTop{"Top", 3};
constexpr BoundsKey kWidth{"Width", 727};
constexpr BoundsKey kHeight{"Height", 543};

QString phraseKey(int n)
{
    return QStringLiteral("Phrase") + QString::number(n);
}

int boundsValue(const IniFile& ini, const BoundsKey& key)
{
    return iniNumber(SettingsFile::value(ini, QString::fromLatin1(key.name))).value_or(key.missing);
}

} // namespace

QString SettingsFile::defaultPath()
{
    return QDir(dataDir()).filePath(QLatin1StringView(kFileName));
}

QString SettingsFile::value(const IniFile& ini, const QString& key)
{
    return ini.value(kSectionName, key);
}

void SettingsFile::setValue(IniFile& ini, const QString& key, const QString& text)
{
    ini.setValue(kSectionName, key, text);
}

SettingsFile::SettingsFile(GameOptions* options, QString path, QObject* parent)
    : QObject(parent), m_options(options), m_path(std::move(path))
{
    connect(options, &GameOptions::loadRequested, this, &SettingsFile::loadinifile);
    connect(options, &GameOptions::saveRequested, this, &SettingsFile::saveinifile);
    connect(options, &GameOptions::changed, this, [this](Option option) {
        if (!m_loaded)
            m_changedBeforeLoad.insert(option);
    });
    connect(options, &GameOptions::phraseChanged, this, [this](int n) {
        if (!m_loaded)
            m_phrasesChangedBeforeLoad.insert(n);
    });
}

QString SettingsFile::failure() const
{
    return QStringLiteral("Unable to write to ") + m_path;
}

QString SettingsFile::loadinifile()
{
    IniFile ini(m_path);
    const QString error = ini.load();
    m_loaded = true;
    // In the order the lobby program reads them: the bounds after the text
    // size, the phrases before the warning.
    for (const OptionKey& key : kOptionKeys) {
        if (key.option == Option::TurnSoundNew) {
            const QRect bounds(boundsValue(ini, kLeft), boundsValue(ini, kTop),
                               boundsValue(ini, kWidth), boundsValue(ini, kHeight));
            m_options->setWindowBounds(bounds);
            emit windowBoundsLoaded(bounds);
        }
        if (key.option == Option::Warning) {
            for (int n = 1; n <= GameOptions::kPhraseCount; ++n) {
                const QString phrase = ini.value(kSectionName, phraseKey(n));
                if (!phrase.isEmpty())
                    m_options->setPhrase(n, phrase);
            }
        }
        key.read(*m_options, ini.value(kSectionName, QString::fromLatin1(key.name),
                                       QString::fromLatin1(key.missing)));
    }
    m_changedBeforeLoad.clear();
    m_phrasesChangedBeforeLoad.clear();
    return error;
}

QString SettingsFile::saveinifile()
{
    return save(m_boundsSource ? m_boundsSource() : m_options->windowBounds());
}

QString SettingsFile::save(const QRect& bounds)
{
    IniFile ini(m_path);
    // Before the stored options were read only what the player changed is
    // written; everything after it.
    for (const OptionKey& key : kOptionKeys) {
        if (key.option == Option::TurnSoundNew && m_loaded) {
            setValue(ini, QString::fromLatin1(kTop.name), QString::number(bounds.top()));
            setValue(ini, QString::fromLatin1(kLeft.name), QString::number(bounds.left()));
            setValue(ini, QString::fromLatin1(kWidth.name), QString::number(bounds.width()));
            setValue(ini, QString::fromLatin1(kHeight.name), QString::number(bounds.height()));
        }
        if (m_loaded || m_changedBeforeLoad.count(key.option) > 0)
            setValue(ini, QString::fromLatin1(key.name), key.write(*m_options));
    }
    const QString error = ini.save();
    if (error.isEmpty())
        return {};
    const QString message = failure();
    emit saveFailed(message);
    return message;
}

QString SettingsFile::savePhrases()
{
    IniFile ini(m_path);
    // Before the stored phrases were read, the built-in ones stand for them:
    // only the player's own are written.
    for (int n = 1; n <= GameOptions::kPhraseCount; ++n) {
        if (m_loaded || m_phrasesChangedBeforeLoad.count(n) > 0)
            ini.setValue(kSectionName, phraseKey(n), m_options->phrase(n));
    }
    return ini.save().isEmpty() ? QString() : failure();
}

QString SettingsFile::saveAtClose(const QRect& bounds, const QRect& workArea)
{
    if (!m_loaded || bounds == m_options->windowBounds())
        return {};
    const QRect stored = shrinkForWorkArea(bounds, workArea);
    m_options->setWindowBounds(stored);
    return save(stored);
}

} // namespace gorse
