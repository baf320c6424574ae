// The default-settings message, the definition reader and the build-once definitions registry.
#include "model/SettingDefinitions.h"

#include "model/KeyStrings.h"

#include <algorithm>

namespace {

std::unique_ptr<SettingDefinitionsRegistry>& registryInstance() {
    static std::unique_ptr<SettingDefinitionsRegistry> instance;
    return instance;
}

eSettingType typeFromText(const ustring& text) {
    if (text == keystr::boolean)
        return eSettingType_Boolean;
    if (text == keystr::limitsLow)
        return eSettingType_LimitsLow;
    if (text == keystr::limitsHigh)
        return eSettingType_LimitsHigh;
    if (text == keystr::parameter)
        return eSettingType_Parameter;
    if (text == keystr::stringParameter)
        return eSettingType_StringParameter;
    if (text == keystr::combiningParameterLow)
        return eSettingType_CombiningParameterLow;
    return eSettingType_Undefined;
}

// Position of the first entry whose name is not less than `name`.
template <typename Map>
auto lowerBound(const Map& map, const ustring& name) {
    return std::lower_bound(map.begin(), map.end(), name, [](const auto& entry, const ustring& n) {
        return entry.first.compareTo(n) < 0;
    });
}

} // namespace

umessage& GetDefaultSettings() {
    static umessage defaults;
    return defaults;
}

void ResetDefaultSettings() {
    GetDefaultSettings().clear();
}

SettingDefinition::SettingDefinition(const umessage* definition) : m_definition(definition) {
    if (m_definition != nullptr)
        m_type = typeFromText(GetTypeText());
}

ustring SettingDefinition::GetText(const ustring& key) const {
    if (m_definition == nullptr)
        return ustring();
    return m_definition->valueOr<ustring>(key, 0, ustring());
}

ustring SettingDefinition::GetTypeText() const {
    return GetText(keystr::type);
}

std::shared_ptr<const umessage> SettingDefinition::GetDefaults() const {
    if (m_definition == nullptr)
        return nullptr;
    return m_definition->valueOr<std::shared_ptr<const umessage>>(keystr::defaults, 0, nullptr);
}

bool SettingDefinition::UsesUserUnits() const {
    return m_definition != nullptr && m_definition->valueOr<bool>(keystr::userUnits, 0, false);
}

eProblemSeverity SettingDefinition::GetMinimumSeverity() const {
    const eProblemSeverity severity = SeverityFromWord(GetMinimumSeverityText());
    return severity >= eProblemSeverity_Ignore && severity <= eProblemSeverity_Fault
               ? severity
               : eProblemSeverity_Ignore;
}

ustring SettingDefinition::GetMinimumSeverityText() const {
    return GetText(keystr::min_sev);
}

ustring SettingDefinition::GetSingleText() const {
    return GetText(keystr::singleText);
}

ustring SettingDefinition::GetMultiTextHeader() const {
    return GetText(keystr::multiTextHeader);
}

ustring SettingDefinition::GetMultiTextItem() const {
    return GetText(keystr::multiTextItem);
}

ustring SettingDefinition::GetConflictText() const {
    return GetText("conflictText");
}

bool SettingDefinition::HasSingleText() const {
    return m_definition != nullptr && m_definition->is<ustring>(keystr::singleText, 0);
}

bool SettingDefinition::HasMultiTextHeader() const {
    return m_definition != nullptr && m_definition->is<ustring>(keystr::multiTextHeader, 0);
}

ustring SettingDefinition::GetAlternateText(std::int32_t n) const {
    ustring text = GetText(ustring::format("alternateText%d", n));
    if (text.empty() && n == 1)
        return GetMultiTextHeader();
    if (text.empty() && n == 2)
        return GetMultiTextItem();
    return text;
}

SettingDefinitionsRegistry* SettingDefinitionsRegistry::Instance() {
    auto& instance = registryInstance();
    if (!instance && !GetDefaultSettings().empty())
        instance = std::make_unique<SettingDefinitionsRegistry>(GetDefaultSettings());
    return instance.get();
}

void SettingDefinitionsRegistry::Reset() {
    registryInstance().reset();
}

SettingDefinitionsRegistry::SettingDefinitionsRegistry(const umessage& definitions) {
    // The entries come in name order, so both maps are built sorted.
    const ustring conflictsKey("conflicts");
    for (const auto& entry : definitions.entries()) {
        std::shared_ptr<const umessage> definition;
        if (!definitions.get(entry.first, 0, definition))
            continue;
        m_definitions.emplace_back(entry.first, definition);
        ustring conflict;
        for (uint64_t i = 0; definition->get(conflictsKey, i, conflict); ++i) {
            if (i == 0)
                m_conflicts.emplace_back(entry.first, std::vector<ustring>());
            m_conflicts.back().second.push_back(conflict);
        }
    }
}

SettingDefinition SettingDefinitionsRegistry::Find(const ustring& name) const {
    auto found = lowerBound(m_definitions, name);
    if (found == m_definitions.end() || found->first.compareTo(name) != 0)
        return SettingDefinition();
    return SettingDefinition(found->second.get());
}

void SettingDefinitionsRegistry::GetNames(std::vector<ustring>& names) const {
    names.clear();
    names.reserve(m_definitions.size());
    for (const auto& definition : m_definitions)
        names.push_back(definition.first);
}

eSettingType GetDefinedType(const ustring& name) {
    const SettingDefinitionsRegistry* registry = SettingDefinitionsRegistry::Instance();
    return registry == nullptr ? eSettingType_Undefined : registry->Find(name).GetType();
}
