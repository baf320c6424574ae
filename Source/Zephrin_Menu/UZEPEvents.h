// The event messages to the companion application: "about", "details" and "joblist" for the
// menu actions, "exported" after an export. Each is a message of string entries written as
// compact JSON (entries in name order): "what", the Base64 payload "v" where the kind has one,
// "x" true for the details of a front document, and the sender info "sender" and "hwnd".
#pragma once

#include "host/sdk/Context.h"
#include "host/sdk/Document.h"
#include "host/sdk/Ids.h"
#include "utils/umessage.h"
#include "utils/ustring.h"

#include <cstddef>
#include <string>

class BJobFile;

namespace UZEPEvents {

// The kinds of event that SendEventMessage builds.
enum class EventKind {
    About = 1,
    Details = 2,           // details while a front document exists: "x" true
    DetailsNoDocument = 3, // details without a front document
    JobList = 4,
};

// The event of a menu action: about (0x52E03, 0x52E0A), details (0x52E05) or joblist (0x52E0D);
// any other action throws code 1 "UZEPEvents::SendActionEvent - Unknown ActionID". The details
// payload is the job of the context's document (see the source). These events are the user's:
// a message that is not delivered leaves an ERROR log record and nothing else.
void SendActionEvent(ActionID action, IActiveContext* context);

// Builds the message of the kind, "v" the Base64 of the payload for the details kinds only (an
// "about" or "joblist" message carries none, whatever it is handed), adds the sender info and
// sends it. The flag is not used; the actions pass true. True when delivered.
[[nodiscard]] bool SendEventMessage(const char* payload, std::size_t count, EventKind kind,
                                    bool flag);

// The payload the about actions assemble and hand to SendEventMessage, which no message carries:
// a big-endian 16-bit count 2, then the plug-in's name with its version and its author
// (GetPluginNameAndAuthor), each as a big-endian 32-bit length and that many UTF-8 bytes.
std::string AboutPayload();

// The "exported" event: "v" the job written as exported (which marks the written destinations
// exported and selects the next group with an unexported destination). True when delivered: only
// then does the companion application know of the export.
[[nodiscard]] bool SendExportedEvent(BJobFile& job);

// "sender" "InDesignCS" and "hwnd", the active window's handle taken as a signed 32-bit number
// in decimal text (0 without a window).
void AddSenderInfo(umessage& message);
// Appends the text as a string entry under the key.
void AddString(umessage& message, const ustring& key, const char* text);

// Replaces the job's section runs ('LX') with one run per section of the document: its name,
// first page, page count and the numbering style of its style class.
void AddDocumentSections(BJobFile& job, IDocument* document);

} // namespace UZEPEvents
