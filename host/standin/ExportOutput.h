// What the export commands share: the outlines of the printing items of a page, the page's
// rectangle grown by a bleed, and the writing of an output file that is either complete or not
// there at all.
#pragma once

#include "host/sdk/Geometry.h"
#include "host/sdk/IDFile.h"
#include "host/standin/Document.h"
#include "host/standin/Layout.h"

#include <functional>
#include <string>
#include <vector>

namespace host {

// The code an export command leaves when its output file cannot be written.
inline constexpr ErrorCode kFileWriteErr{0xF0F001};

// A closed path in page coordinates: origin at the page's left-top corner, y down, in points.
using Outline = std::vector<PMPoint>;

// The page (page coordinates) grown by the bleed on each side.
PMRect PageBleedRect(const Document& document, UID page, const Sides& bleed);

// The outlines of the page's printing items: the items of the page's spread, group members in
// place of their groups, that lie on a printable layer, are no guides and whose bounds meet the
// page grown by the bleed; each item is the four corners of its inner bounds under its matrix,
// back to front.
std::vector<Outline> PageOutlines(const Document& document, UID page, const Sides& bleed);

// Writes an output file through `write`, which gets the POSIX path of a temporary file beside
// the target, and then puts it in the target's place, replacing what stood there. kSuccess, or
// kFileWriteErr when the file names no place in the file system, file streams fail
// (host::Faults), `write` returns false or throws, or the file cannot be put in place; then
// nothing is left of the new file and the target is as it was. A file written is recorded on
// Channel::Outputs as its path in the host's form (UTF-8).
ErrorCode WriteOutputFile(const IDFile& file,
                          const std::function<bool(const std::string& posixPath)>& write);

} // namespace host
