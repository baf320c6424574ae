// Visitors for the host's item walker: the one that makes an analysis record per page item on a
// page, and the one that deletes items with empty bounds.
#pragma once

#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/ItemWalk.h"

#include <boost/shared_ptr.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class ZEPAnalysisRun;

// The analysis records of an export run in collection order: each page's own record, then the
// records of the items found on it. An item gets one record in the whole run, however often and
// on however many pages it is found.
//
// The records are made in place in blocks that never move, and the pointers handed out share
// one owner, the blocks: a record costs no allocation of its own, and the records go together
// when the list and the last pointer to any of them are gone.
class ZEPPageItemInfoList {
public:
    using Records = std::vector<boost::shared_ptr<ZEPPageItemInfo>>;

    ZEPPageItemInfoList() = default;
    ZEPPageItemInfoList(const ZEPPageItemInfoList&) = delete;
    ZEPPageItemInfoList& operator=(const ZEPPageItemInfoList&) = delete;

    // A new empty record after the others, made for the item `owner` (null for a page's own).
    ZEPPageItemInfo& AppendRecord(IPMUnknown* owner = nullptr);
    // Takes the last record away again (one whose analysis failed, of which no pointer was
    // handed on).
    void RemoveLastRecord();
    bool HasItemRecord(const UIDRef& item) const { return m_recordedItems.Contains(item); }
    // Notes that the item its reference names has a record now.
    void NoteItemRecord(const UIDRef& item) { m_recordedItems.Insert(item); }

    Records& GetRecords() { return m_records; }
    const Records& GetRecords() const { return m_records; }

private:
    // The storage of the records: blocks of records made in place, destroyed last to first.
    class Blocks {
    public:
        Blocks() = default;
        Blocks(const Blocks&) = delete;
        Blocks& operator=(const Blocks&) = delete;
        ~Blocks();
        ZEPPageItemInfo& Emplace(IPMUnknown* owner);
        void DestroyLast();

    private:
        static constexpr std::size_t kRecordsPerBlock = 256;
        struct Block {
            alignas(ZEPPageItemInfo) std::byte bytes[kRecordsPerBlock][sizeof(ZEPPageItemInfo)];
        };
        ZEPPageItemInfo* At(std::size_t index) const;

        std::vector<std::unique_ptr<Block>> m_blocks;
        std::size_t m_count = 0;
    };

    // The items that have a record, one bit per UID in pages of 512 UIDs (64 bytes), made when
    // an item of the page first gets a record, and found through a table of the pages' keys (the
    // database's position among those seen, plus 1, in the high half; the UID's page in the low
    // half; 0 a free slot) with open addressing, at most half full. The UIDs of a document lie
    // close together, so a few pages hold its items; those of a document edited for long lie far
    // apart, and then each item costs a page of its own at most.
    class ItemSet {
    public:
        bool Contains(const UIDRef& item) const;
        void Insert(const UIDRef& item);

    private:
        static constexpr std::uint32_t kPageBits = 9;
        using Page = std::array<std::uint64_t, (1u << kPageBits) / 64>;
        struct Slot {
            std::uint64_t key = 0;
            std::uint32_t page = 0; // the position of the page in m_pages
        };

        // The key of the item's page; 0 when its database has no key yet.
        std::uint64_t KeyOf(const UIDRef& item) const;
        // The slot that holds the key, or the free slot where it goes.
        std::size_t SlotOf(std::uint64_t key) const;
        void Grow();
        static bool Test(const Page& page, std::uint32_t uid);

        std::vector<const IDataBase*> m_databases;
        std::vector<Slot> m_slots; // a power of two of them
        std::vector<Page> m_pages;
    };

    boost::shared_ptr<Blocks> m_blocks;
    Records m_records;
    ItemSet m_recordedItems;
};

// A visitor of the item walker that keeps the walker alive while it lives.
class CZEPCallback : public ICallback {
public:
    explicit CZEPCallback(IPMUnknown* object);
    // Makes the host's item walker (class 0x1611 as interface 0x161C) and keeps it. When the host
    // makes none: 0x52E1E "(theWalker) == NULL".
    CZEPCallback();
    IPMUnknown* GetCallbackObject() const override { return GetHeldObject(); }
    // The object held, without a new reference.
    IPMUnknown* GetHeldObject() const { return m_object.get(); }

private:
    InterfacePtr<IPMUnknown> m_object;
};

// Makes the record of every item whose bounds meet the page.
class ZEPItemInfoCallback final : public CZEPCallback {
public:
    // `pageIndex` is 0-based; `pageBounds` are in pasteboard coordinates; `context` is the
    // export's document, handed on to each record's Init; `referenceUID` is the export's
    // reference item (the one selected item of a selection export; 0: none). The context, the
    // records and the export's run (its job, its change of the file system and its lookups) are
    // not owned.
    ZEPItemInfoCallback(IPMUnknown* walker, IPMUnknown* context, ZEPPageItemInfoList& records,
                        ZEPAnalysisRun& run, const PMRect& pageBounds, std::uint32_t pageIndex,
                        UID referenceUID);
    // Without context and reference item.
    ZEPItemInfoCallback(IPMUnknown* walker, ZEPPageItemInfoList& records, ZEPAnalysisRun& run,
                        const PMRect& pageBounds, std::uint32_t pageIndex)
        : ZEPItemInfoCallback(walker, nullptr, records, run, pageBounds, pageIndex, kInvalidUID) {}

    // Items without geometry or hierarchy are passed over.
    void Visit(const PMMatrix& matrix, IPMUnknown* item, std::int32_t flags) override;
    // Analyses the item unless it has a record already; an item whose analysis throws gets no
    // record (false) and an ERROR log record that names its UID, its class and the failure,
    // except that a file that cannot be written (CZEPFileWriteError) fails the export and is
    // thrown on.
    bool Record(IPMUnknown* item);
    // The page bounds the next visits test against (pasteboard coordinates).
    void SetPageBounds(const PMRect& pageBounds) { m_pageBounds = pageBounds; }

private:
    // Record of the item that `ref` names.
    bool Record(IPMUnknown* item, const UIDRef& ref);

    PMRect m_pageBounds;
    IPMUnknown* m_context;
    ZEPPageItemInfoList& m_records;
    ZEPAnalysisRun& m_run;
    std::uint32_t m_pageIndex;
    UID m_referenceUID;
};

// Collects the items with empty bounds (except those of class 0xB667, guides) and deletes them.
class ZEPInfinitelySmallItemDeleter final : public CZEPCallback {
public:
    using CZEPCallback::CZEPCallback;

    void Visit(const PMMatrix& matrix, IPMUnknown* item, std::int32_t flags) override;
    // Deletes the collected items with the host's delete command (nothing when none was
    // collected); a failing command throws its code.
    void DeleteItems();

private:
    std::unique_ptr<UIDList> m_items;
};
