// Tests of the plug-in start from a fresh host with the plug-in's code attached and loaded.
#pragma once

#include "Plugin/ZEPPlugin.h"
#include "support/HostFixture.h"

class PluginTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(host::Attach(GetPlugIn()));
    }
};
