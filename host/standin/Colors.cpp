#include "host/standin/Colors.h"

#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/ObjectModel.h"

#include <algorithm>
#include <limits>

namespace host {

namespace {

constexpr ImplementationID kColorObjectImpl{0xF0A100};
constexpr ImplementationID kInkInfoImpl{0xF0A101};
constexpr ImplementationID kInkListImpl{0xF0A102};
constexpr ImplementationID kSwatchListImpl{0xF0A103};
constexpr ImplementationID kWorkspaceImpl{0xF0A104};
constexpr ImplementationID kWorkspaceUtilsImpl{0xF0A105};
constexpr ImplementationID kInkUtilsImpl{0xF0A106};
constexpr ImplementationID kGraphicAttributeUtilsImpl{0xF0A107};
constexpr ImplementationID kColorTestUtilsImpl{0xF0A108};

const Color* ColorOf(const IPMUnknown* facet) {
    const Located at = Locate(facet);
    return at.document ? FindByUID(at.document->colors.colors, at.uid) : nullptr;
}

const ItemColors* ItemColorsOf(const IPMUnknown* facet) {
    const Located at = Locate(facet);
    return at.document ? FindByUID(at.document->colors.items, at.uid) : nullptr;
}

std::int32_t CountOf(std::size_t size) {
    return static_cast<std::int32_t>(
        std::min<std::size_t>(size, std::numeric_limits<std::int32_t>::max()));
}

UID NthOf(const std::vector<UID>& uids, std::int32_t index) {
    return index < 0 || static_cast<std::size_t>(index) >= uids.size()
               ? kInvalidUID
               : uids[static_cast<std::size_t>(index)];
}

template <typename I>
class Marker final : public CPMUnknown<I> {
public:
    using CPMUnknown<I>::CPMUnknown;
};

class ComponentColors final : public CPMUnknown<IComponentColors> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetComponentCount() const override {
        const Color* color = ColorOf(this);
        return color && color->components ? CountOf(color->components->size()) : 0;
    }
    UID GetComponentUID(std::int32_t index) const override {
        const Color* color = ColorOf(this);
        return color && color->components ? NthOf(*color->components, index) : kInvalidUID;
    }
};

class ColorSpaceData final : public CPMUnknown<IColorSpaceData> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetColorSpace() const override {
        const Color* color = ColorOf(this);
        return color ? color->space.value_or(0) : 0;
    }
};

class InkDataFacet final : public CPMUnknown<IInkData> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetInkKind() const override { return Data().kind; }
    UIDList GetInkList() const override {
        UIDList list(GetUIDRef(this).GetDataBase());
        for (UID ink : Data().inks)
            list.Append(ink);
        return list;
    }
    std::int32_t GetInkCount() const override { return Data().count; }

private:
    const InkData& Data() const {
        static const InkData kNone;
        const Color* color = ColorOf(this);
        return color && color->ink ? *color->ink : kNone;
    }
};

class TintFacet final : public CPMUnknown<ITintData> {
public:
    using CPMUnknown::CPMUnknown;
    PMReal GetTint() const override { return Data().value; }
    std::int32_t IsPaper() const override { return Data().paper ? 1 : 0; }

private:
    Tint Data() const {
        const Color* color = ColorOf(this);
        return color && color->tint ? *color->tint : Tint{};
    }
};

class InkInfo final : public CPMUnknown<IInkInfo> {
public:
    using CPMUnknown::CPMUnknown;
    PMString GetName() const override { return PMString(Read().name); }
    bool IsProcess() const override { return Read().process; }
    UID GetColor() const override { return Read().color; }
    std::int32_t GetInkType() const override { return Read().type; }
    PMReal GetNeutralDensity() const override { return Read().neutralDensity; }
    bool IsNeutralDensityCustom() const override { return Read().customDensity; }
    std::int32_t GetTrapSequence() const override { return Read().trapSequence; }
    PMReal GetScreenFrequency() const override { return Read().screenFrequency; }
    PMReal GetScreenAngle() const override { return Read().screenAngle; }
    std::int32_t GetDotShape() const override { return Read().dotShape; }
    bool IsPrinted() const override { return Read().printed; }
    std::int32_t GetInkOrder() const override { return Read().inkOrder; }
    bool IsLocked() const override { return Read().locked; }
    bool IsConvertedToProcess() const override { return Read().convertToProcess; }
    UID GetAliasInk() const override { return Read().alias; }

