#include "host/standin/Recorder.h"

#include <charconv>
#include <cstdio>

namespace host {

Recorder& Recorder::Instance() {
    static Recorder recorder;
    return recorder;
}

void Recorder::Record(Channel channel, std::string entry) {
    m_logs[static_cast<std::size_t>(channel)].push_back(std::move(entry));
}

const std::vector<std::string>& Recorder::Log(Channel channel) const {
    return m_logs[static_cast<std::size_t>(channel)];
}

void Recorder::Clear(Channel channel) {
    m_logs[static_cast<std::size_t>(channel)].clear();
}

void Recorder::Reset() {
    for (auto& log : m_logs)
        log.clear();
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

} // namespace host
