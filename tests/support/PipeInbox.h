// Test aid: a listener on a companion pipe that keeps every message it receives, in order.
#pragma once

#include "platform/pipe.h"

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
              },
              readLimit) {}

    // Every message of the connections made so far.
    std::vector<std::string> Messages() {
        m_listener.Drain();
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
    platform::PipeListener m_listener; // last: it stops before the messages go
};
