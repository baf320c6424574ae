// One check's setting: construction by name, the two ticket readers, evaluation of a value
// against the limits, and the propagation of changes over linked settings.
#include "model/BCheckSetting.h"

#include "model/KeyStrings.h"
#include "model/SettingDefinitions.h"
#include "utils/Logger.h"
#include "utils/UUnits.h"

#include <algorithm>

namespace {

// Rounding to more decimals than a double holds changes nothing, and rounding to fewer than
// -308 would divide by a power of ten that is zero (NaN for every value): the precision is
// clamped to what a double can express before it is applied.
constexpr std::int32_t kMaxPrecision = 308;

bool validIndex(std::int32_t index) {
    return index >= 0 && index < 4;
}

// Names whose values are compared as whole numbers (precision 0) or to one decimal.
std::int32_t precisionForName(const ustring& name) {
    const ustring* const wholeNumbers[] = {&keystr::ResTooHighContone,
                                           &keystr::ResTooLowContone,
                                           &keystr::ResTooLowBitmap,
                                           &keystr::ResTooHighBitmap,
                                           &keystr::Setting_ContoneDownsample,
                                           &keystr::Setting_BitmapDownsample,
                                           &keystr::MaxSpotsUsed,
                                           &keystr::MinSpotsUsed,
                                           &keystr::MaxPlates,
                                           &keystr::MinPlates,
                                           &keystr::MaxNonBlackPlates,
                                           &keystr::MinNonBlackPlates,
                                           &keystr::MaxBlackOnVector,
                                           &keystr::MaxBlackOnText,
                                           &keystr::TextNonPropScaled};
    const ustring* const oneDecimal[] = {&keystr::InkWeightTAC, &keystr::InkWeightShadow,
                                         &keystr::ImageNonPropScaled, &keystr::PDFVersionTooHigh,
                                         &keystr::PDFVersionTooLow};
    for (const ustring* candidate : wholeNumbers) {
        if (name == *candidate)
            return 0;
    }
    for (const ustring* candidate : oneDecimal) {
        if (name == *candidate)
            return 1;
    }
    return 2;
}

bool hasLimits(eSettingType type) {
    return type == eSettingType_LimitsLow || type == eSettingType_LimitsHigh ||
           type == eSettingType_Parameter || type == eSettingType_CombiningParameterLow;
}

bool isParameterType(eSettingType type) {
    return type == eSettingType_Parameter || type == eSettingType_CombiningParameterLow;
}

// The order in which the readers fill the limits and Evaluate tests them.
constexpr std::int32_t kLimitOrder[] = {eLimit_Fault, eLimit_Warn, eLimit_Note, eLimit_Ignore};

constexpr eProblemSeverity severityOfLimit(std::int32_t index) {
    switch (index) {
    case eLimit_Fault:
        return eProblemSeverity_Fault;
    case eLimit_Warn:
        return eProblemSeverity_Warn;
    case eLimit_Note:
        return eProblemSeverity_Note;
    default:
        return eProblemSeverity_Ignore;
    }
}

} // namespace

BCheckSetting::BCheckSetting(const ustring& name) : m_name(name) {
    if (!m_name.empty())
        ApplyDefinitionType(false);
    m_precision = precisionForName(m_name);
}

double BCheckSetting::GetLimit(std::int32_t index) const {
    return validIndex(index) ? m_limits[index] : 0.0;
}

bool BCheckSetting::IsLimitNotSet(std::int32_t index) const {
    return !validIndex(index) || m_limitNotSet[index];
}

void BCheckSetting::SetLimit(std::int32_t index, double value) {
    if (!validIndex(index))
        return;
    m_limits[index] = value;
    m_limitNotSet[index] = false;
    UpdateSeverity();
    PropagateLinkedLimits();
}

void BCheckSetting::ClearLimit(std::int32_t index) {
    if (!validIndex(index))
        return;
    m_limits[index] = 0.0;
    m_limitNotSet[index] = true;
    UpdateSeverity();
}

ustring BCheckSetting::GetStringParameter(std::int32_t index) const {
    return validIndex(index) ? m_parameters[index] : ustring();
}

