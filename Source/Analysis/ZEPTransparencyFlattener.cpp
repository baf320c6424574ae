#include "Analysis/ZEPTransparencyFlattener.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Command.h"
#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Session.h"
#include "model/BPageSet.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

// The style's settings, in the order the host's setters take them.
constexpr PMReal kFirstValue = 1.0;
constexpr std::uint32_t kOptions = 144;
constexpr PMReal kSecondValue = 300.0;
constexpr PMReal kThirdValue = 1200.0;

constexpr std::int32_t kRGBBlendSpace = 2;
constexpr std::int32_t kCMYKBlendSpace = 3;

// The options' bit 0: text is converted to outlines when flattened.
constexpr std::uint32_t kOutlineText = 1;

void SetOptions(BTransparencyFlattener& record, std::uint32_t options) {
    for (std::size_t bit = 0; bit < record.options.size(); ++bit)
        record.options[bit] = ((options >> bit) & 1) != 0;
}

// What applies on the page being analysed. The first page may give no spread, so it starts
// from the document's values.
struct PageState {
    bool enabled;
    std::uint32_t options;
    std::uint32_t valueMask = 0;
    std::uint32_t optionMask = 0;
    bool outlinedText;
    std::vector<PMRect> rectangles; // of the transparent items met on the page
    PMRect unionRect;
    bool hasTransparency = false;
    bool flattened = false;
};

class SpreadTransparencyAnalysis {
public:
    SpreadTransparencyAnalysis(const IFlattenerSettings& style, std::int32_t blendSpace,
                               const ZEPPageItemInfoList::Records& items, BPageSet& pageSet)
        : m_documentEnabled(style.GetFlatteningOn()), m_documentOptions(style.GetOptions()),
          m_blendSpace(blendSpace), m_items(items),
          m_pageSet(pageSet), m_page{m_documentEnabled,
                                     m_documentOptions,
                                     0,
                                     0,
                                     (m_documentOptions & kOutlineText) != 0,
                                     {},
                                     PMRect(),
                                     false,
                                     false} {}

    // Walks the items backwards, so a text frame is tested against the transparent items that
    // follow it on its page.
    void Run() {
        std::int64_t currentPage = -2;
        for (std::size_t i = m_items.size(); i-- > 0;) {
            ZEPPageItemInfo* thePageItemInfo = m_items[i].get();
            ThrowIfNull(thePageItemInfo, "thePageItemInfo");
            if (thePageItemInfo->GetPageNumber() != currentPage) {
                currentPage = thePageItemInfo->GetPageNumber();
                StartPage(i);
            }
            if (m_page.enabled)
                AnalyseItem(*thePageItemInfo);
        }
    }

private:
    // The page of the item at `last`, the page's last item in collection order.
    void StartPage(std::size_t last) {
        const ZEPPageItemInfo& item = *m_items[last];
        auto record = std::make_shared<BTransparencyFlattener>();
        record->page = static_cast<std::int32_t>(item.GetPageNumber());
        record->enabled = false;
        m_pageSet.pageFlatteners.push_back(record);
        InterfacePtr<IHierarchy> hierarchy(item.GetItemRef(), UseDefaultIID{});
        if (hierarchy)
            ApplySpread(UIDRef(item.GetItemRef().GetDataBase(), hierarchy->GetSpreadUID()),
                        *record);
        ZEPPageItemInfo* target = ScanPage(last, item.GetPageNumber());
        if (m_page.hasTransparency && target)
            TagPage(*target);
        m_page.flattened = m_page.hasTransparency && m_page.enabled;
    }

