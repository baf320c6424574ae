#include "CompanionListener.h"

#include "platform/process.h"
#include "utils/TextUtils.h"
#include "utils/UKeyStream.h"
#include "utils/umessage.h"

#include <exception>
#include <iostream>
#include <sstream>

namespace {

// More than any event of the plug-in carries; a sender of more is cut off there.
constexpr std::size_t kMaxMessageBytes = 64u << 20;

std::u16string CompanionPipeName() {
    auto user = platform::environmentVariable("USERNAME");
    if (!user)
        user = platform::environmentVariable("USER");
    return u"\\\\.\\pipe\\zephrin_tarnwell_com." + user.value_or(u"123");
}

} // namespace

CompanionListener::CompanionListener(bool decode)
    : m_decode(decode), m_name(CompanionPipeName()),
      m_listener(
          m_name,
          [this](std::string message) {
              std::lock_guard lock(m_mutex);
              m_received.push_back(std::move(message));
          },
          kMaxMessageBytes) {}

void CompanionListener::PrintReceived() {
    m_listener.Drain();
    std::vector<std::string> received;
    {
        std::lock_guard lock(m_mutex);
        received.swap(m_received);
    }
    for (const std::string& message : received) {
        std::cout << "received " << message << "\n";
        if (m_decode)
            PrintJob(message);
    }
}

void CompanionListener::PrintJob(const std::string& message) const {
    std::istringstream text(message);
    umessage parsed;
    ustring v;
    if (!parsed.read(text) || !parsed.getExact(ustring("v"), 0, umessage_details::type_string, v))
        return;
    std::string bytes;
    if (!base64Decode(std::string_view(v.c_str(), v.size()), bytes)) {
        std::cout << "  \"v\" is not Base64\n";
        return;
    }
    std::istringstream job(bytes);
    std::cout << "  \"v\" holds:\n" << std::flush;
    try {
        UKeyInStream::dump(job);
    } catch (const std::exception& error) {
        std::cout << "  \"v\" is no job: " << error.what() << "\n";
    }
}
