#include "host/standin/Layout.h"

#include "host/sdk/Errors.h"
#include "host/sdk/Session.h"
#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/Recorder.h"

#include <algorithm>
#include <memory>

namespace host {

namespace {

constexpr ImplementationID kPageListImpl{0xF03100};
constexpr ImplementationID kSpreadListImpl{0xF03101};
constexpr ImplementationID kLayerListImpl{0xF03102};
constexpr ImplementationID kSectionListImpl{0xF03103};
constexpr ImplementationID kSpreadImpl{0xF03104};
constexpr ImplementationID kGeometryImpl{0xF03105};
constexpr ImplementationID kHierarchyImpl{0xF03106};
constexpr ImplementationID kDocumentLayerImpl{0xF03107};
constexpr ImplementationID kLayoutControlDataImpl{0xF03108};
constexpr ImplementationID kGeometryUtilsImpl{0xF03109};
constexpr ImplementationID kMarginCmdImpl{0xF0310A};
constexpr ImplementationID kMarginDataImpl{0xF0310B};
constexpr ImplementationID kSpreadLayerImpl{0xF06100};
constexpr ImplementationID kShapeImpl{0xF06101};
constexpr ImplementationID kDeleteCmdImpl{0xF06102};
constexpr ImplementationID kMasterSpreadImpl{0xF0D100};
constexpr ImplementationID kSetBoundsCmdImpl{0xF0D101};

UID NthOf(const std::vector<UID>& uids, std::int32_t index) {
    return index < 0 || static_cast<std::size_t>(index) >= uids.size()
               ? kInvalidUID
               : uids[static_cast<std::size_t>(index)];
}

// Sets a value of the layout found through `access`, journaled by the way it was found (the
// node may be replaced by an undo in between).
template <typename Access, typename Value>
void JournaledChange(Access access, Value value) {
    RecordUndo([access, old = access()] { access() = old; });
    access() = std::move(value);
}

class PageList final : public CPMUnknown<IPageList> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetPageCount() const override {
        const Layout* layout = Locate(this).layout();
        return layout ? static_cast<std::int32_t>(layout->PageCount()) : 0;
    }
    UID GetNthPageUID(std::int32_t index) const override {
        const Layout* layout = Locate(this).layout();
        return layout && index >= 0 ? layout->NthPage(static_cast<std::size_t>(index))
                                    : kInvalidUID;
    }
    std::int32_t GetPageIndex(UID page) const override {
        const Layout* layout = Locate(this).layout();
        if (!layout)
            return -1;
        const std::optional<std::size_t> index = layout->PageIndex(page);
        return index ? static_cast<std::int32_t>(*index) : -1;
    }
};

template <bool kMasters>
class SpreadList final : public CPMUnknown<ISpreadList> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetSpreadCount() const override {
        const std::vector<UID>* spreads = Spreads();
        return spreads ? static_cast<std::int32_t>(spreads->size()) : 0;
    }
    UID GetNthSpreadUID(std::int32_t index) const override {
        const std::vector<UID>* spreads = Spreads();
        return spreads ? NthOf(*spreads, index) : kInvalidUID;
    }

private:
    const std::vector<UID>* Spreads() const {
        const Layout* layout = Locate(this).layout();
        if (!layout)
            return nullptr;
        if constexpr (kMasters)
            return layout->masterSpreads ? &*layout->masterSpreads : nullptr;
        else
            return &layout->spreads;
    }
};

class LayerList final : public CPMUnknown<ILayerList> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetCount() const override {
        const Layout* layout = Locate(this).layout();
        return layout ? static_cast<std::int32_t>(layout->layers.size()) : 0;
    }
    IDocumentLayer* QueryLayer(std::int32_t index) const override {
        const Located here = Locate(this);
        if (!here.document)
            return nullptr;
        const UID layer = NthOf(here.layout()->layers, index);
        return static_cast<IDocumentLayer*>(
            here.document->db->Instantiate(layer, IDocumentLayer::kDefaultIID));
    }
    UID FindByName(const PMString& name) const override {
        const Layout* layout = Locate(this).layout();
        if (!layout)
            return kInvalidUID;
        const std::string utf8 = name.GetUTF8String();
        for (UID layer : layout->layers)
            if (layout->layerData.at(layer).name == utf8)
                return layer;
        return kInvalidUID;
    }
};