bool BCheckSetting::IsStringParameterNotSet(std::int32_t index) const {
    return !validIndex(index) || m_parameterNotSet[index];
}

void BCheckSetting::SetStringParameter(std::int32_t index, const ustring& text) {
    if (!validIndex(index))
        return;
    m_parameters[index] = text;
    m_parameterNotSet[index] = false;
    UpdateSeverity();
    PropagateLinkedActivity();
}

eProblemSeverity BCheckSetting::GetReportedSeverity() const {
    if (!m_active && (m_severity == eProblemSeverity_Warn || m_severity == eProblemSeverity_Fault))
        return eProblemSeverity_Note;
    return m_severity;
}

bool BCheckSetting::IsProblem() const {
    const eProblemSeverity reported = GetReportedSeverity();
    return reported == eProblemSeverity_Warn || reported == eProblemSeverity_Fault;
}

void BCheckSetting::GetComparableValues(double& value, std::array<double, 4>& limits) const {
    const UUnits& units = UUnits::global();
    const std::int32_t precision = std::clamp(m_precision, -kMaxPrecision, kMaxPrecision);
    auto comparable = [&](double v) {
        return m_userUnits ? units.fromPointsRounded(v) : UUnits::roundDecimals(v, precision);
    };
    value = comparable(value);
    for (std::size_t i = 0; i < limits.size(); ++i)
        limits[i] = comparable(m_limits[i]);
}

eProblemSeverity BCheckSetting::Evaluate(double value, double* crossedLimit) const {
    if (m_type != eSettingType_LimitsLow && m_type != eSettingType_LimitsHigh)
        return eProblemSeverity_Ignore;
    std::array<double, 4> limits;
    GetComparableValues(value, limits);
    for (std::int32_t index : kLimitOrder) {
        if (m_limitNotSet[index])
            continue;
        const bool crossed =
            m_type == eSettingType_LimitsLow ? limits[index] > value : value > limits[index];
        if (crossed) {
            if (crossedLimit != nullptr)
                *crossedLimit = m_limits[index];
            return severityOfLimit(index);
        }
    }
    return eProblemSeverity_Ignore;
}

void BCheckSetting::UpdateSeverity() {
    switch (m_type) {
    case eSettingType_LimitsLow:
    case eSettingType_LimitsHigh:
        if (!m_limitNotSet[eLimit_Fault])
            m_severity = eProblemSeverity_Fault;
        else if (!m_limitNotSet[eLimit_Warn])
            m_severity = eProblemSeverity_Warn;
        else if (!m_limitNotSet[eLimit_Note])
            m_severity = eProblemSeverity_Note;
        else
            m_severity = eProblemSeverity_Ignore;
        break;
    case eSettingType_Parameter:
    case eSettingType_CombiningParameterLow:
        m_severity =
            m_limitNotSet[eLimit_Note] && m_limitNotSet[eLimit_Warn] && m_limitNotSet[eLimit_Fault]
                ? eProblemSeverity_ParameterNotSet
                : eProblemSeverity_Parameter;
        break;
    case eSettingType_StringParameter:
        m_severity = m_parameterNotSet[0] && m_parameterNotSet[1] && m_parameterNotSet[2]
                         ? eProblemSeverity_ParameterNotSet
                         : eProblemSeverity_Parameter;
        break;
    default:
        break;
    }
}

