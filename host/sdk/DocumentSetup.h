// The document-setup command (class 0x512) and its data (interface 0x50E): a document's page
// size and bleed, with further values that the stand-in records as given.
#pragma once

#include "host/sdk/Command.h"
#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"

#include <cstdint>

// The data of the document-setup command. Every call is recorded on Channel::Calls as its
// operation's name and values ("SetPageSize 100 200", "SetBleed 3 5 3 5", "SetFlag true"); the
// target document as its UID. Operations are numbered counting QueryInterface as the first.
class IDocSetupCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x50E};

    virtual void SetTargetDocument(const UIDRef& document) = 0; // 5th operation
    virtual void SetPageSize(const PMPageSize& size) = 0;       // 6th operation
    virtual void SetPageCount(std::int16_t count) = 0;          // 7th operation
    virtual void SetFlag(bool flag) = 0;                        // 8th operation
    virtual void SetWide(bool wide) = 0;                        // 9th operation
    // Left, top, right and bottom bleed.
    virtual void SetBleed(const PMRect& bleed) = 0; // 12th operation
    virtual void SetBleedOption(bool option) = 0;   // 13th operation
    virtual void SetValue(std::int32_t value) = 0;  // 14th operation
    virtual void SetSwitch(bool switchOn) = 0;      // 15th operation
};

// Gives every page of the target document (master pages too) the page size, when one was set,
// and the document's page-setup preferences the bleed, when one was set and the document has
// them (a document without page-setup preferences keeps no bleed). The other values change
// nothing. A target that is not an open document fails the command with kFailure.
inline constexpr ClassID kDocSetupCmdBoss{0x512};
