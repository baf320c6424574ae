// The job's page-item file as zephost's report shows it, in place of the companion application's
// view: what the file holds for each record (its kind, its box on the page, a placed graphic's
// file type, link and profile, its check tags) and the severity the job's check settings give
// each tag, by the check's name. To say which item a record is, zephost, as the host, looks up the
// item of the document whose box on that page is the record's: its id, its name (a text frame's
// first words, a placed graphic's file), its kind and its layer; a text run is named by the frame
// whose record precedes it. A summary line ends it: pages, items and the tags per severity.
#pragma once

#include "host/standin/Document.h"

#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>

class BJobFile;

// The number of tags of each severity ("fault", "warn", "note", "ignore", "dynamic",
// "parameter", "not set"); a severity no tag has is absent.
using SeverityCounts = std::map<std::string, int>;

// Prints the file's pages and records to `out` and returns the tags per severity, as the summary
// line counts them; throws std::runtime_error when the file is no keyed stream. `document` (may
// be null) is the document the records are looked up in.
SeverityCounts PrintPageItems(std::istream& file, const BJobFile& job,
                              const host::Document* document, std::ostream& out);

// The job a 'Zemp' text holds (the full part), or null when it holds none.
std::unique_ptr<BJobFile> ReadJobText(const std::string& text);