bool BCheckSetting::DeserialiseSetting2(const ustring& name, const WCheckSetting& setting) {
    const SettingDefinitionsRegistry* registry = SettingDefinitionsRegistry::Instance();
    const std::shared_ptr<const umessage> message = setting.GetMessage();
    if (registry == nullptr || !message)
        return false;
    const SettingDefinition definition = registry->Find(name);
    if (!definition.HasDefinition()) {
        ZEU_LOG(Info, "old/Base/BCheckSetting", 726, "BCheckSetting::DeserialiseSetting2")
            << "new setting not found";
        return false;
    }

    m_name = name;
    m_type = definition.GetType();
    if (!m_name.empty())
        ApplyDefinitionType(true);
    m_precision = message->valueOr<int>(keystr::precision, 0, 2);
    m_userUnits = definition.UsesUserUnits();
    if (const eProblemSeverity word = setting.GetSeverity(); word != eProblemSeverity_NotSet)
        m_severity = word;
    m_pv = 0.0;
    if (message->contains(keystr::PV)) {
        m_pvNotSet = false;
        m_pv = message->value<double>(keystr::PV);
    }

    if (m_type == eSettingType_Boolean) {
        if (m_severity >= eProblemSeverity_Dynamic)
            m_severity = eProblemSeverity_Fault;
    } else if (hasLimits(m_type)) {
        for (std::int32_t index : kLimitOrder) {
            if (setting.IsLimitNotSet(index))
                ClearLimit(index);
            else
                SetLimit(index, setting.GetLimit(index));
        }
    } else if (m_type == eSettingType_StringParameter) {
        for (std::int32_t index = 0; index < 3; ++index) {
            if (!setting.IsParameterNotSet(index))
                SetStringParameter(index, setting.GetParameter(index));
        }
    }
    return true;
}

void BCheckSetting::DeserialiseSetting(const umessage& message) {
    m_name = message.valueOr<ustring>("problem", 0, keystr::emptyName);
    const ustring subtypeKey("subtype");
    std::int32_t type;
    if (message.is<ustring>(subtypeKey, 0))
        type = ParseSettingType(message.value<ustring>(subtypeKey));
    else if (message.is<ustring>(keystr::type, 0))
        type = ParseSettingType(message.value<ustring>(keystr::type));
    else
        type = GetDefinedType(m_name);
    SetType(static_cast<eSettingType>(type));
    if (!m_name.empty())
        ApplyDefinitionType(true);
    m_precision = message.valueOr<int>(keystr::precision, 0, 0);
    m_userUnits = message.valueOr<bool>("UserUnit", 0, false);
    const ustring severityKey("severity");
    if (message.is<ustring>(severityKey, 0))
        m_severity = ParseProblemSeverity(message.value<ustring>(severityKey));
    m_pv = 0.0;
    if (message.is<double>(keystr::PV, 0)) {
        m_pvNotSet = false;
        m_pv = message.value<double>(keystr::PV);
    }

    if (m_type == eSettingType_Boolean) {
        if (m_severity >= eProblemSeverity_Dynamic)
            m_severity = eProblemSeverity_Fault;
    } else if (hasLimits(m_type)) {
        for (std::int32_t index : kLimitOrder) {
            const ustring& key = *LimitKey(index);
            if (message.is<double>(key, 0))
                SetLimit(index, message.value<double>(key));
            else
                ClearLimit(index);
        }
    } else if (m_type == eSettingType_StringParameter) {
        const char* const keys[] = {"P0", "P1", "P2"};
        for (std::int32_t index = 0; index < 3; ++index) {
            const ustring key(keys[index]);
            if (message.is<ustring>(key, 0))
                SetStringParameter(index, message.value<ustring>(key));
        }
    }
}

void BCheckSetting::ApplyDefinitionType(bool keepName) {
    const eSettingType defined = GetDefinedType(m_name);
    if (defined != eSettingType_Undefined) {
        m_type = defined;
    } else if (!keepName) {
        m_type = eSettingType_Undefined;
        m_name = keystr::emptyName;
    }
}

void BCheckSetting::SetLinks(BCheckSetting* first, BCheckSetting* second) {
    m_links.settings = {first, second};
}