    void ApplySpread(const UIDRef& spread, BTransparencyFlattener& record) {
        m_page.rectangles.clear();
        m_page.unionRect = PMRect();
        m_page.hasTransparency = false;
        InterfacePtr<ISpread> iSpread(spread, UseDefaultIID{});
        ThrowIfNull(iSpread, "iSpread");
        m_page.enabled = m_documentEnabled;
        m_page.options = m_documentOptions;
        m_page.valueMask = 0;
        m_page.optionMask = 0;
        InterfacePtr<IFlattenerSettings> settings(iSpread, UseDefaultIID{});
        if (settings) {
            m_page.valueMask = settings->GetValueMask();
            m_page.optionMask = settings->GetOptionMask();
            if (m_page.valueMask & 1)
                m_page.enabled = settings->GetFlatteningOn();
            MergeFlattenerSettings(settings.get(), m_pageSet.documentFlattener, record);
            record.enabled = m_page.enabled;
            if (m_page.optionMask != 0)
                m_page.options = (m_documentOptions & ~m_page.optionMask) |
                                 (settings->GetOptions() & m_page.optionMask);
        }
        m_page.outlinedText = (m_page.options & kOutlineText) != 0;
    }

    // The page's records from `last` towards the first: notes transparency on any of them and
    // gives the page's first record (its own).
    ZEPPageItemInfo* ScanPage(std::size_t last, std::uint32_t page) {
        ZEPPageItemInfo* target = nullptr;
        for (std::size_t j = last + 1; j-- > 0;) {
            ZEPPageItemInfo* item = m_items[j].get();
            if (!item || !item->GetPageItem())
                continue;
            if (item->GetPageNumber() != page)
                break;
            target = item;
            m_page.hasTransparency = m_page.hasTransparency || item->IsTransparencyRecorded();
        }
        return target;
    }

    void TagPage(ZEPPageItemInfo& target) const {
        if (m_page.valueMask == 0 && m_page.optionMask == 0)
            target.SetFlattenedByGlobalFlattener();
        else if (!m_page.enabled)
            target.SetTransparencyDisabledOnPage();
        else
            target.SetFlattenedBySpreadFlattener();
        if (m_blendSpace == kRGBBlendSpace)
            target.SetBlendSpaceRGB();
        else if (m_blendSpace == kCMYKBlendSpace)
            target.SetBlendSpaceCMYK();
    }

    void AnalyseItem(ZEPPageItemInfo& item) {
        if (item.IsTextItem()) {
            const bool touched =
                m_page.outlinedText
                    ? m_page.flattened
                    : TextFrameOverlapsTransparency(item, m_page.rectangles, m_page.unionRect);
            if (touched)
                item.SetTextFrameTransparency(m_page.outlinedText);
        }
        if (item.IsTransparencyRecorded()) {
            const PMRect& bounds = item.GetPasteboardBounds();
            if (m_page.rectangles.empty())
                m_page.unionRect = bounds;
            else
                m_page.unionRect.Union(bounds);
            m_page.rectangles.push_back(bounds);
        }
    }

    const bool m_documentEnabled;
    const std::uint32_t m_documentOptions;
    const std::int32_t m_blendSpace;
    const ZEPPageItemInfoList::Records& m_items;
    BPageSet& m_pageSet;
    PageState m_page;
};

} // namespace

PMString GetFlattenerStyleName() {
    return PMString("0x52E00kStringZEPFlattenerStyleKey", PMString::kNoTranslate);
}

bool FindFlattenerStyle(const PMString& name, UIDRef& style) {
    ISession* session = GetExecutionContextSession();
    InterfacePtr<IPMUnknown> iSessionWorkspace(session ? session->QueryWorkspace() : nullptr);
    ThrowIfNull(iSessionWorkspace, "iSessionWorkspace");
    InterfacePtr<IFlattenerStyleListMgr> iFlattenerStyleListMgr(iSessionWorkspace, UseDefaultIID{});
    ThrowIfNull(iFlattenerStyleListMgr, "iFlattenerStyleListMgr");
    const std::int32_t index = iFlattenerStyleListMgr->GetStyleIndexByName(name);
    if (index >= 0 && index < iFlattenerStyleListMgr->GetNumStyles()) {
        style = iFlattenerStyleListMgr->GetNthStyleRef(index);
        if (style.GetDataBase() && style.GetUID() != kInvalidUID)
            return true;
    }
    style = UIDRef();
    return false;
}

