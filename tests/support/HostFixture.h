// Fixtures for tests of the host stand-in and of the plug-in: each test starts from a fresh host
// (and, for the plug-in, with the plug-in's code attached directly, without loading a library).
#pragma once

#include "host/Host.h"
#include "host/Recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
    void TearDown() override {
        host::UnloadAll();
        host::Reset();
    }

    static const std::vector<std::string>& Log(host::Channel channel) {
        return host::Recorder::Instance().Log(channel);
    }
};
