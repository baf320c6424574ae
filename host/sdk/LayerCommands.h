// Commands on a document's layers and ruler guides: locking or unlocking layers, creating a
// layer and creating a guide. Their changes are journaled like every change of the layout. And
// the layer utilities' question whether a document prints anything.
#pragma once

#include "host/sdk/Command.h"
#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"

#include <cstdint>

// The Boolean a command works with (interface 0x1003); false until set.
class IBoolData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1003};

    virtual void Set(bool value) = 0;
    virtual bool Get() const = 0;
};

// The layer-lock command (class 0x307): locks the layers of its item list when its Boolean data
// is true, else unlocks them. UIDs that name no layer of the list's document are passed over;
// the command never fails.
inline constexpr ClassID kLockLayerCmdBoss{0x307};

// The data of the new-layer command (interface 0x304). The values after the name are the host's
// layer options: the stand-in takes the first as the new layer's visibility and records the
// others only. Each call is recorded on Channel::Calls as
// "NewLayer <list UID> <name> <visible> <option2> <option3> <option4> <colour UID> <option6>
// <option7>".
class INewLayerCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x304};

    virtual void Set(const UIDRef& layerList, const PMString& name, bool visible, bool option2,
                     bool option3, bool option4, UID colour, bool option6, bool option7) = 0;
};

// The new-layer command (class 0x304): appends an unlocked, printable layer of the data's name
// to the layer list of the data's document; afterwards the command's item list holds the new
// layer. A layer list that is not an open document's fails the command with kFailure.
inline constexpr ClassID kNewLayerCmdBoss{0x304};

// The data of the new-guide command (interface 0x3302). The option, threshold and extra values
// are the host's and recorded only. Each call is recorded on Channel::Calls as
// "NewGuide <parent UID> <horizontal> <position> <spread UID> <option> <threshold> <index>
// <extra>".
class INewGuideCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x3302};

    virtual void Set(const UIDRef& parent, std::int16_t horizontal, PMReal position, UID spread,
                     std::int16_t option, const PMReal& threshold, std::int32_t index,
                     std::int32_t extra) = 0;
};

// The new-guide command (class 0x3303): puts a ruler guide (class 0xB667 with interface 0x3301)
// in front of the spread's items, on the layer whose spread part is the parent (the stand-in's
// spread part of a layer is the document layer's object), horizontal when the flag is not 0, at
// the position in spread coordinates, with the index. A parent that is no layer of an open
// document, or a spread of another document, fails the command with kFailure.
inline constexpr ClassID kNewGuideCmdBoss{0x3303};

class IDocument;

// The host's layer utilities (utility interface 0x30C).
class ILayerUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x30C};

    // True when the document has layers and none of them prints: each is not printable, or is
    // hidden when `hiddenLayersDoNotPrint` is true.
    virtual bool IsPrintingSuppressed(const IDocument* document,
                                      bool hiddenLayersDoNotPrint) const = 0; // 6th operation
};
