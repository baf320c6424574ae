// The two holders of the preferences message: the persistent one on the session workspace and
// the command data of the set-preferences command.
#pragma once

#include "Plugin/IZEPPluginPrefsData.h"
#include "host/sdk/ObjectModel.h"
#include "host/sdk/Stream.h"

// The preferences kept with the session workspace. Stored as a 16-bit version (2), a 32-bit
// length and that many bytes of the message's binary form.
class CZEPPluginPrefsData final : public CPMUnknown<IZEPPluginPrefsData> {
public:
    static constexpr std::int16_t kVersion = 2;

    explicit CZEPPluginPrefsData(IPMUnknown* boss) : CPMUnknown<IZEPPluginPrefsData>(boss) {}

    // Tells the host the workspace changes, then copies.
    void Set(const umessage& prefs) override;
    void CopyTo(IZEPPluginPrefsData* target) const override;
    void Get(umessage& out) const override;

    // Writes the record, or reads it: any version but 2, a length that is negative or longer
    // than the stream's rest, or bytes that are no message leave the preferences empty. A host
    // call: a failure on the way is logged; a failed read leaves the preferences empty, a failed
    // write keeps them. Preferences nested deeper than umessage::kMaxDepth are stored as a
    // record of length 0 (empty preferences when read back), with an ERROR record.
    void ReadWrite(IPMStream* stream, ImplementationID id) noexcept;

private:
    void Transfer(IPMStream* stream);

    umessage m_prefs;
};

// The new preferences a set-preferences command carries.
class CZEPSetPluginPrefsCmdData final : public CPMUnknown<IZEPPluginPrefsData> {
public:
    explicit CZEPSetPluginPrefsCmdData(IPMUnknown* boss) : CPMUnknown<IZEPPluginPrefsData>(boss) {}

    void Set(const umessage& prefs) override;
    void CopyTo(IZEPPluginPrefsData* target) const override;
    void Get(umessage& out) const override;

private:
    umessage m_prefs;
};
