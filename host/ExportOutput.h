// What the export commands share: the outlines of the printing items of a page, the page's
// rectangle grown by a bleed, and the writing of an output file that is either complete or not
// there at all.
#pragma once

#include "host/Document.h"
#include "host/Geometry.h"
#include "host/IDFile.h"
#include "host/Layout.h"

#include <functional>
#include <ostream>
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

// Writes an output file through `write`, which writes its bytes to the stream it is given: they
// go to a new temporary file beside the target (platform::temporarySibling), which then takes the
// target's place in one rename, replacing what stood there. kSuccess, or kFileWriteErr when the
// file names no place in the file system, file streams fail (host::Faults), `write` returns false
// or throws, any write up to the file's close fails, or the rename fails; then the temporary file
// is gone and the target is as it was. A file written is recorded on Channel::Outputs as its
// path in the host's form (UTF-8).
ErrorCode WriteOutputFile(const IDFile& file, const std::function<bool(std::ostream& out)>& write);

} // namespace host
