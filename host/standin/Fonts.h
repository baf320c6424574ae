// The fonts the stand-in's session knows (host/sdk/Fonts.h), set directly or by a session
// description.
#pragma once

#include "host/sdk/Fonts.h"

#include <memory>
#include <string>
#include <string_view>

namespace host {

// The class of the font objects the host makes.
inline constexpr ClassID kFontBoss{0xF09102};

struct FontInfo {
    std::string name; // UTF-8
    std::uint32_t status = 0;
    std::int32_t type = 0;
    std::int32_t fontClass = 0;
    bool operator==(const FontInfo&) const = default;
};

// The fonts the session knows, in order (host::Reset: none).
void SetFonts(std::vector<FontInfo> fonts);
const std::vector<FontInfo>& Fonts();
// The known font of that name with a new reference; for an unknown name, a font object that
// stands for the missing font when `whenMissing` (see IFontMgr::QueryFont), else null.
IFont* QueryFont(std::string_view name, bool whenMissing = false);

std::unique_ptr<IPMUnknown> NewUsedFontListFacet(IPMUnknown* itemBoss);

// Registers the font manager and the font objects' class and forgets the known fonts (part of
// host::Reset).
void RegisterFontClasses();

} // namespace host
