#include "host/standin/Stream.h"

#include "encoding/ByteOrder.h"
#include "host/standin/Faults.h"
#include "platform/files.h"

#include <cstring>

template <typename T>
void IPMStream::XferNumber(T& value) {
    unsigned char bytes[sizeof(T)];
    if (m_reading) {
        XferBytes(bytes, sizeof bytes);
        value = static_cast<T>(loadLittleEndian(bytes, sizeof bytes));
    } else {
        storeLittleEndian(static_cast<std::uint64_t>(value), sizeof bytes, bytes);
        XferBytes(bytes, sizeof bytes);
    }
}

void IPMStream::XferInt16(std::int16_t& value) {
    XferNumber(value);
}

void IPMStream::XferInt32(std::int32_t& value) {
    XferNumber(value);
}

void IPMStream::XferReference(UID& uid) {
    auto number = static_cast<std::int32_t>(uid.Get());
    XferInt32(number);
    uid = UID(static_cast<std::uint32_t>(number));
}

void IPMStream::XferBytes(void* bytes, std::size_t count) {
    if (count == 0)
        return;
    if (m_failed) {
        if (m_reading)
            std::memset(bytes, 0, count);
        return;
    }
    const bool done =
        m_reading ? ReadAt(m_position, bytes, count) : WriteAt(m_position, bytes, count);
    if (!done) {
        if (m_reading)
            std::memset(bytes, 0, count);
        Fail();
        return;
    }
    m_position += count;
}

void IPMStream::Close() {
    if (!Finish())
        Fail();
}

void IPMStream::Seek(std::int64_t offset, SeekMode mode) {
    const std::int64_t base = mode == kSeekFromStart ? 0
                              : mode == kSeekFromEnd ? static_cast<std::int64_t>(Size())
                                                     : static_cast<std::int64_t>(m_position);
    const std::int64_t target = base + offset;
    if (offset > 0 && target < base) { // overflow
        Fail();
        return;
    }
    if (target < 0 || (m_reading && static_cast<std::uint64_t>(target) > Size())) {
        Fail();
        return;
    }
    m_position = static_cast<std::uint64_t>(target);
}

std::unique_ptr<MemoryStream> MemoryStream::Reader(std::vector<std::uint8_t> bytes) {
    return std::unique_ptr<MemoryStream>(new MemoryStream(true, std::move(bytes)));
}

std::unique_ptr<MemoryStream> MemoryStream::Writer() {
    return std::unique_ptr<MemoryStream>(new MemoryStream(false, {}));
}

bool MemoryStream::ReadAt(std::uint64_t position, void* bytes, std::size_t count) {
    if (position > m_bytes.size() || count > m_bytes.size() - position)
        return false;
    std::memcpy(bytes, m_bytes.data() + position, count);
    return true;
}

bool MemoryStream::WriteAt(std::uint64_t position, const void* bytes, std::size_t count) {
    if (position + count > m_bytes.size())
        m_bytes.resize(position + count);
    std::memcpy(m_bytes.data() + position, bytes, count);
    return true;
}

namespace {

// A stream that writes a file opened through the platform layer: the bytes gather in memory and
// go to the file when the stream ends.
class FileWriteStream final : public IPMStream {
public:
    explicit FileWriteStream(std::unique_ptr<platform::OutputFileStream> file)
        : IPMStream(false), m_file(std::move(file)), m_bytes(MemoryStream::Writer()) {}
    ~FileWriteStream() override { static_cast<void>(Finish()); }

private:
    std::uint64_t Size() const override { return m_bytes->Bytes().size(); }
    bool ReadAt(std::uint64_t, void*, std::size_t) override { return false; }
    bool WriteAt(std::uint64_t position, const void* bytes, std::size_t count) override {
        if (!m_file)
            return false;
        m_bytes->Seek(static_cast<std::int64_t>(position), kSeekFromStart);
        m_bytes->XferBytes(const_cast<void*>(bytes), count);
        return !m_bytes->Failed();
    }
    bool Finish() override {
        if (!m_file)
            return false;
        const std::vector<std::uint8_t>& bytes = m_bytes->Bytes();
        m_file->write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        const bool written = m_file->close();
        m_file.reset();
        return written;
    }

    std::unique_ptr<platform::OutputFileStream> m_file;
    std::unique_ptr<MemoryStream> m_bytes;
};

} // namespace

namespace StreamUtil {

std::unique_ptr<IPMStream> CreateFileStreamWrite(const IDFile& file) {
    if (host::Faults::Instance().FileStreamOpenFails(file.GetString()))
        return nullptr;
    auto out = std::make_unique<platform::OutputFileStream>();
    if (!out->open(file.GetString()))
        return nullptr;
    return std::make_unique<FileWriteStream>(std::move(out));
}

} // namespace StreamUtil
