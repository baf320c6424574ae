// The stand-in's model of a document's layout (host/sdk/Layout.h): its spreads, pages, layers,
// items, stories, sections and view. The layout lives in host::Document::layout; the facets are
// views of it. Every change goes through the functions below and is journaled, so rollback and
// undo restore it exactly.
#pragma once

#include "host/sdk/Layout.h"
#include "host/standin/Flattener.h"
#include "host/standin/PlacedGraphics.h"
#include "host/standin/Text.h"
#include "host/standin/Transparency.h"
#include "host/standin/UIDMap.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace host {

inline constexpr ClassID kSpreadBoss{0xF03001};
inline constexpr ClassID kPageBoss{0xF03002};
inline constexpr ClassID kDocumentLayerBoss{0xF03003};
inline constexpr ClassID kLayoutViewBoss{0xF03004};
// The classes a description's items and groups get when it names none.
inline constexpr ClassID kFrameItemBoss{0xF03005};
inline constexpr ClassID kGroupItemBoss{0xF03006};
// The class a description's guides get when it names none.
inline constexpr ClassID kGuideItemBoss{0xB667};

struct Sides {
    PMReal left = 0;
    PMReal top = 0;
    PMReal right = 0;
    PMReal bottom = 0;
    bool operator==(const Sides&) const = default;
};

struct Page {
    UID spread;
    PMReal width = 0;
    PMReal height = 0;
    Sides margins;
};

struct Spread {
    PMPoint offset;
    std::vector<UID> pages;
    std::vector<UID> items; // the items directly on the spread, back to front
    // The pasteboard's bounds in spread coordinates when set; else the spread's bounds are its
    // row of pages.
    std::optional<PMRect> pasteboard;
    // The spread's own flattener settings (interface 0x10812), when it has any.
    std::optional<FlattenerSettings> flattener;
};

// A ruler guide across its spread: horizontal at y = position, or vertical at x = position, in
// spread coordinates; the index tells kinds of guides apart.
struct Guide {
    bool horizontal = false;
    PMReal position = 0;
    std::int32_t index = 0;
    bool operator==(const Guide&) const = default;
};

struct Item {
    ClassID cls;
    UID spread;
    UID layer;
    UID parent;             // the group that holds the item; kInvalidUID on the spread
    std::vector<UID> items; // a group's members, back to front; empty for other items
    bool group = false;
    bool transparent = false; // what the transparency tester answers for the item
    PMRect bounds;            // inner bounds (not for groups)
    PMMatrix matrix;          // inner to spread coordinates (not for groups)
    PMReal stroke = 0;        // stroke weight
    // A guide has no bounds of its own: it is the line across the spread's bounds (empty).
    std::optional<Guide> guide;
    std::vector<std::string> fonts;     // the fonts the item uses (UTF-8), for interface 0x2502
    std::optional<TextFrame> textFrame; // interfaces 0xCA12 and 0xCA13
    std::optional<TransparencyAttributes> transparency; // interface 0x6E03
    std::optional<PlacedContent> placed;                // host/standin/PlacedGraphics.h
    std::string tests; // the item-list tests that hold for the item (host/sdk/Transform.h)
};

struct Layer {
    std::string name; // UTF-8
    bool locked = false;
    bool visible = true;
    bool printable = true;
};

struct Section {
    std::string name; // UTF-8
    UID start;
    std::int32_t count = 0;
    ClassID style;
};

struct PageSetup {
    Sides bleed;
    bool flag = false;
    std::int32_t value = 0;
    bool switchOn = false;
};

struct View {
    UID spread;
    UID page;
};

struct Layout {
    std::vector<UID> spreads;                      // the 0x501 list
    std::optional<std::vector<UID>> masterSpreads; // the 0x1401 list, when the document has one
    UIDMap<Spread> spreadData;                     // of both lists
    UIDMap<Page> pages;
    UIDMap<Item> items;
    UIDMap<Story> stories; // added with AddStory
    std::vector<UID> layers;
    std::map<UID, Layer> layerData;
    std::vector<Section> sections;
    std::optional<PageSetup> pageSetup;
    std::optional<std::pair<PMReal, PMReal>> valuePair;
    std::optional<View> view;
    std::optional<std::int32_t> blendSpace; // when the description gives one (interface 0x1080C)