class SectionList final : public CPMUnknown<ISectionList> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetSectionCount() const override {
        const Layout* layout = Locate(this).layout();
        return layout ? static_cast<std::int32_t>(layout->sections.size()) : 0;
    }
    PMString GetName(std::int32_t index) const override {
        const Section* section = At(index);
        return section ? PMString(section->name) : PMString();
    }
    std::int32_t GetStartPageNumber(std::int32_t index) const override {
        const Section* section = At(index);
        if (!section)
            return 0;
        const std::optional<std::size_t> start = Locate(this).layout()->PageIndex(section->start);
        return start ? static_cast<std::int32_t>(*start) + 1 : 0;
    }
    std::int32_t GetPageCount(std::int32_t index) const override {
        const Section* section = At(index);
        return section ? section->count : 0;
    }
    ClassID GetNumberingStyle(std::int32_t index) const override {
        const Section* section = At(index);
        return section ? section->style : kInvalidClass;
    }

private:
    const Section* At(std::int32_t index) const {
        const Layout* layout = Locate(this).layout();
        if (!layout || index < 0 || static_cast<std::size_t>(index) >= layout->sections.size())
            return nullptr;
        return &layout->sections[static_cast<std::size_t>(index)];
    }
};

class SpreadFacet final : public CPMUnknown<ISpread> {
public:
    using CPMUnknown::CPMUnknown;
    ISpreadLayer* QueryLayer(const IDocumentLayer* layer, std::int32_t /*position*/,
                             bool /*guides*/) const override {
        const Located here = Locate(this);
        const UIDRef ref = GetUIDRef(layer);
        if (!here.document || ref.GetDataBase() != here.document->db.get() ||
            !here.layout()->layerData.contains(ref.GetUID()))
            return nullptr;
        return static_cast<ISpreadLayer*>(
            here.document->db->Instantiate(ref.GetUID(), ISpreadLayer::kDefaultIID));
    }
    IGeometry* QueryNthPageGeometry(std::int32_t index) const override {
        const Located here = Locate(this);
        const UID page = GetNthPageUID(index);
        return page == kInvalidUID ? nullptr
                                   : static_cast<IGeometry*>(here.document->db->Instantiate(
                                         page, IGeometry::kDefaultIID));
    }
    std::int32_t GetNumPages() const override {
        const Spread* spread = Data();
        return spread ? static_cast<std::int32_t>(spread->pages.size()) : 0;
    }
    UID GetNthPageUID(std::int32_t index) const override {
        const Spread* spread = Data();
        return spread ? NthOf(spread->pages, index) : kInvalidUID;
    }
    void WalkItems(ItemManipulator& manipulator, const LayerMask& mask) const override {
        const Located here = Locate(this);
        if (!here.document || !FindByUID(here.layout()->spreadData, here.uid))
            return;
        // What the walk reaches is fixed before the first call, which may change the layout.
        const Layout& layout = *here.layout();
        const std::vector<UID> layers = layout.layers;
        const std::vector<UID> items = layout.spreadData.at(here.uid).items;
        for (UID layer : layers) {
            InterfacePtr<IPMUnknown> layerObject(UIDRef(here.document->db.get(), layer),
                                                 IPMUnknown::kDefaultIID);
            if (!layerObject || mask.IsMasked(layerObject.get()))
                continue;
            for (UID uid : items) {
                const Item* item = FindByUID(here.layout()->items, uid);
                if (!item || item->layer != layer)
                    continue;
                InterfacePtr<IPMUnknown> object(UIDRef(here.document->db.get(), uid),
                                                IPMUnknown::kDefaultIID);
                if (object && !manipulator.ManipulateItem(object.get()))
                    return;
            }
        }
    }
    PMPoint GetOffsetPoint() const override {
        const Spread* spread = Data();
        return spread ? spread->offset : PMPoint();
    }
    PMRect GetPagesBounds(std::int32_t /*kind*/, const PMMatrix& matrix) const override {
        const Spread* spread = Data();
        if (!spread || spread->pages.empty())
            return {};
        const Layout& layout = *Locate(this).layout();
        PMRect bounds = layout.PageRect(spread->pages.front());
        for (UID page : spread->pages)
            bounds.Union(layout.PageRect(page));
        bounds.MoveRel(spread->offset.X(), spread->offset.Y());
        return matrix.TransformBounds(bounds);
    }

private:
    const Spread* Data() const {
        const Located here = Locate(this);
        return here.document ? FindByUID(here.layout()->spreadData, here.uid) : nullptr;
    }
};

