// Tests of the link to the companion application over a real pipe: the user's pipe name, the
// ping before every message, the start of a registered application with its wait, the running
// check against a started program, and a send that fails without harm and within the deadline
// whatever the companion does with it.
#include "Zephrin_Menu/ZEPCompanionLink.h"

#include "platform/pipe.h"
#include "platform/process.h"
#include "support/CompanionFixture.h"
#include "support/DeepMessage.h"
#include "support/StartedProgram.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <regex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

class CompanionLink : public ::testing::Test, public CompanionFixture {};

umessage Details() {
    umessage message(ustring("details"));
    message.add(ustring("v"), 4, ustring("AAEC"));
    return message;
}

const std::string kDetailsText = "{\"v\":\"AAEC\",\"what\":\"details\"}";
const std::string kPing = "{\"what\":\"ping\"}";

enum class Reading { Never, ByteAMillisecond, HangsUp };

// A companion that listens on a socket and accepts every connection, then never reads it (it
// stays open), reads it one byte a millisecond, or hangs up at once; it stops with the object.
class StubbornCompanion {
public:
    StubbornCompanion(const std::string& socketPath, Reading reading)
        : m_path(socketPath), m_socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        m_path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_socket, 4), 0);
        m_thread = std::thread([this, reading] { Serve(reading); });
    }
    ~StubbornCompanion() {
        m_stop = true;
        ::shutdown(m_socket, SHUT_RDWR); // ends the wait in accept
        m_thread.join();
        ::close(m_socket);
        ::unlink(m_path.c_str());
    }
    StubbornCompanion(const StubbornCompanion&) = delete;
    StubbornCompanion& operator=(const StubbornCompanion&) = delete;

private:
    void Serve(Reading reading) {
        std::vector<int> held;
        for (int connection; (connection = ::accept(m_socket, nullptr, nullptr)) >= 0;) {
            if (reading == Reading::Never) {
                held.push_back(connection);
                continue;
            }
            char byte;
            while (reading == Reading::ByteAMillisecond && !m_stop &&
                   ::read(connection, &byte, 1) == 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ::close(connection);
        }
        for (const int connection : held)
            ::close(connection);
    }

    std::string m_path;
    int m_socket;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

} // namespace

TEST_F(CompanionLink, PipeNameEndsInTheUserName) {
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"anna", "bert", "anna"},
        {"", "bert", ""}, // set but empty counts as set
        {nullptr, "bert", "bert"},
        {nullptr, nullptr, "123"},
    };
    for (const auto& [username, user, pipeUser] : cases) {
        username ? m_environment.Set("USERNAME", username) : m_environment.Unset("USERNAME");
        user ? m_environment.Set("USER", user) : m_environment.Unset("USER");
        const auto companion = Listen(pipeUser);
        EXPECT_TRUE(SendToCompanionPipe(Details())) << pipeUser;
        EXPECT_EQ(companion->Messages(), std::vector<std::string>{kDetailsText});
    }
    EXPECT_EQ(Raised([] { static_cast<void>(SendToCompanionPipe(Details())); }),
              "cannot open pipe");
}

TEST_F(CompanionLink, PingPrecedesEveryMessageOnAConnectionOfItsOwn) {
    const auto companion = Listen();
    EXPECT_TRUE(SendCompanionMessage(Details()));
    EXPECT_TRUE(SendCompanionMessage(umessage(ustring("joblist"))));
    EXPECT_EQ(companion->Messages(),
              (std::vector<std::string>{kPing, kDetailsText, kPing, "{\"what\":\"joblist\"}"}));
    EXPECT_TRUE(m_pauses.empty());
    EXPECT_EQ(m_log.text(), "");
}

// A message the JSON writer refuses opens no connection of its own and is reported undelivered.
TEST_F(CompanionLink, AMessageTooDeepToWriteIsNotSentAndIsReported) {
    const auto companion = Listen();
    umessage deeper = deepMessage(umessage::kMaxDepth + 1);
    deeper.setWhat("deep");
    EXPECT_EQ(Raised([&] { static_cast<void>(SendToCompanionPipe(deeper)); }),
              "message nested too deep");
    EXPECT_FALSE(SendCompanionMessage(deeper));
    EXPECT_EQ(companion->Messages(), std::vector<std::string>{kPing});
    EXPECT_EQ(std::regex_replace(m_log.text(), std::regex("\\[[^\\n]*\\] "), ""),
              "message \"deep\" not delivered: message nested too deep\n");
}

