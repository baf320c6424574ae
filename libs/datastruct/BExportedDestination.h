// The destinations a job has already been exported for, each with the pages exported, kept in
// ascending order of identifier (record 'EL' of the job file).
#pragma once

#include "model/BPageRange.h"

#include <cstdint>
#include <memory>
#include <vector>

class UKeyInStream;
class UKeyOutStream;

class BExportedDestination {
public:
    BExportedDestination() = default;
    virtual ~BExportedDestination() = default;

    // 'ID' and the record 'PR' of the current item.
    void Read(UKeyInStream& in);
    void Write(UKeyOutStream& out) const;

    std::int32_t identifier = 0;  // 'ID'
    BPageRangeAbsoluteList pages; // 'PR'
};

class BExportedDestinationList {
public:
    BExportedDestinationList() = default;
    virtual ~BExportedDestinationList() = default;

    // After every item with a lower or equal identifier.
    void Insert(std::unique_ptr<BExportedDestination> item);
    void Clear() { m_items.clear(); }

    // The record 'EL', one item per exported destination. Reading inserts without clearing.
    void Read(UKeyInStream& in);
    void Write(UKeyOutStream& out) const;

    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    const BExportedDestination& operator[](std::size_t i) const { return *m_items[i]; }

private:
    std::vector<std::unique_ptr<BExportedDestination>> m_items;
};
