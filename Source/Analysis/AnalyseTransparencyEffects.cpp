#include "Analysis/ZEPAnalysisRun.h"
#include "Analysis/ZEPPageItemInfo.h"

#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Transparency.h"

#include <cmath>
#include <optional>
#include <utility>

namespace {

// The attribute's value as interface I, when the item has the attribute.
template <typename I>
auto AttributeValue(const ITransparencyAttributes& attributes, ClassID attribute)
    -> std::optional<decltype(std::declval<I>().GetValue())> {
    InterfacePtr<I> value(static_cast<I*>(attributes.QueryAttribute(attribute, I::kDefaultIID)));
    if (!value)
        return std::nullopt;
    return value->GetValue();
}

} // namespace

void ZEPPageItemInfo::AnalyseTransparencyEffects(IPMUnknown* item) {
    InterfacePtr<ITransparencyAttributes> attributes(item, UseDefaultIID{});
    if (attributes) {
        if (!m_opacity) {
            const auto opacity = AttributeValue<IRealAttribute>(*attributes, kOpacityAttrBoss);
            if (opacity && std::abs(*opacity - 100.0) >= 1e-8)
                SetOpacityTransparency();
        }
        const struct {
            bool& done;
            ClassID attribute;
            void (ZEPPageItemInfo::*setter)();
        } effects[] = {
            {m_blendMode, kBlendModeAttrBoss, &ZEPPageItemInfo::SetBlendModeTransparency},
            {m_feather, kFeatherAttrBoss, &ZEPPageItemInfo::SetFeatherTransparency},
            {m_dropShadow, kDropShadowAttrBoss, &ZEPPageItemInfo::SetDropShadowTransparency},
        };
        for (const auto& effect : effects) {
            if (effect.done)
                continue;
            const auto value = AttributeValue<IIntegerAttribute>(*attributes, effect.attribute);
            if (value && *value != 0)
                (this->*effect.setter)();
        }
    }
    if (m_transparencyRecorded)
        return;
    InterfacePtr<IShape> shape(item, UseDefaultIID{});
    if (!shape)
        return;
    IDataBase* db = m_itemRef.GetDataBase();
    InterfacePtr<ITransparencyTester> ownTester;
    ITransparencyTester* tester =
        m_run ? m_run->GetTransparencyTester(db) : (ownTester = QueryTransparencyTester(db)).get();
    InterfacePtr<IHierarchy> hierarchy(shape, UseDefaultIID{});
    if (!tester)
        return;
    if (tester->HasTransparency(shape.get(), 0, 0) != 0) {
        SetTransparencyAppliedToObject();
    } else if (m_textItem && hierarchy) {
        InterfacePtr<IHierarchy> parent(hierarchy->QueryParent());
        InterfacePtr<IShape> parentShape(parent, UseDefaultIID{});
        if (parentShape && tester->HasTransparency(parentShape.get(), 0, 0) != 0)
            SetTransparencyAppliedToObject();
    }
}
