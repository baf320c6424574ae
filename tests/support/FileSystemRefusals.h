// Test aid: the file system refuses what the platform's seam says (renameat2 flags, hard links)
// while the object lives, and nothing again once it goes, also when a failed assertion ended the
// test early.
#pragma once

#include "platform/fileseams.h"

class ScopedFileSystemRefusals {
public:
    explicit ScopedFileSystemRefusals(platform::FileSystemRefusals refusals) {
        platform::setFileSystemRefusals(refusals);
    }
    ~ScopedFileSystemRefusals() { platform::setFileSystemRefusals({}); }
    ScopedFileSystemRefusals(const ScopedFileSystemRefusals&) = delete;
    ScopedFileSystemRefusals& operator=(const ScopedFileSystemRefusals&) = delete;
};
