// The EPS export: the session's EPS export preferences, set by the EPS preferences command
// (class 0xA10) through its data (interface 0xA0B), and the EPS export command (class 0xA0F)
// with its data (interface 0xA08), which writes one page as EPS by those preferences.
// Operations are numbered counting QueryInterface as the first.
#pragma once

#include "host/Command.h"
#include "host/Database.h"
#include "host/Geometry.h"
#include "host/IDFile.h"
#include "host/PMString.h"

#include <cstdint>
#include <map>
#include <string>
#include <variant>

class IDocument;

// The data of the EPS preferences command: the values it gives the session's EPS export
// preferences, each kept under the number of the operation that sets it. Every call is recorded
// on Channel::Calls ("SetOption 5 4", "SetPages \"+2\"", "SetBleedEdge 10 3",
// "SetFlattenerStyle 7"). The export reads three of them: the pages (6th operation, "+N": the
// N-th page of the document's page list), the bleed mode (9th operation: 30 grows the page by
// the edges of the 10th to 13th operations, top, bottom, left and right; anything else gives no
// bleed) and the edges; the others the stand-in keeps as given.
class IEPSExportPrefsCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xA0B};
    static constexpr std::int32_t kPages = 6;
    static constexpr std::int32_t kBleedMode = 9;
    static constexpr std::int32_t kBleedTop = 10;
    static constexpr std::int32_t kBleedBottom = 11;
    static constexpr std::int32_t kBleedLeft = 12;
    static constexpr std::int32_t kBleedRight = 13;
    static constexpr std::int32_t kBleedModeEdges = 30; // a value of the bleed mode

    // An integer preference: the 5th, 7th to 9th, 14th to 28th and 31st operations.
    virtual void SetOption(std::int32_t operation, std::int32_t value) = 0;
    virtual void SetPages(const PMString& pages) = 0; // 6th operation
    // A bleed edge: the 10th to 13th operations.
    virtual void SetBleedEdge(std::int32_t operation, PMReal value) = 0;
    virtual void SetFlattenerStyle(const UID* style) = 0; // 30th operation
};
// The EPS preferences command: the values its data was given replace those of the session's EPS
// export preferences (journaled); the others stay.
inline constexpr ClassID kEPSExportPrefsCmdBoss{0xA10};

// The data of the EPS export command: the file, the document whose page the preferences name,
// and two values the stand-in records only: "SetExport \"<document name>\" <first> <second>" on
// Channel::Calls.
class IEPSExportCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xA08};

    virtual void SetExport(const IDFile& file, IDocument* document, std::int32_t first,
                           std::int32_t second) = 0; // 4th operation
};
// The EPS export command. It writes the page that the session's EPS export preferences name as a
// DSC 3.0 EPS file (host::WriteOutputFile): %%BoundingBox (whole points, outward) and
// %%HiResBoundingBox from (0, 0) over the page grown by the preferences' bleed, %%Creator
// "zephost", %%Title the document's name, a prolog that defines the text font, the page's
// printing items drawn as the description has them (host/PageDrawing.h; PostScript level 2),
// and %%EOF. No document or no such page fails the command with kFailure; a file that cannot be
// written fails it with host::kFileWriteErr and the global error string
// host::UnwritableFileText, and nothing is left of it.
inline constexpr ClassID kEPSExportCmdBoss{0xA0F};

namespace host {

// The session's EPS export preferences: a number or a text per operation number.
using EPSExportPrefs = std::map<std::int32_t, std::variant<double, std::string>>;
// The session's preferences; set directly when read from a description, journaled by the
// preferences command.
EPSExportPrefs& SessionEPSExportPrefs();

// Registers the commands and their data, and empties the session's preferences (part of
// host::Reset).
void RegisterEPSExportClasses();

} // namespace host