    void SetName(const PMString& name) override { Set(&Ink::name, name.GetUTF8String()); }
    void SetProcess(bool process) override { Set(&Ink::process, process); }
    void SetColor(UID color) override { Set(&Ink::color, color); }
    void SetInkType(std::int32_t type) override { Set(&Ink::type, type); }
    void SetNeutralDensity(PMReal density) override { Set(&Ink::neutralDensity, density); }
    void SetNeutralDensityCustom(bool custom) override { Set(&Ink::customDensity, custom); }
    void SetTrapSequence(std::int32_t sequence) override { Set(&Ink::trapSequence, sequence); }
    void SetScreenFrequency(PMReal frequency) override { Set(&Ink::screenFrequency, frequency); }
    void SetScreenAngle(PMReal angle) override { Set(&Ink::screenAngle, angle); }
    void SetDotShape(std::int32_t shape) override { Set(&Ink::dotShape, shape); }
    void SetPrinted(bool printed) override { Set(&Ink::printed, printed); }
    void SetInkOrder(std::int32_t position) override { Set(&Ink::inkOrder, position); }
    void SetLocked(bool locked) override { Set(&Ink::locked, locked); }
    void SetConvertedToProcess(bool converted) override { Set(&Ink::convertToProcess, converted); }
    void SetAliasInk(UID ink) override { Set(&Ink::alias, ink); }

private:
    Ink* Data() const {
        const UIDRef ref = GetUIDRef(this);
        Document* document = DocumentOf(ref.GetDataBase());
        if (!document)
            return nullptr;
        auto found = document->colors.inkData.find(ref.GetUID());
        return found == document->colors.inkData.end() ? nullptr : &found->second;
    }
    Ink Read() const {
        const Ink* ink = Data();
        return ink ? *ink : Ink{};
    }
    template <typename T>
    void Set(T Ink::*field, T value) const {
        if (Ink* ink = Data())
            JournaledSet(ink->*field, std::move(value));
    }
};

class InkList final : public CPMUnknown<IInkList> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetInkCount() const override { return CountOf(Inks().size()); }
    UID GetNthInk(std::int32_t index) const override { return NthOf(Inks(), index); }

private:
    const std::vector<UID>& Inks() const {
        static const std::vector<UID> kNone;
        const Located at = Locate(this);
        return at.document ? at.document->colors.inks : kNone;
    }
};

class SwatchList final : public CPMUnknown<ISwatchList> {
public:
    using CPMUnknown::CPMUnknown;
    UIDRef FindSwatch(std::int32_t colorSpace, const std::vector<PMReal>& values) const override {
        const Located at = Locate(this);
        if (!at.document)
            return {};
        for (UID swatch : at.document->colors.swatches) {
            const Color* color = FindByUID(at.document->colors.colors, swatch);
            if (color && color->space == colorSpace && color->values == values)
                return {at.document->db.get(), swatch};
        }
        return {};
    }
    std::int32_t GetSwatchCount() const override {
        const Located at = Locate(this);
        return at.document ? CountOf(at.document->colors.swatches.size()) : 0;
    }
    UIDRef GetNthSwatchRef(std::int32_t index) const override {
        const Located at = Locate(this);
        if (!at.document)
            return {};
        const UID swatch = NthOf(at.document->colors.swatches, index);
        return swatch == kInvalidUID ? UIDRef() : UIDRef(at.document->db.get(), swatch);
    }
};

class WorkspaceUtils final : public CPMUnknown<IWorkspaceUtils> {
public:
    using CPMUnknown::CPMUnknown;
    IWorkspace* QueryWorkspace(const IDataBase* db) const override {
        const Document* document = DocumentOf(db);
        return document ? static_cast<IWorkspace*>(document->db->Instantiate(
                              document->workspace, IWorkspace::kDefaultIID))
                        : nullptr;
    }
};

class InkUtils final : public CPMUnknown<IInkUtils> {
public:
    using CPMUnknown::CPMUnknown;
    IInkList* QueryInkList(const IDataBase* db) const override {
        const Document* document = DocumentOf(db);
        return document ? static_cast<IInkList*>(
                              document->db->Instantiate(document->workspace, IInkList::kDefaultIID))
                        : nullptr;
    }
    UID FindInk(const PMString& name, const IInkList* inks) const override {
        const Located at = Locate(inks);
        if (!at.document)
            return kInvalidUID;
        const std::string wanted = name.GetUTF8String();
        for (std::int32_t i = 0; i < inks->GetInkCount(); ++i) {
            const Ink* ink = FindByUID(at.document->colors.inkData, inks->GetNthInk(i));
            if (ink && ink->name == wanted)
                return inks->GetNthInk(i);
        }
        return kInvalidUID;
    }
    UIDRef GetInkColorRef(const UIDRef& ink) const override {
        const Document* document = DocumentOf(ink.GetDataBase());
        const Ink* data = document ? FindByUID(document->colors.inkData, ink.GetUID()) : nullptr;
        if (!data || data->color == kInvalidUID)
            return {};
        return {ink.GetDataBase(), data->color};
    }
};

class ItemInkList final : public CPMUnknown<IItemInkList> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetInkCount() const override { return CountOf(Names().size()); }
    PMString GetInkName(std::int32_t index) const override {
        const std::vector<std::string>& names = Names();
        if (index < 0 || static_cast<std::size_t>(index) >= names.size())
            return {};
        return PMString(names[static_cast<std::size_t>(index)]);
    }

