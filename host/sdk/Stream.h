// The host's persistence stream. A stream either reads or writes; every transfer takes a
// reference and reads into it or writes from it, so one ReadWrite function serves both ways.
// Numbers are little-endian. A read past the end puts the stream in a failed state, yields zeros
// and reads nothing more; nothing is ever allocated for a length read from a stream.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/IDFile.h"

#include <cstdint>
#include <memory>

class IPMStream {
public:
    // Seek modes: from the start, from the end, from the current position.
    enum SeekMode { kSeekFromStart = 0, kSeekFromEnd = 1, kSeekFromCurrent = 2 };

    virtual ~IPMStream() = default;

    bool IsReading() const { return m_reading; }
    bool IsWriting() const { return !m_reading; }
    // True once a read ran past the end or a write failed.
    bool Failed() const { return m_failed; }

    void XferInt16(std::int16_t& value);
    void XferInt32(std::int32_t& value);
    // `count` bytes; a read short of them fails the stream and zeroes what was not read.
    void XferBytes(void* bytes, std::size_t count);
    // A UID, as its 32-bit number.
    void XferReference(UID& uid);

    // Ends the stream: a file writer writes out what it holds and closes its file, and a failure
    // of either fails the stream. Nothing more is written after it (42nd operation).
    void Close();

    // Moves the position; a position outside the stream fails it.
    void Seek(std::int64_t offset, SeekMode mode);
    std::uint64_t Position() const { return m_position; }
    // The bytes a reader has left (0 for a writer).
    std::uint64_t Remaining() const {
        return m_reading ? Size() - std::min(m_position, Size()) : 0;
    }

protected:
    explicit IPMStream(bool reading) : m_reading(reading) {}
    void Fail() { m_failed = true; }

    virtual std::uint64_t Size() const = 0;
    // Read or write exactly `count` bytes at the position; false when that cannot be done.
    virtual bool ReadAt(std::uint64_t position, void* bytes, std::size_t count) = 0;
    virtual bool WriteAt(std::uint64_t position, const void* bytes, std::size_t count) = 0;
    // Ends the stream's use of what lies behind it; false when that fails.
    virtual bool Finish() { return true; }

private:
    template <typename T>
    void XferNumber(T& value);

    bool m_reading;
    bool m_failed = false;
    std::uint64_t m_position = 0;
};

namespace StreamUtil {
// A stream that writes the file (created or emptied); null when the file cannot be opened. The
// bytes reach the file when the stream is closed (IPMStream::Close, or its destruction).
std::unique_ptr<IPMStream> CreateFileStreamWrite(const IDFile& file);
} // namespace StreamUtil
