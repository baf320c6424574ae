// The companion application's end of the pipe for runs without it: zephost --listen serves the
// user's pipe and prints what the plug-in sends, and with --decode also the job a message
// carries in "v".
#pragma once

#include "platform/pipe.h"

#include <mutex>
#include <string>
#include <vector>

class CompanionListener {
public:
    // Serves "\\.\pipe\zephrin_tarnwell_com." + the user name the plug-in uses (the environment's
    // USERNAME when set, else USER, else "123"), making the user's pipe folder when it is
    // missing. Throws what platform::PipeListener throws: a pipe folder that is not the user's
    // own private folder is refused with a text that names it and what is wrong with it.
    explicit CompanionListener(bool decode);

    // The pipe's name.
    const std::u16string& Name() const { return m_name; }

    // Prints to standard output every message received since the last call, each as "received "
    // and its text on a line; with decode, a message's "v" follows as the keyed stream of its
    // Base64 bytes, one line per element.
    void PrintReceived();

private:
    void PrintJob(const std::string& message) const;

    bool m_decode;
    std::u16string m_name;
    std::mutex m_mutex;
    std::vector<std::string> m_received;
    platform::PipeListener m_listener; // last: it stops before the messages go
};
