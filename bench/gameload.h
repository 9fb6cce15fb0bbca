#pragma once

// A game's load for bench_load, in plain C++ on epoll like the chat load, so
// that the six playing seats cost little next to the host they measure and
// their round trips are the host's, not a client framework's.

#include <chrono>
#include <cstdint>
#include <memory>
#include <queue>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace gorse::bench {

struct GameResult
{
    double seconds = 0;
    unsigned long long requests = 0; // words, discards and restarts sent
    unsigned long long restarts = 0;
    unsigned long long unanswered = 0; // requests without an answer in 1 s
    unsigned long long received = 0;   // messages the nine received
    std::vector<double> wordUs;        // word round trips, microseconds
    std::vector<double> discardUs;     // discard round trips
    std::vector<double> chatUs;        // paced: a chat's relay back to its sender
};

// The p-th fraction of values (0..1), or 0 when there are none.
double percentile(std::vector<double> values, double p);

// Nine connections logged in to gorse-host; connections 1 to 6 are the
// seats. Connection 1 starts a game, and each seat sends one request (a word
// found in its exposed cards, or every fourth time a discard), waits for
// its answer, pauses, and sends the next; when connection 1 runs out of
// cards it starts the game again.
class GameSeats
{
public:
    // words: upper-case words of up to nine letters the seats may play.
    explicit GameSeats(const std::unordered_set<std::string>& words);
    // Connections added to the caller's epoll set instead of one of their
    // own, with tag * kTagSlots + i as the data of connection i: PacedTables
    // reads them.
    static constexpr unsigned kTagSlots = 16;
    GameSeats(const std::unordered_set<std::string>& words, int epoll, unsigned tag);
    ~GameSeats();
    GameSeats(const GameSeats&) = delete;
    GameSeats& operator=(const GameSeats&) = delete;

    // Connects and logs in the nine; false and a reason in error() when
    // that did not work within 10 s.
    bool open(uint16_t port);
    // Connection 1 starts a game; waits for the deal (false when none came).
    bool startGame();
    void close();
    const std::string& error() const { return m_error; }

    // Plays for `seconds` or `maxRequests` requests, each seat pausing
    // pauseMs between an answer and its next request (0: at once).
    GameResult play(int pauseMs, double seconds, unsigned long long maxRequests);
    // Keeps the nine connected and reading for ms, nobody acting.
    void idle(int ms);

private:
    friend class PacedTables;
    struct Connection;
    bool pump(int timeoutMs);
    // Reads what arrived on connection i and acts on it; false when the
    // host closed it.
    bool receive(size_t i);
    void next(Connection& c);
    // Paced: the request (a word, or a discard when the seat finds none)
    // and the chat of seat i.
    void pacedWord(size_t i);
    void pacedChat(size_t i);
    std::string wordRequest(Connection& c, bool& isWord);
    void request(Connection& c, const std::string& message);
    // Shared epoll: connects the nine without waiting; each logs in when
    // it hears its number.
    bool connectAll(uint16_t port);
    bool dealt() const;

    const std::unordered_set<std::string>& m_words;
    std::vector<Connection*> m_connections;
    int m_epoll = -1;
    bool m_ownEpoll = true;
    unsigned m_tag = 0;
    bool m_paced = false; // requests go out on PacedTables' clock, not on answers
    std::string m_error;
    GameResult* m_result = nullptr; // while playing
    bool m_playing = false;
    int m_pauseMs = 0;
    unsigned long long m_maxRequests = 0;
    int m_logins = 0; // logins connection 1 heard of
};

// How often people act: each seat plays a word every wordMs and chats
// every chatMs; spies only read.
struct Pacing
{
    int wordMs = 3000;
    int chatMs = 10000;
};

// Many tables' GameSeats on one epoll, playing at the pace of people: each
// seat plays a word every wordMs (a discard instead when it finds no word
// in its cards) and sends a chat every chatMs, at a phase of its own; the
// spies only read. Connection 1 starts each table's game, and starts it
// again when it runs out of cards. Cheap enough on the client's side for
// 1,800 connections on one core.
class PacedTables
{
public:
    PacedTables(const std::unordered_set<std::string>& words, Pacing pacing, unsigned seed = 1);
    ~PacedTables();
    PacedTables(const PacedTables&) = delete;
    PacedTables& operator=(const PacedTables&) = delete;

    // Connects nine to each port (a table each), logs them in and starts
    // every table's game; false and a reason in error() when that did not
    // work within timeoutS.
    bool open(const std::vector<uint16_t>& ports, int timeoutS = 60);
    // Plays for `seconds` and returns what was measured meanwhile; may be
    // called again. A seat whose turn passed while nobody played waits a
    // period from now instead of catching up.
    GameResult play(double seconds);
    void close();
    size_t tables() const { return m_tables.size(); }
    const std::string& error() const { return m_error; }

private:
    struct Due
    {
        std::chrono::steady_clock::time_point at;
        unsigned slot; // table * kTagSlots + connection
        bool chat;
        bool operator>(const Due& other) const { return at > other.at; }
    };
    // Waits up to timeoutMs for events and hands them to their tables;
    // false when a connection was closed.
    bool pump(int timeoutMs);

    const std::unordered_set<std::string>& m_words;
    Pacing m_pacing;
    std::mt19937 m_random;
    int m_epoll = -1;
    std::vector<std::unique_ptr<GameSeats>> m_tables;
    std::priority_queue<Due, std::vector<Due>, std::greater<>> m_due;
    std::string m_error;
};

} // namespace gorse::bench
