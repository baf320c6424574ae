// Fixture for tests of the link to the companion application: a folder of the test's own for
// the pipe's socket and the registry file, the user "tester", the pauses recorded instead of
// waited, and the log captured. The environment is as before once the fixture goes.
#pragma once

#include "platform/pipe.h"
#include "platform/process.h"
#include "support/LogCapture.h"
#include "support/PipeInbox.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

class CompanionFixture {
public:
    CompanionFixture() {
        m_environment.Set("ZEP_PIPE_DIR", m_folder.root());
        m_environment.Set("ZEP_REGISTRY", m_folder.at("registry"));
        m_environment.Set("USERNAME", "tester");
        platform::setSleepFunction([this](std::uint32_t ms) { m_pauses.push_back(ms); });
    }
    ~CompanionFixture() { platform::setSleepFunction({}); }
    CompanionFixture(const CompanionFixture&) = delete;
    CompanionFixture& operator=(const CompanionFixture&) = delete;

    // The companion application listening on the user's pipe.
    std::unique_ptr<PipeInbox> Listen(const std::string& user = "tester",
                                      std::size_t readLimit = SIZE_MAX) const {
        const std::string name = "\\\\.\\pipe\\zephrin_tarnwell_com." + user;
        return std::make_unique<PipeInbox>(std::u16string(name.begin(), name.end()), readLimit);
    }

    // The socket path of the pipe of "tester", its private folder made as a listener makes it.
    std::string SocketPath() const {
        const std::string path =
            platform::pipeSocketPath(u"\\\\.\\pipe\\zephrin_tarnwell_com.tester").value();
        ::mkdir(path.substr(0, path.rfind('/')).c_str(), 0700);
        return path;
    }

    // Registers the companion application's path.
    void Register(const std::string& path) const {
        m_folder.write("registry", "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\"
                                   "CurrentVersion\\App Paths\\Zephrin6.exe\t\t" +
                                       path + "\n");
    }

    TempFolder m_folder;
    ScopedEnvironment m_environment; // a test's own changes go here too
    std::vector<std::uint32_t> m_pauses;
    const LogCapture m_log;
};
