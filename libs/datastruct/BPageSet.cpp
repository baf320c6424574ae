// Page-set lookups.
#include "model/BPageSet.h"

std::shared_ptr<BTransparencyFlattener> BPageSet::FindPageFlattener(std::int32_t page) const {
    for (auto it = pageFlatteners.rbegin(); it != pageFlatteners.rend(); ++it) {
        if (*it != nullptr && (*it)->page == page)
            return *it;
    }
    return nullptr;
}
