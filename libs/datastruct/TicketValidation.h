// The shape checks a ticket passes before it is trusted: every key known, every value of the
// expected type and count. A failure writes one ERROR log record and gives false; the ticket is
// never changed and no std::exception leaves the two checks.
#pragma once

class umessage;

// A ticket's top level, and each of its destinations. Null or empty gives false, unlogged.
[[nodiscard]] bool TicketIsWellFormed(const umessage* ticket);
// One destination. Null gives false, unlogged; an empty destination is well formed.
[[nodiscard]] bool DestinationIsWellFormed(const umessage* destination);
// Throws std::runtime_error "userField has wrong type" at the first entry of `userFields` that
// holds no child message at index 0.
void CheckUserFields(const umessage* userFields);