UIDRef AddFlattenerStyle() {
    InterfacePtr<ICommand> theAddFlattenerStyleCmd(
        CmdUtils::CreateCommand(kAddFlattenerStyleCmdBoss));
    ThrowIfNull(theAddFlattenerStyleCmd, "theAddFlattenerStyleCmd");
    InterfacePtr<IExportStyleCmdData> iExportStyleCmdData(theAddFlattenerStyleCmd, UseDefaultIID{});
    ThrowIfNull(iExportStyleCmdData, "iExportStyleCmdData");
    iExportStyleCmdData->SetName(GetFlattenerStyleName());
    InterfacePtr<IFlattenerSettings> iFlattenerSettings(theAddFlattenerStyleCmd, UseDefaultIID{});
    ThrowIfNull(iFlattenerSettings, "iFlattenerSettings");
    iFlattenerSettings->SetValue(0, kFirstValue);
    iFlattenerSettings->SetOptions(kOptions);
    iFlattenerSettings->SetValue(1, kSecondValue);
    iFlattenerSettings->SetValue(2, kThirdValue);
    ThrowIfError(CmdUtils::ProcessCommand(theAddFlattenerStyleCmd.get()));
    const UIDList* items = theAddFlattenerStyleCmd->GetItemList();
    if (!items || items->IsEmpty())
        ThrowZEPException("(theAddFlattenerStyleCmd->GetItemList()) == NULL", 0x52E1E);
    return items->GetRef(0);
}

UIDRef GetOrCreateFlattenerStyle() {
    UIDRef style;
    if (!FindFlattenerStyle(GetFlattenerStyleName(), style))
        style = AddFlattenerStyle();
    return style;
}

void ReadFlattenerSettings(const IFlattenerSettings* settings, BTransparencyFlattener& record) {
    record.values[0] = settings->GetValue(0);
    record.enabled = settings->GetFlatteningOn();
    for (std::int32_t i = 1; i < 5; ++i)
        record.values[static_cast<std::size_t>(i)] = settings->GetValue(i);
    SetOptions(record, settings->GetOptions());
}

void MergeFlattenerSettings(const IFlattenerSettings* spread, const BTransparencyFlattener& base,
                            BTransparencyFlattener& out) {
    const std::uint32_t valueMask = spread->GetValueMask();
    out.enabled = (valueMask & 1) ? spread->GetFlatteningOn() : base.enabled;
    if (spread->GetOptionMask() != 0)
        SetOptions(out, spread->GetOptions());
    for (std::int32_t i = 0; i < 5; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        out.values[slot] = (valueMask & (2u << i)) ? spread->GetValue(i) : base.values[slot];
    }
}

void AnalyseSpreadTransparency(IDocument* document, const UIDRef& style,
                               const ZEPPageItemInfoList::Records& items, BPageSet& pageSet) {
    InterfacePtr<IFlattenerSettings> theExportFlattenerSettings(style, UseDefaultIID{});
    ThrowIfNull(theExportFlattenerSettings, "theExportFlattenerSettings");
    ReadFlattenerSettings(theExportFlattenerSettings.get(), pageSet.documentFlattener);
    InterfacePtr<ITransparencyPrefs> iXPPreferences(
        document ? document->GetDocWorkSpace() : UIDRef(), UseDefaultIID{});
    ThrowIfNull(iXPPreferences, "iXPPreferences");
    const std::int32_t blendSpace = iXPPreferences->GetBlendSpace();
    // An empty entry, which the page-item file passes over.
    pageSet.pageFlatteners.push_back(nullptr);
    SpreadTransparencyAnalysis(*theExportFlattenerSettings, blendSpace, items, pageSet).Run();
}

bool TextFrameOverlapsTransparency(const ZEPPageItemInfo& item,
                                   const std::vector<PMRect>& rectangles, const PMRect& unionRect) {
    if (item.IsTransparencyOnObject())
        return true;
    if (rectangles.empty() || unionRect.IsEmpty())
        return false;
    const PMRect& bounds = item.GetPasteboardBounds();
    if (!Intersect(bounds, unionRect))
        return false;
    return std::any_of(rectangles.begin(), rectangles.end(),
                       [&bounds](const PMRect& rect) { return Intersect(bounds, rect); });
}
