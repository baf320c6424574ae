// Test aid for a background writer: a stream buffer that holds the first line written to it until
// it is opened and is slow to take every line, so that the writer can be caught in the middle of
// a batch. A line is recognised by the "][" that every log line holds once.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <sstream>
#include <string_view>
#include <thread>

class SlowStreamBuffer : public std::stringbuf {
public:
    void waitUntilWriting() const {
        while (!m_writing.load())
            std::this_thread::yield();
    }
    void open() { m_open.store(true); }
    std::size_t lines() const {
        const std::string text = str();
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (std::string_view(s, static_cast<std::size_t>(n)) == "][") {
            m_writing.store(true);
            while (!m_open.load())
                std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return std::stringbuf::xsputn(s, n);
    }

private:
    std::atomic<bool> m_writing{false};
    std::atomic<bool> m_open{false};
};
