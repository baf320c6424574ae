// Test aid: a listener on a companion pipe that keeps every message it receives, in order, and
// lets the test wait for them.
#pragma once

#include "platform/pipe.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

class PipeInbox {
public:
    explicit PipeInbox(const std::u16string& pipeName,
                       std::size_t readLimit = std::numeric_limits<std::size_t>::max())
        : m_listener(
              pipeName,
              [this](std::string message) {
                  std::lock_guard lock(m_mutex);
                  m_messages.push_back(std::move(message));
                  m_arrived.notify_all();
              },
              readLimit) {}

    // The messages received once `count` have arrived, or those received within 10 seconds.
    std::vector<std::string> Wait(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::seconds(10),
                           [&] { return m_messages.size() >= count; });
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::string> m_messages;
    platform::PipeListener m_listener; // last: it stops before the messages go
};
