#pragma once

#include "settings/gameoptions.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <functional>
#include <set>

namespace gorse {

class IniFile;

// The player's options on disk: section "Gorse" of "velmarlobby.ini", a file
// shared with the lobby program, whose other sections and keys are never
// touched. Reads the options when they ask for it (the own login) and writes
// them at every change the player makes.
//
// Before the stored options were read, a save writes only the options the
// player changed so far, and closing the window writes nothing, so that
// built-in states never replace stored ones.
class SettingsFile : public QObject
{
    Q_OBJECT
public:
    static constexpr char kFileName[] = "velmarlobby.ini";
    static constexpr char kSection[] = "Gorse";
    // Keys of the same section that the player's options do not hold: the
    // lobby's name and recent addresses (the lobby reads and writes them),
    // where the lobby is downloaded from and which lobby program runs (the
    // download window reads them).
    static constexpr char kLobbyNameKey[] = "LobbyName";
    static constexpr char kLobbyRecentKey[] = "LobbyRecent"; // followed by 1..10
    static constexpr char kLobbyUrlKey[] = "LobbyUrl";
    static constexpr char kLobbyProgramKey[] = "LobbyProgram";

    // The settings file in the data folder.
    static QString defaultPath();
    // A key of the game's section ("" when the file has none), and setting it.
    static QString value(const IniFile& ini, const QString& key);
    static void setValue(IniFile& ini, const QString& key, const QString& text);

    // options is not owned. Follows its loadRequested and saveRequested.
    SettingsFile(GameOptions* options, QString path, QObject* parent = nullptr);

    const QString& path() const { return m_path; }
    // Whether the stored options were read.
    bool loaded() const { return m_loaded; }

    // Reads every key and applies it to the options; a missing file or key
    // gives the built-in default. Returns "" or why the file could not be
    // read (the defaults are then applied and the file is never written
    // over while it cannot be read).
    QString loadinifile();
    // Writes every key but the phrases. Returns "" or "Unable to write to "
    // and the path, which saveFailed() also announces; the file then stays
    // as it was.
    QString saveinifile();
    // Writes the ten phrase keys (the phrase editor's "Done"), all or none;
    // before the stored options were read, only the phrases the player
    // changed. Returns "" or "Unable to write to " and the path.
    QString savePhrases();
    // The window is closing with these bounds (frame included) on a desktop
    // whose work area is workArea: when they differ from the remembered
    // ones, they are remembered (shrunk where larger than the work area)
    // and every key is written. Nothing before the stored options were read.
    QString saveAtClose(const QRect& bounds, const QRect& workArea);

    // Where the window stands now, written as Top, Left, Width and Height;
    // without it the remembered bounds are written.
    void setBoundsSource(std::function<QRect()> source) { m_boundsSource = std::move(source); }

signals:
    // The stored bounds were read and remembered: the window goes there.
    void windowBoundsLoaded(const QRect& bounds);
    // A save failed: "Unable to write to " and the path.
    void saveFailed(const QString& message);

private:
    QString save(const QRect& bounds);
    QString failure() const;

    GameOptions* m_options; // not owned
    QString m_path;
    bool m_loaded = false;
    // Options the player changed before the stored ones were read.
    std::set<GameOptions::Option> m_changedBeforeLoad;
    // Phrases (1..10) the player changed before the stored ones were read.
    std::set<int> m_phrasesChangedBeforeLoad;
    std::function<QRect()> m_boundsSource;
};

} // namespace gorse
