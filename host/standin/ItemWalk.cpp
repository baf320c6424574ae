#include "host/standin/ItemWalk.h"

#include "host/standin/Document.h"
#include "host/standin/Layout.h"

#include <vector>

namespace host {

namespace {

constexpr ImplementationID kItemWalkerImpl{0xF06103};

void AppendInOrder(const Layout& layout, const std::vector<UID>& items, bool enterGroups,
                   std::vector<UID>& sequence) {
    for (UID uid : items) {
        sequence.push_back(uid);
        if (enterGroups)
            AppendInOrder(layout, layout.items.at(uid).items, true, sequence);
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
        std::vector<UID> sequence;
        AppendInOrder(layout, layout.spreadData.at(spread).items, (flags & kEnterGroups) != 0,
                      sequence);
        if (!(flags & kByPage))
            return sequence;
        std::vector<UID> order;
        std::vector<bool> onAPage(sequence.size());
        for (UID page : layout.spreadData.at(spread).pages) {
            const PMRect pageRect = layout.PageRect(page);
            for (std::size_t i = 0; i < sequence.size(); ++i)
                if (Intersect(*layout.SpreadCoordinateBounds(sequence[i], kOuterStrokeBounds),
                              pageRect)) {
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
