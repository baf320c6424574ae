// JSON text of a umessage: the compact form sent to the companion application, and the one-line
// and indented readable forms of operator<< and the debug dump.
#pragma once

#include "utils/umessage.h"

#include <iosfwd>
#include <string>

// The compact form: no white space at all. Entries in stored order, each as its single value
// or, when it holds two or more values or its isArray flag is set, as an array. Names and
// strings escape '"', '\\', \b, \f, \n, \r and \t and keep every other byte; a double is
// written as printf's "%g" would ("null" when it is not finite). The text goes to `out` in one
// write. False, with nothing written, when the tree nests deeper than umessage::kMaxDepth.
[[nodiscard]] bool writeJsonCompact(const umessage& message, std::ostream& out);

// The one-line form ("{ \"a\": 1, \"b\": [ 1, 2 ] }"), or "" when the message has more than 4
// entries, an array of more than 6 values, a child without a one-line form, or a text longer
// than 40 characters. An empty message gives "{}".
std::string writeJsonSingleLine(const umessage& message);

// The indented form, two spaces per level, the closing brace at `level` (callers pass 0).
// Values that have a one-line text start in one column, one past the longest name; the others
// follow their name after one space, in the indented form. "" when the tree nests deeper than
// umessage::kMaxDepth (the form is never empty otherwise).
std::string writeJsonMultiLine(const umessage& message, int level);
