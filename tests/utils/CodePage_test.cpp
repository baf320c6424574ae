#include "utils/CodePage.h"

#include "support/Test.h"

// The byte table itself is the code page's (platform/codepage); here, the ends of the texts.
TEST(CodePage, ConvertsUpToTheFirstNulAndMarksMissingCharactersWithQuestionMarks) {
    const std::tuple<const char*, std::string, std::string> toUtf8[] = {
        {"euro sign after ASCII", "Job \x80 5~\x7F", "Job \xE2\x82\xAC 5~\x7F"},
        {"ends at the first NUL", std::string("ab\0cd", 5), "ab"},
        {"ends at a NUL after the ASCII run", std::string("\xE9\0x", 3), "\xC3\xA9"},
        {"empty", "", ""},
    };
    for (const auto& [name, ansi, utf8] : toUtf8)
        EXPECT_EQ(AnsiToUString(ansi).view(), utf8) << name;
    const std::tuple<const char*, ustring, std::string> toAnsi[] = {
        {"Latin-1 and euro after ASCII", "Job caf\xC3\xA9 \xE2\x82\xAC", "Job caf\xE9 \x80"},
        {"no ANSI equivalent", "\xE6\x97\xA5\xE6\x9C\xAC", "??"},
        {"ends at the first NUL", ustring("ab\0cd", 5), "ab"},
        {"NUL after non-ASCII", ustring("\xC3\xA9\0x", 4), "\xE9"},
        {"illegal UTF-8 ends the text", "\xC3\xA9\xFFzz", "\xE9"},
    };
    for (const auto& [name, utf8, ansi] : toAnsi)
        EXPECT_EQ(UStringToAnsi(utf8), ansi) << name;
}
