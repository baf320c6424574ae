// Printing: a document's print data (its print settings, on the workspace when the document has
// them), the trap-style list manager beside it, fresh print-data objects, and the print dialog
// command that is handed them with the document's ink list (host/sdk/Colors.h).
#pragma once

#include "host/sdk/Colors.h"
#include "host/sdk/Database.h"
#include "host/sdk/IPMUnknown.h"

#include <cstdint>
#include <string>

// What a print data holds.
struct PrintSettings {
    std::string printer; // UTF-8
    std::int32_t copies = 1;
    bool operator==(const PrintSettings&) const = default;
};

// Print settings: a document's own (on its workspace) or those of a fresh object of class 0xA26.
class IPrintData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xA15};

    virtual PrintSettings GetSettings() const = 0;
    // Takes every setting of the source (a document's own data journaled); the stand-in gives
    // `flag` no meaning. Recorded on Channel::Calls as "CopyData <flag>".
    virtual void CopyData(const IPrintData* source, std::int32_t flag) = 0;
};
inline constexpr ClassID kPrintDataBoss{0xA26};

// The document's trap styles (on every document's workspace).
class ITrapStyleListMgr : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xA1B};
};

// The data of the print dialog command: what the dialog shows. Each call is recorded on
// Channel::Calls: "SetPrintData <class> \"<printer>\" <copies>", "SetInkList <database> <uid>",
// "SetTrapStyleListMgr <database> <uid>", "SetDocument <database> <uid>" (the database's name).
class IPrintDialogCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xA18};

    virtual void SetPrintData(IPrintData* data) = 0;
    virtual void SetInkList(IInkList* inks) = 0;
    virtual void SetTrapStyleListMgr(ITrapStyleListMgr* trapStyles) = 0;
    virtual void SetDocument(const UIDRef& document) = 0;
};
// The print dialog command. The stand-in's user closes the dialog at once: the command succeeds,
// prints nothing and changes nothing.
inline constexpr ClassID kPrintDialogCmdBoss{0x1D231};
