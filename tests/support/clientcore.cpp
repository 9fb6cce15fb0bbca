#include "support/clientcore.h"

#include "dict/tdictn.h"
#include "game/rules.h"
#include "net/messages.h"
#include "support/testutil.h"

#include <set>

namespace gorse::test {

void hostSays(ClientSession& session, const QByteArray& message)
{
    session.receiveBytes(frame(message));
    session.processQueued();
}

bool ClientCore::connect(const QString& name)
{
    if (!host.listen(QHostAddress::LocalHost, 0))
        return false;
    session.connectTo(QStringLiteral("127.0.0.1"), host.serverPort(), name);
    if (!waitUntil([&] { return host.hasPendingConnections(); }))
        return false;
    peer = host.nextPendingConnection();
    QObject::connect(peer, &QTcpSocket::readyRead, [this] { fromClient += peer->readAll(); });
    return waitUntil([&] { return session.sock().Connected(); });
}

QStringList chatLines(const ChatLog& log)
{
    QStringList lines;
    for (const QString& line : log.plainText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        lines.append(line.trimmed());
    return lines;
}

QByteArray twoCardWords()
{
    std::set<QByteArray> words;
    for (int a = 1; a <= kCardCount; ++a) {
        for (int b = 1; b <= kCardCount; ++b)
            words.insert(converttoletter(a) + converttoletter(b));
    }
    QByteArray records;
    for (const QByteArray& w : words)
        records += '\x1E' + w.leftJustified(TDictn::recordsize - 1, ' ');
    return records;
}

} // namespace gorse::test
