// The layout of a document: spreads of pages, layers, page items and their geometry, sections,
// the page-setup preferences and the front layout view, with the host interfaces that show them.
//
// Coordinates. Each spread has coordinates of its own (points, y down); the pasteboard
// coordinates of a point are its spread coordinates plus the spread's offset point. A spread's
// pages lie in a row from the spread's origin to the right, tops at y = 0, each as wide and as
// high as its size: resizing a page moves the pages after it and leaves the items where they
// are. A page item has inner bounds and a matrix from inner to spread coordinates; a group has
// no geometry of its own: its bounds are those of its members.
//
// Every change of the layout is journaled, so rollback and undo restore it exactly (the stand-in's
// model of it: host/standin/Layout.h).
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"

#include <cstdint>
#include <vector>

class IDocument;

// The pages of a document, spread by spread (the spreads of the 0x501 list).
class IPageList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x52C};

    virtual std::int32_t GetPageCount() const = 0; // 4th operation
    // kInvalidUID outside the list.
    virtual UID GetNthPageUID(std::int32_t index) const = 0; // 5th operation
    // -1 for a page that is not in the list.
    virtual std::int32_t GetPageIndex(UID page) const = 0; // 6th operation
};

// A list of spreads: the document's spreads (0x501) or, when the document has one, the list
// 0x1401 of spreads whose pages are not in the page list (master spreads).
class ISpreadList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x501};

    virtual std::int32_t GetSpreadCount() const = 0;
    // kInvalidUID outside the list.
    virtual UID GetNthSpreadUID(std::int32_t index) const = 0;
};
inline constexpr PMIID IID_IMASTERSPREADLIST{0x1401};

// What the spread's item walk calls for each item it reaches; false ends the walk.
class ItemManipulator {
public:
    virtual ~ItemManipulator() = default;
    virtual bool ManipulateItem(IPMUnknown* item) = 0;
};

// Which layers the spread's item walk passes over: true skips the layer. The layer is the
// document layer's object, which the stand-in also uses as the layer's part of every spread.
class LayerMask {
public:
    virtual ~LayerMask() = default;
    virtual bool IsMasked(IPMUnknown* layer) const = 0;
};

class ISpreadLayer;
class IDocumentLayer;
class IGeometry;

class ISpread : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x502};

    // The spread's part of the document layer, with a new reference; null for a layer that is
    // not of the spread's document. The stand-in's part is the document layer's object for every
    // position and kind the caller asks for.
    virtual ISpreadLayer* QueryLayer(const IDocumentLayer* layer, std::int32_t position,
                                     bool guides) const = 0; // 4th operation
    // The geometry of the spread's page at the index, with a new reference; null outside its
    // pages.
    virtual IGeometry* QueryNthPageGeometry(std::int32_t index) const = 0; // 10th operation
    virtual std::int32_t GetNumPages() const = 0;
    // kInvalidUID outside the spread's pages.
    virtual UID GetNthPageUID(std::int32_t index) const = 0; // 11th operation
    // For each layer of the document's layer list in order that the mask does not skip, the
    // items directly on the spread (not the members of groups) that lie on that layer, back to
    // front.
    virtual void WalkItems(ItemManipulator& manipulator, const LayerMask& mask) const = 0; // 14th
    // The bounding box of the spread's pages (0, 0, 0, 0 without pages) in the space: pasteboard
    // coordinates for every kind, then the matrix.
    virtual PMRect GetPagesBounds(std::int32_t kind, const PMMatrix& matrix) const = 0; // 15th
    // Pasteboard coordinates = spread coordinates + this point.
    virtual PMPoint GetOffsetPoint() const = 0; // 17th operation
};

// A master spread (interface 0x1402): the spreads of the list 0x1401 have it. Only its presence
// is used.
class IMasterSpread : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1402};
};

// The drawable side of a spread or a page item (interface 0x16CA): the object an item walk
// starts from, and what the transparency tester is asked about. Only its presence is used.
class IShape : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x16CA};
};

// The geometry of a spread, a page or a page item, in its inner coordinates (spread
// coordinates for spreads, pages and groups).
class IGeometry : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x16C8};

    virtual PMRect GetBoundingBox() const = 0; // 4th operation
    // The bounding box of the inner bounds under the matrix.
    virtual PMRect GetBoundingBox(const PMMatrix& matrix) const = 0; // 5th operation
};

// The matrix from the object's inner coordinates to pasteboard coordinates.
PMMatrix InnerToPasteboardMatrix(const IGeometry* geometry);
// The rectangle from pasteboard coordinates to the inner coordinates of the object's geometry:
// the bounding box of its corners under the inverse of InnerToPasteboardMatrix. Unchanged for
// an object without geometry or a matrix that cannot be inverted.
void TransformPasteboardRectToInner(const IPMUnknown* object, PMRect* rect);

// Where an object sits: the spread that holds it (a spread holds itself).
class IHierarchy : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2C04};

    // The object that holds this one, with a new reference: a group's member its group, an item
    // directly on a spread the spread; null for spreads, pages and anything else.
    virtual IHierarchy* QueryParent() const = 0; // 8th operation
    virtual UID GetSpreadUID() const = 0;        // 22nd operation
};

class IDocumentLayer : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x302};

    virtual PMString GetName() const = 0; // 4th operation
    virtual bool IsLocked() const = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsPrintable() const = 0; // 11th operation
};

