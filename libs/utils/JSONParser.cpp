// JSONParser: JSON text as tokens, with // and /* */ comments skipped.
#include "utils/JSONParser.h"

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

JSONParser::JSONParser(std::istream& stream) : UAbstractParser(stream, "json") {}

bool JSONParser::nextToken(Token& token) {
    token.valid = false;
    token.kind = JSON_Token(0);
    token.text.clear(); // keeps its room for the next text
    char c;
    for (;;) {
        if (!getNonSpace(c)) {
            return false;
        }
        if (c != '/') {
            break;
        }
        // A comment, or a stray '/' that is dropped.
        char next;
        if (!getChar(next)) {
            return false;
        }
        if (next == '/') {
            skipLine();
        } else if (next == '*') {
            if (!skipBlockComment()) {
                return false;
            }
        } else {
            ungetChar(next);
        }
    }
    static constexpr JSON_Token punctuation[] = {JSON_BeginObject, JSON_EndObject, JSON_BeginArray,
                                                 JSON_EndArray,    JSON_Comma,     JSON_Colon};
    static constexpr char marks[] = "{}[],:";
    for (int i = 0; i < 6; ++i) {
        if (c == marks[i]) {
            token.valid = true;
            token.kind = punctuation[i];
            token.text.push_back(c);
            return true;
        }
    }
    if (c == '"') {
        readQuotedRest(token.text);
        token.valid = true;
        token.kind = JSON_String;
        return true;
    }
    if (isLetter(c)) {
        readWord(c, token);
        return true;
    }
    bool isFloat = false;
    if (!readNumberFrom(c, token.text, isFloat)) {
        throwUnexpected();
    }
    token.valid = true;
    token.kind = isFloat ? JSON_Double : JSON_Integer;
    return true;
}

// The comment ends at the first '/' right after a '*', the opening '*' included ("/*/").
bool JSONParser::skipBlockComment() {
    bool afterStar = true;
    char c;
    while (getChar(c)) {
        if (c == '/' && afterStar) {
            return true;
        }
        afterStar = c == '*';
    }
    return false;
}

void JSONParser::readWord(char first, Token& token) {
    // No keyword is longer than "false": a longer word is refused before it is read whole.
    constexpr std::size_t longest = 5;
    token.text.push_back(first);
    char c;
    while (peekChar(c) && isLetter(c)) {
        static_cast<void>(getChar(c)); // the letter just seen
        if (token.text.size() == longest) {
            throwUnexpected();
        }
        token.text.push_back(c);
    }
    if (token.text == "true") {
        token.kind = JSON_True;
    } else if (token.text == "false") {
        token.kind = JSON_False;
    } else if (token.text == "null") {
        token.kind = JSON_Null;
    } else {
        throwUnexpected();
    }
    token.valid = true;
}
