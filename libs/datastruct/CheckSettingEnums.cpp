// The ticket words of the limit indices and of the severities.
#include "model/CheckSettingEnums.h"

#include "model/KeyStrings.h"

const ustring* LimitKey(std::int32_t index) {
    switch (index) {
    case eLimit_Note:
        return &keystr::note;
    case eLimit_Warn:
        return &keystr::warn;
    case eLimit_Fault:
        return &keystr::fault;
    case eLimit_Ignore:
        return &keystr::ignore;
    default:
        return nullptr;
    }
}

eProblemSeverity SeverityFromWord(const ustring& word) {
    const ustring* const words[] = {&keystr::ignore,         &keystr::note,    &keystr::warn,
                                    &keystr::fault,          &keystr::dynamic, &keystr::parameter,
                                    &keystr::parameterNotSet};
    for (std::int32_t i = 0; i < 7; ++i) {
        if (word == *words[i])
            return static_cast<eProblemSeverity>(i + 1);
    }
    return eProblemSeverity_NotSet;
}