class GeometryFacet final : public CPMUnknown<IGeometry> {
public:
    using CPMUnknown::CPMUnknown;
    PMRect GetBoundingBox() const override {
        const Located here = LocateBoss(GetBoss());
        if (!here.document)
            return {};
        const Layout& layout = *here.layout();
        if (const Item* item = FindByUID(layout.items, here.uid);
            item && !item->group && !item->guide)
            return item->bounds;
        return layout.SpreadCoordinateBounds(here.uid, kPathBounds).value_or(PMRect());
    }
    PMRect GetBoundingBox(const PMMatrix& matrix) const override {
        return matrix.TransformBounds(GetBoundingBox());
    }
};

class HierarchyFacet final : public CPMUnknown<IHierarchy> {
public:
    using CPMUnknown::CPMUnknown;
    IHierarchy* QueryParent() const override {
        const Located here = LocateBoss(GetBoss());
        const Item* item = here.document ? FindByUID(here.layout()->items, here.uid) : nullptr;
        if (!item)
            return nullptr;
        const UID parent = item->parent != kInvalidUID ? item->parent : item->spread;
        return static_cast<IHierarchy*>(
            here.document->db->Instantiate(parent, IHierarchy::kDefaultIID));
    }
    UID GetSpreadUID() const override {
        const Located here = LocateBoss(GetBoss());
        return here.document ? here.layout()->SpreadOf(here.uid) : kInvalidUID;
    }
};

const Layer* LayerData(const IPMUnknown* facet) {
    const Located here = Locate(facet);
    return here.document ? FindByUID(here.layout()->layerData, here.uid) : nullptr;
}

class DocumentLayer final : public CPMUnknown<IDocumentLayer> {
public:
    using CPMUnknown::CPMUnknown;
    PMString GetName() const override {
        const Layer* layer = Data();
        return layer ? PMString(layer->name) : PMString();
    }
    bool IsLocked() const override { return Data() && Data()->locked; }
    bool IsVisible() const override { return Data() && Data()->visible; }
    bool IsPrintable() const override { return Data() && Data()->printable; }

private:
    const Layer* Data() const { return LayerData(this); }
};

class SpreadLayer final : public CPMUnknown<ISpreadLayer> {
public:
    using CPMUnknown::CPMUnknown;
    bool IsVisible() const override {
        const Layer* layer = LayerData(this);
        return layer && layer->visible;
    }
};

class Shape final : public CPMUnknown<IShape> {
public:
    using CPMUnknown::CPMUnknown;
};

class GuideFacet final : public CPMUnknown<IGuide> {
public:
    using CPMUnknown::CPMUnknown;
};

class MasterSpread final : public CPMUnknown<IMasterSpread> {
public:
    using CPMUnknown::CPMUnknown;
};

class PageSetupPrefs final : public CPMUnknown<IPageSetupPrefs> {
public:
    using CPMUnknown::CPMUnknown;
    bool GetFlag() const override { return Data().flag; }
    PMRect GetDocumentBleed() const override {
        const Sides& bleed = Data().bleed;
        return {bleed.top, bleed.left, bleed.bottom, bleed.right};
    }
    std::int32_t GetValue() const override { return Data().value; }
    bool GetSwitch() const override { return Data().switchOn; }

private:
    PageSetup Data() const {
        const Layout* layout = Locate(this).layout();
        return layout && layout->pageSetup ? *layout->pageSetup : PageSetup();
    }
};

