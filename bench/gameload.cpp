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
    if (m_epoll >= 0)
        ::close(m_epoll);
    m_epoll = -1;
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
    // A word of three cards, else two, from the lowest pile numbers; when
    // there is none, piles 1 and 2, which come back rejected.
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
    request(c, frame(msg::sendword(k, piles)).toStdString());
}

bool GameSeats::pump(int timeoutMs)
{
    epoll_event events[kConnections];
    const int n = epoll_wait(m_epoll, events, kConnections, timeoutMs);
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) {
        Connection& c = *m_connections[events[i].data.u32];
        const ssize_t got = receiveMessages(c.fd, c.rest, lines);
        if (got == 0) {
            m_error = "the host closed a connection";
            return false;
        }
        if (got < 0)
            continue;
        bool answered = false;
        bool word = false;
        for (const std::string& line : lines) {
            if (m_result)
                ++m_result->received;
            if (startsWith(line, msg::name::sendlogininfo)) {
                c.number = restOf(line, msg::name::sendlogininfo).toInt();
            } else if (startsWith(line, msg::name::newplayerinfo)) {
                m_logins += c.number == 1;
            } else if (!c.isSeat()) {
                continue;
            } else if (startsWith(line, msg::name::thecards)) {
                for (const CardItem& item :
                     msg::TheCards::parse(restOf(line, msg::name::thecards)).cards)
                    c.setCard(item);
            } else if (startsWith(line, msg::name::theword)) {
                for (const CardItem& item :
                     msg::TheWord::parse(restOf(line, msg::name::theword)).cards)
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
            }
        }
        if (!answered || !c.waiting)
            continue;
        c.waiting = false;
        if (m_result && m_playing) {
            const double us =
                std::chrono::duration<double, std::micro>(Clock::now() - c.sentAt).count();
            (word ? m_result->wordUs : m_result->discardUs).push_back(us);
        }
        if (m_pauseMs > 0) {
            c.due = true;
            c.dueAt = Clock::now() + std::chrono::milliseconds(m_pauseMs);
        } else {
            next(c);
        }
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

} // namespace gorse::bench
