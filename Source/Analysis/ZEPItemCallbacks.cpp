#include "Analysis/ZEPItemCallbacks.h"

#include "Analysis/ZEPAnalysisRun.h"
#include "Plugin/CZEPException.h"
#include "host/sdk/Command.h"
#include "host/sdk/Database.h"
#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"
#include "utils/Logger.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <exception>
#include <new>

namespace {

constexpr const char* kLogFile = "..\\..\\Source\\Analysis\\ZEPItemCallbacks";

constexpr ClassID kSparedItemClass{0xB667};

// The text of the exception being handled: its message, or its code when it has none. Only
// inside a handler.
ustring CurrentFailureText() {
    try {
        throw;
    } catch (const UException& exception) {
        return exception.message().empty() ? ustring::format("error 0x%X", exception.code())
                                           : exception.message();
    } catch (const std::exception& exception) {
        return ustring(exception.what());
    } catch (...) {
        return ustring("unknown failure");
    }
}

// Logs, as an ERROR record, that the item gets no record for the failure being handled: the
// item's UID and class and the failure's text. Only inside a handler; a record that cannot be
// made is lost.
void LogDroppedItem(const UIDRef& item) noexcept {
    try {
        const IDataBase* database = item.GetDataBase();
        const ClassID cls = database ? database->GetClass(item.GetUID()) : kInvalidClass;
        const ustring failure = CurrentFailureText();
        ZEU_LOG(Error, kLogFile, __LINE__, "ZEPItemInfoCallback::Record")
            << ustring::format("item %u of class 0x%X is left out of the page items: ",
                               item.GetUID().Get(), cls.Get())
            << failure;
    } catch (...) {
    }
}

// The item's bounds (outer stroke edge) in pasteboard coordinates, from the host's geometry
// utilities (null: 0x52E1E "(iGeometryUtils) == NULL").
PMRect ItemBounds(const IGeometryUtils* utils, const UIDRef& item) {
    ThrowIfNull(utils, "iGeometryUtils");
    return utils->GetItemBounds(item, CoordinateSpace{0, PMMatrix()}, kOuterStrokeBounds);
}

PMRect ItemBounds(const UIDRef& item) {
    InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
    return ItemBounds(utils.get(), item);
}

} // namespace

ZEPPageItemInfoList::Blocks::~Blocks() {
    while (m_count > 0)
        DestroyLast();
}

ZEPPageItemInfo* ZEPPageItemInfoList::Blocks::At(std::size_t index) const {
    return std::launder(reinterpret_cast<ZEPPageItemInfo*>(
        m_blocks[index / kRecordsPerBlock]->bytes[index % kRecordsPerBlock]));
}

ZEPPageItemInfo& ZEPPageItemInfoList::Blocks::Emplace(IPMUnknown* owner) {
    // A block's bytes are not cleared: each record is made in its place before use.
    if (m_count == m_blocks.size() * kRecordsPerBlock)
        m_blocks.push_back(std::make_unique_for_overwrite<Block>());
    auto* record = new (m_blocks[m_count / kRecordsPerBlock]->bytes[m_count % kRecordsPerBlock])
        ZEPPageItemInfo(owner);
    ++m_count;
    return *record;
}

void ZEPPageItemInfoList::Blocks::DestroyLast() {
    At(--m_count)->~ZEPPageItemInfo();
}

ZEPPageItemInfo& ZEPPageItemInfoList::AppendRecord(IPMUnknown* owner) {
    if (!m_blocks)
        m_blocks = boost::make_shared<Blocks>();
    ZEPPageItemInfo& record = m_blocks->Emplace(owner);
    try {
        m_records.emplace_back(m_blocks, &record);
    } catch (...) {
        m_blocks->DestroyLast();
        throw;
    }
    return record;
}

void ZEPPageItemInfoList::RemoveLastRecord() {
    m_records.pop_back();
    m_blocks->DestroyLast();
}

std::uint64_t ZEPPageItemInfoList::ItemSet::KeyOf(const UIDRef& item) const {
    const auto database = std::find(m_databases.begin(), m_databases.end(), item.GetDataBase());
    if (database == m_databases.end())
        return 0;
    const auto position = static_cast<std::uint64_t>(database - m_databases.begin());
    return (position + 1) << 32 | item.GetUID().Get() >> kPageBits;
}

std::size_t ZEPPageItemInfoList::ItemSet::SlotOf(std::uint64_t key) const {
    // Fibonacci hashing spreads runs of consecutive keys over the whole table.
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & mask;
    while (m_slots[slot].key != 0 && m_slots[slot].key != key)
        slot = (slot + 1) & mask;
    return slot;
}

bool ZEPPageItemInfoList::ItemSet::Test(const Page& page, std::uint32_t uid) {
    const std::uint32_t bit = uid & ((1u << kPageBits) - 1);
    return (page[bit / 64] >> (bit % 64) & 1) != 0;
}

