#pragma once

// A game's load for bench_load, in plain C++ on epoll like the chat load, so
// that the six playing seats cost little next to the host they measure and
// their round trips are the host's, not a client framework's.

#include <cstdint>
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
    struct Connection;
    bool pump(int timeoutMs);
    void next(Connection& c);
    void request(Connection& c, const std::string& message);

    const std::unordered_set<std::string>& m_words;
    std::vector<Connection*> m_connections;
    int m_epoll = -1;
    std::string m_error;
    GameResult* m_result = nullptr; // while playing
    bool m_playing = false;
    int m_pauseMs = 0;
    unsigned long long m_maxRequests = 0;
    int m_logins = 0; // logins connection 1 heard of
};

} // namespace gorse::bench
