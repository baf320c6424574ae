#include "Analysis/ZEPFontLookup.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Fonts.h"
#include "host/sdk/Session.h"

#include <optional>

namespace {

// The index of the kind flag that the font's class value sets.
std::size_t KindOfClass(std::int32_t classValue) {
    return classValue >= 0 && classValue <= 4 ? static_cast<std::size_t>(classValue) : 5;
}

// The index of the kind flag that the font's type value sets, if any.
std::optional<std::size_t> KindOfType(std::int32_t type) {
    switch (type) {
    case 0:
    case 1:
    case 2:
        return static_cast<std::size_t>(type);
    case 4:
        return 3;
    case 6:
    case 7:
    case 8:
        return 5;
    default:
        return std::nullopt;
    }
}

} // namespace

std::int32_t FontKindOfClass(std::int32_t classValue) {
    return static_cast<std::int32_t>(KindOfClass(classValue)) + 1;
}

void FindMissingFont(const PMString& name, FontSummary& summary) {
    InterfacePtr<IFontMgr> iFontMgr(GetExecutionContextSession(), UseDefaultIID{});
    ThrowIfNull(iFontMgr, "iFontMgr");
    // The option asks for a font object also when the font is not installed: every font object is
    // classified alike, only a missing object is an error.
    InterfacePtr<IFont> iFont(iFontMgr->QueryFont(name, 0, kFontObjectWhenMissing, 0.7, 0));
    ThrowIfNull(iFont, "iFont");
    summary.kinds[KindOfClass(iFont->GetFontClass())] = true;
    if (const std::optional<std::size_t> kind = KindOfType(iFont->GetFontType()))
        summary.kinds[*kind] = true;
}
