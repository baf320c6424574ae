#include "platform/pipe.h"

#include "support/PipeInbox.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

const std::string kUid = std::to_string(::geteuid());

sockaddr_un SocketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return address;
}

class PlatformPipe : public ::testing::Test {
protected:
    void SetUp() override { m_environment.Set("ZEP_PIPE_DIR", m_folder.root()); }
    // A socket of the test's own at the pipe's path (its folder made when missing): bound,
    // listening with `queue` when asked.
    int RawSocket(std::optional<int> queue) const {
        ::mkdir(m_pipeFolder.c_str(), 0700);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = SocketAddress(m_socket);
        EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        if (queue) {
            EXPECT_EQ(::listen(fd, *queue), 0);
        }
        return fd;
    }
    TempFolder m_folder;
    ScopedEnvironment m_environment;
    const std::u16string m_name = u"\\\\.\\pipe\\p";
    const std::string m_pipeFolder = m_folder.at("zephrin-" + kUid);
    const std::string m_socket = m_pipeFolder + "/p";
};

// A listener of another user (uid and gid 65534) in a child process, at the pipe's socket. It
// binds before it becomes that user when `bindFirst` (so it gets into the user's own folder),
// and listens as that user, whose credentials a sender sees. Received() lets it take every
// connection waiting and returns the bytes they brought.
class ForeignListener {
public:
    ForeignListener(const std::string& path, bool bindFirst) {
        const sockaddr_un address = SocketAddress(path);
        const auto* at = reinterpret_cast<const sockaddr*>(&address);
        int toChild[2], fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2");
        m_child = ::fork();
        if (m_child == 0) { // system calls only until _exit
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if ((bindFirst && ::bind(fd, at, sizeof address) != 0) ||
                ::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                ::setresuid(65534, 65534, 65534) != 0 ||
                (!bindFirst && ::bind(fd, at, sizeof address) != 0) || ::listen(fd, 8) != 0)
                ::_exit(1);
            long total = 0;
            char buffer[256];
            if (::write(fromChild[1], &total, sizeof total) != sizeof total ||
                ::read(toChild[0], buffer, 1) < 0)
                ::_exit(1);
            for (int connection; (connection = ::accept(fd, nullptr, nullptr)) >= 0;
                 ::close(connection))
                for (ssize_t got; (got = ::read(connection, buffer, sizeof buffer)) > 0;)
                    total += got;
            ::_exit(::write(fromChild[1], &total, sizeof total) == sizeof total ? 0 : 1);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_toChild = toChild[1];
        m_fromChild = fromChild[0];
        long listening = -1;
        if (m_child < 0 || ::read(m_fromChild, &listening, sizeof listening) != sizeof listening)
            ADD_FAILURE() << "the other user's listener did not start";
    }
    ~ForeignListener() {
        ::close(m_toChild);
        ::close(m_fromChild);
        if (m_child > 0)
            ::waitpid(m_child, nullptr, 0);
    }
    ForeignListener(const ForeignListener&) = delete;
    ForeignListener& operator=(const ForeignListener&) = delete;

    // The bytes of every connection made to it so far; it stops listening.
    long Received() {
        long total = -1;
        if (::write(m_toChild, "x", 1) != 1 ||
            ::read(m_fromChild, &total, sizeof total) != sizeof total)
            ADD_FAILURE() << "the other user's listener did not answer";
        return total;
    }

private:
    pid_t m_child = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
};

} // namespace

