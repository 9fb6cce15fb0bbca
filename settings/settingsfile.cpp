#include "settings/settingsfile.h"

#include "game/botlevel.h"
#include "settings/inifile.h"
#include "settings/screenbounds.h"

namespace gorse {

namespace {

using Option = GameOptions::Option;

const QString kSectionName = QString::fromLatin1(SettingsFile::kSection);

QString phraseKey(int n)
{
    return QStringLiteral("Phrase") + QString::number(n);
}

int numberOr(const IniFile& ini, const QString& key, int defaultValue)
{
    return iniNumber(ini.value(kSectionName, key)).value_or(defaultValue);
}

} // namespace

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
    const QString& s = kSectionName;
    auto text = [&](const char* key, const char* defaultValue) {
        return ini.value(s, QString::fromLatin1(key), QString::fromLatin1(defaultValue));
    };

    m_options->setTextSize(numberOr(ini, QStringLiteral("Textsize"), 8));
    const QRect bounds(
        numberOr(ini, QStringLiteral("Left"), 3), numberOr(ini, QStringLiteral("Top"), 3),
        numberOr(ini, QStringLiteral("Width"), 727), numberOr(ini, QStringLiteral("Height"), 543));
    m_options->setWindowBounds(bounds);
    emit windowBoundsLoaded(bounds);
    m_options->setTurnSoundNew(text("Turnsound", "0") == QLatin1StringView("1"));
    m_options->setPlayChatterSounds(iniFlag(text("ChatterSounds", "true"), true));
    m_options->setTextColour(colourFromText(text("Textcolor", "clblack")).value_or(kBlack));
    // The two game values keep their position when the stored text is empty
    // or not a number; "$" is the only hexadecimal form here.
    if (const auto score = iniNumber(text("Playtoscore", "30"), false))
        m_options->setPlayToScore(*score);
    if (const auto time = iniNumber(text("Timeperturn", "1"), false))
        m_options->setTimePerTurn(*time);
    for (int n = 1; n <= GameOptions::kPhraseCount; ++n) {
        const QString phrase = ini.value(s, phraseKey(n));
        if (!phrase.isEmpty())
            m_options->setPhrase(n, phrase);
    }
    m_options->setWarning(iniFlag(text("Warning", "false"), false));
    m_options->setPlaySounds(iniFlag(text("Playsounds", "true"), true));

    // Our own keys, after those the lobby program shares.
    m_options->setZoom(numberOr(ini, QStringLiteral("Zoom"), GameOptions::kMinZoom));
    m_options->setConfirmNewGame(iniFlag(text("ConfirmNewGame", "true"), true));
    m_options->setConfirmLeave(iniFlag(text("ConfirmLeave", "true"), true));
    m_options->setComputerPlayers(numberOr(ini, QStringLiteral("ComputerPlayers"), 0));
    if (const auto level = botLevelFromName(text("ComputerLevel", "")))
        m_options->setComputerLevel(int(*level));
    if (const auto list = builtinListFromName(text("WordList", "")))
        m_options->setWordList(*list);
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
    const QString& s = kSectionName;
    // Before the stored options were read only what the player changed is
    // written; everything after it.
    auto wanted = [this](Option option) {
        return m_loaded || m_changedBeforeLoad.count(option) > 0;
    };
    if (wanted(Option::TextSize))
        ini.setValue(s, QStringLiteral("Textsize"), QString::number(m_options->textSize()));
    if (m_loaded) {
        ini.setValue(s, QStringLiteral("Top"), QString::number(bounds.top()));
        ini.setValue(s, QStringLiteral("Left"), QString::number(bounds.left()));
        ini.setValue(s, QStringLiteral("Width"), QString::number(bounds.width()));
        ini.setValue(s, QStringLiteral("Height"), QString::number(bounds.height()));
    }
    if (wanted(Option::TurnSoundNew))
        ini.setValue(s, QStringLiteral("Turnsound"),
                     m_options->turnSoundNew() ? QStringLiteral("1") : QStringLiteral("0"));
    if (wanted(Option::PlayChatterSounds))
        ini.setValue(s, QStringLiteral("ChatterSounds"),
                     iniFlagText(m_options->playChatterSounds()));
    if (wanted(Option::TextColour))
        ini.setValue(s, QStringLiteral("Textcolor"), colourToText(m_options->textColour()));
    if (wanted(Option::PlayToScore))
        ini.setValue(s, QStringLiteral("Playtoscore"), QString::number(m_options->playToScore()));
    if (wanted(Option::TimePerTurn))
        ini.setValue(s, QStringLiteral("Timeperturn"), QString::number(m_options->timePerTurn()));
    if (wanted(Option::Warning))
        ini.setValue(s, QStringLiteral("Warning"), iniFlagText(m_options->warning()));
    if (wanted(Option::PlaySounds))
        ini.setValue(s, QStringLiteral("Playsounds"), iniFlagText(m_options->playSounds()));
    if (wanted(Option::Zoom))
        ini.setValue(s, QStringLiteral("Zoom"), QString::number(m_options->zoom()));
    if (wanted(Option::ConfirmNewGame))
        ini.setValue(s, QStringLiteral("ConfirmNewGame"), iniFlagText(m_options->confirmNewGame()));
    if (wanted(Option::ConfirmLeave))
        ini.setValue(s, QStringLiteral("ConfirmLeave"), iniFlagText(m_options->confirmLeave()));
    if (wanted(Option::ComputerPlayers))
        ini.setValue(s, QStringLiteral("ComputerPlayers"),
                     QString::number(m_options->computerPlayers()));
    if (wanted(Option::ComputerLevel))
        ini.setValue(s, QStringLiteral("ComputerLevel"),
                     botLevelName(BotLevel(m_options->computerLevel())));
    if (wanted(Option::WordList))
        ini.setValue(s, QStringLiteral("WordList"), builtinListName(m_options->wordList()));
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
