// The stand-in's selection (host/sdk/Selection.h): selecting page items or text directly, as
// the user does.
#pragma once

#include "host/sdk/Selection.h"

namespace host {

// Selects the page items (UIDs of the front document's database) in the layout; an empty list
// selects nothing. Throws std::invalid_argument when the items are of another database.
void SelectLayoutItems(const UIDList& items);
// Selects text in the front document (no layout target). Throws std::logic_error when no document
// is open.
void SelectText();
// Selects nothing (also part of host::Reset).
void ClearSelection();

// Registers the selection classes and the selection utilities (part of host::Reset).
void RegisterSelectionClasses();

} // namespace host