TEST(PlatformPipePath, IsTheNameInThePipeFolder) {
    ScopedEnvironment environment("ZEP_PIPE_DIR", "/run/zep/");
    environment.Set("XDG_RUNTIME_DIR", "/run/user/7");
    const std::string folder = "/run/zep/zephrin-" + kUid + "/";
    const std::tuple<std::u16string, std::optional<std::string>> cases[] = {
        {u"\\\\.\\pipe\\zephrin_tarnwell_com.anna", folder + "zephrin_tarnwell_com.anna"},
        {u"\\\\.\\PIPE\\a", folder + "a"},
        {u"\\\\.\\pipe\\\u00E9", folder + "\xC3\xA9"},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(platform::pipeSocketPath(name), path) << std::string(name.begin(), name.end());
    // No name, a path, a lone surrogate, another form, a name too long for an address.
    for (const std::u16string& bad :
         {u"\\\\.\\pipe\\"s, u"\\\\.\\pipe\\.."s, u"\\\\.\\pipe\\a\\b"s, u"\\\\.\\pipe\\a/b"s,
          u"\\\\.\\pipe\\\xD800"s, u"//./pipe/a"s, u"\\\\.\\pipe\\" + std::u16string(100, u'x')})
        EXPECT_EQ(platform::pipeSocketPath(bad), std::nullopt)
            << std::string(bad.begin(), bad.end());
    environment.Unset("ZEP_PIPE_DIR");
    EXPECT_EQ(platform::pipeSocketPath(u"\\\\.\\pipe\\a"), "/run/user/7/zephrin-" + kUid + "/a");
    environment.Unset("XDG_RUNTIME_DIR");
    EXPECT_EQ(platform::pipeSocketPath(u"\\\\.\\pipe\\a"), "/tmp/zephrin-" + kUid + "/a");
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
    ::unlink(m_socket.c_str());
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
    EXPECT_FALSE(std::filesystem::exists(m_socket)) << "removed with the listener";
    m_folder.write("zephrin-" + kUid + "/p", "a file");

    EXPECT_THROW(PipeInbox inbox(m_name), std::system_error);
    EXPECT_THROW(PipeInbox inbox(u"pipe"), std::invalid_argument);
}

TEST_F(PlatformPipe, ListenerWithAReadLimitHangsUpEarly) {
    PipeInbox inbox(m_name, 4);
    EXPECT_FALSE(platform::openPipe(m_name).value().write(std::string(4 << 20, 'L')));
    EXPECT_EQ(inbox.Messages(), std::vector<std::string>{"LLLL"});
}

// Another user cannot take the pipe's name: in a folder that is not the user's own private one,
// or as a listener of another user, it gets no byte, and the user's listener names what is
// wrong; the user's listener in the folder it makes still receives.
TEST_F(PlatformPipe, OnlyTheUsersOwnListenerInItsPrivateFolderGetsAMessage) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "playing another user takes root";
    std::filesystem::permissions(m_folder.root(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const std::string peerFolder = m_folder.at("peer");
    const struct {
        const char* peer;
        std::function<void()> prepare; // leaves the pipe's folder as the peer found or made it
        bool bindFirst;                // the peer binds before it becomes the other user
        std::string refusal;           // in the user's listener's error
    } cases[] = {
        {"a folder made first by another user",
         [&] {
             ::mkdir(m_pipeFolder.c_str(), 0700);
             EXPECT_EQ(::chown(m_pipeFolder.c_str(), 65534, 65534), 0);
         },
         false, "belongs to another user (uid 65534)"},
        {"the user's folder left open to others",
         [&] {
             ::mkdir(m_pipeFolder.c_str(), 0700);
             ::chmod(m_pipeFolder.c_str(), 0777);
         },
         false, "is open to other users (mode 0777)"},
        {"a symbolic link to another user's folder",
         [&] {
             ::mkdir(peerFolder.c_str(), 0700);
             EXPECT_EQ(::chown(peerFolder.c_str(), 65534, 65534), 0);
             std::filesystem::create_directory_symlink(peerFolder, m_pipeFolder);
         },
         false, "is a symbolic link"},
        {"a listener of another user in the user's folder",
         [&] { ::mkdir(m_pipeFolder.c_str(), 0700); }, true, "Address already in use"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.peer);
        std::filesystem::remove_all(m_pipeFolder);
        std::filesystem::remove_all(peerFolder);
        c.prepare();
        ForeignListener peer(m_socket, c.bindFirst);
        const int probe = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = SocketAddress(m_socket);
        EXPECT_EQ(::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0)
            << "the peer listens on the pipe's name";
        ::close(probe);
        EXPECT_FALSE(platform::openPipe(m_name));
        try {
            PipeInbox inbox(m_name);
            ADD_FAILURE() << "the user's listener served the pipe";
        } catch (const std::exception& error) {
            EXPECT_THAT(error.what(), ::testing::HasSubstr(c.refusal));
        }
        EXPECT_EQ(peer.Received(), 0);
    }
    std::filesystem::remove_all(m_pipeFolder);
    PipeInbox inbox(m_name);
    struct stat folder;
    ASSERT_EQ(::lstat(m_pipeFolder.c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_TRUE(platform::openPipe(m_name).value().write("x"));
    EXPECT_EQ(inbox.Messages(), std::vector<std::string>{"x"});
}
