#include "host/standin/EmbeddedData.h"

#include "host/sdk/Stream.h"
#include "host/standin/ObjectModel.h"

namespace host {

namespace {

class EmbeddedData final : public CPMUnknown<IEmbeddedData> {
public:
    EmbeddedData(IPMUnknown* boss, std::vector<std::uint8_t> bytes)
        : CPMUnknown(boss), m_bytes(std::move(bytes)) {}

    void WriteData(IPMStream* stream, std::int32_t /*option*/) const override {
        std::vector<std::uint8_t> bytes = m_bytes;
        stream->XferBytes(bytes.data(), bytes.size());
    }
    const std::vector<std::uint8_t>& GetBytes() const override { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace

std::unique_ptr<IPMUnknown> NewEmbeddedDataFacet(IPMUnknown* boss,
                                                 std::vector<std::uint8_t> bytes) {
    return std::make_unique<EmbeddedData>(boss, std::move(bytes));
}

void RegisterEmbeddedDataClasses() {
    ObjectModel::Instance().AddToClass(kEmbeddedDataBoss, {});
}

} // namespace host
