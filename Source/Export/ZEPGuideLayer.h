// The plug-in's guide layer and the job guides on it, and the layers a fitting locks around its
// document setup.
//
// The guide layer is the document layer named by the key "0x52E00ZEPGuideLayer": created with the
// key as it is, found for clearing also by its translation. A job guide is a ruler guide on it
// whose index tells the job box it marks. In every function that takes a document, a null
// document is the front document (none: 0x52E1E "(result) == NULL"). Failures are thrown as
// CZEPException (missing host objects 0x52E1E with their guard text, failed commands with the
// command's code and an empty text); none is caught here, so the caller's command sequence rolls
// back what was changed before.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Document.h"
#include "host/sdk/Geometry.h"

#include <cstdint>

inline constexpr std::int32_t kBleedGuideIndex = 10;
inline constexpr std::int32_t kTrimGuideIndex = 15;
inline constexpr std::int32_t kTypeAreaGuideIndex = 16;

// The edges of a rectangle that get a guide.
enum GuideEdges : std::int32_t {
    kLeftEdge = 1,
    kTopEdge = 2,
    kRightEdge = 4,
    kBottomEdge = 8,
    kAllEdges = 15
};

// Clears the guide layer and draws the guides of the job's boxes around the selected items, on
// the spread of the first selected item: the bleed edge when the job's bleed box differs from
// its trim box, the trim edge, and the type area when a type indent is at least 1e-8; each only
// when its rectangle is not empty. An empty selection throws 0x52E1E "(iHierarchy) == NULL"
// after the guide layer has been cleared.
void AddJobGuides(IDocument* document);

// Guides at the chosen edges of the rectangle (spread coordinates) on the guide layer of the
// spread, created first when the document has none (then the Layers panel is refreshed). A
// layer that cannot be found after that throws 0x52E1F "theOrvaleLayerUID==kInvalidUID".
void AddGuidesForRect(IDocument* document, const UIDRef& spread, const PMRect& rect,
                      std::int32_t edges, std::int32_t index);

// One guide under the parent (a spread's part of a layer): horizontal (1) at a top or bottom
// edge, vertical (0) at a left or right edge.
void AddGuide(const UIDRef& parent, std::int16_t horizontal, PMReal position, UID spread,
              std::int32_t index);

// Deletes the guides on the guide layer (by either form of its name) on every spread; other
// items on it stay. Without a guide layer nothing changes; otherwise the delete command runs,
// also with nothing to delete.
void ClearGuideLayer(IDocument* document);

// The rectangle moved from spread to pasteboard coordinates, in place.
PMRect& OffsetRectBySpread(const UIDRef& spread, PMRect& rect);

// Appends the UIDs of the document's layers that are not locked, in layer-list order. Never
// fails: a document without a layer list adds nothing.
void CollectUnlockedLayers(IDocument* document, UIDList& layers);
