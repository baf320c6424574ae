// Tests of the plug-in start from a fresh host with the plug-in's code attached and loaded, and
// from the job model's process-wide state of a fresh process.
#pragma once

#include "Plugin/ZEPPlugin.h"
#include "support/HostFixture.h"
#include "support/JobModelState.h"

class PluginTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(host::Attach(GetPlugIn()));
    }

private:
    const JobModelState m_jobModel;
};
