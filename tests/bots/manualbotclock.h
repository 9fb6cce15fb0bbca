#pragma once

#include "bots/botclock.h"

#include <algorithm>
#include <map>
#include <utility>

namespace gorse::test {

// A clock that moves only when the test says so; due calls run in the order
// of their time, each with the clock set to it.
class ManualBotClock : public BotClock
{
public:
    qint64 now() const override { return m_now; }
    quint64 callAfter(qint64 delayMs, std::function<void()> fn) override
    {
        const quint64 handle = ++m_next;
        m_calls.emplace(std::pair(m_now + std::max<qint64>(delayMs, 0), handle), std::move(fn));
        return handle;
    }
    void cancel(quint64 handle) override
    {
        std::erase_if(m_calls, [handle](const auto& call) { return call.first.second == handle; });
    }
    void advance(qint64 ms)
    {
        const qint64 target = m_now + ms;
        while (!m_calls.empty() && m_calls.begin()->first.first <= target) {
            const auto first = m_calls.begin();
            m_now = first->first.first;
            const std::function<void()> fn = std::move(first->second);
            m_calls.erase(first);
            fn();
        }
        m_now = target;
    }
    size_t waiting() const { return m_calls.size(); }

private:
    qint64 m_now = 0;
    quint64 m_next = 0;
    std::map<std::pair<qint64, quint64>, std::function<void()>> m_calls;
};

} // namespace gorse::test
