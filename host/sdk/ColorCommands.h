// Commands that change a document's colours and inks: the change-colour command gives a colour
// new colour data, the change-ink command gives inks new attributes. Their changes are journaled,
// so undo and an aborted sequence take them back.
#pragma once

#include "host/sdk/Colors.h"
#include "host/sdk/Command.h"
#include "host/sdk/Database.h"

#include <cstdint>
#include <vector>

// The new colour of the change-colour command (its interface 0x1F01; on a colour object the same
// number is its colour space, host/sdk/Colors.h): a colour-space code and the components.
class INewColorData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F01};

    virtual void SetColorData(std::int32_t space, const std::vector<PMReal>& components) = 0;
};

// The colour overrides of the change-colour command (its interface 0x1F0E; on a colour object the
// same number is its tint). The value is the host's and changes nothing.
class IColorOverrides : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F0E};

    virtual void Set(std::int32_t overrides) = 0;
};

// A reference a command works with (interface 0x1004); none until set.
class IUIDData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1004};

    virtual void Set(const UIDRef& ref) = 0;
    virtual UIDRef GetRef() const = 0;
};

// The change-colour command (class 0x1F0E): the colour its UID data names gets the new colour's
// space and components. A colour that is no colour of an open document fails the command with
// kFailure.
inline constexpr ClassID kChangeColorCmdBoss{0x1F0E};

// The change-ink command (class 0x1F25): every ink of its item list gets the attributes of the
// command's ink data (interface 0x1F08, host/sdk/Colors.h). An item that is no ink of an open
// document fails the command with kFailure, and nothing changes.
inline constexpr ClassID kChangeInkCmdBoss{0x1F25};