// A layer as a spread shows it (interface 0x303, on the document layer's object).
class ISpreadLayer : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x303};

    virtual bool IsVisible() const = 0; // 12th operation
};

// A guide (interface 0x3301): an item that the description gives as a guide has it. Only its
// presence is used.
class IGuide : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x3301};
};

// The document's layers in order; entry 0 is a layer like the others.
class ILayerList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x301};

    virtual std::int32_t GetCount() const = 0;
    // The layer at the index with a new reference; null outside the list.
    virtual IDocumentLayer* QueryLayer(std::int32_t index) const = 0;
    // The first layer of that name; kInvalidUID when none.
    virtual UID FindByName(const PMString& name) const = 0;
};

// The document's sections: runs of pages of the page list with a name and a numbering style.
class ISectionList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF03000};

    virtual std::int32_t GetSectionCount() const = 0;
    virtual PMString GetName(std::int32_t index) const = 0;
    // The number its first page carries. The stand-in's sections continue the numbering of the
    // document: the first page's position in the page list, counted from 1 (0 outside the list).
    virtual std::int32_t GetStartPageNumber(std::int32_t index) const = 0;
    virtual std::int32_t GetPageCount(std::int32_t index) const = 0;
    // The class of the section's page-numbering style.
    virtual ClassID GetNumberingStyle(std::int32_t index) const = 0;
};

// The page-setup preferences (on the document's workspace, when the document has them). The
// document's bleed comes as a rectangle whose left, top, right and bottom hold the top, left,
// bottom and right bleed. The flag, value and switch are handed on by the document setup.
class IPageSetupPrefs : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x515};

    virtual bool GetFlag() const = 0;            // 18th operation
    virtual PMRect GetDocumentBleed() const = 0; // 26th operation
    virtual std::int32_t GetValue() const = 0;   // 30th operation
    virtual bool GetSwitch() const = 0;          // 32nd operation
};

// Two document-wide values (on the document's workspace, when the document has them); the
// export raises them before it changes the page size.
class IValuePairPrefs : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x549};

    virtual void SetValues(PMReal first, PMReal second) = 0; // journaled
    virtual PMReal GetFirst() const = 0;
    virtual PMReal GetSecond() const = 0;
};

// The document-wide preferences of the interface, from the document's workspace, with a new
// reference; null when the document has none.
IPMUnknown* QueryPreferences(PMIID iid, const IDocument* document);
template <typename I>
I* QueryPreferences(const IDocument* document) {
    return static_cast<I*>(QueryPreferences(I::kDefaultIID, document));
}

// What a layout view shows: a spread and its current page.
class ILayoutControlData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1D00C};

    virtual IDocument* GetDocument() const = 0; // no new reference
    virtual UIDRef GetSpreadRef() const = 0;    // 24th operation
    virtual UID GetPage() const = 0;
};

// A coordinate space of a geometry request: a kind and a matrix. The stand-in answers in
// pasteboard coordinates for every kind and then applies the matrix.
struct CoordinateSpace {
    std::int32_t kind = 0;
    PMMatrix matrix;
};

// Bounds kinds of the geometry utilities: the outer edge of the stroke (the path grown by half
// the stroke weight) or the path alone.
enum BoundsKind : std::int32_t { kOuterStrokeBounds = 0, kPathBounds = 1 };

// The host's geometry utilities (utility interface 0x2C5A).
class IGeometryUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2C5A};

    // New bounds for the items, one rectangle each, through the host's set-bounds command
    // (class 0xF0D011): the command's result. The stand-in sets the bounds of spreads only: the
    // rectangle, in pasteboard coordinates for every kind, becomes the spread's pasteboard. An
    // item that is no spread, a count that differs or a matrix other than the identity fails the
    // command with kFailure, and nothing changes.
    [[nodiscard]] virtual ErrorCode SetItemsBounds(const UIDList& items,
                                                   const CoordinateSpace& space, std::int32_t kind,
                                                   const std::vector<PMRect>& bounds) = 0; // 16th

    // The bounds of the spread, page or item; (0, 0, 0, 0) for anything else.
    virtual PMRect GetItemBounds(const UIDRef& item, const CoordinateSpace& space,
                                 std::int32_t kind) const = 0; // 17th operation
    // The union of the items' bounds; (0, 0, 0, 0) for an empty list.
    virtual PMRect GetItemsBounds(const UIDList& items, const CoordinateSpace& space,
                                  std::int32_t kind) const = 0; // 18th operation
};

// The data of the margin command (class 0x50C): the margins it gives every page of its item
// list. Items that are not pages are left alone.
class IMarginData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x510};

    virtual void SetMargins(PMReal left, PMReal top, PMReal right, PMReal bottom, bool flag) = 0;
};
inline constexpr ClassID kMarginCmdBoss{0x50C};

// The delete-page-items command (class 0xF02): deletes the page items of its item list, each
// with its members; an empty list deletes nothing and succeeds. A UID that names no page item
// of the list's document fails the command with kFailure and nothing is deleted.
inline constexpr ClassID kDeleteCmdBoss{0xF02};
// The command behind IGeometryUtils::SetItemsBounds.
inline constexpr ClassID kSetBoundsCmdBoss{0xF0D011};
