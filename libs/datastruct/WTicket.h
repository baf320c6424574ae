// Tickets: the booking as it arrives with a job, held as a shared umessage and read
// in place through wrappers: typed access and edits of the ticket and its destinations, the
// boxes common to every destination, and the effective profile, the setting that applies to
// each check once every settings tree of the ticket has been walked.
//
// Ticket keys: "identifier", "operator", "local", "qcs" (the ticket's settings tree), "style",
// "destinations" (one child message per destination), "active", "groupingDisabled", and the
// carried "previous_report", "plugin_report", "bookingMatched". Destination keys: "identifier",
// "mlkey", "country", "publication", "publisher", "section", "style", "qcs", "width", "depth",
// "columns", "printerMarkSize", "printerMarkOffset", "colourName", "colourMakeup" (4),
// "namedSize", "requires2DPSFiles", "bleed" (4), "typeIndent" (4), "exported", "ro" and
// "userFields" (one child message per field name, each with a "value" string). A settings tree
// holds "checks" (check identifier -> setting message; "all" is the catch-all) and any number of
// "restrictions", each again a settings tree.
#pragma once

#include "model/TicketValidation.h"
#include "model/WCheckSetting.h"
#include "utils/Geometry2D.h"
#include "utils/umessage.h"
#include "utils/ustring.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <type_traits>
#include <vector>

// A view of one settings tree; null when the tree is null.
class WQcsNode {
public:
    WQcsNode() = default;
    explicit WQcsNode(std::shared_ptr<const umessage> qcs);

    bool IsNull() const { return m_qcs == nullptr; }

    // The child message under name in "checks", or no setting.
    WCheckSetting GetSetting(const ustring& name) const;
    std::vector<ustring> GetCheckNames() const; // the names in "checks", stored order
    uint64_t GetCheckCount() const;
    uint64_t GetRestrictionCount() const;
    // The restriction's tree; a null node when the index cannot be read.
    WQcsNode GetRestriction(uint64_t index) const;

private:
    std::shared_ptr<const umessage> m_qcs;
    std::shared_ptr<const umessage> m_checks; // "checks" of m_qcs, or null
};

// --- destination helpers ----------------------------------------------------------------------
// A null destination reads as one without entries.
WQcsNode GetDestinationQcs(const std::shared_ptr<const umessage>& destination);
ustring GetIdentifier(const std::shared_ptr<const umessage>& destination);
ustring GetMlkey(const std::shared_ptr<const umessage>& destination);
// Removes "mlkey"; a non-empty text is added back as one string.
void SetMlkey(const std::shared_ptr<umessage>& destination, const ustring& mlkey);
// Any of "bleed" 0 to 3 differs from 0.
bool HasBleed(const std::shared_ptr<const umessage>& destination);
// The field message at the path "userFields/<name>", or null.
std::shared_ptr<const umessage> GetUserField(const std::shared_ptr<const umessage>& destination,
                                             const ustring& name);
// The names of "userFields" entries that hold a child message, stored order.
std::vector<ustring> GetUserFieldNames(const std::shared_ptr<const umessage>& destination);
// Replaces the field by a deep copy of `field`, or removes it when `field` is null, empty or
// has an empty "value". Leaves a "userFields" child behind; a "userFields" entry that holds no
// child message is left unchanged and nothing is stored.
void SetUserField(const std::shared_ptr<umessage>& destination, const ustring& name,
                  const std::shared_ptr<const umessage>& field);
ustring GetFieldValue(const std::shared_ptr<const umessage>& field); // "value", or empty
bool IsNullOrEmpty(const std::shared_ptr<const umessage>& message);

// Sets a missing "userFields", drops the field "RDts", turns a "requires2DPSFiles" string into
// a bool (true for "true" in any case) and adds each field of `defaults` that is missing.
void NormaliseDestination(const std::shared_ptr<umessage>& destination,
                          const std::shared_ptr<const umessage>& defaults);

