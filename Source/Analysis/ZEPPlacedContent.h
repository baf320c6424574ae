// Helpers of the placed-content analyses: the image attributes of a placed picture, read tag by
// tag into a buffer of exactly the tag's size, so that a value is never read past its end (texts
// among them need not be terminated); and the colours placed content uses.
#pragma once

#include "Analysis/ZEPColorAnalysis.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/Colors.h"
#include "host/sdk/PlacedGraphics.h"

#include <cstdint>
#include <optional>
#include <vector>

// The tag's bytes; nullopt when the tag is absent.
inline std::optional<std::vector<std::uint8_t>>
ReadImageAttribute(const IImageAttributes& attributes, ImageAttributeTag tag) {
    std::vector<std::uint8_t> value(attributes.GetTagSize(tag));
    if (!attributes.GetTag(tag, value.data()))
        return std::nullopt;
    return value;
}

// Hands each colour of the list that is a colour object (interface 0x14C) to the record's
// CollectInks, in list order.
inline void CollectContentColors(ZEPPageItemInfo& info, const UIDList& colors) {
    for (int i = 0; i < colors.Length(); ++i) {
        InterfacePtr<IColorObject> color(colors.GetRef(i), UseDefaultIID{});
        if (color)
            info.CollectInks(color.get(), GetColorTint(color.get()), false);
    }
}
