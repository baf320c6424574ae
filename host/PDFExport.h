// The PDF export command (class 0x2505) and the interfaces it carries: its PDF export
// preferences (0x2507), two flags (0x10014 and 0xE20), its output file (0xE03) and its page
// output (0x16318). Operations are numbered counting QueryInterface as the first.
#pragma once

#include "host/Command.h"
#include "host/Database.h"
#include "host/IDFile.h"
#include "host/PMString.h"

#include <cstdint>

class RangeProgressBar;

// The preferences of one PDF export. The host has one operation per integer setting; the
// stand-in takes them all through SetOption with the operation's number, records each call on
// Channel::Calls ("SetOption 79 13", "SetOptionText \"x\" 3", "SetFlattenerStyleName \"x\"",
// "SetProgressBar") and keeps the last value of each. Only the compatibility (79th operation:
// 13, 14, 15, 16, 17 for PDF 1.3 to 1.7; 1.4 when unset or anything else) changes the file.
class IPDFExportPrefs : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2507};
    static constexpr std::int32_t kCompatibility = 79;

    virtual void SetOption(std::int32_t operation, std::int32_t value) = 0;
    // The option text ("Standard" until set) and its setter with a selector.
    virtual void SetOptionText(const PMString& text, std::int32_t selector) = 0; // 83rd operation
    virtual PMString GetOptionText() const = 0;                                  // 85th operation
    virtual void SetFlattenerStyleName(const PMString& name) = 0;                // 103rd operation
    // The bar that the export advances, one step per page written; not owned.
    virtual void SetProgressBar(RangeProgressBar* bar) = 0; // 124th operation
};

// A flag of a command, reached under interface 0x10014 and, as a second flag, under 0xE20.
// Recorded on Channel::Calls as "SetFlag <interface> <value>"; the stand-in gives it no meaning.
class ICommandFlag : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x10014};

    virtual void Set(std::int32_t value) = 0; // 4th operation
};
inline constexpr PMIID IID_ISECONDCOMMANDFLAG{0xE20};

// The file a command writes.
class IOutputFile : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xE03};

    virtual void SetFile(const IDFile& file) = 0; // 4th operation
};

// What the export puts out: its pages and the name of their document. Recorded on
// Channel::Calls as "SetPages <uid>... <option>" and "SetDocumentName \"<name>\"".
class IPageOutput : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x16318};

    virtual void SetPages(const UIDList& pages, std::int32_t option) = 0; // 11th operation
    virtual void SetDocumentName(const PMString& name) = 0;               // 28th operation
};

// The PDF export command. It writes its output file as a PDF (host::WriteOutputFile): one page
// per page of its page output, in that order, each with MediaBox and BleedBox the page grown by
// its document's bleed (the page-setup preferences; none: no bleed), TrimBox the page, and the
// page's printing items drawn as the description has them (host/PageDrawing.h); the version from
// the compatibility; /Title in the document information the page output's document name; a
// file ID that follows from the content, so the same export gives the same bytes. Pages that
// are not pages of one open document fail the command with kFailure; a file that cannot be
// written fails it with host::kFileWriteErr and the global error string
// host::UnwritableFileText, and nothing is left of it. The progress bar, when one was given, is
// set to 1, 2, ... as the pages are drawn.
inline constexpr ClassID kPDFExportCmdBoss{0x2505};

namespace host {

// Registers the command and its interfaces (part of host::Reset).
void RegisterPDFExportClasses();

} // namespace host
