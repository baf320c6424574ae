// The setting definitions that job files carry (what each check is: its setting type, default
// setting, report texts and conflicts) and the process-wide registry built once from them.
#pragma once

#include "model/CheckSettingEnums.h"
#include "utils/umessage.h"
#include "utils/ustring.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The process-wide default-settings message: one entry per check name holding the check's
// definition as a child message. Empty at start; every job-file read assigns to it.
umessage& GetDefaultSettings();
// Empties the default-settings message (for tests).
void ResetDefaultSettings();

// One check's definition message, or none. Definition keys: "type" (setting type word),
// "defaults" (the default setting message), "userUnits", "min_sev", "conflicts",
// "conflictText", "singleText", "multiTextHeader", "multiTextItem", "alternateText1", ...
// The pointer stays valid as long as the registry that made it.
class SettingDefinition {
public:
    SettingDefinition() = default; // no definition, type 0
    // "type" read here: "boolean" 1, "limitsLow" 2, "limitsHigh" 3, "parameter" 5,
    // "stringParameter" 6, "combiningParameterLow" 9; absent or any other text 0.
    explicit SettingDefinition(const umessage* definition);

    bool HasDefinition() const { return m_definition != nullptr; }

    eSettingType GetType() const { return m_type; }
    ustring GetTypeText() const;
    // The child "defaults" (shared), null when absent or without definition.
    std::shared_ptr<const umessage> GetDefaults() const;
    bool UsesUserUnits() const; // "userUnits"; false when absent
    // "min_sev" as "ignore" 1 to "fault" 4; Ignore when absent, another word, or no definition.
    eProblemSeverity GetMinimumSeverity() const;
    ustring GetMinimumSeverityText() const;
    ustring GetSingleText() const;
    ustring GetMultiTextHeader() const;
    ustring GetMultiTextItem() const;
    ustring GetConflictText() const;
    bool HasSingleText() const;
    bool HasMultiTextHeader() const;
    // "alternateText<n>"; when empty, the multi-text header for n = 1 and item for n = 2.
    ustring GetAlternateText(std::int32_t n) const;

private:
    ustring GetText(const ustring& key) const;

    const umessage* m_definition = nullptr;
    eSettingType m_type = eSettingType_Undefined;
};

// The catalogue of check definitions, built once per process from the first non-empty
// default-settings message and unchanged after that; it shares the definition messages.
class SettingDefinitionsRegistry {
public:
    using DefinitionMap = std::vector<std::pair<ustring, std::shared_ptr<const umessage>>>;
    using ConflictMap = std::vector<std::pair<ustring, std::vector<ustring>>>;

    // The registry; built here from the default-settings message the first time that message is
    // not empty. Null until then.
    static SettingDefinitionsRegistry* Instance();
    // Drops the process-wide registry so that the next Instance builds anew (for tests: every
    // SettingDefinition made before dangles).
    static void Reset();

    // Every entry that holds a child message at index 0 is a definition; the strings of its
    // "conflicts" (from index 0 up to the first non-string) form its conflict list.
    explicit SettingDefinitionsRegistry(const umessage& definitions);

    // The name's definition, or one without message and with type 0.
    SettingDefinition Find(const ustring& name) const;
    // Emptied, then every defined name in ascending byte order.
    void GetNames(std::vector<ustring>& names) const;
    // Name -> conflicting check names, sorted by name.
    const ConflictMap& GetConflicts() const { return m_conflicts; }

private:
    DefinitionMap m_definitions; // sorted by name (ustring byte order)
    ConflictMap m_conflicts;     // sorted by name
};

// The defined setting type of the check; 0 when there is no registry or no definition.
eSettingType GetDefinedType(const ustring& name);
