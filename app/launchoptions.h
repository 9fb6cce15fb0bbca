#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace gorse {

// How this copy was started: what the positional arguments say, and the
// options taken out of the command line before they were read.
struct LaunchOptions
{
    enum class Mode { Solo, Host, Join, None };

    Mode mode = Mode::Solo;
    QString playerName;  // empty in the None mode (left as it was)
    QString hostAddress; // kept in the Host mode, though not used for connecting
    QStringList positional;
    quint16 port = 7772;
    std::optional<quint64> seed;
    QString wordsFile;
    QString lobbyUrl; // where the lobby download window downloads from

    // True when started from the command line (host or join), which also opens
    // the side connection.
    bool fromCommandLine() const { return mode == Mode::Host || mode == Mode::Join; }
    bool hosts() const { return mode == Mode::Solo || mode == Mode::Host; }
};

// Reads the arguments after the program name. "--port N", "--seed S",
// "--words FILE" and "--lobby-url URL" may stand anywhere and are removed before the positional
// arguments (player name, host address, "true" to host) are read. Returns an
// error text for a malformed option.
std::optional<LaunchOptions> parseLaunchOptions(const QStringList& args, QString* error = nullptr);

// The usage text for --help and option errors.
QString launchUsage();

} // namespace gorse
