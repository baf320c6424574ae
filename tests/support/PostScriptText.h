// Test aid: the text a PostScript proof shows, as glyph names. Reads the encoding array that the
// prolog defines (`/NAME [ /glyph ... ] def`), the string of each `(...) show` and maps the
// string's bytes through the encoding, as a PostScript interpreter picks the glyphs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace postscript {

// The glyph names of the array that `/NAME [` starts, without their slashes; empty when there is
// none.
inline std::vector<std::string> Encoding(const std::string& text, const std::string& name) {
    std::vector<std::string> names;
    std::size_t at = text.find("/" + name + " [");
    if (at == std::string::npos)
        return names;
    at = text.find('[', at) + 1;
    const std::size_t end = text.find(']', at);
    while (at < end) {
        at = text.find_first_not_of(" \n", at);
        if (at == std::string::npos || at >= end)
            break;
        const std::size_t next = std::min(text.find_first_of(" \n", at), end);
        names.push_back(text.substr(at + 1, next - at - 1));
        at = next;
    }
    return names;
}

// The bytes of each string literal followed by ` show`, in order: the program read from the
// start, comments skipped, nested parentheses kept, escapes undone (\ddd octal, \\, \(, \) and
// the letters n r t b f).
inline std::vector<std::string> ShownStrings(const std::string& text) {
    std::vector<std::string> strings;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%') {
            at = text.find('\n', at);
            if (at == std::string::npos)
                break;
            continue;
        }
        if (text[at] != '(')
            continue;
        std::string bytes;
        int depth = 0;
        for (++at; at < text.size() && (text[at] != ')' || depth > 0); ++at) {
            if (text[at] != '\\') {
                depth += text[at] == '(' ? 1 : text[at] == ')' ? -1 : 0;
                bytes += text[at];
                continue;
            }
            if (++at == text.size())
                break;
            if (text[at] >= '0' && text[at] <= '7') {
                int value = 0;
                for (int digits = 0;
                     digits < 3 && at < text.size() && text[at] >= '0' && text[at] <= '7'; ++digits)
                    value = value * 8 + (text[at++] - '0');
                --at;
                bytes += static_cast<char>(value);
                continue;
            }
            const std::string letters = "nrtbf", codes = "\n\r\t\b\f";
            const std::size_t letter = letters.find(text[at]);
            bytes += letter == std::string::npos ? text[at] : codes[letter];
        }
        if (text.compare(at, 6, ") show") == 0)
            strings.push_back(bytes);
    }
    return strings;
}

// The glyphs the bytes show through the encoding, one name a byte.
inline std::vector<std::string> Glyphs(const std::vector<std::string>& encoding,
                                       const std::string& bytes) {
    std::vector<std::string> glyphs;
    for (unsigned char byte : bytes)
        glyphs.push_back(byte < encoding.size() ? encoding[byte] : "(outside the encoding)");
    return glyphs;
}

} // namespace postscript