bool ZEPPageItemInfoList::ItemSet::Contains(const UIDRef& item) const {
    const std::uint64_t key = KeyOf(item);
    if (key == 0 || m_slots.empty())
        return false;
    const Slot& slot = m_slots[SlotOf(key)];
    return slot.key == key && Test(m_pages[slot.page], item.GetUID().Get());
}

void ZEPPageItemInfoList::ItemSet::Insert(const UIDRef& item) {
    if (KeyOf(item) == 0)
        m_databases.push_back(item.GetDataBase());
    if (2 * (m_pages.size() + 1) > m_slots.size())
        Grow();
    const std::uint64_t key = KeyOf(item);
    Slot& slot = m_slots[SlotOf(key)];
    if (slot.key == 0) {
        m_pages.emplace_back();
        slot = {key, static_cast<std::uint32_t>(m_pages.size() - 1)};
    }
    const std::uint32_t bit = item.GetUID().Get() & ((1u << kPageBits) - 1);
    m_pages[slot.page][bit / 64] |= std::uint64_t{1} << (bit % 64);
}

void ZEPPageItemInfoList::ItemSet::Grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * m_slots.size()));
    old.swap(m_slots);
    for (const Slot& slot : old)
        if (slot.key != 0)
            m_slots[SlotOf(slot.key)] = slot;
}

CZEPCallback::CZEPCallback(IPMUnknown* object) : m_object(object) {
    if (object)
        object->AddRef();
}

CZEPCallback::CZEPCallback() : m_object(CreateObject(kItemWalkerBoss, IItemWalker::kDefaultIID)) {
    ThrowIfNull(m_object, "theWalker");
}

ZEPItemInfoCallback::ZEPItemInfoCallback(IPMUnknown* walker, IPMUnknown* context,
                                         ZEPPageItemInfoList& records, ZEPAnalysisRun& run,
                                         const PMRect& pageBounds, std::uint32_t pageIndex,
                                         UID referenceUID)
    : CZEPCallback(walker), m_pageBounds(pageBounds), m_context(context), m_records(records),
      m_run(run), m_pageIndex(pageIndex), m_referenceUID(referenceUID) {}

void ZEPItemInfoCallback::Visit(const PMMatrix&, IPMUnknown* item, std::int32_t) {
    InterfacePtr<IGeometry> geometry(item, UseDefaultIID{});
    InterfacePtr<IHierarchy> hierarchy(item, UseDefaultIID{});
    if (!geometry || !hierarchy)
        return;
    const UIDRef ref = GetUIDRef(item);
    if (Intersect(ItemBounds(m_run.GetUtils<IGeometryUtils>(), ref), m_pageBounds))
        Record(item, ref);
}

bool ZEPItemInfoCallback::Record(IPMUnknown* item) {
    return Record(item, GetUIDRef(item));
}

bool ZEPItemInfoCallback::Record(IPMUnknown* item, const UIDRef& ref) {
    try {
        const auto page = static_cast<std::int32_t>(m_pageIndex + 1);
        const bool isReferenceItem = ref.GetUID() == m_referenceUID;
        if (m_records.HasItemRecord(ref))
            return true;
        ZEPPageItemInfo& record = m_records.AppendRecord(item);
        try {
            record.Init(m_context, item, m_pageBounds, m_run, page, isReferenceItem);
            m_records.NoteItemRecord(ref);
        } catch (...) {
            m_records.RemoveLastRecord();
            throw;
        }
        return true;
    } catch (const CZEPFileWriteError&) {
        throw;
    } catch (...) {
        // The item is dropped; the log tells which and why, so that the page-item file's
        // missing record is not mistaken for an item without findings.
        LogDroppedItem(ref);
        return false;
    }
}

void ZEPInfinitelySmallItemDeleter::Visit(const PMMatrix&, IPMUnknown* item, std::int32_t) {
    InterfacePtr<IGeometry> geometry(item, UseDefaultIID{});
    const UIDRef ref = GetUIDRef(item);
    if (!geometry || ref.GetDataBase()->GetClass(ref.GetUID()) == kSparedItemClass)
        return;
    if (!ItemBounds(ref).IsEmpty())
        return;
    if (!m_items)
        m_items = std::make_unique<UIDList>(ref.GetDataBase());
    m_items->Append(ref.GetUID());
}

void ZEPInfinitelySmallItemDeleter::DeleteItems() {
    if (!m_items)
        return;
    InterfacePtr<ICommand> deletePageItemsCmd(CmdUtils::CreateCommand(kDeleteCmdBoss));
    ThrowIfNull(deletePageItemsCmd, "deletePageItemsCmd");
    deletePageItemsCmd->SetItemList(*m_items);
    ThrowIfError(CmdUtils::ProcessCommand(deletePageItemsCmd.get()));
}
