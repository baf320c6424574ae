// Test aid: a message tree whose deepest message stands a given number of levels below the top,
// for the nesting limit of the message forms (umessage::kMaxDepth).
#pragma once

#include "utils/umessage.h"

#include <memory>

// Each message holds its level as the int "n" and the next level under "c": as a single child,
// or, with `inArrays`, as the last of an array whose first element is an empty message.
inline umessage deepMessage(int depth, bool inArrays = false) {
    using namespace umessage_details;
    auto below = std::make_shared<umessage>();
    below->add<int>("n", type_int, depth);
    for (int level = depth - 1; level >= 0; --level) {
        auto message = std::make_shared<umessage>();
        message->add<int>("n", type_int, level);
        if (inArrays)
            message->add<std::shared_ptr<umessage>>("c", type_message, std::make_shared<umessage>(),
                                                    true);
        message->add<std::shared_ptr<umessage>>("c", type_message, below, inArrays);
        below = std::move(message);
    }
    return std::move(*below);
}
