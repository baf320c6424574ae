#include "Analysis/ZEPColorAnalysis.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Colors.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

// The flags of the colour's own space.
void CollectOwnColorSpace(const IPMUnknown* color, ItemStateFlags& summary) {
    InterfacePtr<IColorSpaceData> space(color, UseDefaultIID{});
    if (!space)
        return;
    switch (space->GetColorSpace()) {
    case kRGBColorSpace:
        summary.rgb = true;
        break;
    case kCMYKColorSpace:
        summary.cmyk = true;
        break;
    case kLabColorSpace:
        summary.lab = true;
        break;
    case kNamedColorSpace:
        if (InterfacePtr<IInkData> ink(color, UseDefaultIID{}); ink) {
            if (ink->GetInkKind() == kProcessInkKind)
                summary.cmyk = true;
            else if (ink->GetInkKind() == kSpotInkKind)
                summary.spots = true;
        }
        break;
    case kMixedInkColorSpace:
        if (InterfacePtr<IInkData> inkData(color, UseDefaultIID{}); inkData) {
            const UIDList inks = inkData->GetInkList();
            // A damaged colour may claim more inks than its list holds: only the list is read.
            const std::int32_t count = std::min(inkData->GetInkCount(), inks.Length());
            IDataBase* db = GetUIDRef(color).GetDataBase();
            for (std::int32_t i = 0; i < count; ++i) {
                InterfacePtr<IInkInfo> theComponentInkBossData(UIDRef(db, inks[i]),
                                                               UseDefaultIID{});
                ThrowIfNull(theComponentInkBossData, "theComponentInkBossData");
                (theComponentInkBossData->IsProcess() ? summary.cmyk : summary.spots) = true;
            }
        }
        break;
    default:
        break;
    }
}

} // namespace

bool CollectColorSpaces(const IPMUnknown* color, ItemStateFlags& summary) {
    // Depth first with a stack of its own, so that a long chain of components cannot exhaust
    // the call stack; a colour met again (a cycle of a damaged model) adds nothing new.
    struct Pending {
        InterfacePtr<IPMUnknown> color;
        InterfacePtr<IComponentColors> components;
        std::int32_t next = 0;
    };
    const auto pending = [](const IPMUnknown* object) {
        return Pending{InterfacePtr<IPMUnknown>(object, IPMUnknown::kDefaultIID),
                       InterfacePtr<IComponentColors>(object, UseDefaultIID{})};
    };
    const auto key = [](const UIDRef& ref) { return std::pair(ref.GetDataBase(), ref.GetUID()); };
    std::set<std::pair<IDataBase*, UID>> visited{key(GetUIDRef(color))};
    std::vector<Pending> path;
    path.push_back(pending(color));
    while (!path.empty()) {
        Pending& top = path.back();
        if (top.components && top.next < top.components->GetComponentCount()) {
            const UIDRef ref(GetUIDRef(top.color.get()).GetDataBase(),
                             top.components->GetComponentUID(top.next++));
            InterfacePtr<IColorObject> component(ref, UseDefaultIID{});
            if (component && visited.insert(key(ref)).second)
                path.push_back(pending(component.get()));
            continue;
        }
        CollectOwnColorSpace(top.color.get(), summary);
        path.pop_back();
    }
    return false;
}

PMReal GetColorTint(const IPMUnknown* color) {
    InterfacePtr<ITintData> tint(color, UseDefaultIID{});
    return tint ? tint->GetTint() : -1.0;
}

bool IsColorOfClass(const IPMUnknown* color) {
    const UIDRef ref = GetUIDRef(color);
    return ref.GetDataBase() && ref.GetDataBase()->GetClass(ref.GetUID()) == kTestedColorClass;
}

bool IsColorOfClassRef(const UIDRef& ref) {
    InterfacePtr<IColorObject> color(ref, UseDefaultIID{});
    return color && IsColorOfClass(color.get());
}

bool HasOnlyColorsOfClass(const IPMUnknown* color) {
    InterfacePtr<IComponentColors> components(color, UseDefaultIID{});
    if (!components)
        return IsColorOfClass(color);
    IDataBase* db = GetUIDRef(color).GetDataBase();
    for (std::int32_t i = 0; i < components->GetComponentCount(); ++i)
        if (!IsColorOfClassRef(UIDRef(db, components->GetComponentUID(i))))
            return false;
    return true;
}

bool IsPaperSwatch(const IPMUnknown* swatch) {
    InterfacePtr<ITintData> tint(swatch, UseDefaultIID{});
    return tint && tint->IsPaper() == 1;
}