class ValuePairPrefs final : public CPMUnknown<IValuePairPrefs> {
public:
    using CPMUnknown::CPMUnknown;
    void SetValues(PMReal first, PMReal second) override {
        if (Document* document = Locate(this).document)
            SetValuePair(*document, first, second);
    }
    PMReal GetFirst() const override { return Data().first; }
    PMReal GetSecond() const override { return Data().second; }

private:
    std::pair<PMReal, PMReal> Data() const {
        const Layout* layout = Locate(this).layout();
        return layout && layout->valuePair ? *layout->valuePair : std::pair<PMReal, PMReal>();
    }
};

class LayoutControlData final : public CPMUnknown<ILayoutControlData> {
public:
    using CPMUnknown::CPMUnknown;
    IDocument* GetDocument() const override {
        const Located here = Locate(this);
        return here.document ? here.document->Get() : nullptr;
    }
    UIDRef GetSpreadRef() const override {
        const Located here = Locate(this);
        if (!here.document || !here.layout()->view)
            return {};
        return {here.document->db.get(), here.layout()->view->spread};
    }
    UID GetPage() const override {
        const Layout* layout = Locate(this).layout();
        return layout && layout->view ? layout->view->page : kInvalidUID;
    }
};

// Sets the pasteboards of the spreads of its item list, one rectangle each, given in pasteboard
// coordinates.
class SetBoundsCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Set Bounds"); }
    void Set(const CoordinateSpace& space, const std::vector<PMRect>& bounds) {
        m_space = space;
        m_bounds = bounds;
    }

protected:
    void Do() override {
        const UIDList& list = *GetItemList();
        Document* document = DocumentOf(list.GetDataBase());
        bool valid = document && m_space.matrix.IsIdentity() &&
                     m_bounds.size() == static_cast<std::size_t>(list.Length());
        for (UID uid : list.UIDs())
            valid = valid && document->layout.spreadData.contains(uid);
        if (!valid) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        for (int i = 0; i < list.Length(); ++i) {
            const UID spread = list[i];
            PMRect bounds = m_bounds[static_cast<std::size_t>(i)];
            const PMPoint offset = document->layout.spreadData.at(spread).offset;
            bounds.MoveRel(-offset.X(), -offset.Y());
            SetPasteboard(*document, spread, bounds);
        }
    }

private:
    CoordinateSpace m_space;
    std::vector<PMRect> m_bounds;
};

class GeometryUtils final : public CPMUnknown<IGeometryUtils> {
public:
    using CPMUnknown::CPMUnknown;
    ErrorCode SetItemsBounds(const UIDList& items, const CoordinateSpace& space,
                             std::int32_t /*kind*/, const std::vector<PMRect>& bounds) override {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kSetBoundsCmdBoss));
        if (!command)
            return kFailure;
        command->SetItemList(items);
        static_cast<SetBoundsCmd*>(command.get())->Set(space, bounds);
        return CmdUtils::ProcessCommand(command.get());
    }
    PMRect GetItemBounds(const UIDRef& item, const CoordinateSpace& space,
                         std::int32_t kind) const override {
        const std::optional<PMRect> bounds = Pasteboard(item, kind);
        return bounds ? space.matrix.TransformBounds(*bounds) : PMRect();
    }
    PMRect GetItemsBounds(const UIDList& items, const CoordinateSpace& space,
                          std::int32_t kind) const override {
        std::optional<PMRect> bounds;
        for (int i = 0; i < items.Length(); ++i) {
            const std::optional<PMRect> one = Pasteboard(items.GetRef(i), kind);
            if (!one)
                continue;
            if (bounds)
                bounds->Union(*one);
            else
                bounds = one;
        }
        return bounds ? space.matrix.TransformBounds(*bounds) : PMRect();
    }

