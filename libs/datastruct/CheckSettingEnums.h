// The enumerations shared by check settings, setting messages and setting definitions: the
// setting type, the problem severity and the index of a limit, with the ticket words for them.
#pragma once

#include "utils/ustring.h"

#include <cstdint>

// How a check's setting is read and evaluated. The older ticket form names the values by the
// texts "eSettingType_Undefined" to "eSettingType_CombiningParameterHigh" (ParseSettingType).
enum eSettingType : std::int32_t {
    eSettingType_Undefined = 0,
    eSettingType_Boolean = 1,                 // reported with its severity
    eSettingType_LimitsLow = 2,               // a value below a limit is a problem
    eSettingType_LimitsHigh = 3,              // a value above a limit is a problem
    eSettingType_Range = 4,                   // stored only
    eSettingType_Parameter = 5,               // numeric parameters held in the limits
    eSettingType_StringParameter = 6,         // text parameters 0 to 2
    eSettingType_LimitsLowSeverity = 7,       // stored only
    eSettingType_LimitsHighSeverity = 8,      // stored only
    eSettingType_CombiningParameterLow = 9,   // treated like eSettingType_Parameter
    eSettingType_CombiningParameterHigh = 10, // stored only
};

// Severity of a check. Tickets in the current form write the words "ignore", "note", "warn",
// "fault", "dynamic", "parameter" and "parameterNotSet" for 1 to 7; the older form writes the
// names "eProblemSeverity_NotSet" to "eProblemSeverity_ParameterNotSet".
enum eProblemSeverity : std::int32_t {
    eProblemSeverity_NotSet = 0,
    eProblemSeverity_Ignore = 1,
    eProblemSeverity_Note = 2,
    eProblemSeverity_Warn = 3,
    eProblemSeverity_Fault = 4,
    eProblemSeverity_Dynamic = 5,
    eProblemSeverity_Parameter = 6,
    eProblemSeverity_ParameterNotSet = 7,
};

// Index of a check's four limits, the same in every operation that takes one; the ticket keys
// are "note", "warn", "fault" and "ignore".
enum eLimitIndex : std::int32_t {
    eLimit_Note = 0,
    eLimit_Warn = 1,
    eLimit_Fault = 2,
    eLimit_Ignore = 3,
};

// The ticket key of a limit index: "note", "warn", "fault", "ignore"; null outside 0..3.
const ustring* LimitKey(std::int32_t index);
// The severity a word names: "ignore" 1, "note" 2, "warn" 3, "fault" 4, "dynamic" 5,
// "parameter" 6, "parameterNotSet" 7; any other text (case matters) NotSet.
eProblemSeverity SeverityFromWord(const ustring& word);
