// Tests of the link to the companion application over a real pipe: the user's pipe name, the
// ping before every message, the start of a registered application with its wait, the running
// check against a started program, and a send that fails without harm.
#include "Zephrin_Menu/ZEPCompanionLink.h"

#include "platform/process.h"
#include "support/CompanionFixture.h"
#include "support/StartedProgram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

class CompanionLink : public ::testing::Test, public CompanionFixture {};

umessage Details() {
    umessage message(ustring("details"));
    message.add(ustring("v"), 4, ustring("AAEC"));
    return message;
}

} // namespace

TEST_F(CompanionLink, PipeNameEndsInTheUserName) {
    const struct {
        const char* username;
        const char* user;
        std::string pipeUser;
    } cases[] = {
        {"anna", "bert", "anna"},
        {"", "bert", ""}, // set but empty counts as set
        {nullptr, "bert", "bert"},
        {nullptr, nullptr, "123"},
    };
    for (const auto& c : cases) {
        c.username ? ::setenv("USERNAME", c.username, 1) : ::unsetenv("USERNAME");
        c.user ? ::setenv("USER", c.user, 1) : ::unsetenv("USER");
        const auto companion = Listen(c.pipeUser);
        EXPECT_TRUE(SendToCompanionPipe(Details())) << c.pipeUser;
        EXPECT_EQ(companion->Messages(),
                  std::vector<std::string>{"{\"v\":\"AAEC\",\"what\":\"details\"}"});
    }
    EXPECT_THROW(static_cast<void>(SendToCompanionPipe(Details())), std::runtime_error);
}

TEST_F(CompanionLink, PingPrecedesEveryMessageOnAConnectionOfItsOwn) {
    const auto companion = Listen();
    EXPECT_TRUE(SendCompanionMessage(Details()));
    EXPECT_TRUE(SendCompanionMessage(umessage(ustring("joblist"))));
    EXPECT_EQ(
        companion->Messages(),
        (std::vector<std::string>{"{\"what\":\"ping\"}", "{\"v\":\"AAEC\",\"what\":\"details\"}",
                                  "{\"what\":\"ping\"}", "{\"what\":\"joblist\"}"}));
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(log.text(), "");
}

TEST_F(CompanionLink, RegisteredApplicationIsStartedOnceAndAwaitedOnlyWhenNotRunning) {
    StartedProgram program(folder);
    const struct {
        const char* name;
        bool registered;
        bool running;
        std::vector<std::uint32_t> pauses;
        std::string starts;
    } cases[] = {
        {"not registered", false, false, {}, ""},
        {"registered, not running", true, false, {3000}, "started\n"},
        {"running, not listening", true, true, {}, "started\n"}, // the test's own start
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pauses.clear();
        std::filesystem::remove(folder.at("starts"));
        folder.write("registry", "");
        if (c.registered)
            Register(program.path());
        if (c.running) {
            ASSERT_TRUE(platform::startProgram(program.systemPath()));
            EXPECT_EQ(program.Starts(), "started\n");
        }
        EXPECT_FALSE(SendCompanionMessage(Details())) << "nobody listens";
        EXPECT_EQ(pauses, c.pauses);
        EXPECT_EQ(c.starts.empty() ? folder.read("starts") : program.Starts(), c.starts);
    }
    const std::string lost = "message \"details\" not delivered: cannot open pipe\n";
    std::size_t lines = 0;
    for (auto at = log.text().find(lost); at != std::string::npos;
         at = log.text().find(lost, at + 1))
        ++lines;
    EXPECT_EQ(lines, 3u);
}

TEST_F(CompanionLink, ListenerThatHangsUpMakesTheSendFailAndLogIt) {
    const auto companion = Listen("tester", 0);
    umessage large(ustring("exported"));
    large.add(ustring("v"), 4, ustring(std::string(4 << 20, 'A'))); // beyond the socket's buffer
    EXPECT_FALSE(SendCompanionMessage(large));
    EXPECT_THAT(log.text(), ::testing::MatchesRegex(
                                "\\[2026-03-01T14:05:09\\]\\[ERROR\\]\\[5120\\]\\["
                                "ZEPCompanionLink:SendCompanionMessage:[0-9]+\\] message "
                                "\"exported\" not delivered: not every byte was written\n"));
    EXPECT_TRUE(pauses.empty()) << "the ping found the pipe";
}

TEST_F(CompanionLink, RegisteredPathStopsAtItsFirstNulAndFitsTheReadBuffer) {
    const struct {
        std::string value;
        std::u16string path;
    } cases[] = {
        {"Z:/opt/Zephrin6", u"Z:/opt/Zephrin6"},
        {std::string("Z:/a\0b", 6), u"Z:/a"},
        {std::string(8190, 'x'), std::u16string(8190, u'x')}, // 16382 bytes with the NUL
        {std::string(8191, 'x'), u""},
        {"", u""},
    };
    for (const auto& c : cases) {
        Register(c.value);
        EXPECT_EQ(GetCompanionApplicationPath(kCompanionApplicationLocation), c.path);
        ustring utf8;
        GetCompanionApplicationPath(kCompanionApplicationLocation, utf8);
        EXPECT_EQ(utf8, ustring::fromWString(c.path));
    }
}

TEST_F(CompanionLink, RunningCheckComparesTheResolvedPathExactly) {
    StartedProgram program(folder);
    std::filesystem::copy_file(program.path(), folder.at("zephrin6"));
    std::filesystem::create_symlink(program.path(), folder.at("link"));
    ASSERT_TRUE(platform::startProgram(program.systemPath()));
    program.Starts();
    const auto system = [&](const std::string& name) {
        const std::string path = folder.at(name);
        return u"Z:" + std::u16string(path.begin(), path.end());
    };
    EXPECT_TRUE(IsCompanionApplicationRunning(program.systemPath()));
    EXPECT_TRUE(IsCompanionApplicationRunning(system("link")));
    EXPECT_TRUE(IsCompanionApplicationRunning(system("./Zephrin6")));
    EXPECT_FALSE(IsCompanionApplicationRunning(system("zephrin6"))) << "another file";
    EXPECT_FALSE(IsCompanionApplicationRunning(system("ZEPHRIN6"))) << "no file";
    EXPECT_FALSE(IsCompanionApplicationRunning(u""));
}