private:
    static std::optional<PMRect> Pasteboard(const UIDRef& ref, std::int32_t kind) {
        const Document* document = DocumentOf(ref.GetDataBase());
        return document ? document->layout.PasteboardBounds(ref.GetUID(), kind) : std::nullopt;
    }
};

class MarginData final : public CPMUnknown<IMarginData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetMargins(PMReal left, PMReal top, PMReal right, PMReal bottom, bool flag) override {
        m_margins = {left, top, right, bottom};
        Recorder::Instance().Record(
            Channel::Calls, "SetMargins " + Number(left) + " " + Number(top) + " " + Number(right) +
                                " " + Number(bottom) + (flag ? " true" : " false"));
    }
    const Sides& Margins() const { return m_margins; }

private:
    Sides m_margins;
};

class MarginCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Margins"); }

protected:
    void Do() override {
        InterfacePtr<IMarginData> data(this, UseDefaultIID{});
        Document* document = DocumentOf(GetItemList()->GetDataBase());
        if (!data || !document)
            return;
        const Sides margins = static_cast<const MarginData*>(data.get())->Margins();
        for (UID page : GetItemList()->UIDs())
            if (document->layout.pages.contains(page))
                SetPageMargins(*document, page, margins);
    }
};

class DeleteCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Delete"); }

protected:
    void Do() override {
        const UIDList& list = *GetItemList();
        if (list.IsEmpty())
            return;
        Document* document = DocumentOf(list.GetDataBase());
        for (UID uid : list.UIDs())
            if (!document || !document->layout.items.contains(uid)) {
                ErrorUtils::PMSetGlobalErrorCode(kFailure);
                return;
            }
        DeleteItems(*document, list.UIDs());
    }
};

// The item and the members it holds, the item first.
void CollectSubtree(const Layout& layout, UID uid, std::vector<UID>& uids) {
    uids.push_back(uid);
    for (UID member : layout.items.at(uid).items)
        CollectSubtree(layout, member, uids);
}

} // namespace

void DeleteItems(Document& document, const std::vector<UID>& items) {
    Layout* layout = &document.layout;
    for (UID uid : items) {
        if (!layout->items.contains(uid))
            continue;
        const Item& item = layout->items.at(uid);
        // The list the item stands in, found again when undone (its node may be replaced).
        const UID parent = item.parent;
        const UID spread = item.spread;
        const auto owner = [layout, parent, spread]() -> std::vector<UID>& {
            return parent == kInvalidUID ? layout->spreadData.at(spread).items
                                         : layout->items.at(parent).items;
        };
        std::vector<UID>& siblings = owner();
        const auto position = std::find(siblings.begin(), siblings.end(), uid) - siblings.begin();
        siblings.erase(siblings.begin() + position);
        RecordUndo([owner, position, uid] { owner().insert(owner().begin() + position, uid); });
        std::vector<UID> subtree;
        CollectSubtree(*layout, uid, subtree);
        for (UID gone : subtree) {
            RecordUndo([layout, gone, kept = layout->items.at(gone)] {
                layout->items.emplace(gone, kept);
            });
            layout->items.erase(gone);
            document.db->DeleteObject(gone);
        }
    }
}

const Layout::PageOrder& Layout::Pages() const {
    const UID last = spreads.empty() ? kInvalidUID : spreads.back();
    if (m_pageOrder && m_pageOrder->spreadCount == spreads.size() &&
        m_pageOrder->lastSpread == last && m_pageOrder->pageObjects == pages.size())
        return *m_pageOrder;
    PageOrder order{spreads.size(), last, pages.size(), {}, {}};
    for (UID spread : spreads)
        for (UID page : spreadData.at(spread).pages) {
            order.index.emplace(page, order.pages.size());
            order.pages.push_back(page);
        }
    return m_pageOrder.emplace(std::move(order));
}

std::size_t Layout::PageCount() const {
    return Pages().pages.size();
}

