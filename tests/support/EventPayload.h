// Test aid: the job that an event message to the companion application carries.
#pragma once

#include "model/BJobFile.h"
#include "utils/TextUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <string>

// The job that the Base64 payload "v" of a message's text holds.
inline std::unique_ptr<BJobFile> PayloadJob(const std::string& text) {
    std::smatch v;
    EXPECT_TRUE(std::regex_search(text, v, std::regex("\"v\":\"([A-Za-z0-9+/=]*)\""))) << text;
    std::string bytes;
    EXPECT_TRUE(base64Decode(v[1].str(), bytes));
    std::istringstream in(bytes);
    auto job = std::make_unique<BJobFile>();
    job->Read(in, kJobFilePartFull);
    return job;
}
