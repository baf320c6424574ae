// The host's string: UTF-16 text with a flag that says whether it is already translated. An
// untranslated string is a key of the host's string table; `Translate` replaces it by the table's
// text (a key the table does not know stays as it is).
#pragma once

#include <string>
#include <string_view>

class PMString {
public:
    enum TranslateDuringCall { kTranslateDuringCall, kNoTranslate };

    PMString() = default;
    // From UTF-8 text; not translated.
    explicit PMString(std::string_view utf8);
    // From UTF-8 text, translated at once when asked (the key's table text).
    PMString(std::string_view utf8, TranslateDuringCall translate);
    explicit PMString(std::u16string utf16) : m_text(std::move(utf16)) {}

    const std::u16string& GetUTF16() const { return m_text; }
    // The text as UTF-8; ill-formed UTF-16 stops the conversion.
    std::string GetUTF8String() const;
    bool IsEmpty() const { return m_text.empty(); }

    void SetUTF8String(std::string_view utf8);
    void Append(const PMString& other) { m_text += other.m_text; }
    void Append(std::string_view utf8);
    void Clear() { m_text.clear(); }

    // Looks the text up in the string table and marks the string translated.
    void Translate();
    void SetTranslated() { m_translated = true; }
    bool IsTranslated() const { return m_translated; }

    bool operator==(const PMString& other) const { return m_text == other.m_text; }

private:
    std::u16string m_text;
    bool m_translated = false;
};
