#include "Analysis/ZEPItemCallbacks.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Command.h"
#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"

#include <boost/make_shared.hpp>

namespace {

constexpr ClassID kSparedItemClass{0xB667};

// The item's bounds (outer stroke edge) in pasteboard coordinates.
PMRect ItemBounds(const UIDRef& item) {
    InterfacePtr<IGeometryUtils> utils(UtilsBoss::QueryUtils<IGeometryUtils>());
    ThrowIfNull(utils, "iGeometryUtils");
    return utils->GetItemBounds(item, CoordinateSpace{0, PMMatrix()}, kOuterStrokeBounds);
}

} // namespace

void ZEPPageItemInfoList::AppendItemRecord(boost::shared_ptr<ZEPPageItemInfo> record) {
    m_items.insert(Key(record->GetItemRef()));
    m_records.push_back(std::move(record));
}

CZEPCallback::CZEPCallback(IPMUnknown* object) : m_object(object) {
    if (object)
        object->AddRef();
}

ZEPItemInfoCallback::ZEPItemInfoCallback(IPMUnknown* walker, ZEPPageItemInfoList& records,
                                         const BJobFile& job, const PMRect& pageBounds,
                                         std::uint32_t pageIndex, ZEPFileTransaction* files)
    : CZEPCallback(walker), m_pageBounds(pageBounds), m_records(records), m_job(job),
      m_pageIndex(pageIndex), m_files(files) {}

void ZEPItemInfoCallback::Visit(const PMMatrix&, IPMUnknown* item, std::int32_t) {
    InterfacePtr<IGeometry> geometry(item, UseDefaultIID{});
    InterfacePtr<IHierarchy> hierarchy(item, UseDefaultIID{});
    if (!geometry || !hierarchy)
        return;
    if (Intersect(ItemBounds(GetUIDRef(item)), m_pageBounds))
        Record(item);
}

bool ZEPItemInfoCallback::Record(IPMUnknown* item) {
    try {
        if (m_records.HasItemRecord(GetUIDRef(item)))
            return true;
        auto record = boost::make_shared<ZEPPageItemInfo>();
        record->SetFileTransaction(m_files);
        record->Init(item, m_pageBounds, m_job, static_cast<std::int32_t>(m_pageIndex + 1));
        m_records.AppendItemRecord(std::move(record));
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