private:
    const std::vector<std::string>& Names() const {
        static const std::vector<std::string> kNone;
        const ItemColors* colors = ItemColorsOf(this);
        return colors && colors->inks ? *colors->inks : kNone;
    }
};

class GraphicAttributeUtils final : public CPMUnknown<IGraphicAttributeUtils> {
public:
    using CPMUnknown::CPMUnknown;
    IColorObject* QueryFillColor(const IGraphicAttributes* attributes) const override {
        return Query(attributes, &GraphicAttributes::fill);
    }
    IColorObject* QueryStrokeColor(const IGraphicAttributes* attributes) const override {
        return Query(attributes, &GraphicAttributes::stroke);
    }
    void GetNonPrinting(const IGraphicAttributes* attributes, bool& nonPrinting) const override {
        const ItemColors* colors = ItemColorsOf(attributes);
        nonPrinting = colors && colors->graphics && colors->graphics->nonPrinting;
    }

private:
    static IColorObject* Query(const IGraphicAttributes* attributes,
                               UID GraphicAttributes::*which) {
        const ItemColors* colors = ItemColorsOf(attributes);
        if (!colors || !colors->graphics)
            return nullptr;
        IDataBase* db = GetUIDRef(attributes).GetDataBase();
        return static_cast<IColorObject*>(
            db->Instantiate((*colors->graphics).*which, IColorObject::kDefaultIID));
    }
};

class ColorTestUtils final : public CPMUnknown<IColorTestUtils> {
public:
    using CPMUnknown::CPMUnknown;
    bool Test(const IColorTarget* target) const override {
        const ItemColors* colors = ItemColorsOf(target);
        return colors && colors->colorTest.value_or(false);
    }
};

} // namespace

void AttachColorFacets(Boss& boss, const Color& color) {
    boss.AttachFacet(IColorObject::kDefaultIID, std::make_unique<Marker<IColorObject>>(&boss));
    if (color.components)
        boss.AttachFacet(IComponentColors::kDefaultIID, std::make_unique<ComponentColors>(&boss));
    if (color.space)
        boss.AttachFacet(IColorSpaceData::kDefaultIID, std::make_unique<ColorSpaceData>(&boss));
    if (color.ink)
        boss.AttachFacet(IInkData::kDefaultIID, std::make_unique<InkDataFacet>(&boss));
    if (color.tint)
        boss.AttachFacet(ITintData::kDefaultIID, std::make_unique<TintFacet>(&boss));
}

void AttachItemColorFacets(Boss& item, const ItemColors& colors) {
    if (colors.graphics)
        item.AttachFacet(IGraphicAttributes::kDefaultIID,
                         std::make_unique<Marker<IGraphicAttributes>>(&item));
    if (colors.inks)
        item.AttachFacet(IItemInkList::kDefaultIID, std::make_unique<ItemInkList>(&item));
    if (colors.colorTest)
        item.AttachFacet(IColorTarget::kDefaultIID, std::make_unique<Marker<IColorTarget>>(&item));
}

void RegisterColorClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kColorObjectImpl, ImplementationFunctionsOf<Marker<IColorObject>>());
    reg(kInkInfoImpl, ImplementationFunctionsOf<InkInfo>());
    reg(kInkListImpl, ImplementationFunctionsOf<InkList>());
    reg(kSwatchListImpl, ImplementationFunctionsOf<SwatchList>());
    reg(kWorkspaceImpl, ImplementationFunctionsOf<Marker<IWorkspace>>());
    reg(kWorkspaceUtilsImpl, ImplementationFunctionsOf<WorkspaceUtils>());
    reg(kInkUtilsImpl, ImplementationFunctionsOf<InkUtils>());
    reg(kGraphicAttributeUtilsImpl, ImplementationFunctionsOf<GraphicAttributeUtils>());
    reg(kColorTestUtilsImpl, ImplementationFunctionsOf<ColorTestUtils>());
    model.AddToClass(kColorBoss, {});
    model.AddToClass(kInkBoss, {{IColorObject::kDefaultIID, kColorObjectImpl},
                                {IInkInfo::kDefaultIID, kInkInfoImpl}});
    model.AddToClass(kDocWorkspaceBoss, {{IInkList::kDefaultIID, kInkListImpl},
                                         {ISwatchList::kDefaultIID, kSwatchListImpl},
                                         {IWorkspace::kDefaultIID, kWorkspaceImpl}});
    model.AddToClass(kUtilsBoss, {{IWorkspaceUtils::kDefaultIID, kWorkspaceUtilsImpl},
                                  {IInkUtils::kDefaultIID, kInkUtilsImpl},
                                  {IGraphicAttributeUtils::kDefaultIID, kGraphicAttributeUtilsImpl},
                                  {IColorTestUtils::kDefaultIID, kColorTestUtilsImpl}});
}

} // namespace host
