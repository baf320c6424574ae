// The link to the companion application: every event message goes over the user's pipe on a
// connection of its own, after a ping on another; when the ping finds no pipe, the application
// is started from its registered path (unless it runs already) and given 3 seconds to open it.
// The link is one-way: nothing is read back.
#pragma once

#include "platform/pipe.h"
#include "utils/umessage.h"
#include "utils/ustring.h"

#include <string>

// Where the companion application is registered: a key under HKEY_CURRENT_USER and the name of
// the value that holds its path.
struct CompanionApplicationLocation {
    std::u16string keyPath;
    std::u16string valueName;
};
// "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Zephrin6.exe", the key's default value.
extern const CompanionApplicationLocation kCompanionApplicationLocation;

// Sends the ping, starts the application when the ping's pipe does not open, then sends the
// message. True when every byte of the message was written; otherwise false, after an ERROR
// log record naming the message's "what". Never throws.
[[nodiscard]] bool SendCompanionMessage(const umessage& message);

// One connection to "\\.\pipe\zephrin_tarnwell_com." + the user name: opens it, writes the
// message's compact JSON text (no terminator), closes it. True when every byte was written.
// Throws std::runtime_error "cannot open pipe" when the pipe cannot be opened, and "message
// nested too deep", before opening it, when the JSON writer refuses the message (nested deeper
// than umessage::kMaxDepth). The user name is the environment's "USERNAME" when set (also when
// empty), else "USER", else "123".
[[nodiscard]] bool SendToCompanionPipe(const umessage& message);

// Throws std::runtime_error "cannot open pipe" when the pipe cannot be opened (also when all its
// instances are busy: there is no wait).
platform::PipeConnection OpenCompanionPipe(const std::u16string& pipeName);

// True when the message's text went out whole. Throws std::runtime_error "message nested too
// deep", writing nothing, when the JSON writer refuses the message.
[[nodiscard]] bool WriteCompanionMessage(platform::PipeConnection& pipe, const umessage& message);

// Starts the registered application unless there is none or it runs already; after a start,
// waits 3000 ms whether or not the start succeeded.
void StartCompanionApplication();

// The registered path up to its first NUL; empty when the registry holds none, or a value too
// large for the 16383-byte buffer of the registry read (its UTF-16 text and terminating NUL).
std::u16string GetCompanionApplicationPath(const CompanionApplicationLocation& location);
// The same path as UTF-8.
void GetCompanionApplicationPath(const CompanionApplicationLocation& location, ustring& path);

// True when a running process's program is the file at `path`. The path is resolved the way the
// system names a process's program (drive form, symbolic links followed) and compared with each
// running program exactly: file names are case-sensitive here, so the lower-casing that the
// Windows image names need has no counterpart. A path that names no file is not running.
bool IsCompanionApplicationRunning(const std::u16string& path);
