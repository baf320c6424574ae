// Test aid: random umessage trees from a seeded generator (every value type, children, isArray
// flags, names with non-ASCII bytes), and a comparison that also checks the isArray flags.
#pragma once

#include "utils/umessage.h"

#include <random>
#include <string>

inline ustring randomText(std::mt19937& rng, int maxLength) {
    static const char alphabet[] = "abcxyzAZ09_-. \xC3\xA9\xE2\x82\xAC";
    std::uniform_int_distribution<int> length(1, maxLength);
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
    std::string text;
    for (int n = length(rng); n > 0; --n)
        text.push_back(alphabet[pick(rng)]);
    return ustring(text);
}

inline umessage randomMessage(std::mt19937& rng, int depth) {
    using namespace umessage_details;
    umessage message;
    std::uniform_int_distribution<int> entryCount(0, depth > 0 ? 6 : 10);
    std::uniform_int_distribution<int> valueCount(1, 4);
    // Children only down to depth 3.
    static const int kTypes[] = {type_int,    type_bool,  type_double,
                                 type_string, type_int64, type_message};
    std::uniform_int_distribution<int> typeOf(0, depth >= 3 ? 4 : 5);
    for (int e = entryCount(rng); e > 0; --e) {
        const ustring name = randomText(rng, 6);
        if (message.contains(name))
            continue;
        const int type = kTypes[typeOf(rng)];
        const bool isArray = rng() % 2 == 0;
        for (int v = valueCount(rng); v > 0; --v) {
            switch (type) {
            case type_int:
                message.add<int>(name, type_int, static_cast<int>(rng()), isArray);
                break;
            case type_bool:
                message.add<bool>(name, type_bool, rng() % 2 == 0, isArray);
                break;
            case type_double:
                message.add<double>(name, type_double,
                                    std::uniform_real_distribution<double>(-1e9, 1e9)(rng),
                                    isArray);
                break;
            case type_string:
                message.add<ustring>(name, type_string, randomText(rng, 40), isArray);
                break;
            case type_message:
                message.add<std::shared_ptr<umessage>>(
                    name, type_message, std::make_shared<umessage>(randomMessage(rng, depth + 1)),
                    isArray);
                break;
            default:
                message.add<long long>(name, type_int64,
                                       static_cast<long long>((std::uint64_t{rng()} << 32) | rng()),
                                       isArray);
                break;
            }
        }
    }
    return message;
}

// Equal values and equal isArray flags, throughout the tree.
inline bool sameWithFlags(const umessage& a, const umessage& b) {
    if (!(a == b))
        return false;
    for (const auto& [name, array] : a.entries()) {
        if (array->isArray != b.findEntry(name)->second->isArray)
            return false;
        if (array->type() == umessage_details::type_message)
            for (std::uint64_t i = 0; i < array->size(); ++i)
                if (!sameWithFlags(a.valueAt<umessage>(name, i), b.valueAt<umessage>(name, i)))
                    return false;
    }
    return true;
}
