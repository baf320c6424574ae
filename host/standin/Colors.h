// The stand-in's model of a document's colours and inks (host/sdk/Colors.h). The data live in
// host::Document::colors and the facets read them live.
#pragma once

#include "host/sdk/Colors.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/UIDMap.h"

#include <map>
#include <optional>
#include <string>

namespace host {

// A colour with its tint.
struct Paint {
    UID color; // kInvalidUID: none
    PMReal tint = 100;
    bool operator==(const Paint&) const = default;
};

// The class a description's colours get when it names none, and the class of inks.
inline constexpr ClassID kColorBoss{0xF0A000};
inline constexpr ClassID kInkBoss{0xF0A001};

struct InkData {
    std::int32_t kind = kProcessInkKind;
    std::vector<UID> inks;
    std::int32_t count = 0;
    bool operator==(const InkData&) const = default;
};

struct Tint {
    PMReal value = 100;
    bool paper = false;
    bool operator==(const Tint&) const = default;
};

// A colour object; each optional part is an interface of it.
struct Color {
    ClassID cls = kColorBoss;
    std::optional<std::vector<UID>> components; // 0x5501
    std::optional<std::int32_t> space;          // 0x1F01
    std::vector<PMReal> values;                 // what the swatch list compares
    std::optional<InkData> ink;                 // 0x1F04
    std::optional<Tint> tint;                   // 0x1F0E
};

// The fifteen attributes of an ink, in the order of IInkInfo's getters.
struct Ink {
    std::string name; // UTF-8
    bool process = false;
    UID color;             // the colour it is printed for; kInvalidUID: none
    std::int32_t type = 0; // 0 normal, 1 transparent, 2 opaque, 3 opaque ignored in trapping
    PMReal neutralDensity = 0;
    bool customDensity = false; // the neutral density was set by the user
    std::int32_t trapSequence = 0;
    PMReal screenFrequency = 0;
    PMReal screenAngle = 0;
    std::int32_t dotShape = 0;
    bool printed = true;
    std::int32_t inkOrder = 0; // position in the ink order
    bool locked = false;
    bool convertToProcess = false;
    UID alias; // the ink it is aliased to; kInvalidUID: none
    bool operator==(const Ink&) const = default;
};

struct GraphicAttributes {
    UID fill;
    UID stroke;
    bool nonPrinting = false;
};

// The colour data of a page item; each optional part is an interface of it.
struct ItemColors {
    std::optional<GraphicAttributes> graphics;    // 0x6E02
    std::optional<std::vector<std::string>> inks; // 0x1779, UTF-8 names
    std::optional<bool> colorTest;                // 0x16CF and the utility's answer
};

struct Colors {
    std::map<UID, Color> colors;
    std::vector<UID> inks; // the ink list, in order
    std::map<UID, Ink> inkData;
    std::vector<UID> swatches; // the swatch list, in order
    UIDMap<ItemColors> items;
};

// Gives a stored colour object the interfaces its data give (0x14C always).
void AttachColorFacets(Boss& boss, const Color& color);
// Gives a stored page item the interfaces its colour data give.
void AttachItemColorFacets(Boss& item, const ItemColors& colors);

// Registers the ink class, the workspace's lists and the utilities (part of host::Reset).
void RegisterColorClasses();

} // namespace host
