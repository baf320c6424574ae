#include "Plugin/CZEPPluginPrefsData.h"

#include "Plugin/CZEPException.h"
#include "utils/Logger.h"

#include <sstream>
#include <stdexcept>
#include <string>

void CZEPPluginPrefsData::Set(const umessage& prefs) {
    PreDirty();
    m_prefs = prefs;
}

void CZEPPluginPrefsData::CopyTo(IZEPPluginPrefsData* target) const {
    target->Set(m_prefs);
}

void CZEPPluginPrefsData::Get(umessage& out) const {
    out = m_prefs;
}

void CZEPPluginPrefsData::ReadWrite(IPMStream* stream, ImplementationID /*id*/) noexcept {
    // A failed write keeps the preferences held here; only a failed read empties them.
    const bool reading = stream->IsReading();
    if (!RunLoggingFailure("CZEPPluginPrefsData::ReadWrite",
                           reading ? "the preferences are left empty"
                                   : "the preferences are stored empty",
                           [&] { Transfer(stream); }) &&
        reading)
        m_prefs.clear();
}

void CZEPPluginPrefsData::Transfer(IPMStream* stream) {
    std::int16_t version = kVersion;
    stream->XferInt16(version);
    if (stream->IsWriting()) {
        // Preferences that flatten refuses are stored as a record without a message, which
        // reads back as empty preferences, and the refusal is reported.
        std::ostringstream flattened;
        const bool flat = m_prefs.flatten(flattened);
        std::string bytes = flat ? std::move(flattened).str() : std::string();
        auto length = static_cast<std::int32_t>(bytes.size());
        stream->XferInt32(length);
        stream->XferBytes(bytes.data(), bytes.size());
        if (!flat)
            throw std::runtime_error("the preferences nest deeper than a stored message may");
        return;
    }

    m_prefs.clear();
    if (version != kVersion)
        return;
    std::int32_t length = 0;
    stream->XferInt32(length);
    if (stream->Failed())
        return;
    if (length < 0 || static_cast<std::uint64_t>(length) > stream->Remaining()) {
        ZEU_LOG(Error, "..\\..\\Source\\Plugin\\CZEPPluginPrefsData", __LINE__,
                "CZEPPluginPrefsData::ReadWrite")
            << "stored preferences of " << length
            << " bytes refused: " << static_cast<unsigned long>(stream->Remaining())
            << " bytes follow";
        return;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    stream->XferBytes(bytes.data(), bytes.size());
    std::istringstream in(std::move(bytes));
    // A failed read leaves the preferences empty, and the record it logs tells why.
    static_cast<void>(m_prefs.unflatten(in));
}

void CZEPSetPluginPrefsCmdData::Set(const umessage& prefs) {
    m_prefs = prefs;
}

void CZEPSetPluginPrefsCmdData::CopyTo(IZEPPluginPrefsData* target) const {
    target->Set(m_prefs);
}

void CZEPSetPluginPrefsCmdData::Get(umessage& out) const {
    out = m_prefs;
}
