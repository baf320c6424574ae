// The destinations a job has already been exported for, each with the pages exported, kept in
// ascending order of identifier (record 'EL' of the job file).
#pragma once

#include "model/BPageRange.h"
#include "model/OwningList.h"

#include <cstdint>
#include <memory>

class UKeyInStream;
class UKeyOutStream;

struct BExportedDestination {
    // 'ID' and the record 'PR' of the current item.
    void Read(UKeyInStream& in);
    void Write(UKeyOutStream& out) const;

    std::int32_t identifier = 0;  // 'ID'
    BPageRangeAbsoluteList pages; // 'PR'
};

class BExportedDestinationList {
public:
    // After every item with a lower or equal identifier.
    void Insert(std::unique_ptr<BExportedDestination> item);
    void Clear() { m_items.Clear(); }

    // The record 'EL', one item per exported destination. Reading inserts without clearing.
    void Read(UKeyInStream& in);
    void Write(UKeyOutStream& out) const;

    // In ascending order of identifier.
    const OwningList<BExportedDestination>& GetItems() const { return m_items; }

private:
    OwningList<BExportedDestination> m_items;
};
