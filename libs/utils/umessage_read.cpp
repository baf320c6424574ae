// umessage::read: fills a message from one JSON object, through JSONParser's tokens. Lenient
// about comments, missing or trailing commas and split strings; strict about nested arrays, null
// or mixed array elements and duplicate member names.
#include "utils/umessage.h"

#include "utils/JSONParser.h"
#include "utils/Logger.h"

#include <charconv>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Token = JSONParser::Token;

// The 32-bit value of an integer token's text; false when it does not fit, so that the number
// is kept as a double instead of wrapping.
bool toInt32(const ustring& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

// The value of a number token's text. std::from_chars reads it exactly as strtod does in the
// "C" locale, at a fraction of the cost; a value out of double's range is left to strtod, which
// gives infinity or the nearest tiny value where from_chars only reports the range.
double toDouble(const ustring& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    double value = 0;
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last ? value : text.toDouble();
}

// Members mostly come in name order: a name after the message's last one is new without a
// search.
bool isNewName(const umessage& target, const ustring& name) {
    const auto& entries = target.entries();
    return entries.empty() || entries.rbegin()->first.compareTo(name) < 0 || !target.contains(name);
}

void takeToken(JSONParser& parser, Token& token) {
    if (!parser.getToken(token)) {
        parser.throwUnexpected();
    }
}

void parseArray(JSONParser& parser, umessage& target, const ustring& name, int depth);

// Reads one object into target, which stands `depth` levels below the message read. An object
// more than umessage::kMaxDepth levels down is refused like any other syntax error: the writers
// write no deeper, and a hostile text cannot exhaust the stack of the recursive descent.
void parseObject(JSONParser& parser, umessage& target, int depth) {
    Token token;
    parser.expectToken(token, JSON_BeginObject);
    if (depth > umessage::kMaxDepth) {
        parser.throwUnexpected();
    }
    for (;;) {
        takeToken(parser, token);
        if (token.kind == JSON_EndObject) {
            return;
        }
        if (token.kind != JSON_String || !isNewName(target, token.text)) {
            parser.throwUnexpected();
        }
        const ustring name = std::move(token.text);
        parser.expectToken(token, JSON_Colon);
        takeToken(parser, token);
        switch (token.kind) {
        case JSON_BeginObject: {
            parser.ungetToken(token);
            auto child = std::make_shared<umessage>();
            parseObject(parser, *child, depth + 1);
            target.addChild(name, child);
            break;
        }
        case JSON_BeginArray:
            parser.ungetToken(token);
            parseArray(parser, target, name, depth);
            break;
        case JSON_True:
        case JSON_False:
            target.add<bool>(name, umessage_details::type_bool, token.kind == JSON_True);
            break;
        case JSON_Null:
            break;
        case JSON_String:
            target.add<ustring>(name, umessage_details::type_string, token.text);
            break;
        case JSON_Integer: {
            int value;
            if (toInt32(token.text, value)) {
                target.add<int>(name, umessage_details::type_int, value);
            } else {
                target.add<double>(name, umessage_details::type_double, toDouble(token.text));
            }
            break;
        }
        case JSON_Double:
            target.add<double>(name, umessage_details::type_double, toDouble(token.text));
            break;
        default:
            parser.throwUnexpected();
        }
        parser.acceptToken(token, JSON_Comma);
    }
}

enum class ElementKind { Undecided, Message, Bool, String, Integer, Double };

// Takes the entry's integers so far again as doubles.
void promoteToDouble(umessage& target, const ustring& name) {
    std::uint64_t count = 0;
    target.count(name, count);
    std::vector<double> values;
    values.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        values.push_back(target.valueOr<double>(name, i, 0.0));
    }
    target.remove(name);
    for (double value : values) {
        target.add<double>(name, umessage_details::type_double, value, true);
    }
}

// Reads one array into the entry name of target, marked as an array; all elements are of one
// kind, except that integers join a double array and a double turns an integer array into
// doubles. The array adds no level: its objects are target's children, at depth + 1.
void parseArray(JSONParser& parser, umessage& target, const ustring& name, int depth) {
    Token token;
    parser.expectToken(token, JSON_BeginArray);
    ElementKind kind = ElementKind::Undecided;
    auto settle = [&](ElementKind element) {
        if (kind == ElementKind::Undecided) {
            kind = element;
        } else if (kind != element) {
            parser.throwUnexpected();
        }
    };
    for (;;) {
        takeToken(parser, token);
        if (token.kind == JSON_EndArray) {
            return;
        }
        int integer = 0;
        const bool isInteger = token.kind == JSON_Integer && toInt32(token.text, integer);
        switch (token.kind) {
        case JSON_BeginObject: {
            settle(ElementKind::Message);
            parser.ungetToken(token);
            auto element = std::make_shared<umessage>();
            parseObject(parser, *element, depth + 1);
            target.add<std::shared_ptr<umessage>>(name, umessage_details::type_message, element,
                                                  true);
            break;
        }
        case JSON_True:
        case JSON_False:
            settle(ElementKind::Bool);
            target.add<bool>(name, umessage_details::type_bool, token.kind == JSON_True, true);
            break;
        case JSON_String:
            settle(ElementKind::String);
            target.add<ustring>(name, umessage_details::type_string, token.text, true);
            break;
        case JSON_Integer:
        case JSON_Double:
            if (isInteger && kind != ElementKind::Double) {
                settle(ElementKind::Integer);
                target.add<int>(name, umessage_details::type_int, integer, true);
                break;
            }
            if (kind == ElementKind::Integer) {
                promoteToDouble(target, name);
                kind = ElementKind::Double;
            }
            settle(ElementKind::Double);
            target.add<double>(name, umessage_details::type_double, toDouble(token.text), true);
            break;
        default:
            parser.throwUnexpected();
        }
        parser.acceptToken(token, JSON_Comma);
    }
}

} // namespace

bool umessage::read(std::istream& in) {
    clear();
    try {
        JSONParser parser(in);
        if (in.fail()) {
            return false;
        }
        JSONParser::Token token;
        if (!parser.getToken(token) || token.kind != JSON_BeginObject) {
            parser.throwUnexpected();
        }
        parser.ungetToken(token);
        parseObject(parser, *this, 0);
        return true;
    } catch (const std::exception& e) {
        ZEU_LOG(Error, "libs/utils/umessage", 816, "umessage::read") << e.what();
        return false;
    }
}