    // The pages of the 0x501 spreads, in order.
    std::vector<UID> PageList() const;
    // The same without building the list: the number of pages, the page at an index
    // (kInvalidUID outside the list) and a page's index (nothing for other objects).
    std::size_t PageCount() const;
    UID NthPage(std::size_t index) const;
    std::optional<std::size_t> PageIndex(UID page) const;
    // A page's rectangle in its spread's coordinates.
    PMRect PageRect(UID page) const;
    // A spread's bounds in its own coordinates.
    PMRect SpreadBounds(UID spread) const;
    // The bounds of a spread, page or item in spread coordinates; nothing for anything else.
    std::optional<PMRect> SpreadCoordinateBounds(UID uid, std::int32_t kind) const;
    // The same moved by the spread's offset: in pasteboard coordinates.
    std::optional<PMRect> PasteboardBounds(UID uid, std::int32_t kind) const;
    // The spread that holds the object; kInvalidUID for anything else.
    UID SpreadOf(UID uid) const;
    // What `uid` names, found in the order spreads, pages, items (as the three above look): the
    // spread that holds it (itself for a spread) and its page's or item's data; nothing for
    // anything else.
    struct Named {
        UID spread;
        const Page* page = nullptr;
        const Item* item = nullptr;
    };
    std::optional<Named> Name(UID uid) const;

    // Adds the story and notes which story its frame list and each of its frames belong to (a
    // frame list and a text frame belong to one story at most).
    void AddStory(UID uid, Story story);
    // The story whose frame list is `frameList`, and the story that threads the text frame
    // `frame`; {kInvalidUID, null} when there is none.
    std::pair<UID, Story*> StoryOfFrameList(UID frameList);
    std::pair<UID, const Story*> StoryOfFrame(UID frame) const;

private:
    // The page list with each page's index, as it was when it was made: it is made again when
    // spreads or pages have been added or taken away since (the layout only ever adds spreads
    // at the end and pages with their spread; undo takes them away again).
    struct PageOrder {
        std::size_t spreadCount = 0;
        UID lastSpread = kInvalidUID;
        std::size_t pageObjects = 0;
        std::vector<UID> pages;
        std::map<UID, std::size_t> index;
    };
    const PageOrder& Pages() const;
    // SpreadCoordinateBounds of what Name found for `uid`.
    PMRect BoundsOf(UID uid, const Named& named, std::int32_t kind) const;

    UIDMap<UID> m_storyOfFrameList;
    UIDMap<UID> m_storyOfFrame;
    mutable std::optional<PageOrder> m_pageOrder;
};

struct Document;

// The document whose database holds the object, or null.
Document* DocumentOf(const IDataBase* db);

// Journaled changes of the layout.
void SetPageMargins(Document& document, UID page, const Sides& margins);
void SetPageSize(Document& document, UID page, PMReal width, PMReal height);
void SetValuePair(Document& document, PMReal first, PMReal second);
void SetItemMatrix(Document& document, UID item, const PMMatrix& matrix);
void SetPasteboard(Document& document, UID spread, const PMRect& pasteboard);

// Takes the page items out of the document, each with its members (journaled). UIDs that are
// already gone are passed over.
void DeleteItems(Document& document, const std::vector<UID>& items);

// Registers the layout's classes, the geometry utilities, the margin command and the delete
// command (part of host::Reset).
void RegisterLayoutClasses();

// Gives the class the facets of a page item (geometry, hierarchy, shape).
void AddItemFacets(ClassID cls);
// The facets a description attaches when it gives their data: the document's list 0x1401, the
// workspace's page-setup preferences and value pair, a guide's 0x3301, a master spread's 0x1402.
std::unique_ptr<IPMUnknown> NewMasterSpreadListFacet(IPMUnknown* documentBoss);
std::unique_ptr<IPMUnknown> NewPageSetupPrefsFacet(IPMUnknown* workspaceBoss);
std::unique_ptr<IPMUnknown> NewValuePairPrefsFacet(IPMUnknown* workspaceBoss);
std::unique_ptr<IPMUnknown> NewGuideFacet(IPMUnknown* itemBoss);
std::unique_ptr<IPMUnknown> NewMasterSpreadFacet(IPMUnknown* spreadBoss);

} // namespace host
