#include "host/standin/ItemWalk.h"

#include "host/standin/Document.h"
#include "host/standin/Layout.h"

#include <vector>

namespace host {

namespace {

constexpr ImplementationID kItemWalkerImpl{0xF06103};

// Appends the items and, entering groups, their members, back to front; with `bounds`, also each
// one's outer stroke bounds in spread coordinates, taken while its data is at hand.
void AppendInOrder(const Layout& layout, const std::vector<UID>& items, bool enterGroups,
                   std::vector<UID>& sequence, std::vector<PMRect>* bounds) {
    for (UID uid : items) {
        sequence.push_back(uid);
        if (bounds)
            bounds->push_back(*layout.SpreadCoordinateBounds(uid, kOuterStrokeBounds));
        if (enterGroups)
            AppendInOrder(layout, layout.items.at(uid).items, true, sequence, bounds);
    }
}

class ItemWalker final : public CPMUnknown<IItemWalker> {
public:
    using CPMUnknown::CPMUnknown;
    void Walk(const PMMatrix& matrix, const UIDRef& start, ICallback* callback,
              std::int32_t flags) override {
        const Document* document = DocumentOf(start.GetDataBase());
        if (!document || !callback || !document->layout.spreadData.contains(start.GetUID()))
            return;
        for (UID uid : VisitOrder(document->layout, start.GetUID(), flags)) {
            InterfacePtr<IPMUnknown> item(UIDRef(document->db.get(), uid), IPMUnknown::kDefaultIID);
            if (item)
                callback->Visit(matrix, item.get(), flags);
        }
    }

private:
    static std::vector<UID> VisitOrder(const Layout& layout, UID spread, std::int32_t flags) {
        const bool byPage = (flags & kByPage) != 0;
        std::vector<UID> sequence;
        std::vector<PMRect> bounds; // of each item of the sequence, by page only
        AppendInOrder(layout, layout.spreadData.at(spread).items, (flags & kEnterGroups) != 0,
                      sequence, byPage ? &bounds : nullptr);
        if (!byPage)
            return sequence;
        std::vector<UID> order;
        std::vector<bool> onAPage(sequence.size());
        for (UID page : layout.spreadData.at(spread).pages) {
            const PMRect pageRect = layout.PageRect(page);
            for (std::size_t i = 0; i < sequence.size(); ++i)
                if (Intersect(bounds[i], pageRect)) {
                    order.push_back(sequence[i]);
                    onAPage[i] = true;
                }
        }
        for (std::size_t i = 0; i < sequence.size(); ++i)
            if (!onAPage[i])
                order.push_back(sequence[i]);
        return order;
    }
};

} // namespace

void RegisterItemWalkClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kItemWalkerImpl,
                                 ImplementationFunctionsOf<ItemWalker>());
    model.AddToClass(kItemWalkerBoss, {{IItemWalker::kDefaultIID, kItemWalkerImpl}});
}

} // namespace host
