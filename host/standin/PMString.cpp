#include "host/standin/PMString.h"

#include "encoding/ConvertUTF.h"

namespace {

std::u16string FromUTF8(std::string_view utf8) {
    std::u16string result(utf8.size(), u'\0');
    const auto* source = reinterpret_cast<const UTF8*>(utf8.data());
    UTF16* target = result.data();
    // Enough room for every unit, so only ill-formed input stops the conversion early.
    (void)ConvertUTF8toUTF16(&source, source + utf8.size(), &target, target + result.size(),
                             strictConversion);
    result.resize(static_cast<std::size_t>(target - result.data()));
    return result;
}

} // namespace

PMString::PMString(std::string_view utf8) : m_text(FromUTF8(utf8)) {}

PMString::PMString(std::string_view utf8, TranslateDuringCall translate) : PMString(utf8) {
    if (translate == kTranslateDuringCall)
        Translate();
}

std::string PMString::GetUTF8String() const {
    std::string result(m_text.size() * 3, '\0');
    const UTF16* source = m_text.data();
    auto* target = reinterpret_cast<UTF8*>(result.data());
    // Three bytes per unit always suffice, so only ill-formed input stops the conversion early.
    (void)ConvertUTF16toUTF8(&source, source + m_text.size(), &target, target + result.size(),
                             strictConversion);
    result.resize(static_cast<std::size_t>(target - reinterpret_cast<UTF8*>(result.data())));
    return result;
}

void PMString::SetUTF8String(std::string_view utf8) {
    m_text = FromUTF8(utf8);
}

void PMString::Append(std::string_view utf8) {
    m_text += FromUTF8(utf8);
}

void PMString::Translate() {
    m_text = FromUTF8(host::StringTable::Instance().Lookup(GetUTF8String()));
    m_translated = true;
}

namespace host {

StringTable& StringTable::Instance() {
    static StringTable table;
    return table;
}

void StringTable::Add(std::string key, std::string text) {
    m_entries[std::move(key)] = std::move(text);
}

std::string StringTable::Lookup(const std::string& key) const {
    auto found = m_entries.find(key);
    return found == m_entries.end() ? key : found->second;
}

void StringTable::Reset() {
    m_entries.clear();
}

} // namespace host
