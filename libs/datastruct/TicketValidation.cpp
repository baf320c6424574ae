// Ticket validation: one table row per known key, examined in the ticket's stored (byte) order,
// so the reason reported is that of the first offending key.
#include "model/TicketValidation.h"

#include "model/KeyStrings.h"
#include "utils/Logger.h"
#include "utils/umessage.h"

#include <set>
#include <stdexcept>

namespace {

using namespace umessage_details;

enum class ValueKind { Any, String, Boolean, Message, Number };
enum class CountRule { Any, Exactly, AtMost };
// What a key needs beyond its type and count.
enum class Follow { None, Destinations, UserFields };

struct KeyRule {
    ustring key;
    ValueKind kind;
    CountRule countRule;
    uint64_t limit;
    const char* typeText;
    const char* countText;
    Follow follow = Follow::None;
};

bool holdsKind(const umessage& message, const ustring& key, ValueKind kind) {
    switch (kind) {
    case ValueKind::Any:
        return true;
    case ValueKind::String:
        return message.has(key, type_string, 0);
    case ValueKind::Boolean:
        return message.has(key, type_bool, 0);
    case ValueKind::Message:
        return message.has(key, type_message, 0);
    case ValueKind::Number:
        return message.has(key, type_int, 0) || message.has(key, type_double, 0) ||
               message.has(key, type_int64, 0);
    }
    return false;
}

bool countFits(CountRule rule, uint64_t limit, uint64_t count) {
    switch (rule) {
    case CountRule::Any:
        return true;
    case CountRule::Exactly:
        return count == limit;
    case CountRule::AtMost:
        return count <= limit;
    }
    return false;
}

const std::vector<KeyRule>& ticketRules() {
    using K = ValueKind;
    using C = CountRule;
    static const std::vector<KeyRule> rules{
        {keystr::identifier, K::String, C::Exactly, 1, "identifier has wrong type",
         "there should be only 1 identifier"},
        {keystr::operator_, K::String, C::Exactly, 1, "operator has wrong type",
         "there should be only 1 operator"},
        {keystr::local, K::String, C::Any, 0, "local has wrong type", nullptr},
        {keystr::qcs, K::Message, C::Exactly, 1, "qcs has wrong type",
         "there should be only 1 qcs"},
        {keystr::style, K::String, C::Exactly, 1, "style has wrong type",
         "there should be only 1 style"},
        {keystr::destinations, K::Message, C::Any, 0, "destinations has wrong type", nullptr,
         Follow::Destinations},
        {keystr::active, K::Boolean, C::Exactly, 1, "active field has wrong type",
         "there should be only 1 active field"},
        {ustring("groupingDisabled"), K::Boolean, C::Exactly, 1,
         "groupingDisabled field has wrong type", "there should be only 1 groupingDisabled field"},
        {ustring("previous_report"), K::Any, C::Any, 0, nullptr, nullptr},
        {ustring("plugin_report"), K::Any, C::Any, 0, nullptr, nullptr},
        {ustring("bookingMatched"), K::Any, C::Any, 0, nullptr, nullptr},
    };
    return rules;
}

const std::vector<KeyRule>& destinationRules() {
    using K = ValueKind;
    using C = CountRule;
    static const std::vector<KeyRule> rules{
        {keystr::identifier, K::String, C::Exactly, 1, "identifier has wrong type",
         "there should be only 1 identifier"},
        {keystr::mlkey, K::String, C::Exactly, 1, "medialink key has wrong type",
         "there should be only 1 medialink key"},
        {keystr::country, K::String, C::AtMost, 2, "country has wrong type",
         "country field has too many entries"},
        {keystr::publication, K::String, C::AtMost, 2, "publication has wrong type",
         "publication field has too many entries"},
        {keystr::publisher, K::String, C::AtMost, 2, "publisher has wrong type",
         "publisher field has too many entries"},
        {keystr::section, K::String, C::AtMost, 2, "section has wrong type",
         "section field has too many entries"},
        {keystr::style, K::String, C::Exactly, 1, "style has wrong type",
         "there should be only 1 style field"},
        {keystr::qcs, K::Message, C::Any, 0, "qcs has wrong type", nullptr},
        {keystr::printerMarkSize, K::Number, C::Exactly, 1, "printerMarkSize has wrong type",
         "there should be only 1 printerMarkSize field"},
        {keystr::printerMarkOffset, K::Number, C::Exactly, 1, "printerMarkOffset has wrong type",
         "there should be only 1 printerMarkOffset field"},
        {keystr::width, K::Number, C::Exactly, 1, "width has wrong type",
         "there should be only 1 width field"},
        {keystr::depth, K::Number, C::Exactly, 1, "depth has wrong type",
         "there should be only 1 depth field"},
        {keystr::columns, K::Number, C::Exactly, 1, "columns has wrong type",
         "there should be only 1 columns field"},
        {keystr::colourName, K::String, C::Exactly, 1, "colourName has wrong type",
         "there should be only 1 colourName field"},
        {keystr::colourMakeup, K::Number, C::Exactly, 4, "colourMakeup has wrong type",
         "there should be 4 colourMakeup field"},
        {keystr::namedSize, K::String, C::Exactly, 1, "namedSize has wrong type",
         "there should be only 1 namedSize field"},
        {keystr::requires2DPSFiles, K::Boolean, C::Exactly, 1, "requires2DPSFiles has wrong type",
         "there should be only 1 requires2DPSFiles field"},
        {keystr::bleed, K::Number, C::Exactly, 4, "bleed has wrong type",
         "there should be exactly 4 bleed fields"},
        {keystr::typeIndent, K::Number, C::Exactly, 4, "typeIndent has wrong type",
         "there should be exactly 4 typeIndent fields"},
        {keystr::exported, K::Boolean, C::Exactly, 1, "exported has wrong type",
         "there should be exactly 1 exported fields"},
        {keystr::ro, K::Boolean, C::Exactly, 1, "ro has wrong type",
         "there should be exactly 1 ro fields"},
        {keystr::userFields, K::Message, C::Exactly, 1, "userFields has wrong type",
         "there should be only 1 userFields", Follow::UserFields},
    };
    return rules;
}

void checkDestinations(const umessage& ticket) {
    std::set<ustring> identifiers;
    std::shared_ptr<const umessage> destination;
    for (uint64_t index = 0; ticket.get(keystr::destinations, index, destination); ++index) {
        ustring identifier = destination->valueOr(keystr::identifier, 0, ustring());
        if (!identifiers.insert(std::move(identifier)).second)
            throw std::runtime_error("duplicate destination identifier");
        if (!DestinationIsWellFormed(destination.get()))
            throw std::runtime_error("invalid destination");
    }
}

// Applies the table to every key of message in stored order; throws the first reason.
void checkKeys(const umessage& message, const std::vector<KeyRule>& rules) {
    for (const auto& [key, values] : message.entries()) {
        const KeyRule* rule = nullptr;
        for (const KeyRule& candidate : rules) {
            if (candidate.key == key) {
                rule = &candidate;
                break;
            }
        }
        if (rule == nullptr)
            throw std::runtime_error("unexpected field: " + std::string(key.view()));
        if (!holdsKind(message, key, rule->kind))
            throw std::runtime_error(rule->typeText);
        if (!countFits(rule->countRule, rule->limit, values->size()))
            throw std::runtime_error(rule->countText);
        if (rule->follow == Follow::Destinations) {
            checkDestinations(message);
        } else if (rule->follow == Follow::UserFields) {
            CheckUserFields(
                message.valueOr<std::shared_ptr<const umessage>>(key, 0, nullptr).get());
        }
    }
}

} // namespace

void CheckUserFields(const umessage* userFields) {
    if (userFields == nullptr)
        return;
    for (const auto& entry : userFields->entries()) {
        if (!userFields->has(entry.first, type_message, 0))
            throw std::runtime_error("userField has wrong type");
    }
}

bool TicketIsWellFormed(const umessage* ticket) {
    if (ticket == nullptr || ticket->empty())
        return false;
    try {
        checkKeys(*ticket, ticketRules());
        return true;
    } catch (const std::exception& e) {
        ZEU_LOG(Error, "libs/datastruct/WTicket", 375, "TicketIsWellFormed")
            << "invalid tickets : " << e.what();
        return false;
    }
}

bool DestinationIsWellFormed(const umessage* destination) {
    if (destination == nullptr)
        return false;
    try {
        checkKeys(*destination, destinationRules());
        return true;
    } catch (const std::exception& e) {
        ZEU_LOG(Error, "libs/datastruct/WTicket", 240, "DestinationIsWellFormed")
            << "invalid tickets : " << e.what();
        return false;
    }
}
