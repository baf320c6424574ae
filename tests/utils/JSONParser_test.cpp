// Tests of the JSON tokenizer: every token kind and the text it carries.
#include "utils/JSONParser.h"

#include "support/Test.h"

namespace {

TEST(JSONParser, SplitsTextIntoTokens) {
    std::istringstream in("{}[],: true false null \"s\" 12 -1.5e3 +7 /*x*/ /");
    JSONParser parser(in);
    std::vector<std::pair<JSON_Token, std::string>> tokens;
    JSONParser::Token token;
    while (parser.getToken(token))
        tokens.emplace_back(token.kind, token.text.toStdString());
    const std::vector<std::pair<JSON_Token, std::string>> expected = {
        {JSON_BeginObject, "{"}, {JSON_EndObject, "}"}, {JSON_BeginArray, "["},
        {JSON_EndArray, "]"},    {JSON_Comma, ","},     {JSON_Colon, ":"},
        {JSON_True, "true"},     {JSON_False, "false"}, {JSON_Null, "null"},
        {JSON_String, "s"},      {JSON_Integer, "12"},  {JSON_Double, "-1.5e3"},
        {JSON_Integer, "+7"},
    };
    EXPECT_EQ(tokens, expected);
}

} // namespace
