// The companion pipe on Unix-domain stream sockets.
#include "platform/pipe.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

constexpr std::u16string_view kPipePrefix = u"\\\\.\\pipe\\";
constexpr int kListenQueue = 16;

bool startsWithPipePrefix(const std::u16string& name) {
    if (name.size() < kPipePrefix.size())
        return false;
    return std::equal(kPipePrefix.begin(), kPipePrefix.end(), name.begin(),
                      [](char16_t prefix, char16_t unit) {
                          return prefix == (unit >= u'A' && unit <= u'Z' ? unit + 32 : unit);
                      });
}

std::optional<sockaddr_un> socketAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// Waits until the socket can take more bytes, at most until the deadline; false once it has
// passed. An error or a hang-up also ends the wait: the next send reports it.
bool awaitRoom(int socket, std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    pollfd wait{socket, POLLOUT, 0};
    const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
    return ready > 0 || (ready < 0 && errno == EINTR);
}

bool connectTo(int socket, const sockaddr_un& address) {
    return ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// Makes an event descriptor readable.
void notify(int event) {
    const std::uint64_t one = 1;
    static_cast<void>(::write(event, &one, sizeof one));
}

[[noreturn]] void throwSystemError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// True when a socket file is at the address and nobody listens on it.
bool isAbandonedSocket(const sockaddr_un& address) {
    struct stat info;
    if (::lstat(address.sun_path, &info) != 0 || !S_ISSOCK(info.st_mode))
        return false;
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0)
        return false;
    const bool refused = !connectTo(probe, address) && errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

// The user's folder of pipe sockets: zephrin-UID in $ZEP_PIPE_DIR, else in $XDG_RUNTIME_DIR,
// else in /tmp.
std::string pipeFolder() {
    std::string base = "/tmp";
    for (const char* variable : {"ZEP_PIPE_DIR", "XDG_RUNTIME_DIR"})
        if (const char* value = std::getenv(variable); value && *value) {
            base = value;
            break;
        }
    if (base.back() != '/')
        base += '/';
    return base + "zephrin-" + std::to_string(::geteuid());
}

// What keeps the folder from being the effective user's private pipe folder; nothing when it is
// one. Symbolic links are not followed: one of another user could send the sockets anywhere.
std::optional<std::string> privateFolderRefusal(const std::string& folder) {
    struct stat info;
    if (::lstat(folder.c_str(), &info) != 0)
        return std::string("cannot be read: ") + std::strerror(errno);
    if (S_ISLNK(info.st_mode))
        return "is a symbolic link";
    if (!S_ISDIR(info.st_mode))
        return "is not a folder";
    if (info.st_uid != ::geteuid())
        return "belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        return std::string("is open to other users (mode ") + mode + ")";
    }
    return std::nullopt;
}

// Makes the private pipe folder when it is missing (umask can only take bits from 0700), then
// makes sure it is one.
void makePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        throw std::system_error(error, std::generic_category(),
                                "cannot make the pipe's folder " + folder);
    }
    if (const auto refusal = privateFolderRefusal(folder))
        throw std::runtime_error("the pipe's folder " + folder + " " + *refusal +
                                 "; it must be a folder of the user's own that no one else can "
                                 "enter (mode 0700): set ZEP_PIPE_DIR to place it elsewhere");
}

// True when the peer of a connected socket (for a listener: as it was when it began to listen)
// runs as the effective user.
bool peerIsThisUser(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           size == sizeof peer && peer.uid == ::geteuid();
}

} // namespace

std::optional<std::string> pipeSocketPath(const std::u16string& pipeName) {
    if (!startsWithPipePrefix(pipeName))
        return std::nullopt;
    const std::u16string name = pipeName.substr(kPipePrefix.size());
    if (name.empty() || name == u"." || name == u".." ||
        name.find_first_of(u"\\/") != std::u16string::npos)
        return std::nullopt;
    auto leaf = utf16ToUtf8(name);
    if (!leaf || leaf->find('\0') != std::string::npos)
        return std::nullopt;
    std::string path = pipeFolder() + '/' + *leaf;
    if (!socketAddress(path))
        return std::nullopt;
    return path;
}

PipeConnection::PipeConnection(PipeConnection&& other) noexcept
    : m_socket(std::exchange(other.m_socket, -1)) {}

PipeConnection& PipeConnection::operator=(PipeConnection&& other) noexcept {
    if (this != &other) {
        if (m_socket >= 0)
            ::close(m_socket);
        m_socket = std::exchange(other.m_socket, -1);
    }
    return *this;
}

PipeConnection::~PipeConnection() {
    if (m_socket >= 0)
        ::close(m_socket);
}