UID Layout::NthPage(std::size_t index) const {
    const std::vector<UID>& list = Pages().pages;
    return index < list.size() ? list[index] : kInvalidUID;
}

std::optional<std::size_t> Layout::PageIndex(UID page) const {
    const std::map<UID, std::size_t>& index = Pages().index;
    auto found = index.find(page);
    return found == index.end() ? std::nullopt : std::optional<std::size_t>(found->second);
}

std::vector<UID> Layout::PageList() const {
    return Pages().pages;
}

void Layout::AddStory(UID uid, Story story) {
    m_storyOfFrameList.emplace(story.frameList, uid);
    for (UID frame : story.frames)
        m_storyOfFrame.emplace(frame, uid);
    stories.emplace(uid, std::move(story));
}

std::pair<UID, Story*> Layout::StoryOfFrameList(UID frameList) {
    auto found = m_storyOfFrameList.find(frameList);
    if (found == m_storyOfFrameList.end())
        return {kInvalidUID, nullptr};
    return {found->second, &stories.at(found->second)};
}

std::pair<UID, const Story*> Layout::StoryOfFrame(UID frame) const {
    auto found = m_storyOfFrame.find(frame);
    if (found == m_storyOfFrame.end())
        return {kInvalidUID, nullptr};
    return {found->second, &stories.at(found->second)};
}

PMRect Layout::PageRect(UID page) const {
    const Page& data = pages.at(page);
    PMReal left = 0;
    for (UID before : spreadData.at(data.spread).pages) {
        if (before == page)
            break;
        left += pages.at(before).width;
    }
    return {left, 0, left + data.width, data.height};
}

PMRect Layout::SpreadBounds(UID spread) const {
    const Spread& data = spreadData.at(spread);
    if (data.pasteboard)
        return *data.pasteboard;
    PMRect row;
    for (UID page : data.pages)
        row.Union(PageRect(page));
    return row;
}

std::optional<Layout::Named> Layout::Name(UID uid) const {
    if (spreadData.contains(uid))
        return Named{uid};
    if (const Page* page = FindByUID(pages, uid))
        return Named{page->spread, page};
    if (const Item* item = FindByUID(items, uid))
        return Named{item->spread, nullptr, item};
    return std::nullopt;
}

PMRect Layout::BoundsOf(UID uid, const Named& named, std::int32_t kind) const {
    const Item* item = named.item;
    if (!item)
        return named.page ? PageRect(uid) : SpreadBounds(uid);
    if (item->guide) {
        const PMRect spread = SpreadBounds(item->spread);
        const PMReal at = item->guide->position;
        return item->guide->horizontal ? PMRect(spread.Left(), at, spread.Right(), at)
                                       : PMRect(at, spread.Top(), at, spread.Bottom());
    }
    if (item->group) {
        std::optional<PMRect> bounds;
        for (UID member : item->items) {
            const PMRect one = *SpreadCoordinateBounds(member, kind);
            if (bounds)
                bounds->Union(one);
            else
                bounds = one;
        }
        return bounds.value_or(PMRect());
    }
    PMRect bounds = item->matrix.TransformBounds(item->bounds);
    if (kind == kOuterStrokeBounds)
        bounds.Inset(-item->stroke / 2, -item->stroke / 2);
    return bounds;
}

std::optional<PMRect> Layout::SpreadCoordinateBounds(UID uid, std::int32_t kind) const {
    const std::optional<Named> named = Name(uid);
    return named ? std::optional<PMRect>(BoundsOf(uid, *named, kind)) : std::nullopt;
}

std::optional<PMRect> Layout::PasteboardBounds(UID uid, std::int32_t kind) const {
    const std::optional<Named> named = Name(uid);
    if (!named)
        return std::nullopt;
    PMRect bounds = BoundsOf(uid, *named, kind);
    const PMPoint offset = spreadData.at(named->spread).offset;
    bounds.MoveRel(offset.X(), offset.Y());
    return bounds;
}

