#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace gorse {

// Makes sure one copy of the game runs per user session. The first copy
// claims a local name; a later copy finds it, asks the first to come to the
// front, and ends. The name lives in the abstract socket namespace, so a copy
// that crashed leaves nothing behind that could block the next start.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    // The name is built from the user id and the session's runtime folder.
    explicit InstanceGuard(QObject* parent = nullptr);
    explicit InstanceGuard(const QString& name, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True when this is the first copy (the name is now ours). False when
    // another copy holds it; that copy has then been asked to come forward.
    bool claim();
    // Gives the name up while this copy goes on running, so that a copy it
    // starts can claim it. claim() takes it again.
    void release();
    bool held() const { return m_server != nullptr; }
    QString name() const { return m_name; }

    static QString defaultName();

signals:
    // Another copy was started and asks this one to show itself.
    void raiseRequested();

private:
    bool askFirstCopy();

    QString m_name;
    QLocalServer* m_server = nullptr; // owned through QObject parenting
};

} // namespace gorse
