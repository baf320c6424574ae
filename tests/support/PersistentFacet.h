// Test aid for persistent facets: the bytes a stored object's facet writes when the host saves it,
// and reading given bytes into it as the host does when it opens saved data.
#pragma once

#include "host/sdk/Database.h"
#include "host/standin/Stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

// Runs the read-write function of the object's persistent facet `iid` on the stream.
inline void TransferFacet(const UIDRef& object, PMIID iid, IPMStream& stream) {
    InterfacePtr<IPMUnknown> facet(object, iid);
    ASSERT_TRUE(facet);
    for (const Boss::PersistentFacet& persistent : Boss::Of(facet.get())->PersistentFacets())
        if (persistent.object == facet.get())
            return persistent.readWrite(persistent.object, &stream, persistent.implementation);
    FAIL() << "the facet is not persistent";
}

inline std::vector<std::uint8_t> WriteFacet(const UIDRef& object, PMIID iid) {
    auto writer = MemoryStream::Writer();
    TransferFacet(object, iid, *writer);
    return writer->Bytes();
}

// The stream after the facet read the bytes.
inline std::unique_ptr<MemoryStream> ReadFacet(const UIDRef& object, PMIID iid,
                                               std::vector<std::uint8_t> bytes) {
    auto reader = MemoryStream::Reader(std::move(bytes));
    TransferFacet(object, iid, *reader);
    return reader;
}
