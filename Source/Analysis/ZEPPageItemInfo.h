// The analysis record of one page item, or of a page itself, during an export: the job-model
// record into which the check tags go (created when an analysis or a tag setter first needs it),
// the text runs of a text item, the item's bounds and page, its colour and font summaries, and
// one flag per tag already recorded, so that each tag is recorded at most once.
//
// The analyses are virtual operations; each lives in a file of its own beside this one.
#pragma once

#include "Analysis/ZEPFontLookup.h"
#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"
#include "model/BPageItem.h"
#include "utils/FilePath.h"
#include "utils/ustring.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class BJobFile;
class IColorObject;
class ITextModel;
class ZEPAnalysisRun;

// The colour summary of an item: three option bytes, then whether a colour of each kind was
// found (flags are only ever set).
struct ItemStateFlags {
    std::array<std::uint8_t, 3> options{};
    bool rgb = false;
    bool grayscale = false;
    bool cmyk = false;
    bool lab = false;
    bool spots = false;
};

class ZEPPageItemInfo {
public:
    // An empty record, as Reset leaves it, made for the item `owner` (kept, not owned; null for
    // a page's own record).
    explicit ZEPPageItemInfo(IPMUnknown* owner = nullptr) : m_owner(owner) {}
    virtual ~ZEPPageItemInfo() = default;
    ZEPPageItemInfo(const ZEPPageItemInfo&) = delete;
    ZEPPageItemInfo& operator=(const ZEPPageItemInfo&) = delete;

    // Analyses the item found on the page with the 1-based document page number `page`, whose
    // bounds are `pageBounds` (pasteboard coordinates), in the export's run (its job, its change
    // of the file system and what it looked up already): SetItem, the page's position in the
    // job's absolute page runs, the job's "PlacedImages" folder (the run's, made when missing at
    // its first item), Analyse, a plain record when the analyses found text runs but made no
    // record (the runs of a table's cells in a frame that is no text item), AnalyseGeometry and
    // ColorSpaceFlagsToTags; a record made on the way gets the page number. The context (the
    // export's document) is not used, nor is whether the item is the export's reference item (the
    // one selected item of a selection export).
    virtual void Init(IPMUnknown* context, IPMUnknown* item, const PMRect& pageBounds,
                      ZEPAnalysisRun& run, std::int32_t page, bool isReferenceItem);
    // Init of an item without context that is not the reference item.
    void Init(IPMUnknown* item, const PMRect& pageBounds, ZEPAnalysisRun& run, std::int32_t page) {
        Init(nullptr, item, pageBounds, run, page, false);
    }
    // Reset, then keeps the item's reference and class; the page and whether the item is the
    // reference item are not used. An item that is not stored throws 0x52E1F "!(mPageItemRef)".
    virtual void SetItem(IPMUnknown* item, std::int32_t page, bool isReferenceItem);
    // SetItem of an item on no page that is not the reference item.
    void SetItem(IPMUnknown* item) { SetItem(item, 0, false); }
    // The record of a page itself (the item is the page's geometry): a plain record with the
    // page's matrix and its position in the job's absolute page runs, kept here too.
    virtual void InitWithoutAnalysis(IPMUnknown* item, const PMRect& pageBounds,
                                     const BJobFile& job, std::int32_t page);
    // Adds a "PlacedGraphicIs..." tag for each colour kind of the summary (nothing without a
    // record).
    virtual void ColorSpaceFlagsToTags();
    // Hooks that do nothing.
    virtual void BoolHook5(bool value);
    virtual void BoolHook6(bool value);
    // Runs the analyses in their fixed order; those that only apply to items other than text
    // items run when AnalyseTextOverflow found no text item.
    virtual void Analyse(IPMUnknown* item);
    // Tells OnVisibleText of the characters [start, start + length) of the text model, run by
    // run of its attributes (the compose scanner's): once per run that holds a character the
    // composer does not ignore as a control character (NUL, 7 to 10, 13, 22 to 26) and that is
    // not the object replacement character U+FFFC, with the run's attributes. The scan ends at
    // the end of the range and at a position that no run holds; without a compose scanner it
    // does nothing.
    virtual void ScanText(ITextModel* textModel, std::int32_t start, std::int32_t length);
    // Makes a text-run record for each composed run of the text model's characters
    // [start, start + length) that shows a character other than white space, tagged with its
    // font's status and type, and appends it to the text runs. The walk goes line by line from
    // the line that holds `start` until the lines' characters reach `length`.
    virtual void CollectTextRuns(ITextModel* textModel, std::int32_t start, std::int32_t length);
    // Told of each run of a table's text that shows a visible character; does nothing.
    virtual void OnVisibleText(IPMUnknown* object);
    // Records the kinds of the colour and of the colours it is made of in the colour summary;
    // the tint and the stroke flag are not used.
    virtual void CollectInks(IColorObject* color, PMReal tint, bool stroke);
    // Records how text in a frame is affected by transparency around it, once.
    virtual void SetTextFrameTransparency(bool willBeOutlined);