UID Layout::SpreadOf(UID uid) const {
    const std::optional<Named> named = Name(uid);
    return named ? named->spread : kInvalidUID;
}

Document* DocumentOf(const IDataBase* db) {
    if (!db)
        return nullptr;
    for (const auto& document : OpenDocuments())
        if (document->db.get() == db)
            return document.get();
    return nullptr;
}

void SetPageMargins(Document& document, UID page, const Sides& margins) {
    Layout* layout = &document.layout;
    JournaledChange([layout, page]() -> Sides& { return layout->pages.at(page).margins; }, margins);
}

void SetPageSize(Document& document, UID page, PMReal width, PMReal height) {
    Layout* layout = &document.layout;
    JournaledChange([layout, page]() -> PMReal& { return layout->pages.at(page).width; }, width);
    JournaledChange([layout, page]() -> PMReal& { return layout->pages.at(page).height; }, height);
}

void SetValuePair(Document& document, PMReal first, PMReal second) {
    Layout* layout = &document.layout;
    JournaledChange(
        [layout]() -> auto& { return layout->valuePair; }, std::optional(std::pair(first, second)));
}

void SetItemMatrix(Document& document, UID item, const PMMatrix& matrix) {
    Layout* layout = &document.layout;
    JournaledChange([layout, item]() -> PMMatrix& { return layout->items.at(item).matrix; },
                    matrix);
}

void SetPasteboard(Document& document, UID spread, const PMRect& pasteboard) {
    Layout* layout = &document.layout;
    JournaledChange(
        [ layout, spread ]() -> auto& { return layout->spreadData.at(spread).pasteboard; },
        std::optional(pasteboard));
}

void RegisterLayoutClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kPageListImpl, ImplementationFunctionsOf<PageList>());
    reg(kSpreadListImpl, ImplementationFunctionsOf<SpreadList<false>>());
    reg(kLayerListImpl, ImplementationFunctionsOf<LayerList>());
    reg(kSectionListImpl, ImplementationFunctionsOf<SectionList>());
    reg(kSpreadImpl, ImplementationFunctionsOf<SpreadFacet>());
    reg(kGeometryImpl, ImplementationFunctionsOf<GeometryFacet>());
    reg(kHierarchyImpl, ImplementationFunctionsOf<HierarchyFacet>());
    reg(kDocumentLayerImpl, ImplementationFunctionsOf<DocumentLayer>());
    reg(kLayoutControlDataImpl, ImplementationFunctionsOf<LayoutControlData>());
    reg(kGeometryUtilsImpl, ImplementationFunctionsOf<GeometryUtils>());
    reg(kMarginCmdImpl, ImplementationFunctionsOf<MarginCmd>());
    reg(kMarginDataImpl, ImplementationFunctionsOf<MarginData>());
    reg(kSpreadLayerImpl, ImplementationFunctionsOf<SpreadLayer>());
    reg(kShapeImpl, ImplementationFunctionsOf<Shape>());
    reg(kDeleteCmdImpl, ImplementationFunctionsOf<DeleteCmd>());
    reg(kMasterSpreadImpl, ImplementationFunctionsOf<MasterSpread>());
    reg(kSetBoundsCmdImpl, ImplementationFunctionsOf<SetBoundsCmd>());

    model.AddToClass(kDocBoss, {{IPageList::kDefaultIID, kPageListImpl},
                                {ISpreadList::kDefaultIID, kSpreadListImpl},
                                {ILayerList::kDefaultIID, kLayerListImpl},
                                {ISectionList::kDefaultIID, kSectionListImpl}});
    model.AddToClass(kSpreadBoss, {{ISpread::kDefaultIID, kSpreadImpl},
                                   {IGeometry::kDefaultIID, kGeometryImpl},
                                   {IHierarchy::kDefaultIID, kHierarchyImpl},
                                   {IShape::kDefaultIID, kShapeImpl}});
    model.AddToClass(kPageBoss, {{IGeometry::kDefaultIID, kGeometryImpl},
                                 {IHierarchy::kDefaultIID, kHierarchyImpl}});
    AddItemFacets(kFrameItemBoss);
    AddItemFacets(kGroupItemBoss);
    model.AddToClass(kDocumentLayerBoss, {{IDocumentLayer::kDefaultIID, kDocumentLayerImpl},
                                          {ISpreadLayer::kDefaultIID, kSpreadLayerImpl}});
    model.AddToClass(kLayoutViewBoss, {{ILayoutControlData::kDefaultIID, kLayoutControlDataImpl}});
    model.AddToClass(kUtilsBoss, {{IGeometryUtils::kDefaultIID, kGeometryUtilsImpl}});
    model.AddToClass(kMarginCmdBoss, {{ICommand::kDefaultIID, kMarginCmdImpl},
                                      {IMarginData::kDefaultIID, kMarginDataImpl}});
    model.AddToClass(kDeleteCmdBoss, {{ICommand::kDefaultIID, kDeleteCmdImpl}});
    model.AddToClass(kSetBoundsCmdBoss, {{ICommand::kDefaultIID, kSetBoundsCmdImpl}});
}

