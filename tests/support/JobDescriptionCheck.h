// Test aid: the check that tests/data/make_sample_job makes of a job description before it
// writes a job (the format is in support/JobDescription.h). The description must be strict JSON
// holding only the format's keys, each with a value of its type; check names are the job
// model's check identifiers and setting names, severities its severity words, setting types
// the words of its setting definitions, and paths must be paths.
#pragma once

#include "model/CheckSettingEnums.h"
#include "model/KeyStrings.h"
#include "model/SettingDefinitions.h"
#include "utils/FilePath.h"
#include "utils/umessage.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <set>
#include <string>
#include <string_view>

namespace job_description_check {

using Json = nlohmann::ordered_json;

// The first fault found, as "where: what".
struct Fault {
    std::string text;
};

[[noreturn]] inline void fail(const std::string& where, const std::string& what) {
    throw Fault{(where.empty() ? "description" : where) + ": " + what};
}

inline std::string member(const std::string& where, const std::string& key) {
    return where.empty() ? key : where + "." + key;
}

using Check = void (*)(const Json& value, const std::string& where);

struct Field {
    std::string_view key;
    Check check;
};

// An object holding only the given keys, each checked by its field's check.
inline void object(const Json& value, const std::string& where,
                   std::initializer_list<Field> fields) {
    if (!value.is_object())
        fail(where, "expected an object");
    for (const auto& [key, item] : value.items()) {
        const Field* field = fields.begin();
        while (field != fields.end() && field->key != key)
            ++field;
        if (field == fields.end())
            fail(member(where, key), "unknown key");
        field->check(item, member(where, key));
    }
}

// A list whose every element passes `check`.
inline void list(const Json& value, const std::string& where, Check check) {
    if (!value.is_array())
        fail(where, "expected a list");
    for (std::size_t i = 0; i < value.size(); ++i)
        check(value[i], where + "[" + std::to_string(i) + "]");
}
template <Check check>
void listOf(const Json& value, const std::string& where) {
    list(value, where, check);
}

inline void text(const Json& value, const std::string& where) {
    if (!value.is_string())
        fail(where, "expected a text");
}

inline void number(const Json& value, const std::string& where) {
    if (!value.is_number())
        fail(where, "expected a number");
}

inline void wholeNumber(const Json& value, const std::string& where) {
    using Limits = std::numeric_limits<std::int32_t>;
    if (!value.is_number_integer() ||
        (value.is_number_unsigned() ? value.get<std::uint64_t>() > Limits::max()
                                    : value.get<std::int64_t>() < Limits::min() ||
                                          value.get<std::int64_t>() > Limits::max()))
        fail(where, "expected a whole number");
}

inline void flag(const Json& value, const std::string& where) {
    if (!value.is_boolean())
        fail(where, "expected true or false");
}

inline void path(const Json& value, const std::string& where) {
    text(value, where);
    UFileSpecCore path;
    if (!path.set(ustring(value.get<std::string>()), nullptr))
        fail(where, "not a path");
}

// A bleed or type indent: the four sides.
inline void sides(const Json& value, const std::string& where) {
    if (!value.is_array() || value.size() != 4)
        fail(where, "expected 4 numbers");
    list(value, where, number);
}

inline void severity(const Json& value, const std::string& where) {
    text(value, where);
    if (SeverityFromWord(ustring(value.get<std::string>())) == eProblemSeverity_NotSet)
        fail(where, "unknown severity \"" + value.get<std::string>() + "\"");
}

inline void settingType(const Json& value, const std::string& where) {
    text(value, where);
    umessage definition;
    definition.add(keystr::type, umessage_details::type_string, ustring(value.get<std::string>()));
    if (SettingDefinition(&definition).GetType() == eSettingType_Undefined)
        fail(where, "unknown setting type \"" + value.get<std::string>() + "\"");
}

// The text parameters 0 to 2.
inline void parameters(const Json& value, const std::string& where) {
    if (!value.is_array() || value.size() > 3)
        fail(where, "expected at most 3 texts");
    list(value, where, text);
}

inline void setting(const Json& value, const std::string& where) {
    object(value, where,
           {{"sev", severity},
            {"note", number},
            {"warn", number},
            {"fault", number},
            {"ignore", number},
            {"P", parameters},
            {"PV", number},
            {"precision", wholeNumber},
            {"fix", wholeNumber}});
}

inline bool isCheckName(const std::string& name) {
#define ZEP_CHECK_NAME(identifier, text) text,
    static const std::set<std::string_view> names{ZEP_CHECK_IDENTIFIERS(ZEP_CHECK_NAME)
                                                      ZEP_SETTING_NAMES(ZEP_CHECK_NAME)};
#undef ZEP_CHECK_NAME
    return names.contains(name);
}

// An object from check names to what `check` takes.
template <Check check>
void perCheck(const Json& value, const std::string& where) {
    if (!value.is_object())
        fail(where, "expected an object");
    for (const auto& [name, item] : value.items()) {
        if (!isCheckName(name))
            fail(member(where, name), "unknown check name");
        check(item, member(where, name));
    }
}

inline void definition(const Json& value, const std::string& where) {
    object(value, where, {{"type", settingType}, {"defaults", setting}});
}

inline void qcs(const Json& value, const std::string& where) {
    object(value, where, {{"checks", perCheck<setting>}});
}

inline void ticket(const Json& value, const std::string& where) {
    object(value, where, {{"identifier", text}, {"qcs", qcs}});
}

inline void destination(const Json& value, const std::string& where) {
    object(value, where,
           {{"id", text},
            {"name", text},
            {"firstCode", text},
            {"firstName", text},
            {"width", number},
            {"height", number},
            {"bleed", sides},
            {"typeIndent", sides},
            {"exported", flag}});
}

inline void group(const Json& value, const std::string& where) {
    object(value, where, {{"selected", flag}, {"destinations", listOf<destination>}});
}

inline void section(const Json& value, const std::string& where) {
    object(value, where, {{"name", text}, {"first", wholeNumber}, {"count", wholeNumber}});
}

inline void job(const Json& value, const std::string& where) {
    object(value, where,
           {{"identifier", text},
            {"jobName", text},
            {"documentName", text},
            {"style", wholeNumber},
            {"pageCount", wholeNumber},
            {"commonSizing", flag},
            {"jobFolder", path},
            {"outputFile", path},
            {"pageItemFile", path},
            {"sections", listOf<section>}});
}

inline void description(const Json& value) {
    object(value, "",
           {{"job", job},
            {"groups", listOf<group>},
            {"defaults", perCheck<definition>},
            {"ticket", ticket},
            {"forbidPDF", flag}});
}

// What a booking that can be printed holds, once every value has its type: a job identifier
// that is a UUID, at least one page, and destinations with an identifier, a width and a height
// above 0 and no bleed below 0.

// 8-4-4-4-12 hexadecimal digits, of either case.
inline bool isUuid(const std::string& text) {
    if (text.size() != 36)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

inline void aboveZero(const Json& value, const std::string& where) {
    if (!value.is_number() || !std::isfinite(value.get<double>()) || value.get<double>() <= 0)
        fail(where, "expected a number above 0");
}

inline void notBelowZero(const Json& value, const std::string& where) {
    if (!std::isfinite(value.get<double>()) || value.get<double>() < 0)
        fail(where, "expected a number not below 0");
}

inline void printableDestination(const Json& value, const std::string& where) {
    if (!value.contains("id") || value["id"].get<std::string>().empty())
        fail(member(where, "id"), "expected the destination's identifier");
    for (const char* key : {"width", "height"})
        aboveZero(value.contains(key) ? value[key] : Json(), member(where, key));
    if (value.contains("bleed"))
        for (std::size_t i = 0; i < value["bleed"].size(); ++i)
            notBelowZero(value["bleed"][i], member(where, "bleed") + "[" + std::to_string(i) + "]");
}

inline void printable(const Json& value) {
    if (value.contains("job")) {
        const Json& job = value["job"];
        if (job.contains("identifier") && !isUuid(job["identifier"].get<std::string>()))
            fail("job.identifier", "expected a UUID (8-4-4-4-12 hexadecimal digits)");
        if (job.contains("pageCount") && job["pageCount"].get<std::int64_t>() < 1)
            fail("job.pageCount", "expected a whole number from 1 to 2147483647");
    }
    if (!value.contains("groups"))
        return;
    for (std::size_t g = 0; g < value["groups"].size(); ++g) {
        const Json& group = value["groups"][g];
        if (!group.contains("destinations"))
            continue;
        for (std::size_t d = 0; d < group["destinations"].size(); ++d)
            printableDestination(group["destinations"][d], "groups[" + std::to_string(g) +
                                                               "].destinations[" +
                                                               std::to_string(d) + "]");
    }
}

} // namespace job_description_check

// The first fault of a job description, as "where: what" (where is the field's path, as
// "groups[0].destinations[1].width", or "description" for the text itself): first a key or a
// value of the wrong type, then a booking that cannot be printed; empty when make_sample_job
// takes it.
[[nodiscard]] inline std::string jobDescriptionFault(const std::string& json) {
    using namespace job_description_check;
    try {
        const Json parsed = Json::parse(json);
        description(parsed);
        printable(parsed);
        return {};
    } catch (const Json::exception& error) {
        // nlohmann's text after its "[json.exception.parse_error.101] " tag.
        const std::string what = error.what();
        return "description: " + what.substr(what.find("] ") + 2);
    } catch (const Fault& fault) {
        return fault.text;
    }
}
