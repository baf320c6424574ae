// Fonts: the fonts the session knows (font objects with their status, type and class), the
// font manager that finds them by name, and the fonts a page item uses.
//
// The known fonts are set directly (or by a session description); nothing changes them. A name
// the session does not know has a font object that stands for a missing font in text runs
// (ITextAttributes::QueryFont) and when the font manager is asked for one (kFontObjectWhenMissing).
#pragma once

#include "host/sdk/Geometry.h"
#include "host/sdk/IPMUnknown.h"
#include "host/sdk/PMString.h"

#include <cstdint>
#include <vector>

// A font object.
class IFont : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF09000};

    // A second classification of the font: 0 to 4, or another value for kinds without a number.
    virtual std::int32_t GetFontClass() const = 0;
    // Status bits; 0x10 the font is not available, and with it 0x01 fauxed, 0x02 substituted.
    virtual std::uint32_t GetStatus() const = 0; // 28th operation
    // The font's technology: 0 Type 1, 1 TrueType, 2 CID, 3 unknown, 4 bitmap, 6 OpenType CFF,
    // 7 OpenType CID, 8 OpenType TrueType (5 and other values: kinds without a name).
    virtual std::int32_t GetFontType() const = 0; // 31st operation
};

// The font manager's option for a font object also where the font is not installed.
inline constexpr std::int32_t kFontObjectWhenMissing = 0x40000000;

// The font manager (on the session).
class IFontMgr : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x3E01};

    // The known font of exactly that name with a new reference. For a name the session does not
    // know: with kFontObjectWhenMissing in `option2`, a font object that stands for the missing
    // font (status 0x12: not available, substituted; type 3, unknown; class 5); otherwise null.
    // The other options and the size change nothing here.
    virtual IFont* QueryFont(const PMString& name, std::int32_t option1, std::int32_t option2,
                             PMReal size, std::int32_t option3) const = 0;
};

// The fonts a page item uses (interface 0x2502): an item whose description gives "fonts" has it.
// It has two lists: the fonts the item uses, and those of them the session does not know.
class IUsedFontList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2502};

    // The names of the fonts, in the description's order.
    virtual std::vector<PMString> GetFontNames() const = 0; // 4th operation
    // The names among them that no known font has (the font manager finds no font object for
    // them), in the same order; empty when the session knows them all.
    virtual std::vector<PMString> GetMissingFontNames() const = 0; // 5th operation
};
