// The tokenizer of umessage::read: JSON text (UTF-8 or UTF-16) as a stream of tokens, with
// // and /* */ comments skipped. Its errors read "unexpected element in json at line N".
#pragma once

#include "utils/UAbstractParser.h"

#include <cstdint>
#include <istream>

enum JSON_Token : std::int32_t {
    JSON_BeginObject = 0, // {
    JSON_EndObject = 1,   // }
    JSON_BeginArray = 2,  // [
    JSON_EndArray = 3,    // ]
    JSON_Comma = 4,       // ,
    JSON_Colon = 5,       // :
    JSON_True = 6,
    JSON_False = 7,
    JSON_Null = 8,
    JSON_String = 9,   // text: the contents after escapes
    JSON_Integer = 10, // text: the number as written, without '.' or exponent
    JSON_Double = 11,  // text: the number as written
};

class JSONParser : public UAbstractParser<JSON_Token> {
public:
    explicit JSONParser(std::istream& stream);

    // The next token; false at end of input. Raises the unexpected-element error on a word
    // other than true, false or null and on a byte that starts no token.
    [[nodiscard]] bool nextToken(Token& token) override;

private:
    // Skips a block comment whose "/*" has been read; false when the input ends inside it.
    bool skipBlockComment();
    void readWord(char first, Token& token);
};
