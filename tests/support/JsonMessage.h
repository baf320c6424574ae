// Test aid: a message from readable JSON text, so tests write tickets and settings as they read.
#pragma once

#include "umessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

inline std::shared_ptr<const umessage> readJson(const char* text) {
    auto message = std::make_shared<umessage>();
    std::istringstream in(text);
    EXPECT_TRUE(message->read(in)) << text;
    return message;
}
