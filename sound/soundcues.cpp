#include "sound/soundcues.h"

#include <array>

namespace gorse {

QString cueName(Cue cue)
{
    switch (cue) {
    case Cue::Entered:
        return QStringLiteral("entered");
    case Cue::Turn:
        return QStringLiteral("turn");
    case Cue::Place:
        return QStringLiteral("place");
    case Cue::Clear:
        return QStringLiteral("clear");
    case Cue::GoodWord:
        return QStringLiteral("goodword");
    case Cue::BadWord:
        return QStringLiteral("badword");
    case Cue::Shift:
        return QStringLiteral("shift");
    case Cue::Timer:
        return QStringLiteral("timer");
    case Cue::RoundOver:
        return QStringLiteral("roundover");
    case Cue::Winner:
        return QStringLiteral("winner");
    case Cue::GameOver:
        return QStringLiteral("gameover");
    }
    return QString();
}

QString chatterSoundName(int n)
{
    static const std::array<const char*, kChatterSoundCount> names = {
        "Doh",       "Cough",    "Hello",          "Thank You",    "Where have you been?",
        "Snoring",   "Sneezing", "Sorry",          "Welcome",      "Yeehaa",
        "Yippee",    "Oh No",    "Applause",       "Honk",         "Oooh",
        "Razzberry", "Cheer",    "Woman Laughing", "Man Laughing", "Crying",
    };
    if (n < 1 || n > kChatterSoundCount)
        return QString();
    return QString::fromLatin1(names[n - 1]);
}

int chatterSoundNumber(const QString& recording)
{
    if (!recording.startsWith(QLatin1String("wave"), Qt::CaseInsensitive))
        return 0;
    const QStringView digits = QStringView(recording).mid(4);
    if (digits.isEmpty() || digits.size() > 2)
        return 0;
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n >= 1 && n <= kChatterSoundCount ? n : 0;
}

} // namespace gorse
