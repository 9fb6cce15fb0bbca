#include "gameload.h"

#include "chatload.h"
#include "game/rules.h"
#include "net/messages.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <sys/epoll.h>
#include <unistd.h>

namespace gorse::bench {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kConnections = kConnectionCount;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool startsWith(const std::string& line, const QByteArray& name)
{
    return line.size() > size_t(name.size()) &&
           line.compare(0, size_t(name.size()), name.constData()) == 0 &&
           line[size_t(name.size())] == '+';
}

// The text after "NAME+", without copying the line.
QByteArray restOf(const std::string& line, const QByteArray& name)
{
    return QByteArray::fromRawData(line.data() + name.size() + 1,
                                   qsizetype(line.size()) - name.size() - 1);
}

} // namespace

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

struct GameSeats::Connection
{
    int fd = -1;
    int number = 0;
    std::string rest;
    std::array<int, kPileCount> cards{};
    std::array<std::string, kPileCount> faces;
    Clock::time_point sentAt;
    Clock::time_point dueAt;
    bool waiting = false;    // a request is under way
    bool due = false;        // the next request waits for dueAt
    bool restarting = false; // connection 1 started the game again
    unsigned long long requests = 0;
    // Paced: the chat under way, and how its relay begins ("CMD_chat+3+").
    bool chatWaiting = false;
    Clock::time_point chatSentAt;
    std::string chatEcho;

    bool isSeat() const { return gorse::isSeat(number); }
    void setCard(const CardItem& item)
    {
        if (!isPile(item.pile))
            return;
        cards[size_t(item.pile - 1)] = item.card;
        faces[size_t(item.pile - 1)] = converttoletter(item.card).toStdString();
    }
    int filled() const
    {
        return int(std::count_if(cards.begin(), cards.end(), [](int card) { return card != 0; }));
    }
};

GameSeats::GameSeats(const std::unordered_set<std::string>& words) : m_words(words)
{
}

GameSeats::GameSeats(const std::unordered_set<std::string>& words, int epoll, unsigned tag)
    : m_words(words), m_epoll(epoll), m_ownEpoll(false), m_tag(tag)
{
}

GameSeats::~GameSeats()
{
    close();
}

void GameSeats::close()
{
    for (Connection* c : m_connections) {
        if (c->fd >= 0)
            ::close(c->fd);
        delete c;
    }
    m_connections.clear();
    if (m_ownEpoll) {
        if (m_epoll >= 0)
            ::close(m_epoll);
        m_epoll = -1;
    }
}

bool GameSeats::connectAll(uint16_t port)
{
    close();
    m_logins = 0;
    for (int i = 0; i < kConnections; ++i) {
        auto* c = new Connection;
        m_connections.push_back(c);
        c->fd = connectPolled(port, m_epoll, m_tag * kTagSlots + unsigned(i));
        if (c->fd < 0) {
            m_error = "cannot connect";
            return false;
        }
    }
    return true;
}

bool GameSeats::dealt() const
{
    return std::all_of(m_connections.begin(), m_connections.end(),
                       [](const Connection* c) { return !c->isSeat() || c->filled() > 0; });
}

bool GameSeats::open(uint16_t port)
{
    close();
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_logins = 0;
    for (int i = 0; i < kConnections; ++i) {
        auto* c = new Connection;
        m_connections.push_back(c);
        c->fd = connectPolled(port, m_epoll, unsigned(i));
        if (c->fd < 0) {
            m_error = "cannot connect";
            return false;
        }
        const auto start = Clock::now();
        while (c->number == 0 && secondsSince(start) < 10 && pump(10)) {
        }
        if (c->number == 0) {
            m_error = "no connection number";
            return false;
        }
        const QByteArray login =
            frame(msg::logininfo(c->number, kVersionText, "P" + QByteArray::number(c->number)));
        sendMessages(c->fd, login.toStdString());
    }
    // Connection 1 hears every login, its own included.
    const auto start = Clock::now();
    while (m_logins < kConnections && secondsSince(start) < 10 && pump(10)) {
    }
    if (m_logins < kConnections) {
        m_error = "logins did not come through";
        return false;
    }
    idle(200);
    return true;
}

