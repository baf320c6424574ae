// Page-set lookups.
#include "model/BPageSet.h"

#include <algorithm>

std::shared_ptr<const BTransparencyFlattener> BPageSet::FindPageFlattener(std::int32_t page) const {
    for (auto it = pageFlatteners.rbegin(); it != pageFlatteners.rend(); ++it) {
        if (*it != nullptr && (*it)->page == page)
            return *it;
    }
    return nullptr;
}

std::vector<const BTransparencyFlattener*> BPageSet::PageFlattenersByPage() const {
    std::vector<const BTransparencyFlattener*> sorted;
    sorted.reserve(pageFlatteners.size());
    for (const auto& flattener : pageFlatteners) {
        if (flattener != nullptr)
            sorted.push_back(flattener.get());
    }
    const auto byPage = [](const BTransparencyFlattener* a, const BTransparencyFlattener* b) {
        return a->page < b->page;
    };
    // They mostly come in page order already, which one pass finds.
    if (!std::is_sorted(sorted.begin(), sorted.end(), byPage))
        std::stable_sort(sorted.begin(), sorted.end(), byPage);
    // Of each page's records, added in order, the last one counts.
    const auto lastOfPage = [](const BTransparencyFlattener* a, const BTransparencyFlattener* b) {
        return a->page == b->page;
    };
    std::reverse(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end(), lastOfPage), sorted.end());
    std::reverse(sorted.begin(), sorted.end());
    return sorted;
}
