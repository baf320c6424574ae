// Conversions between the system's UTF-8 strings and the host's UTF-16 PMString.
#pragma once

#include "host/sdk/PMString.h"
#include "utils/ustring.h"

#include <string>
#include <string_view>

// The string's UTF-8 bytes (ill-formed UTF-16 ends the conversion).
std::string PMStringToUString(const PMString& text);
// The text's UTF-16 form, not translated (an ill-formed sequence ends the conversion).
PMString UStringToPMString(const ustring& text);
// A PMString of the 8-bit text, not translated.
PMString ToPMString(const char* text);
// The text's UTF-16 form, for a platform call (a name of a held folder, say).
inline std::u16string Wide(const ustring& text) {
    return text.toWString();
}
// The UTF-16 text's UTF-8 form, for a path or a name in a message.
inline ustring Narrow(std::u16string_view text) {
    return ustring::fromWString(std::u16string(text));
}
