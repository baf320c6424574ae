// WCheckSetting: read access to one check's setting message as a ticket carries it, and the
// combination of the several settings a ticket may give one check into a single setting.
#pragma once

#include "model/CheckSettingEnums.h"
#include "utils/umessage.h"
#include "utils/ustring.h"

#include <cstdint>
#include <memory>
#include <vector>

// A setting message held by shared pointer; a null pointer is "no setting". The message is never
// changed once wrapped: copies share it and the merges build new messages.
//
// Setting message keys: "sev" (severity word), "note", "warn", "fault", "ignore" (limits, any
// number type at index 0), "P" (text parameters 0 to 2), "PV", "precision", "fix" (bit 0).
// The accessors read a setting without a message as an empty message.
class WCheckSetting {
public:
    WCheckSetting() = default;
    explicit WCheckSetting(std::shared_ptr<const umessage> message)
        : m_message(std::move(message)) {}
    // CombineSettings: the settings of one check merged by the rule of its defined type.
    WCheckSetting(const ustring& checkName, const std::vector<WCheckSetting>& settings);

    // "sev" as a word: "ignore" 1 to "parameterNotSet" 7; absent, empty or any other word 0.
    eProblemSeverity GetSeverity() const;
    ustring GetSeverityText() const; // "sev" at index 0, empty when absent
    // The limit's number as a double; 0.0 when absent, not a number, or index outside 0..3.
    double GetLimit(std::int32_t index) const;
    // False when the limit's key holds a double, an int or a 64-bit integer at index 0.
    bool IsLimitNotSet(std::int32_t index) const;
    ustring GetParameter(std::int32_t index) const; // the string "P" at index, or empty
    bool IsParameterNotSet(std::int32_t index) const;
    std::shared_ptr<const umessage> GetMessage() const { return m_message; }
    bool HasMessage() const { return m_message != nullptr; }

private:
    std::shared_ptr<const umessage> m_message;
};

// The check's settings combined into one: a single setting is returned as it is (shared);
// otherwise, with a definitions registry, the merge of the check's defined type (Boolean,
// LimitsLow, LimitsHigh, Parameter and StringParameter); every other case gives no setting.
inline WCheckSetting CombineSettings(const ustring& checkName,
                                     const std::vector<WCheckSetting>& settings) {
    return WCheckSetting(checkName, settings);
}

// rank(a) - rank(b) with the ranks "ignore" 1, "note" 2, "warn" 3, "fault" 4, any other text 0.
std::int32_t CompareSeverityWords(const ustring& a, const ustring& b);

// The most severe "sev" word wins (ties keep the earlier setting) on a copy of its message; a
// "fix" bit in any setting is kept as "fix" 1 and lowers a winning "fault" to "warn".
WCheckSetting MergeBooleanSettings(const std::vector<WCheckSetting>& settings);
// The strictest "fault", "warn" and "note" limits of all settings (the largest for LimitsLow,
// the smallest for LimitsHigh), on a copy of the message that first set the most severe of the
// three keys, whose word becomes "sev"; "fix" is kept unless that word is "fault".
WCheckSetting MergeLimitsLowSettings(const std::vector<WCheckSetting>& settings);
WCheckSetting MergeLimitsHighSettings(const std::vector<WCheckSetting>& settings);
// The first setting with a string "P" at index 0, 1 or 2, shared.
WCheckSetting MergeParameterSettings(const std::vector<WCheckSetting>& settings);
