// Test aid: the platform's file-operation seam (the hook or the fault of platform/fileseams.h) is
// clear when the object is made and again when it goes, so that a hook a test set, often holding
// references to the test's locals, never outlives the test, not even one that a failed assertion
// ended early.
#pragma once

#include "platform/fileseams.h"

class FileOperationSeam {
public:
    FileOperationSeam() { platform::setFileOperationHook({}); }
    ~FileOperationSeam() { platform::setFileOperationHook({}); }
    FileOperationSeam(const FileOperationSeam&) = delete;
    FileOperationSeam& operator=(const FileOperationSeam&) = delete;
};
