// Transparency flattening: the flattener styles of the session with the command that adds one,
// the flattener settings of a style, of a spread that overrides the document's and of that
// command, and the document's transparency preferences (its blend space).
//
// A style lives in the session database; the session workspace's style list keeps the styles in
// the order they were added. Adding a style is a command, so undo and an aborted sequence take
// it away again. A spread's settings are those its description gives (none by default); no
// command changes them.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"

#include <cstdint>

// Flattener settings (interface 0x10812): whether flattening is on, five real values, a word of
// option bits (bits 0 to 7 used) and, on a spread, which of them the spread sets itself: in the
// value mask bit 0 for the Boolean and bits 1 to 5 for the five reals, in the option mask the
// option bits. A style or a command has masks 0. Every setter call is recorded on
// Channel::Calls as "SetValue <index> <value>" or "SetOptions <word>".
class IFlattenerSettings : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x10812};

    virtual bool GetFlatteningOn() const = 0;
    // Index 0 to 4; 0 outside.
    virtual PMReal GetValue(std::int32_t index) const = 0;
    virtual std::uint32_t GetOptions() const = 0;
    virtual std::uint32_t GetValueMask() const = 0;
    virtual std::uint32_t GetOptionMask() const = 0;

    // Index 0 to 4; nothing outside.
    virtual void SetValue(std::int32_t index, PMReal value) = 0;
    virtual void SetOptions(std::uint32_t options) = 0;
};

// The session's flattener styles (interface 0x10814 of the session workspace).
class IFlattenerStyleListMgr : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x10814};

    virtual std::int32_t GetNumStyles() const = 0;
    // The index of the first style of exactly that name; -1 when there is none.
    virtual std::int32_t GetStyleIndexByName(const PMString& name) const = 0;
    // An invalid reference outside the list.
    virtual UIDRef GetNthStyleRef(std::int32_t index) const = 0;
};

// The data of the add-flattener-style command (interface 0xBC06 of the command): the new style's
// name. The command's own interface 0x10812 holds the new style's settings.
class IExportStyleCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xBC06};

    virtual void SetName(const PMString& name) = 0;
};

// The add-flattener-style command (class 0x10832): appends a style with the data's name and
// settings to the session's list; afterwards the command's item list holds the new style. A name
// the list already holds adds nothing: the command succeeds with an empty item list.
inline constexpr ClassID kAddFlattenerStyleCmdBoss{0x10832};

// A document's transparency preferences (interface 0x1080C of every document's workspace).
class ITransparencyPrefs : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1080C};

    // The blend space: 2 RGB, 3 CMYK (the default when the document's description names none).
    virtual std::int32_t GetBlendSpace() const = 0;
};