void AddItemFacets(ClassID cls) {
    ObjectModel::Instance().AddToClass(cls, {{IGeometry::kDefaultIID, kGeometryImpl},
                                             {IHierarchy::kDefaultIID, kHierarchyImpl},
                                             {IShape::kDefaultIID, kShapeImpl}});
}

std::unique_ptr<IPMUnknown> NewMasterSpreadListFacet(IPMUnknown* documentBoss) {
    return std::make_unique<SpreadList<true>>(documentBoss);
}

std::unique_ptr<IPMUnknown> NewPageSetupPrefsFacet(IPMUnknown* workspaceBoss) {
    return std::make_unique<PageSetupPrefs>(workspaceBoss);
}

std::unique_ptr<IPMUnknown> NewValuePairPrefsFacet(IPMUnknown* workspaceBoss) {
    return std::make_unique<ValuePairPrefs>(workspaceBoss);
}

std::unique_ptr<IPMUnknown> NewGuideFacet(IPMUnknown* itemBoss) {
    return std::make_unique<GuideFacet>(itemBoss);
}

std::unique_ptr<IPMUnknown> NewMasterSpreadFacet(IPMUnknown* spreadBoss) {
    return std::make_unique<MasterSpread>(spreadBoss);
}

} // namespace host

PMMatrix InnerToPasteboardMatrix(const IGeometry* geometry) {
    const UIDRef ref = GetUIDRef(geometry);
    const host::Document* document = host::DocumentOf(ref.GetDataBase());
    if (!document)
        return {};
    const host::Layout& layout = document->layout;
    const std::optional<host::Layout::Named> named = layout.Name(ref.GetUID());
    if (!named)
        return {};
    PMMatrix matrix;
    if (named->item)
        matrix = named->item->matrix;
    const PMPoint offset = layout.spreadData.at(named->spread).offset;
    matrix.Translate(offset.X(), offset.Y());
    return matrix;
}

void TransformPasteboardRectToInner(const IPMUnknown* object, PMRect* rect) {
    InterfacePtr<IGeometry> geometry(object, UseDefaultIID{});
    if (!geometry)
        return;
    const PMMatrix m = InnerToPasteboardMatrix(geometry.get());
    const PMReal det = m[0] * m[3] - m[1] * m[2];
    if (det == 0)
        return;
    const PMMatrix inverse(m[3] / det, -m[1] / det, -m[2] / det, m[0] / det,
                           (m[2] * m[5] - m[3] * m[4]) / det, (m[1] * m[4] - m[0] * m[5]) / det);
    *rect = inverse.TransformBounds(*rect);
}

IPMUnknown* QueryPreferences(PMIID iid, const IDocument* document) {
    if (!document)
        return nullptr;
    const UIDRef workspace = document->GetDocWorkSpace();
    return workspace.GetDataBase() ? workspace.GetDataBase()->Instantiate(workspace.GetUID(), iid)
                                   : nullptr;
}