bool GameSeats::startGame()
{
    Connection& first = *m_connections.front();
    sendMessages(first.fd,
                 frame(msg::startgame("P1", kPlayToScoreRange.maximum, kTimePerTurnRange.maximum))
                     .toStdString());
    const auto deal = Clock::now();
    auto dealt = [&] {
        for (Connection* c : m_connections) {
            if (c->isSeat() && c->filled() == 0)
                return false;
        }
        return true;
    };
    while (!dealt() && secondsSince(deal) < 10 && pump(10)) {
    }
    if (!dealt()) {
        m_error = "the cards were not dealt";
        return false;
    }
    idle(200);
    return true;
}

void GameSeats::idle(int ms)
{
    const auto start = Clock::now();
    while (secondsSince(start) * 1000 < ms && pump(10)) {
    }
}

void GameSeats::request(Connection& c, const std::string& message)
{
    c.waiting = true;
    c.sentAt = Clock::now();
    sendMessages(c.fd, message);
}

void GameSeats::next(Connection& c)
{
    if (!m_playing || m_result->requests >= m_maxRequests)
        return;
    ++m_result->requests;
    ++c.requests;
    const int k = c.number;
    const int filled = c.filled();
    if (k == 1 && filled < 2) {
        ++m_result->restarts;
        c.restarting = true;
        request(c, frame(msg::startgame("P1", kPlayToScoreRange.maximum, kTimePerTurnRange.maximum))
                       .toStdString());
        return;
    }
    if (c.requests % 4 == 0 || filled < 2) {
        for (int pile = 1; pile <= kPileCount; ++pile) {
            if (c.cards[size_t(pile - 1)] != 0) {
                request(c, frame(msg::discard(k, pile)).toStdString());
                return;
            }
        }
    }
    bool isWord = false;
    request(c, wordRequest(c, isWord));
}

// A word of three cards, else two, from the lowest pile numbers (isWord
// set); when there is none, piles 1 and 2, which come back rejected.
std::string GameSeats::wordRequest(Connection& c, bool& isWord)
{
    QList<int> piles{1, 2};
    bool found = false;
    std::string word;
    for (int length = 3; length >= 2 && !found; --length) {
        for (int a = 0; a < kPileCount && !found; ++a) {
            for (int b = 0; b < kPileCount && !found; ++b) {
                if (b == a || !c.cards[size_t(a)] || !c.cards[size_t(b)])
                    continue;
                if (length == 2) {
                    word = c.faces[size_t(a)] + c.faces[size_t(b)];
                    if (m_words.count(word)) {
                        piles = {a + 1, b + 1};
                        found = true;
                    }
                    continue;
                }
                for (int d = 0; d < kPileCount && !found; ++d) {
                    if (d == a || d == b || !c.cards[size_t(d)])
                        continue;
                    word = c.faces[size_t(a)] + c.faces[size_t(b)] + c.faces[size_t(d)];
                    if (m_words.count(word)) {
                        piles = {a + 1, b + 1, d + 1};
                        found = true;
                    }
                }
            }
        }
    }
    isWord = found;
    return frame(msg::sendword(c.number, piles)).toStdString();
}

void GameSeats::pacedWord(size_t i)
{
    Connection& c = *m_connections[i];
    if (c.waiting) {
        // No answer within a period (a word between rounds, which the host
        // ignores): counted, and the seat goes on.
        c.waiting = false;
        c.restarting = false;
        ++m_result->unanswered;
    }
    ++m_result->requests;
    ++c.requests;
    const int filled = c.filled();
    if (c.number == 1 && filled < 2) {
        ++m_result->restarts;
        c.restarting = true;
        request(c, frame(msg::startgame("P1", kPlayToScoreRange.maximum, kTimePerTurnRange.maximum))
                       .toStdString());
        return;
    }
    bool isWord = false;
    std::string message = wordRequest(c, isWord);
    if (!isWord) {
        // Nothing to play: a card goes, as a person would throw one away.
        for (int pile = 1; pile <= kPileCount; ++pile) {
            if (c.cards[size_t(pile - 1)] != 0) {
                message = frame(msg::discard(c.number, pile)).toStdString();
                break;
            }
        }
    }
    request(c, message);
}

void GameSeats::pacedChat(size_t i)
{
    Connection& c = *m_connections[i];
    if (c.chatEcho.empty())
        c.chatEcho = "CMD_chat+" + std::to_string(c.number) + "+";
    c.chatWaiting = true;
    c.chatSentAt = Clock::now();
    sendMessages(c.fd, frame(msg::chat(c.number, "good game, all of you|clBlack")).toStdString());
}

