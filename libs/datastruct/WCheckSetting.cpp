// The setting-message wrapper and the merges that combine a check's several settings.
#include "model/WCheckSetting.h"

#include "model/KeyStrings.h"
#include "model/SettingDefinitions.h"

#include <array>
#include <optional>

using umessage_details::type_int;
using umessage_details::type_string;

namespace {

const umessage& emptyMessage() {
    static const umessage empty;
    return empty;
}

// The rank of a word among "ignore" to "fault"; 0 for every other word.
std::int32_t severityRank(const ustring& word) {
    const eProblemSeverity severity = SeverityFromWord(word);
    return severity <= eProblemSeverity_Fault ? severity : 0;
}

bool fixBit(const umessage& message) {
    return (message.valueOr<int>(keystr::fix, 0, 0) & 1) != 0;
}

// The running result of a merge: the most severe word offered so far, the message that offered
// it first, and whether any setting carried the "fix" bit.
struct MergeWinner {
    const umessage* message = nullptr;
    ustring word;
    bool fix = false;

    void offer(const ustring& candidate, const umessage& from) {
        if (CompareSeverityWords(candidate, word) > 0) {
            word = candidate;
            message = &from;
        }
    }

    // A deep copy of the winning message with "sev" replaced by the word and "fix" by 1 when
    // keepFix, else removed.
    std::shared_ptr<umessage> copy(bool keepFix) const {
        auto merged = umessage::clone(*message);
        merged->remove(keystr::sev);
        merged->add<ustring>(keystr::sev, type_string, word);
        merged->remove(keystr::fix);
        if (keepFix)
            merged->add<int>(keystr::fix, type_int, 1);
        return merged;
    }
};

// The limits merge; `wins` tells whether a value beats the best so far.
template <typename Wins>
WCheckSetting mergeLimits(const std::vector<WCheckSetting>& settings, Wins wins) {
    const std::array<const ustring*, 3> keys = {&keystr::fault, &keystr::warn, &keystr::note};
    std::array<std::optional<double>, 3> best;
    MergeWinner winner;
    for (const WCheckSetting& setting : settings) {
        const auto message = setting.GetMessage();
        if (!message)
            continue;
        for (size_t k = 0; k < keys.size(); ++k) {
            double value;
            if (!message->get(*keys[k], 0, value) || (best[k] && !wins(value, *best[k])))
                continue;
            best[k] = value;
            winner.offer(*keys[k], *message);
        }
        winner.fix = winner.fix || fixBit(*message);
    }
    if (winner.message == nullptr)
        return WCheckSetting();

    auto merged = winner.copy(winner.fix && winner.word != keystr::fault);
    for (size_t k = 0; k < keys.size(); ++k) {
        merged->remove(*keys[k]);
        if (best[k])
            merged->add<double>(*keys[k], umessage_details::type_double, *best[k]);
    }
    return WCheckSetting(std::shared_ptr<const umessage>(std::move(merged)));
}

} // namespace

WCheckSetting::WCheckSetting(const ustring& checkName, const std::vector<WCheckSetting>& settings) {
    if (settings.size() == 1) {
        m_message = settings.front().m_message;
        return;
    }
    const SettingDefinitionsRegistry* registry = SettingDefinitionsRegistry::Instance();
    if (registry == nullptr)
        return;
    switch (registry->Find(checkName).GetType()) {
    case eSettingType_Boolean:
        m_message = MergeBooleanSettings(settings).m_message;
        break;
    case eSettingType_LimitsLow:
        m_message = MergeLimitsLowSettings(settings).m_message;
        break;
    case eSettingType_LimitsHigh:
        m_message = MergeLimitsHighSettings(settings).m_message;
        break;
    case eSettingType_Parameter:
    case eSettingType_StringParameter:
        m_message = MergeParameterSettings(settings).m_message;
        break;
    default:
        break;
    }
}

eProblemSeverity WCheckSetting::GetSeverity() const {
    return SeverityFromWord(GetSeverityText());
}

ustring WCheckSetting::GetSeverityText() const {
    return (m_message ? *m_message : emptyMessage()).valueOr<ustring>(keystr::sev, 0, ustring());
}

double WCheckSetting::GetLimit(std::int32_t index) const {
    const ustring* key = LimitKey(index);
    if (key == nullptr || !m_message)
        return 0.0;
    return m_message->valueOr<double>(*key, 0, 0.0);
}

bool WCheckSetting::IsLimitNotSet(std::int32_t index) const {
    const ustring* key = LimitKey(index);
    return key == nullptr || !m_message || !m_message->is<double>(*key, 0);
}

ustring WCheckSetting::GetParameter(std::int32_t index) const {
    if (index < 0 || !m_message)
        return ustring();
    return m_message->valueOr<ustring>(keystr::P, static_cast<uint64_t>(index), ustring());
}

bool WCheckSetting::IsParameterNotSet(std::int32_t index) const {
    return index < 0 || !m_message ||
           !m_message->is<ustring>(keystr::P, static_cast<uint64_t>(index));
}

std::int32_t CompareSeverityWords(const ustring& a, const ustring& b) {
    return severityRank(a) - severityRank(b);
}

WCheckSetting MergeBooleanSettings(const std::vector<WCheckSetting>& settings) {
    MergeWinner winner;
    for (const WCheckSetting& setting : settings) {
        const auto message = setting.GetMessage();
        if (!message)
            continue;
        winner.offer(setting.GetSeverityText(), *message);
        winner.fix = winner.fix || fixBit(*message);
    }
    if (winner.message == nullptr)
        return WCheckSetting();
    if (winner.fix && winner.word == keystr::fault)
        winner.word = keystr::warn;
    return WCheckSetting(std::shared_ptr<const umessage>(winner.copy(winner.fix)));
}

WCheckSetting MergeLimitsLowSettings(const std::vector<WCheckSetting>& settings) {
    return mergeLimits(settings, [](double value, double best) { return value > best; });
}

WCheckSetting MergeLimitsHighSettings(const std::vector<WCheckSetting>& settings) {
    return mergeLimits(settings, [](double value, double best) { return value < best; });
}

WCheckSetting MergeParameterSettings(const std::vector<WCheckSetting>& settings) {
    for (const WCheckSetting& setting : settings) {
        for (std::int32_t i = 0; i < 3; ++i) {
            if (!setting.IsParameterNotSet(i))
                return setting;
        }
    }
    return WCheckSetting();
}
