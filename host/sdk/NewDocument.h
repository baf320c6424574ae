// New documents and their windows: the new-document command (class 0xE04) with its data
// (interface 0xE16), the new-window command (class 0x1D01C) and the document-rename command
// (class 0xE09) with its text (interface 0x1007). The session carries page-setup preferences
// (interface 0x515) too: the defaults of new documents.
#pragma once

#include "host/sdk/Command.h"
#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"

#include <cstdint>

// The data of the new-document command. The host reaches its settings in this order; the
// stand-in uses the margins, the bleed and the page size and records everything else as given.
// Every call is recorded on Channel::Calls as its operation's name and values
// ("SetMargins 5 10 5 10", "SetBleed 3 2 3 2", "SetWide true", "SetColumns 1 0 0").
class INewDocCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xE16};

    virtual void SetFirstOption(std::int32_t value) = 0;
    virtual void SetSecondOption(std::int32_t value) = 0;
    // The page margins, in points.
    virtual void SetMargins(PMReal left, PMReal top, PMReal right, PMReal bottom) = 0;
    // Left, top, right and bottom bleed.
    virtual void SetBleed(const PMRect& bleed) = 0;
    virtual void SetBleedOption(std::int32_t value) = 0;
    virtual void SetColumns(std::int32_t count, PMReal gutter, std::int32_t direction) = 0;
    virtual void SetColumnOption(std::int32_t value) = 0;
    virtual void SetPageSize(const PMPageSize& size) = 0;
    virtual void SetWide(bool wide) = 0;
    virtual void SetSpreadOption(std::int32_t value) = 0;
    virtual void SetPageSetupValue(std::int32_t value) = 0;
};

// The new-document command: opens a new document, not yet the front one, named "Untitled-N"
// (N counting the session's new documents from 1), with one unlocked layer "Layer 1" and one
// spread holding one page of the data's page size (612 x 792 when none was set) and margins. Its
// workspace has page-setup preferences: the data's bleed and the session's other values. Its
// item list then holds the new document. Rollback and undo close the document again.
inline constexpr ClassID kNewDocCmdBoss{0xE04};
// The new-window command: opens a layout view on the document of its item list, showing the
// first page, and makes that document the front one. A list that names no open document fails
// the command with kFailure.
inline constexpr ClassID kNewWinCmdBoss{0x1D01C};

// A text a command works with (interface 0x1007); empty until set.
class IStringData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1007};

    virtual void Set(const PMString& text) = 0;
    virtual const PMString& Get() const = 0;
};

// The document-rename command: gives the documents of its item list the text of its string
// data as their name (journaled). A list that names no open document fails the command with
// kFailure.
inline constexpr ClassID kRenameDocCmdBoss{0xE09};