void BCheckSetting::PropagateLinkedLimits() {
    double x;
    if (m_type == eSettingType_LimitsLow || m_type == eSettingType_LimitsHigh) {
        if (!m_limitNotSet[eLimit_Warn])
            x = m_limits[eLimit_Warn];
        else if (!m_limitNotSet[eLimit_Fault])
            x = m_limits[eLimit_Fault];
        else
            return;
    } else if (isParameterType(m_type) && !m_limitNotSet[eLimit_Note]) {
        x = m_limits[eLimit_Note];
    } else {
        return;
    }

    for (BCheckSetting* linked : m_links.settings) {
        if (linked == nullptr)
            break;
        if (linked == this)
            continue;
        auto lowerTo = [&](std::int32_t index) {
            if (!linked->m_limitNotSet[index] && linked->m_limits[index] > x)
                linked->SetLimit(index, x);
        };
        auto raiseTo = [&](std::int32_t index) {
            if (!linked->m_limitNotSet[index] && linked->m_limits[index] < x)
                linked->SetLimit(index, x);
        };
        if (linked->m_type == eSettingType_LimitsLow) {
            if (m_type == eSettingType_LimitsHigh || isParameterType(m_type)) {
                lowerTo(eLimit_Warn);
                lowerTo(eLimit_Fault);
            }
        } else if (linked->m_type == eSettingType_LimitsHigh) {
            if (m_type == eSettingType_LimitsLow || isParameterType(m_type)) {
                raiseTo(eLimit_Fault);
                raiseTo(eLimit_Warn);
            }
        } else if (isParameterType(linked->m_type)) {
            if (m_type == eSettingType_LimitsHigh)
                lowerTo(eLimit_Note);
            else if (m_type == eSettingType_LimitsLow)
                raiseTo(eLimit_Note);
        }
    }
}

bool BCheckSetting::IsLinkedProblemOtherThan(const BCheckSetting* excluded) const {
    for (const BCheckSetting* linked : m_links.settings) {
        if (linked == nullptr)
            break;
        if (linked != excluded && linked->m_type == eSettingType_Boolean && linked->IsProblem())
            return true;
    }
    return false;
}

void BCheckSetting::PropagateLinkedActivity() {
    bool problem;
    if (m_type == eSettingType_Boolean) {
        problem = IsProblem();
    } else if (m_type == eSettingType_StringParameter) {
        problem = false;
    } else {
        PropagateLinkedLimits();
        return;
    }

    std::array<BCheckSetting*, 2> marked{};
    for (std::size_t i = 0; i < marked.size() && m_links.settings[i] != nullptr; ++i) {
        BCheckSetting* linked = m_links.settings[i];
        // A link to itself would flip this setting's own activity back and forth without end.
        if (linked == this || linked->m_type != eSettingType_Boolean)
            continue;
        if (!problem) {
            if (linked->IsLinkedProblemOtherThan(this))
                continue;
            const bool wasActive = linked->m_active;
            linked->m_active = true;
            if (!wasActive && linked->IsProblem())
                marked[i] = linked;
        } else {
            const bool wasProblem = linked->IsProblem();
            linked->m_active = false;
            if (wasProblem)
                marked[i] = linked;
        }
    }
    for (BCheckSetting* setting : marked) {
        if (setting != nullptr)
            setting->PropagateLinkedActivity();
    }
}

std::int32_t ParseSettingType(const ustring& text) {
    const char* const names[] = {"eSettingType_Undefined",
                                 "eSettingType_Boolean",
                                 "eSettingType_LimitsLow",
                                 "eSettingType_LimitsHigh",
                                 "eSettingType_Range",
                                 "eSettingType_Parameter",
                                 "eSettingType_StringParameter",
                                 "eSettingType_LimitsLowSeverity",
                                 "eSettingType_LimitsHighSeverity",
                                 "eSettingType_CombiningParameterLow",
                                 "eSettingType_CombiningParameterHigh"};
    for (std::int32_t value = 0; value < 11; ++value) {
        if (text == names[value])
            return value;
    }
    return -1;
}

eProblemSeverity ParseProblemSeverity(const ustring& text) {
    const char* const names[] = {"eProblemSeverity_NotSet",    "eProblemSeverity_Ignore",
                                 "eProblemSeverity_Note",      "eProblemSeverity_Warn",
                                 "eProblemSeverity_Fault",     "eProblemSeverity_Dynamic",
                                 "eProblemSeverity_Parameter", "eProblemSeverity_ParameterNotSet"};
    for (std::int32_t value = 0; value < 8; ++value) {
        if (text == names[value])
            return static_cast<eProblemSeverity>(value);
    }
    return eProblemSeverity_NotSet;
}
