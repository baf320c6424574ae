// The stand-in's model of placed content (host/sdk/PlacedGraphics.h). It comes from the document
// description (host/standin/Description.h, an item's "placed") and lives in host::Item::placed.
#pragma once

#include "host/sdk/PlacedGraphics.h"
#include "host/standin/ObjectModel.h"

#include <map>
#include <optional>
#include <string>

namespace host {

struct PlacedPDF {
    bool transparent = false;
    std::vector<UID> colors;
    bool operator==(const PlacedPDF&) const = default;
};

// A link of a placed item (interface 0x8C3C on the link's object, host/sdk/Links.h) and the
// resource it names, when it names one.
struct PlacedLink {
    UID link;
    UID resource;         // kInvalidUID: none
    std::string fullName; // UTF-8, the resource's full name
    bool operator==(const PlacedLink&) const = default;
};

// What a placed item holds; each optional part gives the item its facet.
struct PlacedContent {
    std::optional<std::map<std::int32_t, std::vector<std::uint8_t>>> attributes; // 0x1707
    std::optional<std::vector<std::uint32_t>> fileTypes; // 0x170B with a provider of these
    bool eps = false;                                    // 0x6605
    bool imageObject = false;                            // 0x6608
    std::optional<UID> embeddedImage;                    // 0x8C13
    std::optional<std::vector<UID>> colors;              // 0x6604
    std::optional<PlacedPDF> pdf;                        // 0x2503
    std::vector<PlacedLink> links;                       // first to last
    std::optional<ColorProfilePolicy> colorPolicy;       // 0x7C0C
    std::optional<UID> profile;                          // 0x7C05
    bool operator==(const PlacedContent&) const = default;
};

// The most distinct provider lists a session may use.
inline constexpr std::size_t kMaxImportProviders = 256;

// Gives the stored item the facets of its placed content. False, nothing attached, when the
// content's provider would be the session's (kMaxImportProviders + 1)-th.
[[nodiscard]] bool AttachPlacedFacets(Boss& item, const PlacedContent& content);

// Registers the import providers' facet (part of host::Reset, which forgets the providers).
void RegisterPlacedGraphicsClasses();

} // namespace host