bool PipeConnection::write(std::string_view bytes) {
    const auto deadline = std::chrono::steady_clock::now() + kPipeSendDeadline;
    while (!bytes.empty()) {
        const ssize_t sent = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) ||
            !awaitRoom(m_socket, deadline))
            return false;
    }
    return true;
}

std::optional<PipeConnection> openPipe(const std::u16string& pipeName) {
    const auto path = pipeSocketPath(pipeName);
    if (!path || privateFolderRefusal(path->substr(0, path->rfind('/'))))
        return std::nullopt;
    // Connecting without waiting: a listener whose queue is full refuses at once (EAGAIN)
    // instead of keeping the caller until it has room.
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return std::nullopt;
    // The socket stays non-blocking: the writes wait for the listener by themselves, so a
    // message larger than the socket's buffer goes out whole, but never past the deadline.
    PipeConnection connection(socket);
    // The folder's check leaves a moment in which it could change; the listener's own user is
    // what decides whether a message may go to it.
    if (!connectTo(socket, *socketAddress(*path)) || !peerIsThisUser(socket))
        return std::nullopt;
    return connection;
}

PipeListener::PipeListener(const std::u16string& pipeName, Handler handler, std::size_t readLimit)
    : m_handler(std::move(handler)), m_readLimit(readLimit) {
    const auto path = pipeSocketPath(pipeName);
    if (!path)
        throw std::invalid_argument("not a pipe name");
    m_path = *path;
    makePrivateFolder(m_path.substr(0, m_path.rfind('/')));
    const sockaddr_un address = *socketAddress(m_path);
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        throwSystemError("socket");
    auto bound = [&] {
        return ::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    if (!bound() && !(errno == EADDRINUSE && isAbandonedSocket(address) &&
                      ::unlink(m_path.c_str()) == 0 && bound())) {
        const int error = errno;
        ::close(m_socket);
        throw std::system_error(error, std::generic_category(), "bind " + m_path);
    }
    m_stop = ::eventfd(0, EFD_CLOEXEC);
    m_drain = ::eventfd(0, EFD_CLOEXEC);
    if (m_stop < 0 || m_drain < 0 || ::listen(m_socket, kListenQueue) != 0) {
        const int error = errno;
        ::unlink(m_path.c_str());
        for (const int fd : {m_socket, m_stop, m_drain})
            if (fd >= 0)
                ::close(fd);
        throw std::system_error(error, std::generic_category(), "listen " + m_path);
    }
    m_thread = std::thread([this] { Serve(); });
}

PipeListener::~PipeListener() {
    notify(m_stop);
    m_thread.join();
    ::unlink(m_path.c_str());
    ::close(m_socket);
    ::close(m_stop);
    ::close(m_drain);
}

void PipeListener::Drain() {
    std::unique_lock lock(m_mutex);
    const std::uint64_t drain = ++m_drainsAsked;
    notify(m_drain);
    m_drained.wait(lock, [&] { return !m_serving || m_drainsDone >= drain; });
}

void PipeListener::Serve() {
    while (ServeOnce()) {
    }
    std::lock_guard lock(m_mutex);
    m_serving = false;
    m_drained.notify_all();
}

bool PipeListener::ServeOnce() {
    // The drains asked for before the poll: their connections were made before it, so they are
    // done once the poll finds no connection waiting.
    std::uint64_t asked;
    {
        std::lock_guard lock(m_mutex);
        asked = m_drainsAsked;
    }
    const bool draining = asked > m_drainsDone;
    pollfd waits[] = {{m_socket, POLLIN, 0}, {m_stop, POLLIN, 0}, {m_drain, POLLIN, 0}};
    if (::poll(waits, 3, draining ? 0 : -1) < 0)
        return errno == EINTR;
    if (waits[1].revents != 0)
        return false;
    if (waits[0].revents != 0) {
        const int connection = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            return true;
        std::optional<std::string> message = ReadConnection(connection);
        ::close(connection);
        if (!message)
            return false;
        if (!message->empty())
            m_handler(std::move(*message));
        return true;
    }
    if (waits[2].revents != 0) {
        std::uint64_t count;
        static_cast<void>(::read(m_drain, &count, sizeof count));
    }
    if (draining) {
        std::lock_guard lock(m_mutex);
        m_drainsDone = asked;
        m_drained.notify_all();
    }
    return true;
}

std::optional<std::string> PipeListener::ReadConnection(int connection) {
    std::string message;
    char buffer[65536];
    while (message.size() < m_readLimit) {
        pollfd waits[] = {{connection, POLLIN, 0}, {m_stop, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            break;
        if (waits[1].revents != 0)
            return std::nullopt;
        if (waits[0].revents == 0)
            continue;
        const ssize_t got =
            ::read(connection, buffer, std::min(sizeof buffer, m_readLimit - message.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        message.append(buffer, static_cast<std::size_t>(got));
    }
    return message;
}

} // namespace platform
