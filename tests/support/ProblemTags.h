// The check tags of an analysis record as a set of texts (none for a missing record).
#pragma once

#include "model/BPageItem.h"

#include <set>
#include <string>

inline std::set<std::string> Tags(const BPageItem* record) {
    std::set<std::string> tags;
    if (record)
        for (const ustring& tag : record->problems)
            tags.insert(tag.c_str());
    return tags;
}
