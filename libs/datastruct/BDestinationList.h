// The destinations of a job, held in groups: BDestinationList (an owning list with its summary),
// BGroup (a named list with a selected flag and its size summary), BGroupList (the job's groups,
// record 'GG'), and the reader of the destination-identifier set that the companion application
// sends.
#pragma once

#include "model/BDestination.h"
#include "model/OwningList.h"
#include "utils/ustring.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <set>
#include <vector>

class BJobFile;
class UKeyInStream;
class UKeyOutStream;

// Identifiers of destinations, as their texts.
using DestinationIdentifierSet = std::set<ustring>;

// An owning list of destinations in insertion order, with the flags the plug-in keeps on it.
class BDestinationList : public OwningList<BDestination> {
public:
    explicit BDestinationList(BJobFile* owner = nullptr) : m_owner(owner) {}

    // Some destination's exported flag is clear.
    bool HasUnexported() const;
    // Every destination's exported flag is set (true for an empty list).
    bool AllExported() const;
    // Sets every destination's exported flag; clears summary flag 0 and the first list flag.
    void MarkAllExported();
    // Clears the exported flag of every destination whose identifier is in the set; true when
    // one matched.
    bool ClearExportedByIdentifier(const DestinationIdentifierSet& identifiers);

    // Summary flag 0: the list holds a destination; flag 1: some destination has a bleed.
    void UpdateSummary();
    // The summary flags as last computed (or cleared).
    void GetSummaryFlags(bool& hasDestinations, bool& hasBleed) const;

    // The first code shared by every destination whose first code is neither empty nor "Other";
    // empty when two of them differ or none has one.
    ustring CommonFirstCode() const;

    BJobFile* GetOwner() { return m_owner; }
    const BJobFile* GetOwner() const { return m_owner; }

    // Five flags for the plug-in, at construction false, false, true, false, false; index 0 to 4
    // (else std::out_of_range).
    bool GetFlag(int index) const { return m_flags.at(index); }
    void SetFlag(int index, bool value) { m_flags.at(index) = value; }

    const ustring& GetName() const { return m_name; }
    void SetName(const ustring& name) { m_name = name; }

private:
    BJobFile* m_owner;
    std::array<bool, 5> m_flags{false, false, true, false, false};
    ustring m_name;
    bool m_hasDestinations = false; // summary flag 0
    bool m_hasBleed = false;        // summary flag 1
};

// A named list of destinations with a selected flag, as a job stores it in 'GG'.
class BGroup : public BDestinationList {
public:
    explicit BGroup(BJobFile* owner = nullptr) : BDestinationList(owner) {}
    // The group's destinations point back to it.
    BGroup(const BGroup&) = delete;
    BGroup& operator=(const BGroup&) = delete;

    // A new destination of this list's job whose group is this group, appended.
    BDestination* CreateDestination();

    // The group's elements 'GA', 'Gd' and 'LL' in the current item. Reading appends the stored
    // destinations and then updates the size summary.
    void Read(UKeyInStream& in);
    // With kJobFilePartUnexported in `mask` only destinations whose exported flag is clear are
    // written, and each one written is marked exported.
    void Write(UKeyOutStream& out, std::int32_t mask);

    // The minimum size over the destinations, or the size of the first destination with a bleed
    // as effective size (the minimum then 0 x 0).
    void UpdateSizeSummary();

    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    // Carried as it is ('Gd').
    bool GetGd() const { return m_gd; }
    void SetGd(bool value) { m_gd = value; }

    double GetMinWidth() const { return m_minWidth; }
    double GetMinHeight() const { return m_minHeight; }
    // Set by Read: the last destination read has a bleed.
    bool HasBleed() const { return m_hasBleed; }
    double GetEffectiveWidth() const { return m_effectiveWidth; }
    double GetEffectiveHeight() const { return m_effectiveHeight; }

private:
    // UpdateSizeSummary; false when a destination with a bleed decided the summary, so that
    // later destinations no longer count.
    bool SummariseSizes();
    // Takes one more destination into the summary; false when it has a bleed and decides it.
    bool AddToSizeSummary(const BDestination& destination);

    bool m_selected = false;
    bool m_gd = false;
    double m_minWidth = 0.0;
    double m_minHeight = 0.0;
    bool m_hasBleed = false;
    double m_effectiveWidth = 0.0;
    double m_effectiveHeight = 0.0;
};

// BDestination::GetExcessWidth and BDestination::GetExcessHeight of the destination.
double GetExcessWidth(const BDestination& destination);
double GetExcessHeight(const BDestination& destination);

// The groups of a job, in insertion order; one of them is normally selected.
class BGroupList : public OwningList<BGroup> {
public:
    explicit BGroupList(BJobFile* owner = nullptr) : m_owner(owner) {}

    // A new group of this list's job, appended.
    BGroup* AddGroup();
    // A new destination in the first group (created when the list is empty).
    BDestination* AddDestination();

    // The first group whose selected flag is set, else null.
    BGroup* GetSelectedGroup();
    const BGroup* GetSelectedGroup() const;
    // Selects `group` and deselects every other (a group not in the list deselects all).
    void SelectGroup(const BGroup* group);
    // The first group with an unexported destination, else null (empty groups are skipped).
    BGroup* FindFirstUnexportedGroup();
    // The first group that holds the destination, else null.
    const BGroup* FindGroupOf(const BDestination* destination) const;

    std::int32_t CountDestinations() const;
    // Empties `target`, then gives it every destination of every group, in group order. The
    // groups keep owning them: the pointers are valid as long as the groups hold them.
    void CollectDestinations(std::vector<BDestination*>& target);

    // The number of items in the 'GG' record of the current item.
    static std::int32_t CountStoredGroups(UKeyInStream& in);
    // Deletes every group, then reads one group per item of 'GG'.
    void Read(UKeyInStream& in);
    // The record 'GG': with kJobFilePartSelectedGroups in `mask` only selected groups; the mask
    // is passed to each group.
    void Write(UKeyOutStream& out, std::int32_t mask);

    BJobFile* GetOwner() { return m_owner; }
    const BJobFile* GetOwner() const { return m_owner; }

private:
    BJobFile* m_owner;
};

// Reads the destination-identifier set that the companion application sends, all numbers
// big-endian 32-bit: a count c; for c >= 0, c integers (each inserted as its decimal text); for
// c < 0, -c strings, each a length and that many bytes. The set is emptied first. A truncated
// input, a negative length, a length beyond ustring::kMaxLength or a count or length that the
// remaining bytes cannot hold gives false and leaves the set empty; nothing is allocated for
// such a count or length.
[[nodiscard]] bool ReadDestinationIdentifierSet(std::istream& in,
                                                DestinationIdentifierSet& identifiers);