bool GameSeats::pump(int timeoutMs)
{
    epoll_event events[kConnections];
    const int n = epoll_wait(m_epoll, events, kConnections, timeoutMs);
    for (int i = 0; i < n; ++i) {
        if (!receive(events[i].data.u32))
            return false;
    }
    return true;
}

bool GameSeats::receive(size_t i)
{
    thread_local std::vector<std::string> lines;
    Connection& c = *m_connections[i];
    const ssize_t got = receiveMessages(c.fd, c.rest, lines);
    if (got == 0) {
        m_error = "the host closed a connection";
        return false;
    }
    if (got < 0)
        return true;
    bool answered = false;
    bool word = false;
    for (const std::string& line : lines) {
        if (m_result)
            ++m_result->received;
        if (startsWith(line, msg::name::sendlogininfo)) {
            c.number = restOf(line, msg::name::sendlogininfo).toInt();
            if (!m_ownEpoll)
                sendMessages(c.fd, frame(msg::logininfo(c.number, kVersionText,
                                                        "P" + QByteArray::number(c.number)))
                                       .toStdString());
        } else if (startsWith(line, msg::name::newplayerinfo)) {
            m_logins += c.number == 1;
        } else if (!c.isSeat()) {
            continue;
        } else if (startsWith(line, msg::name::thecards)) {
            for (const CardItem& item :
                 msg::TheCards::parse(restOf(line, msg::name::thecards)).cards)
                c.setCard(item);
        } else if (startsWith(line, msg::name::theword)) {
            for (const CardItem& item : msg::TheWord::parse(restOf(line, msg::name::theword)).cards)
                c.setCard(item);
            answered = word = true;
        } else if (startsWith(line, msg::name::rejected)) {
            for (const CardItem& item :
                 msg::Rejected::parse(restOf(line, msg::name::rejected)).cards)
                c.setCard(item);
            answered = word = true;
        } else if (startsWith(line, msg::name::discard)) {
            c.setCard(msg::DiscardResult::parse(restOf(line, msg::name::discard)).card);
            answered = true;
        } else if (startsWith(line, msg::name::startround) && c.restarting) {
            c.restarting = false;
            answered = true;
        } else if (c.chatWaiting && line.compare(0, c.chatEcho.size(), c.chatEcho) == 0) {
            c.chatWaiting = false;
            if (m_result)
                m_result->chatUs.push_back(
                    std::chrono::duration<double, std::micro>(Clock::now() - c.chatSentAt).count());
        }
    }
    if (!answered || !c.waiting)
        return true;
    c.waiting = false;
    if (m_result && (m_playing || m_paced)) {
        const double us =
            std::chrono::duration<double, std::micro>(Clock::now() - c.sentAt).count();
        (word ? m_result->wordUs : m_result->discardUs).push_back(us);
    }
    if (m_paced)
        return true;
    if (m_pauseMs > 0) {
        c.due = true;
        c.dueAt = Clock::now() + std::chrono::milliseconds(m_pauseMs);
    } else {
        next(c);
    }
    return true;
}

GameResult GameSeats::play(int pauseMs, double seconds, unsigned long long maxRequests)
{
    GameResult result;
    m_result = &result;
    m_pauseMs = pauseMs;
    m_maxRequests = maxRequests;
    m_playing = true;
    const auto start = Clock::now();
    for (Connection* c : m_connections) {
        if (c->isSeat())
            next(*c);
    }
    while (m_playing) {
        if (secondsSince(start) >= seconds || result.requests >= maxRequests)
            m_playing = false;
        const auto now = Clock::now();
        for (Connection* c : m_connections) {
            if (c->waiting && now - c->sentAt > std::chrono::seconds(1)) {
                // No answer (a request the host ignores, such as a word
                // between rounds): counted, and the seat goes on.
                c->waiting = false;
                ++result.unanswered;
                next(*c);
            }
        }
        const int wait = sendWhenDue(m_connections, [this](Connection& c) { next(c); });
        if (!pump(wait))
            break;
    }
    result.seconds = secondsSince(start);
    // The last answers come in; nobody sends more.
    idle(300);
    for (Connection* c : m_connections)
        c->due = false;
    m_result = nullptr;
    return result;
}

// ---- many tables at a person's pace ----

PacedTables::PacedTables(const std::unordered_set<std::string>& words, Pacing pacing, unsigned seed)
    : m_words(words), m_pacing(pacing), m_random(seed)
{
}

