// Test and benchmark seams of the file calls (platform/files.h): they count, fail or hold the
// operations that change the file system, shorten the waits for folder locks, skip the syncs and
// make the file system refuse what some file systems do not take. Process-wide settings, for
// tests and benchmarks only; not for use from two threads at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The file operations that change what the file system holds, as the fault hook counts them:
// opening a file for writing, writing out the buffer (full, or before a move of the position),
// flushing it, closing a written file, renaming (replaceFile, moveFile, HeldFolder::rename and
// renameNew), making a folder, putting a kept file back (HeldFolder::restore), syncing a file
// (syncFile), syncing a folder (HeldFolder::sync) and giving a file of a held folder a second
// name (HeldFolder::link).
enum class FileOperation {
    Open,
    Write,
    Flush,
    Close,
    Rename,
    MakeDirectory,
    Restore,
    Sync,
    SyncFolder,
    Link
};

// From now on each of those operations first calls `hook` with its number, counted from 1, and
// its kind; false fails the operation (errno EIO), except Restore and a sync that undoes
// (SyncPurpose::kUndo), which the hook may hold or end the process at but not fail. An empty
// hook, the default, lets everything through. Deleting and linkFile are not counted, and Restore
// is not failed: they undo a failed change, and a disk that refuses new data still allows them.
using FileOperationHook = std::function<bool(std::uint64_t number, FileOperation operation)>;
void setFileOperationHook(FileOperationHook hook);
// The same seam with the failure's system error number: `fault` returns 0 to let the operation
// run, else the error number it fails with (EACCES for a folder that may not be written, EROFS
// for a read-only file system, ENOSPC for a full disk). It replaces the hook above, and the
// hook replaces it; both count the operations from 1 again.
using FileOperationFault = std::function<int(std::uint64_t number, FileOperation operation)>;
void setFileOperationFault(FileOperationFault fault);

// The names that the operation the hook is being asked about acts on, as its caller gave them:
// `path` the file or folder (for a write, a flush or a close the file being written, for a
// rename or a restore the name that goes), `target` the name a rename or a restore gives (else
// empty). Valid only inside the hook.
struct FileOperationPaths {
    std::u16string path;
    std::u16string target;
};
const FileOperationPaths& currentFileOperationPaths();

// From now on every wait for a folder lock (HeldFolder::lock) lasts at most `limit`; nothing
// lifts the limit.
void setFolderLockWaitLimit(std::optional<std::chrono::milliseconds> limit);

// Benchmark seam: while skipped, syncFile and HeldFolder::sync count their operation and succeed
// without syncing anything, so that a benchmark can weigh what the syncs cost.
void setSyncsSkipped(bool skipped);

// What the file system refuses, as some do, so that the ways around it run on any disk:
// `renameFlags`: every rename with flags (renameat2 with RENAME_NOREPLACE: HeldFolder::renameNew,
// moveFile) fails with EINVAL, as on a FUSE or network file system that takes no renameat2
// flags; `links`: every hard link the platform makes (HeldFolder::link, linkFile, the link of
// HeldFolder::renameNew) fails with EPERM, as on a file system without hard links. The refusal
// comes after the fault hook was asked, as the system's own would. Nothing is refused by default.
struct FileSystemRefusals {
    bool renameFlags = false;
    bool links = false;
};
void setFileSystemRefusals(FileSystemRefusals refusals);

} // namespace platform
