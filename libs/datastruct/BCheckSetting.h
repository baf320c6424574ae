// BCheckSetting: one check's configured setting in the job model (type, severity, four limits,
// text parameters, comparison precision and unit), read from a ticket in either of its forms.
#pragma once

#include "model/CheckSettingEnums.h"
#include "model/WCheckSetting.h"
#include "utils/umessage.h"
#include "utils/ustring.h"

#include <array>
#include <cstdint>

class BCheckSetting {
public:
    // The name, and the type the definitions give it: a name without a definition (or with no
    // registry) becomes the empty name with type 0. The precision follows from the name.
    // Copies take everything but the links, which a copy or an assignment leaves null; a
    // setting assigned to itself keeps its links.
    explicit BCheckSetting(const ustring& name);

    const ustring& GetName() const { return m_name; }
    eSettingType GetType() const { return m_type; }
    void SetType(eSettingType type) { m_type = type; }
    eProblemSeverity GetSeverity() const { return m_severity; }
    std::int32_t GetPrecision() const { return m_precision; }
    bool UsesUserUnits() const { return m_userUnits; }
    double GetPV() const { return m_pv; }
    bool IsPVNotSet() const { return m_pvNotSet; }

    // Limits and parameters by index 0 to 3 (limits: eLimitIndex). An index outside 0..3 reads
    // as unset (0.0, empty) and is ignored by the setters.
    double GetLimit(std::int32_t index) const;
    bool IsLimitNotSet(std::int32_t index) const;
    // Stores the limit, then UpdateSeverity and PropagateLinkedLimits.
    void SetLimit(std::int32_t index, double value);
    // Stores 0.0 as unset, then UpdateSeverity.
    void ClearLimit(std::int32_t index);
    ustring GetStringParameter(std::int32_t index) const;
    bool IsStringParameterNotSet(std::int32_t index) const;
    // Stores the text as set, then UpdateSeverity and PropagateLinkedActivity.
    void SetStringParameter(std::int32_t index, const ustring& text);

    bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }
    // The severity, except that an inactive Warn or Fault setting reports Note.
    eProblemSeverity GetReportedSeverity() const;
    // The reported severity is Warn or Fault.
    bool IsProblem() const;

    // The severity of the first limit the value crosses (LimitsLow: below, LimitsHigh: above;
    // tested in the order fault, warn, note, ignore) after both are made comparable; Ignore when
    // none is crossed or the type has no limits to test. crossedLimit receives the stored value
    // of the crossed limit. Neither the severity nor the active flag takes part.
    eProblemSeverity Evaluate(double value, double* crossedLimit = nullptr) const;
    // The value and the four limits as they are compared: through the process-wide unit with
    // the user-unit flag, else rounded to the precision.
    void GetComparableValues(double& value, std::array<double, 4>& limits) const;
    // The severity that the type derives from which limits or parameters are set.
    void UpdateSeverity();

    // Reads the current ticket form: the check's effective setting and its definition. False,
    // with this setting unchanged, when there is no definitions registry, the name has no
    // definition (logged) or the setting holds no message.
    [[nodiscard]] bool DeserialiseSetting2(const ustring& name, const WCheckSetting& setting);
    // Reads one element of an older ticket's "settings" array.
    void DeserialiseSetting(const umessage& message);
    // Takes the name's defined type; without one, clears the type and the name unless keepName.
    void ApplyDefinitionType(bool keepName);

    // Links to other settings, which must outlive this one; used in order up to the first null.
    // Changes of limits and parameters propagate over them.
    void SetLinks(BCheckSetting* first, BCheckSetting* second);
    void PropagateLinkedLimits();
    void PropagateLinkedActivity();

private:
    // Links are not copied: a copy starts without links and an assignment drops the target's,
    // except that assigning a setting to itself changes nothing.
    struct Links {
        Links() = default;
        Links(const Links&) {}
        Links& operator=(const Links& other) {
            if (this != &other)
                settings = {};
            return *this;
        }

        std::array<BCheckSetting*, 2> settings{};
    };

    bool IsLinkedProblemOtherThan(const BCheckSetting* excluded) const;

    ustring m_name;
    eSettingType m_type = eSettingType_Undefined;
    eProblemSeverity m_severity = eProblemSeverity_Ignore;
    std::array<double, 4> m_limits{};
    std::array<bool, 4> m_limitNotSet{true, true, true, true};
    std::array<ustring, 4> m_parameters;
    std::array<bool, 4> m_parameterNotSet{true, true, true, true};
    std::int32_t m_precision = 2;
    bool m_userUnits = false;
    double m_pv = 0.0;
    bool m_pvNotSet = true;
    Links m_links;
    bool m_active = true;
};

// The eSettingType whose name ("eSettingType_Boolean", ...) equals the text byte for byte; -1
// when none does.
std::int32_t ParseSettingType(const ustring& text);
// The eProblemSeverity whose name ("eProblemSeverity_Fault", ...) equals the text byte for
// byte; NotSet when none does.
eProblemSeverity ParseProblemSeverity(const ustring& text);
