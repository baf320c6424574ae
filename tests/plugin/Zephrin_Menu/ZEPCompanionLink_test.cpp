// Tests of the link to the companion application over a real pipe: the user's pipe name, the
// ping before every message, the start of a registered application with its wait, the running
// check against a started program, and a send that fails without harm.
#include "Zephrin_Menu/ZEPCompanionLink.h"

#include "platform/process.h"
#include "support/CompanionFixture.h"
#include "support/StartedProgram.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <regex>

namespace {

class CompanionLink : public ::testing::Test, public CompanionFixture {};

umessage Details() {
    umessage message(ustring("details"));
    message.add(ustring("v"), 4, ustring("AAEC"));
    return message;
}

const std::string kDetailsText = "{\"v\":\"AAEC\",\"what\":\"details\"}";
const std::string kPing = "{\"what\":\"ping\"}";

} // namespace

TEST_F(CompanionLink, PipeNameEndsInTheUserName) {
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"anna", "bert", "anna"},
        {"", "bert", ""}, // set but empty counts as set
        {nullptr, "bert", "bert"},
        {nullptr, nullptr, "123"},
    };
    for (const auto& [username, user, pipeUser] : cases) {
        username ? ::setenv("USERNAME", username, 1) : ::unsetenv("USERNAME");
        user ? ::setenv("USER", user, 1) : ::unsetenv("USER");
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

TEST_F(CompanionLink, ListenerThatHangsUpMakesTheSendFailAndLogIt) {
    const auto companion = Listen("tester", 0);
    umessage large(ustring("exported"));
    large.add(ustring("v"), 4, ustring(std::string(4 << 20, 'A'))); // beyond the socket's buffer
    EXPECT_FALSE(SendCompanionMessage(large));
    EXPECT_THAT(m_log.text(),
                ::testing::MatchesRegex(
                    "\\[2026-03-01T14:05:09\\]\\[ERROR\\]\\[5120\\]\\[ZEPCompanionLink:"
                    "SendCompanionMessage:[0-9]+\\] message \"exported\" not delivered: not every "
                    "byte was written\n"));
    EXPECT_TRUE(m_pauses.empty()) << "the ping found the pipe";
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