PacedTables::~PacedTables()
{
    close();
}

void PacedTables::close()
{
    m_tables.clear();
    m_due = {};
    if (m_epoll >= 0)
        ::close(m_epoll);
    m_epoll = -1;
}

bool PacedTables::pump(int timeoutMs)
{
    epoll_event events[256];
    const int n = epoll_wait(m_epoll, events, 256, timeoutMs);
    for (int i = 0; i < n; ++i) {
        const unsigned slot = events[i].data.u32;
        GameSeats& table = *m_tables[slot / GameSeats::kTagSlots];
        if (!table.receive(slot % GameSeats::kTagSlots)) {
            m_error =
                "table " + std::to_string(slot / GameSeats::kTagSlots + 1) + ": " + table.error();
            return false;
        }
    }
    return true;
}

bool PacedTables::open(const std::vector<uint16_t>& ports, int timeoutS)
{
    close();
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    const auto start = Clock::now();
    for (size_t t = 0; t < ports.size(); ++t) {
        auto& table =
            m_tables.emplace_back(std::make_unique<GameSeats>(m_words, m_epoll, unsigned(t)));
        if (!table->connectAll(ports[t])) {
            m_error = "table " + std::to_string(t + 1) + ": " + table->error();
            return false;
        }
    }
    const auto waitFor = [&](auto done, const char* what) {
        while (!std::all_of(m_tables.begin(), m_tables.end(),
                            [&](const auto& t) { return done(*t); })) {
            if (secondsSince(start) > timeoutS) {
                m_error = what;
                return false;
            }
            if (!pump(10))
                return false;
        }
        return true;
    };
    if (!waitFor([](const GameSeats& t) { return t.m_logins >= kConnections; },
                 "logins did not come through"))
        return false;
    for (auto& table : m_tables) {
        table->m_paced = true;
        sendMessages(
            table->m_connections.front()->fd,
            frame(msg::startgame("P1", kPlayToScoreRange.maximum, kTimePerTurnRange.maximum))
                .toStdString());
    }
    if (!waitFor([](const GameSeats& t) { return t.dealt(); }, "the cards were not dealt"))
        return false;
    // Every seat at a phase of its own, so that the requests spread evenly.
    const auto now = Clock::now();
    for (size_t t = 0; t < m_tables.size(); ++t) {
        for (size_t i = 0; i < m_tables[t]->m_connections.size(); ++i) {
            if (!m_tables[t]->m_connections[i]->isSeat())
                continue;
            const unsigned slot = unsigned(t) * GameSeats::kTagSlots + unsigned(i);
            const auto at = [&](int periodMs) {
                return now + std::chrono::microseconds(std::uniform_int_distribution<long long>(
                                 0, periodMs * 1000LL - 1)(m_random));
            };
            m_due.push({at(m_pacing.wordMs), slot, false});
            m_due.push({at(m_pacing.chatMs), slot, true});
        }
    }
    return true;
}

GameResult PacedTables::play(double seconds)
{
    GameResult result;
    for (auto& table : m_tables)
        table->m_result = &result;
    const auto start = Clock::now();
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (m_error.empty()) {
        auto now = Clock::now();
        if (now >= end)
            break;
        while (!m_due.empty() && m_due.top().at <= now) {
            Due due = m_due.top();
            m_due.pop();
            GameSeats& table = *m_tables[due.slot / GameSeats::kTagSlots];
            const size_t i = due.slot % GameSeats::kTagSlots;
            if (due.chat)
                table.pacedChat(i);
            else
                table.pacedWord(i);
            const auto period =
                std::chrono::milliseconds(due.chat ? m_pacing.chatMs : m_pacing.wordMs);
            due.at += period;
            if (due.at <= now)
                due.at = now + period; // nobody played for a while: no catching up
            m_due.push(due);
            now = Clock::now();
        }
        const auto until = std::min(end, m_due.empty() ? end : m_due.top().at);
        const int wait =
            int(std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count());
        if (!pump(std::max(0, wait)))
            break;
    }
    result.seconds = secondsSince(start);
    // The last answers come in; they count no more.
    for (auto& table : m_tables)
        table->m_result = nullptr;
    const auto settle = Clock::now();
    while (secondsSince(settle) < 0.3 && pump(10)) {
    }
    return result;
}

} // namespace gorse::bench
