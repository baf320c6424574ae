// The host's string table, which PMString::Translate reads (host/sdk/PMString.h).
#pragma once

#include "host/sdk/PMString.h"

#include <unordered_map>

namespace host {

// The host's string table: keys to texts, filled by the host and by the plug-ins' resources.
class StringTable {
public:
    static StringTable& Instance();
    void Add(std::string key, std::string text);
    // The text of the key, or the key itself when the table has none.
    std::string Lookup(const std::string& key) const;
    void Reset();

private:
    std::unordered_map<std::string, std::string> m_entries;
};

} // namespace host
