#include "platform/pipe.h"

#include "support/PipeInbox.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

class PlatformPipe : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("ZEP_PIPE_DIR", m_folder.root().c_str(), 1); }
    // A socket of the test's own at the pipe's path: bound, listening with `queue` when asked.
    int RawSocket(std::optional<int> queue) const {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = m_folder.at("p");
        path.copy(address.sun_path, path.size());
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (queue) {
            EXPECT_EQ(::listen(fd, *queue), 0);
        }
        return fd;
    }
    TempFolder m_folder;
    const std::u16string m_name = u"\\\\.\\pipe\\p";
};

} // namespace

TEST(PlatformPipePath, IsTheNameInThePipeFolder) {
    ::setenv("ZEP_PIPE_DIR", "/run/zep/", 1);
    const std::tuple<std::u16string, std::optional<std::string>> cases[] = {
        {u"\\\\.\\pipe\\zephrin_tarnwell_com.anna", "/run/zep/zephrin_tarnwell_com.anna"},
        {u"\\\\.\\PIPE\\a", "/run/zep/a"},
        {u"\\\\.\\pipe\\\u00E9", "/run/zep/\xC3\xA9"},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(platform::pipeSocketPath(name), path) << std::string(name.begin(), name.end());
    // No name, a path, a lone surrogate, another form, a name too long for an address.
    for (const std::u16string& bad :
         {u"\\\\.\\pipe\\"s, u"\\\\.\\pipe\\.."s, u"\\\\.\\pipe\\a\\b"s, u"\\\\.\\pipe\\a/b"s,
          u"\\\\.\\pipe\\\xD800"s, u"//./pipe/a"s, u"\\\\.\\pipe\\" + std::u16string(100, u'x')})
        EXPECT_EQ(platform::pipeSocketPath(bad), std::nullopt)
            << std::string(bad.begin(), bad.end());
    ::unsetenv("ZEP_PIPE_DIR");
    EXPECT_EQ(platform::pipeSocketPath(u"\\\\.\\pipe\\a"), "/tmp/a");
}

TEST_F(PlatformPipe, ListenerReceivesEachConnectionWholeAndInOrder) {
    PipeInbox inbox(m_name);
    const std::string large(4 << 20, 'L'); // far beyond the socket's buffer
    for (const std::string& message : {std::string("{\"what\":\"ping\"}"), std::string(), large}) {
        auto connection = platform::openPipe(m_name);
        ASSERT_TRUE(connection);
        EXPECT_TRUE(connection->write(message));
    }
    const auto received = inbox.Messages(); // the empty connection is no message
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], "{\"what\":\"ping\"}");
    EXPECT_TRUE(received[1] == large);
}

TEST_F(PlatformPipe, OpenFailsAtOnceWithoutAListenerThatHasRoom) {
    EXPECT_FALSE(platform::openPipe(m_name)) << "no socket";
    const int unbound = RawSocket(std::nullopt);
    EXPECT_FALSE(platform::openPipe(m_name)) << "nobody listens";
    ::close(unbound);
    ::unlink(m_folder.at("p").c_str());
    const int busy = RawSocket(0); // room for one waiting connection
    auto first = platform::openPipe(m_name);
    EXPECT_TRUE(first);
    EXPECT_FALSE(platform::openPipe(m_name)) << "queue full";
    ::close(busy);
    EXPECT_FALSE(platform::openPipe(u"\\\\.\\pipe\\"));
}

TEST_F(PlatformPipe, WriteToAListenerThatHasGoneFailsWithoutASignal) {
    const int listening = RawSocket(1);
    auto connection = platform::openPipe(m_name);
    ASSERT_TRUE(connection);
    ::close(::accept(listening, nullptr, nullptr));
    EXPECT_FALSE(connection->write("{\"what\":\"ping\"}")); // SIGPIPE would end the test
    ::close(listening);
}

TEST_F(PlatformPipe, ListenerReplacesAnAbandonedSocketButNotALiveOne) {
    ::close(RawSocket(1));
    {
        PipeInbox inbox(m_name);
        EXPECT_THROW(PipeInbox second(m_name), std::system_error);
        EXPECT_TRUE(platform::openPipe(m_name).value().write("x"));
        EXPECT_EQ(inbox.Messages(), std::vector<std::string>{"x"});
    }
    EXPECT_FALSE(std::filesystem::exists(m_folder.at("p"))) << "removed with the listener";
    m_folder.write("p", "a file");
    EXPECT_THROW(PipeInbox inbox(m_name), std::system_error);
    EXPECT_THROW(PipeInbox inbox(u"pipe"), std::invalid_argument);
}

TEST_F(PlatformPipe, ListenerWithAReadLimitHangsUpEarly) {
    PipeInbox inbox(m_name, 4);
    EXPECT_FALSE(platform::openPipe(m_name).value().write(std::string(4 << 20, 'L')));
    EXPECT_EQ(inbox.Messages(), std::vector<std::string>{"LLLL"});
}
