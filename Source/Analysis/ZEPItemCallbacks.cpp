#include "Analysis/ZEPItemCallbacks.h"

#include "Analysis/ZEPAnalysisRun.h"
#include "Plugin/CZEPException.h"
#include "host/sdk/Command.h"
#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <new>

namespace {

constexpr ClassID kSparedItemClass{0xB667};

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
    if (m_count == m_blocks.size() * kRecordsPerBlock)
        m_blocks.push_back(std::make_unique<Block>());
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

bool ZEPPageItemInfoList::ItemSet::Contains(const UIDRef& item) const {
    const std::uint32_t uid = item.GetUID().Get();
    for (const OfDataBase& database : m_databases)
        if (database.db == item.GetDataBase()) {
            const std::size_t page = uid >> kPageBits;
            return page < database.pages.size() && database.pages[page] &&
                   database.pages[page]->test(uid & ((1u << kPageBits) - 1));
        }
    return false;
}

void ZEPPageItemInfoList::ItemSet::Insert(const UIDRef& item) {
    auto database = std::find_if(m_databases.begin(), m_databases.end(),
                                 [&](const OfDataBase& d) { return d.db == item.GetDataBase(); });
    if (database == m_databases.end())
        database = m_databases.insert(m_databases.end(), {item.GetDataBase(), {}});
    const std::uint32_t uid = item.GetUID().Get();
    const std::size_t page = uid >> kPageBits;
    if (page >= database->pages.size())
        database->pages.resize(page + 1);
    if (!database->pages[page])
        database->pages[page] = std::make_unique<Page>();
    database->pages[page]->set(uid & ((1u << kPageBits) - 1));
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
    if (Intersect(ItemBounds(m_run.GetUtils<IGeometryUtils>(), GetUIDRef(item)), m_pageBounds))
        Record(item);
}

bool ZEPItemInfoCallback::Record(IPMUnknown* item) {
    try {
        const auto page = static_cast<std::int32_t>(m_pageIndex + 1);
        const UIDRef ref = GetUIDRef(item);
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