    // The tag setters: each records its tag once, creating a plain record when there is none
    // (SetPlacedPDFHasTransparency: placed content).
    virtual void SetSoftMaskUsedOnImage();
    // Marks the item transparent without the tag "TransparencyAppliedToObject", which it then
    // never gets.
    virtual void SetFeatherTransparency();
    virtual void SetDropShadowTransparency();
    virtual void SetBlendModeTransparency();
    virtual void SetOpacityTransparency();
    // "TransparencyAppliedToObject", and "TransparencyAppliedToTextFrame" for a text item.
    virtual void SetTransparencyAppliedToObject();
    virtual void SetPlacedPDFHasTransparency();
    virtual void SetBlendSpaceRGB();
    virtual void SetBlendSpaceCMYK();
    virtual void SetFlattenedByGlobalFlattener();
    virtual void SetFlattenedBySpreadFlattener();
    virtual void SetTransparencyDisabledOnPage();
    virtual void SetTransparentObjectsOverlapTextFrame();
    virtual void SetPrintoutSuppressed();

    // Makes the record the item's kind calls for, in place of any record: a frame showing more
    // than one character of a story is a text item with a plain record; placed content (image
    // attributes 0x1707, EPS content 0x6605, an image object 0x6608, placed PDF 0x2503) gets a
    // placed-graphic record; anything else a plain record.
    virtual void CreateRecord(IPMUnknown* item);
    // Keeps the item's inner and pasteboard bounds; a record gets the matrix that maps the unit
    // square onto the item's box in page space (origin at the page's bottom-left, y up, points).
    // No geometry: 0x52E1E "(theGeometry) == NULL".
    virtual void AnalyseGeometry(IPMUnknown* item, const PMRect& pageBounds);
    // The item's colours into the colour summary: the item itself when it is a colour, then its
    // fill and stroke colours.
    virtual void AnalyseColors(IPMUnknown* item);
    virtual void AnalysePlacedFileFormat(IPMUnknown* item);
    // A frame that shows more than one character of a story makes the item a text item with a
    // record; the last frame of its thread gets "TextBoxOverflowed" when a character other than
    // white space lies beyond it. Then the frame's text runs are collected.
    virtual void AnalyseTextOverflow(IPMUnknown* item);
    virtual void ClassifyByImageData(IPMUnknown* item);
    virtual void ClassifyByImageObject(IPMUnknown* item);
    virtual void ClassifyByGraphicClass(IPMUnknown* item);
    virtual void ClassifyByPDFData(IPMUnknown* item);
    // Looks up every font the item uses (the first list of its used-font list, when it has
    // one); the second list is read and passed over.
    virtual void AnalyseFonts(IPMUnknown* item);
    virtual void AnalyseLinkInfo(IPMUnknown* item);
    // Walks each cell area of the table that the item's table frame shows: the colours of the
    // cells go into the colour summary, their text into the text runs. A frame without a table
    // model throws 0x52E1E "(iTableModel) == NULL".
    virtual void AnalyseTable(IPMUnknown* item);
    // Opacity other than 100 %, blend mode, feather and drop shadow from the item's transparency
    // attributes; then, unless transparency is already recorded, the host's transparency test of
    // the item, and for a text item of the object that holds it.
    virtual void AnalyseTransparencyEffects(IPMUnknown* item);
    virtual void AnalyseColorProfile(IPMUnknown* item);
    // "PrintoutSuppressed" for an item that its graphic attributes keep out of print.
    virtual void AnalyseNonPrinting(IPMUnknown* item);
    // Resolves each ink the item prints with to a colour of the document, recording nothing. A
    // document without an ink list throws 0x52E1E "(theInkList) == NULL"; a process ink name
    // that is no ink of the document is looked up among the swatches, and without a workspace
    // or swatch list throws "(iWorkspace) == NULL" or "(iSwatchList) == NULL".
    virtual void AnalyseDocumentInks(IPMUnknown* item);
    // Notes, for an item that passes the host's colour test, whether its fill colour is made of
    // colours of another class than the tested one.
    virtual void AnalyseColorComponents(IPMUnknown* item);

    // Deletes the record and clears every flag and both UIDs; the colour summary's options
    // become (0, 1, 0). The text runs stay.
    void Reset();
    // The record, which the caller owns from now on; null when there is none.
    std::unique_ptr<BPageItem> ReleasePageItem();
    // The text runs, which the caller owns from now on; null when there are none.
    std::unique_ptr<BPageItemList> ReleaseTextRuns();
    // The record as placed content, made when there is none; null for a plain record.
    BPlacedGraphic* GetPlacedGraphic();

