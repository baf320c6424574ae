// The companion pipe: the stand-in for a Windows named pipe "\\.\pipe\NAME", a Unix-domain stream
// socket at BASE/zephrin-UID/NAME, BASE $ZEP_PIPE_DIR, else $XDG_RUNTIME_DIR, else /tmp, UID the
// effective user's id. That folder is the user's own and no one else may enter it (mode 0700),
// so that another user can neither take the pipe's name nor read what goes through it: a Windows
// pipe is the user's, a name in a shared folder would be anybody's. The sending side opens a
// connection without waiting, only to a listener of its own user, and writes whole messages,
// each within kPipeSendDeadline; the listening side serves one connection after another.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace platform {

// How long one message may take to go out whole. A listener that accepts and then reads slowly
// or not at all would otherwise keep the sender waiting for ever once the socket's buffer is
// full (a message of a few thousand destinations is larger than that buffer).
inline constexpr std::chrono::seconds kPipeSendDeadline{5};

// The socket path of a pipe name: "\\.\pipe\" (any case) and a NAME without '\' or '/' that is
// not "." or "..", in the user's pipe folder; nothing for any other text, or when the path is
// too long for a socket address.
std::optional<std::string> pipeSocketPath(const std::u16string& pipeName);

// One open connection to a pipe's listener; closed when destroyed.
class PipeConnection {
public:
    explicit PipeConnection(int socket) : m_socket(socket) {}
    PipeConnection(PipeConnection&& other) noexcept;
    PipeConnection& operator=(PipeConnection&& other) noexcept;
    ~PipeConnection();

    // Writes every byte, waiting while the listener has not taken the earlier ones; false when
    // the connection fails, or kPipeSendDeadline has passed since the call, before the last
    // byte went out (the listener then gets a cut message). A listener that has gone raises no
    // signal: the write fails.
    [[nodiscard]] bool write(std::string_view bytes);

private:
    int m_socket;
};

// Connects to the pipe's listener without waiting: nothing when the name has no socket path,
// the folder is not the user's own private folder (a symbolic link, no folder, another user's,
// open to others), no socket is there, nobody listens on it, the listener's queue of waiting
// connections is full (a busy pipe), or the listener runs as another user (SO_PEERCRED); such
// a listener only sees a connection close without a byte.
std::optional<PipeConnection> openPipe(const std::u16string& pipeName);

// Serves a pipe on a thread of its own: accepts each connection in turn, reads it to its end
// and hands the bytes to the handler (on that thread), then closes it. A connection that brings
// no bytes is no message (a test of whether the pipe is served looks like that).
class PipeListener {
public:
    using Handler = std::function<void(std::string message)>;

    // Listens on the pipe's socket; makes the user's pipe folder (mode 0700) when it is missing,
    // and replaces a socket file that nobody listens on any more. `readLimit` makes a listener
    // that hangs up early: it closes each connection once it has read that many bytes and hands
    // over what it read. Throws std::invalid_argument for a name without a socket path,
    // std::runtime_error naming the folder and what is wrong with it when the pipe folder is a
    // symbolic link, no folder, another user's or open to others, and std::system_error when the
    // folder or the socket cannot be made (another listener serves the pipe, or BASE is missing
    // or not writable).
    PipeListener(const std::u16string& pipeName, Handler handler,
                 std::size_t readLimit = std::numeric_limits<std::size_t>::max());
    // Stops serving (a connection being read is dropped) and removes the socket file.
    ~PipeListener();

    // Returns once every connection made before the call has been read to its end and handed
    // over (so a sender's messages are in the handler's hands once its send has returned). Not
    // from the handler.
    void Drain();
    PipeListener(const PipeListener&) = delete;
    PipeListener& operator=(const PipeListener&) = delete;

private:
    void Serve();
    // Serves one connection, or finishes the drains asked for when none is waiting; false when
    // the listener stops.
    bool ServeOnce();
    // The connection's bytes up to its end or the read limit; nothing when asked to stop.
    std::optional<std::string> ReadConnection(int connection);

    std::string m_path;
    Handler m_handler;
    std::size_t m_readLimit;
    int m_socket = -1;
    int m_stop = -1;  // an event descriptor that becomes readable when the listener stops
    int m_drain = -1; // one that becomes readable when a drain is asked for
    std::mutex m_mutex;
    std::condition_variable m_drained;
    std::uint64_t m_drainsAsked = 0; // drains are numbered; these are the ones asked and done
    std::uint64_t m_drainsDone = 0;
    bool m_serving = true;
    std::thread m_thread;
};

} // namespace platform
