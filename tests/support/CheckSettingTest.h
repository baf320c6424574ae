// Test aid for the check-setting tests: setting definitions installed as the process-wide
// default-settings message, and a reset of the registry, that message and the PDF-forbidding
// flag around every test.
#pragma once

#include "model/SettingDefinitions.h"
#include "support/JobModelState.h"
#include "support/JsonMessage.h"

#include <gtest/gtest.h>

// One definition of each setting type the merges and readers treat, under real check names.
inline constexpr const char* kTestDefinitions = R"({
    "Transparency": {"type": "boolean", "defaults": {"sev": "warn"}},
    "ResTooLowContone": {"type": "limitsLow"},
    "PDFVersionTooHigh": {"type": "limitsHigh"},
    "PDFVersionTooLow": {"type": "limitsLow"},
    "MaxBlackOnText": {"type": "parameter"},
    "InkWeightTAC": {"type": "combiningParameterLow"},
    "Setting_ProcessProfile": {"type": "stringParameter"},
    "Setting_MinimumBleed": {"type": "limitsLow", "userUnits": true}
})";

class CheckSettingTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() { JobModelState::Reset(); }
    static void Define(const char* definitions = kTestDefinitions) {
        GetDefaultSettings() = *readJson(definitions);
    }
};
