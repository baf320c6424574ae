// What the export commands share: the writing of an output file that is either complete or not
// there at all, and the words for a path that cannot be written. What they draw is in
// host/PageDrawing.h.
#pragma once

#include "host/sdk/IDFile.h"
#include "host/sdk/Ids.h"
#include "host/sdk/PMString.h"

#include <functional>
#include <ostream>
#include <string>

namespace host {

// The code an export command leaves when its output file cannot be written.
inline constexpr ErrorCode kFileWriteErr{0xF0F001};

// Why nothing can be written at a path of the host's form, in words a user can act on: "drive
// J: is not mapped: set ZEP_DRIVE_J to a folder", "the folder /a/b does not exist", "/a/b is no
// folder"; empty when none of these holds.
std::string PathProblem(const std::u16string& path);
// The text an export command leaves as the global error string when its output file cannot be
// written: "The file <path> cannot be written", then the system's text for `error` (a system
// error number; 0 for none) and the path's problem, when it has one, and a full stop: "The file
// J:/ad.pdf cannot be written: Permission denied.", "The file J:/ad.pdf cannot be written: drive
// J: is not mapped: set ZEP_DRIVE_J to a folder.", "The file J:/a/ad.pdf cannot be written: No
// such file or directory; the folder /j/a does not exist."; "the export was given no output
// file" for an empty one.
PMString UnwritableFileText(const IDFile& file, int error = 0);

// Writes an output file through `write`, which writes its bytes to the stream it is given: they
// go to a new temporary file beside the target (platform::temporarySibling), which then takes the
// target's place in one rename, replacing what stood there. kSuccess, or kFileWriteErr when the
// file names no place in the file system, file streams fail (host::Faults), `write` returns false
// or throws, any write up to the file's close fails, or the rename fails; then the temporary file
// is gone and the target is as it was. `error` is then the system error number of the file
// operation that failed, 0 when none did (a path that names no place, a fault of host::Faults,
// `write` failing by itself). A file written is recorded on Channel::Outputs as its identity
// ("<device>:<inode>", which the file keeps when it is renamed) and its path in the host's form
// (UTF-8).
ErrorCode WriteOutputFile(const IDFile& file, const std::function<bool(std::ostream& out)>& write,
                          int& error);

} // namespace host