    const BPageItem* GetPageItem() const { return m_record.get(); }
    // The text runs of a text item (null when it has none), read and emptied in place.
    BPageItemList* GetTextRuns() const { return m_textRuns.get(); }
    // The 1-based position of the item's page in the job's absolute page runs (0: none).
    std::uint32_t GetPageNumber() const { return m_pageNumber; }
    const UIDRef& GetItemRef() const { return m_itemRef; }
    ClassID GetItemClass() const { return m_itemClass; }
    // The job's "PlacedImages" folder as Init found it; empty before Init, and when the job has
    // no folder or it cannot be made.
    const UFileSpecCore& GetPlacedImagesFolder() const;
    const PMRect& GetInnerBounds() const { return m_innerBounds; }
    const PMRect& GetPasteboardBounds() const { return m_pasteboardBounds; }
    const ItemStateFlags& GetColorSummary() const { return m_colorSummary; }
    const FontSummary& GetFontSummary() const { return m_fontSummary; }
    UID GetEmbeddedImageUID() const { return m_embeddedImageUID; }
    bool IsTextItem() const { return m_textItem; }
    bool IsTransparencyRecorded() const { return m_transparencyRecorded; }
    bool IsTransparencyOnObject() const { return m_transparencyOnObject; }
    bool HasColorComponentsOfOtherClass() const { return m_colorComponentsFailed; }
    // The item the record was made for; null for a page's own record.
    IPMUnknown* GetOwner() const { return m_owner; }

protected:
    // The record, made as a plain page item when there is none.
    BPageItem& Record();
    // The host's utilities of interface I: the run's during Init; outside Init asked for now and
    // held by `own`. Null when the host has none.
    template <typename I>
    I* Utils(InterfacePtr<IPMUnknown>& own) const {
        return static_cast<I*>(Utils(I::kDefaultIID, own));
    }
    IPMUnknown* Utils(PMIID iid, InterfacePtr<IPMUnknown>& own) const;

    // The members are laid out for the walks over a run's records after the collection (the
    // spread transparency analysis, the hand-over, the destruction): what they read lies in the
    // record's first 64 bytes, what the destruction also reads in the next 64.
    std::unique_ptr<BPageItem> m_record;
    std::unique_ptr<BPageItemList> m_textRuns;
    // The run's, shared by its records; null before Init.
    std::shared_ptr<const UFileSpecCore> m_placedImagesFolder;
    std::uint32_t m_pageNumber = 0;

    // One flag per tag or finding, cleared by Reset.
    bool m_textItem = false;
    bool m_transparencyRecorded = false;
    bool m_transparencyOnObject = false;
    bool m_softMask = false;
    bool m_feather = false;
    bool m_dropShadow = false;
    bool m_blendMode = false;
    bool m_opacity = false;
    bool m_placedPDFTransparency = false;
    bool m_textFrameTransparency = false;
    bool m_colorComponentsFailed = false;
    bool m_blendSpaceRGB = false;
    bool m_blendSpaceCMYK = false;
    bool m_globalFlattener = false;
    bool m_spreadFlattener = false;
    bool m_transparencyDisabledOnPage = false;
    bool m_transparentObjectsOverlapTextFrame = false;
    bool m_printoutSuppressed = false;

    // Kept empty: no analysis uses them.
    UIDList m_firstItems;
    UIDList m_secondItems;

    PMRect m_pageBounds;
    ClassID m_itemClass;
    // Cleared with the embedded image's UID; no analysis reads it.
    UID m_otherUID = kInvalidUID;
    UID m_embeddedImageUID = kInvalidUID;
    // The run of the Init under way; null outside Init, where an analysis looks up for itself.
    ZEPAnalysisRun* m_run = nullptr;
    // The options Reset sets, which a new record holds already.
    ItemStateFlags m_colorSummary{{0, 1, 0}};
    FontSummary m_fontSummary;
    UIDRef m_itemRef;
    PMRect m_innerBounds;
    PMRect m_pasteboardBounds;
    // Kept empty: no analysis uses it.
    PMRect m_otherBounds;

    // The item the record was made for (not owned); null for a page's own record.
    IPMUnknown* m_owner;

private:
    // Records the tag unless `flag` is set: the tag, then `extra`, then the flag.
    void RecordTag(bool& flag, const ustring& tag, const std::function<void()>& extra = {});
};

// The string's UTF-8 form up to its first NUL character.
ustring PMStringToUTF8(const PMString& text);
