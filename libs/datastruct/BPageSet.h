// A job's page set: the analysed page items of an export with the document's and the pages'
// transparency-flattener settings.
#pragma once

#include "model/BPageItem.h"
#include "model/BTransparencyFlattener.h"

#include <cstdint>
#include <memory>
#include <vector>

struct BPageSet {
    // The record added last for `page` among the non-null ones; null when there is none.
    std::shared_ptr<const BTransparencyFlattener> FindPageFlattener(std::int32_t page) const;
    // For each page that has one, the record FindPageFlattener finds, in ascending page order:
    // a writer that visits every page walks this once instead of searching for each page.
    std::vector<const BTransparencyFlattener*> PageFlattenersByPage() const;

    BPageItemList items;
    BDocumentTransparencyFlattener documentFlattener;
    std::vector<std::shared_ptr<BTransparencyFlattener>> pageFlatteners; // in the order added
};