// --- ticket wrappers ----------------------------------------------------------------------------
// Over a read-only (std::shared_ptr<const umessage>) or writable (std::shared_ptr<umessage>)
// ticket, which may be null: a null ticket has no destinations, no settings and unset boxes.
template <typename TicketPtr>
class WTicketT {
public:
    // Writable wrappers hand out writable destinations.
    using DestinationPtr =
        std::conditional_t<std::is_same_v<TicketPtr, std::shared_ptr<umessage>>,
                           std::shared_ptr<umessage>, std::shared_ptr<const umessage>>;

    explicit WTicketT(TicketPtr ticket) : m_ticket(std::move(ticket)) {}

    // TicketIsWellFormed of the held ticket.
    [[nodiscard]] bool IsWellFormed() const { return TicketIsWellFormed(m_ticket.get()); }

    // The number of values of "destinations"; 0 for a null ticket.
    uint64_t GetDestinationCount() const;
    // The destination at the index, or null.
    DestinationPtr GetDestination(uint64_t index) const;
    // The ticket's own settings tree.
    WQcsNode GetQcs() const;

    // The trim box and type area common to every destination and the bleed box that covers
    // them all; each destination's trim rectangle is centred on the origin. A bleed box no
    // destination sets takes the trim box.
    void GetBoxes(zeu::Rect2D& bleedBox, zeu::Rect2D& trimBox, zeu::Rect2D& typeArea) const;
    zeu::Rect2D GetBleedBox() const;
    zeu::Rect2D GetTrimBox() const;
    zeu::Rect2D GetTypeArea() const;

protected:
    TicketPtr m_ticket;
};

using WTicket = WTicketT<std::shared_ptr<const umessage>>;
using WWritableTicket = WTicketT<std::shared_ptr<umessage>>;

extern template class WTicketT<std::shared_ptr<const umessage>>;
extern template class WTicketT<std::shared_ptr<umessage>>;

// Sets every destination's "mlkey" to mlkey, or, when that is empty, to its own key, else to the
// "value" of its user field "ZeId", else of "0eId"; with a key, each user field with a value is
// marked with one "ro" = true.
void ApplyMlkey(const WWritableTicket& ticket, const ustring& mlkey);

// Appends to out the settings of the check found in node, restrictions first (depth-first);
// see WEffectiveProfileT::GetSetting for the order.
void CollectCheckSettings(const WQcsNode& node, const ustring& name,
                          std::vector<WCheckSetting>& out, bool ticketLevel, bool hasDestinations);

// The settings that apply to each check of a ticket.
template <typename Base>
class WEffectiveProfileT : public Base {
public:
    using Base::Base;

    // The check's settings from every destination's tree, then the ticket's own tree, combined
    // by CombineSettings. A destination-bearing ticket always rates the box checks
    // "IncorrectBleedBox", "MissingBleedBox", "IncorrectTrimBox", "MissingTrimBox",
    // "MediaTooSmall" and "ArtBoxDetected" as faults; the ticket's own setting of
    // "InkWeightTAC", "ImageNotJPEGEncoded", "ImageJPEGEncoded" and "Setting_PrinterMarks"
    // counts only when nothing else rated them. A tree's "all" setting stands in for a missing
    // Boolean, LimitsLow or LimitsHigh check. Nothing collected: the definition's default
    // setting, or no setting without a registry.
    WCheckSetting GetSetting(const ustring& name) const;
    // Adds every check identifier named in any settings tree of the ticket.
    void GetCheckNames(std::set<ustring>& names) const;
    // Calls `visit` with every check GetCheckNames names, in name order, and the setting
    // GetSetting gives it. The trees are walked once, and each check meets only the trees that
    // hold it or a catch-all for it: GetSetting walks every tree for each check, which takes
    // time in the square of the trees when each names checks of its own.
    void ForEachSetting(
        const std::function<void(const ustring& name, const WCheckSetting& setting)>& visit) const;
};

using WEffectiveProfile = WEffectiveProfileT<WTicket>;

extern template class WEffectiveProfileT<WTicket>;
