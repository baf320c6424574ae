// The stand-in's memory stream (host/sdk/Stream.h), in which the host keeps and reads back the
// data of persistent facets.
#pragma once

#include "host/sdk/Stream.h"

#include <cstdint>
#include <memory>
#include <vector>

// A stream over bytes in memory: a reader over given bytes, or a writer that collects them.
class MemoryStream final : public IPMStream {
public:
    static std::unique_ptr<MemoryStream> Reader(std::vector<std::uint8_t> bytes);
    static std::unique_ptr<MemoryStream> Writer();

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    MemoryStream(bool reading, std::vector<std::uint8_t> bytes)
        : IPMStream(reading), m_bytes(std::move(bytes)) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t position, void* bytes, std::size_t count) override;
    bool WriteAt(std::uint64_t position, const void* bytes, std::size_t count) override;

    std::vector<std::uint8_t> m_bytes;
};
