#include "host/hostmetrics.h"

#include "host/tableset.h"

namespace gorse {

namespace {

class Writer
{
public:
    void family(const char* name, const char* type, const char* help)
    {
        m_name = name;
        m_text +=
            QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    void sample(double value, const QByteArray& labels = {}, const char* suffix = "")
    {
        m_text += m_name + suffix;
        if (!labels.isEmpty())
            m_text += '{' + labels + '}';
        m_text += ' ' + QByteArray::number(value, 'g', 15) + '\n';
    }
    QByteArray text() const { return m_text; }

private:
    QByteArray m_name;
    QByteArray m_text;
};

} // namespace

QByteArray prometheusText(const TableSet& tables)
{
    quint64 tcp = 0, web = 0, seated = 0, spies = 0, playing = 0;
    TableCounters games;
    ServerCounters sum;
    for (int k = 1; k <= tables.count(); ++k) {
        const TServer& server = tables.table(k);
        for (int n = 1; n <= server.highWaterMark(); ++n) {
            const TServer::Connection& c = server.connection(n);
            if (!c.link)
                continue;
            ++(c.link->inherits("gorse::WebSocketConnection") ? web : tcp);
            const tplayer& p = server.table().player(n);
            if (!p.name.isEmpty())
                ++(n <= kSeatCount ? seated : spies);
        }
        const GameTable& table = server.table();
        playing += table.gameStarted() && table.timer1Enabled() ? 1 : 0;
        const TableCounters& t = table.counters();
        games.gamesStarted += t.gamesStarted;
        games.gamesFinished += t.gamesFinished;
        games.wordsAccepted += t.wordsAccepted;
        games.wordsRejected += t.wordsRejected;
        const ServerCounters& s = server.counters();
        sum.accepted += s.accepted;
        sum.refusedFull += s.refusedFull;
        sum.bytesIn += s.bytesIn;
        sum.bytesOut += s.bytesOut;
        for (size_t i = 0; i < sum.dropped.size(); ++i)
            sum.dropped[i] += s.dropped[i];
        for (size_t i = 0; i < sum.turns.buckets.size(); ++i)
            sum.turns.buckets[i] += s.turns.buckets[i];
        sum.turns.count += s.turns.count;
        sum.turns.sumSeconds += s.turns.sumSeconds;
    }

    Writer w;
    w.family("gorse_connections", "gauge", "Open game connections, by kind.");
    w.sample(double(tcp), "kind=\"tcp\"");
    w.sample(double(web), "kind=\"web\"");
    w.family("gorse_players", "gauge", "People logged in, in seats or as spies.");
    w.sample(double(seated), "place=\"seat\"");
    w.sample(double(spies), "place=\"spy\"");
    w.family("gorse_tables", "gauge", "Tables served.");
    w.sample(double(tables.count()));
    w.family("gorse_tables_playing", "gauge", "Tables with a game in play.");
    w.sample(double(playing));
    w.family("gorse_connections_accepted_total", "counter",
             "Connections accepted and given a number.");
    w.sample(double(sum.accepted));
    w.family("gorse_connections_refused_total", "counter",
             "Connections refused because all numbers of the table were taken.");
    w.sample(double(sum.refusedFull), "reason=\"full\"");
    w.family("gorse_connections_dropped_total", "counter",
             "Connections the server dropped, by reason.");
    for (const auto why : {ServerCounters::Drop::LineTooLong, ServerCounters::Drop::TooMuchWaiting,
                           ServerCounters::Drop::StoppedReading}) {
        w.sample(double(sum.dropped[size_t(why)]),
                 QByteArray("reason=\"") + ServerCounters::dropName(why) + '"');
    }
    w.family("gorse_games_started_total", "counter", "Games started.");
    w.sample(double(games.gamesStarted));
    w.family("gorse_games_finished_total", "counter", "Games played to a winner.");
    w.sample(double(games.gamesFinished));
    w.family("gorse_words_total", "counter", "Words sent by players, by result.");
    w.sample(double(games.wordsAccepted), "result=\"accepted\"");
    w.sample(double(games.wordsRejected), "result=\"rejected\"");
    w.family("gorse_received_bytes_total", "counter", "Bytes received on game connections.");
    w.sample(double(sum.bytesIn));
    w.family("gorse_sent_bytes_total", "counter", "Bytes sent on game connections.");
    w.sample(double(sum.bytesOut));
    w.family("gorse_dispatch_turn_seconds", "histogram",
             "Time from a dispatch turn's first message to its writes done.");
    quint64 cumulative = 0;
    for (size_t i = 0; i < TurnTimes::kBounds.size(); ++i) {
        cumulative += sum.turns.buckets[i];
        w.sample(double(cumulative),
                 "le=\"" + QByteArray::number(TurnTimes::kBounds[i], 'g', 6) + '"', "_bucket");
    }
    w.sample(double(sum.turns.count), "le=\"+Inf\"", "_bucket");
    w.sample(sum.turns.sumSeconds, {}, "_sum");
    w.sample(double(sum.turns.count), {}, "_count");
    return w.text();
}

} // namespace gorse
