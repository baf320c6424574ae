// Fuzz aid: the readers under test log their failures; the records are still formatted (so the
// logging path is fuzzed too) but written nowhere.
#pragma once

#include "utils/Logger.h"

#include <ostream>

// Sends the logger's output to a stream without a buffer; later calls do nothing.
inline void discardLogRecords() {
    static std::ostream discard(nullptr);
    static const bool once = (zeu::logger.setStream(discard), true);
    (void)once;
}
