#pragma once

// The tally's file: the table as grid text, compressed. It is read once at
// start-up and written after every counted game, after every change made in
// the tally window and when the program ends. Every write is atomic, so a
// crash or a full disk leaves the previous file whole. A file that cannot be
// read is never written over: it is kept aside as the same name plus ".bad"
// and the tally starts empty.

#include <QObject>
#include <QString>

namespace gorse {

class Tally;

class TallyFile : public QObject
{
    Q_OBJECT
public:
    static inline const QString kFileName = QStringLiteral("lexmoor2tally.tld");

    // tally is not owned and must outlive this object; path is the file.
    TallyFile(Tally* tally, const QString& path, QObject* parent = nullptr);
    // Writes the tally a last time.
    ~TallyFile() override;

    QString path() const { return m_path; }
    QString badPath() const { return m_path + QStringLiteral(".bad"); }

    // Reads the file into the tally. Returns an empty text when the file was
    // read or did not exist; otherwise the notice for the player: first in
    // plain words what happened to the file, then, after an empty line, the
    // technical reason (the compressor's message).
    QString load();
    // Writes the tally. Returns an empty text or what went wrong.
    QString save();

signals:
    // A save after a change in play failed: the notice for the player, in
    // the same two parts as load's. The previous file stays as it was.
    void saveFailed(const QString& notice);

private:
    QString keepAside(const QString& error);

    Tally* m_tally; // not owned
    QString m_path;
    // Nothing is written before the file was read: an unread file would be
    // replaced by an empty tally.
    bool m_loaded = false;
    bool m_saveBlocked = false;
};

} // namespace gorse
