// Test aid: a message from readable JSON text, so tests write tickets and settings as they read,
// and a message's compact JSON text, so tests compare messages as they read.
#pragma once

#include "utils/umessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

// A message that the test may still change (tickets and destinations that are edited in place).
inline std::shared_ptr<umessage> readWritableJson(const std::string& text) {
    auto message = std::make_shared<umessage>();
    std::istringstream in(text);
    EXPECT_TRUE(message->read(in)) << text;
    return message;
}

inline std::shared_ptr<const umessage> readJson(const std::string& text) {
    return readWritableJson(text);
}

inline std::string compactJson(const umessage& message) {
    std::ostringstream out;
    EXPECT_TRUE(message.write(out));
    return out.str();
}
