// Visitors for the host's item walker: the one that makes an analysis record per page item on a
// page, and the one that deletes items with empty bounds.
#pragma once

#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/ItemWalk.h"

#include <boost/shared_ptr.hpp>

#include <functional>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

class BJobFile;

// The analysis records of an export run in collection order: each page's own record, then the
// records of the items found on it. An item gets one record in the whole run, however often and
// on however many pages it is found.
class ZEPPageItemInfoList {
public:
    using Records = std::vector<boost::shared_ptr<ZEPPageItemInfo>>;

    void AppendPageRecord(boost::shared_ptr<ZEPPageItemInfo> record) {
        m_records.push_back(std::move(record));
    }
    bool HasItemRecord(const UIDRef& item) const { return m_items.contains(Key(item)); }
    // The record of the item its reference names.
    void AppendItemRecord(boost::shared_ptr<ZEPPageItemInfo> record);

    Records& GetRecords() { return m_records; }
    const Records& GetRecords() const { return m_records; }

private:
    using ItemKey = std::pair<const IDataBase*, UID>;
    struct KeyHash {
        std::size_t operator()(const ItemKey& key) const {
            return std::hash<const IDataBase*>()(key.first) ^
                   std::hash<std::uint32_t>()(key.second.Get());
        }
    };
    static ItemKey Key(const UIDRef& ref) { return {ref.GetDataBase(), ref.GetUID()}; }

    Records m_records;
    std::unordered_set<ItemKey, KeyHash> m_items;
};

// A visitor of the item walker that keeps the walker alive while it lives.
class CZEPCallback : public ICallback {
public:
    explicit CZEPCallback(IPMUnknown* object);
    IPMUnknown* GetCallbackObject() const override { return GetHeldObject(); }
    // The object held, without a new reference.
    IPMUnknown* GetHeldObject() const { return m_object.get(); }

private:
    InterfacePtr<IPMUnknown> m_object;
};

// Makes the record of every item whose bounds meet the page.
class ZEPItemInfoCallback final : public CZEPCallback {
public:
    // `pageIndex` is 0-based; `pageBounds` are in pasteboard coordinates. The records, the job
    // and the export's change of the file system (for the files the analysis writes; null: in
    // place) are not owned.
    ZEPItemInfoCallback(IPMUnknown* walker, ZEPPageItemInfoList& records, const BJobFile& job,
                        const PMRect& pageBounds, std::uint32_t pageIndex,
                        ZEPFileTransaction* files = nullptr);

    // Items without geometry or hierarchy are passed over.
    void Visit(const PMMatrix& matrix, IPMUnknown* item, std::int32_t flags) override;
    // Analyses the item unless it has a record already; an item whose analysis throws gets no
    // record (false), except that a file that cannot be written (CZEPFileWriteError) fails the
    // export and is thrown on.
    bool Record(IPMUnknown* item);

private:
    PMRect m_pageBounds;
    ZEPPageItemInfoList& m_records;
    const BJobFile& m_job;
    std::uint32_t m_pageIndex;
    ZEPFileTransaction* m_files;
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
