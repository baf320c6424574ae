// The plug-in's transparency flattener style, kept in the session workspace and made once with
// fixed settings, and the spread transparency analysis of an export: the flattener settings that
// apply to the document and to each page go into the job's page set, and the pages and text
// frames that transparency touches are tagged.
#pragma once

#include "Analysis/ZEPItemCallbacks.h"
#include "host/sdk/Database.h"
#include "host/sdk/Flattener.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"

#include <vector>

class IDocument;
struct BPageSet;
struct BTransparencyFlattener;

// The style's name: the key "0x52E00kStringZEPFlattenerStyleKey" itself, not translated during
// the call (the host shows the key's text where it shows the style).
PMString GetFlattenerStyleName();
// Looks the style up by name in the session workspace's style list; when found, `style` names
// it, else `style` is cleared. Missing host objects throw 0x52E1E "(iSessionWorkspace) == NULL",
// "(iFlattenerStyleListMgr) == NULL".
[[nodiscard]] bool FindFlattenerStyle(const PMString& name, UIDRef& style);
// Adds the style through the host's command 0x10832 with the settings 1.0, options 144, 300.0
// and 1200.0 (first, second and third value). Missing host objects throw 0x52E1E
// "(theAddFlattenerStyleCmd) == NULL", "(iExportStyleCmdData) == NULL",
// "(iFlattenerSettings) == NULL"; a failing command throws its code; a command that hands back
// no style throws 0x52E1E "(theAddFlattenerStyleCmd->GetItemList()) == NULL".
UIDRef AddFlattenerStyle();
// The style, added when the session has none of that name.
UIDRef GetOrCreateFlattenerStyle();

// Copies the settings into the record: value 1, the Boolean, values 2 to 5, the eight option
// bits.
void ReadFlattenerSettings(const IFlattenerSettings* settings, BTransparencyFlattener& record);
// What the spread overrides comes from the spread, the rest from `base`; with an option mask,
// all eight options are the spread's (else `out` keeps its own).
void MergeFlattenerSettings(const IFlattenerSettings* spread, const BTransparencyFlattener& base,
                            BTransparencyFlattener& out);

// The spread transparency analysis over the records of an export (pages and their items in
// collection order): the style's settings become the page set's document record; each page gets
// a record of its spread's settings; a page with transparency gets a flattener tag and a
// blend-space tag on its first record; text frames that flattening touches get a text-frame tag.
// Missing host objects throw 0x52E1E "(theExportFlattenerSettings) == NULL",
// "(iXPPreferences) == NULL", "(thePageItemInfo) == NULL", "(iSpread) == NULL".
void AnalyseSpreadTransparency(IDocument* document, const UIDRef& style,
                               const ZEPPageItemInfoList::Records& items, BPageSet& pageSet);
// Whether transparency touches the text frame: its own, or a transparent item's pasteboard
// bounds (one of `rectangles`, whose union is `unionRect`) that meet the frame's.
bool TextFrameOverlapsTransparency(const ZEPPageItemInfo& item,
                                   const std::vector<PMRect>& rectangles, const PMRect& unionRect);