TEST_F(CompanionLink, RegisteredApplicationIsStartedOnceAndAwaitedOnlyWhenNotRunning) {
    StartedProgram program(m_folder);
    const std::tuple<const char*, bool, bool, std::vector<std::uint32_t>, std::string> cases[] = {
        {"not registered", false, false, {}, ""},
        {"registered, not running", true, false, {3000}, "started\n"},
        {"running, not listening", true, true, {}, "started\n"}, // the test's own start
    };
    std::string lost;
    for (const auto& [name, registered, running, pauses, starts] : cases) {
        SCOPED_TRACE(name);
        m_pauses.clear();
        std::filesystem::remove(m_folder.at("starts"));
        m_folder.write("registry", "");
        if (registered)
            Register(program.path());
        if (running) {
            ASSERT_TRUE(platform::startProgram(program.systemPath()));
            EXPECT_EQ(program.Starts(), "started\n");
        }
        EXPECT_FALSE(SendCompanionMessage(Details())) << "nobody listens";
        EXPECT_EQ(m_pauses, pauses);
        EXPECT_EQ(starts.empty() ? m_folder.read("starts") : program.Starts(), starts);
        lost += "message \"details\" not delivered: cannot open pipe\n";
    }
    EXPECT_EQ(std::regex_replace(m_log.text(), std::regex("\\[[^\\n]*\\] "), ""), lost);
}

TEST_F(CompanionLink, CompanionThatDoesNotTakeTheMessageCostsTheSenderAtMostTheDeadline) {
    umessage large(ustring("exported"));
    large.add(ustring("v"), 4, ustring(std::string(1 << 20, 'A'))); // beyond the socket's buffer
    std::string lost;
    for (const Reading reading : {Reading::Never, Reading::ByteAMillisecond, Reading::HangsUp}) {
        SCOPED_TRACE(static_cast<int>(reading));
        auto companion = std::make_unique<StubbornCompanion>(SocketPath(), reading);
        auto send = std::async(std::launch::async, [&] { return SendCompanionMessage(large); });
        // Past the deadline and a margin the companion goes, which ends any send still waiting.
        EXPECT_EQ(send.wait_for(platform::kPipeSendDeadline + std::chrono::seconds(2)),
                  std::future_status::ready);
        companion.reset();
        EXPECT_FALSE(send.get());
        lost += "message \"exported\" not delivered: not every byte was written\n";
        EXPECT_TRUE(m_pauses.empty()) << "the ping found the pipe";
    }
    EXPECT_EQ(std::regex_replace(m_log.text(), std::regex("\\[[^\\n]*\\] "), ""), lost);
}

TEST_F(CompanionLink, RegisteredPathStopsAtItsFirstNulAndFitsTheReadBuffer) {
    const std::tuple<std::string, std::u16string> cases[] = {
        {"Z:/opt/Zephrin6", u"Z:/opt/Zephrin6"},
        {std::string("Z:/a\0b", 6), u"Z:/a"},
        {std::string(8190, 'x'), std::u16string(8190, u'x')}, // 16382 bytes with the NUL
        {std::string(8191, 'x'), u""},
        {"", u""},
    };
    for (const auto& [value, path] : cases) {
        Register(value);
        EXPECT_EQ(GetCompanionApplicationPath(kCompanionApplicationLocation), path);
        ustring utf8;
        GetCompanionApplicationPath(kCompanionApplicationLocation, utf8);
        EXPECT_EQ(utf8, ustring::fromWString(path));
    }
}

TEST_F(CompanionLink, RunningCheckComparesTheResolvedPathExactly) {
    StartedProgram program(m_folder);
    std::filesystem::copy_file(program.path(), m_folder.at("zephrin6"));
    std::filesystem::create_symlink(program.path(), m_folder.at("link"));
    ASSERT_TRUE(platform::startProgram(program.systemPath()));
    program.Starts();
    EXPECT_TRUE(IsCompanionApplicationRunning(program.systemPath()));
    EXPECT_TRUE(IsCompanionApplicationRunning(systemPath16(m_folder, "link")));
    EXPECT_TRUE(IsCompanionApplicationRunning(systemPath16(m_folder, "./Zephrin6")));
    EXPECT_FALSE(IsCompanionApplicationRunning(systemPath16(m_folder, "zephrin6")))
        << "another file, not running";
    EXPECT_FALSE(IsCompanionApplicationRunning(systemPath16(m_folder, "ZEPHRIN6"))) << "no file";
    EXPECT_FALSE(IsCompanionApplicationRunning(u""));
}
