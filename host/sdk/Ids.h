// The numbers of the host's object model. Each kind of number is a type of its own, so a class ID
// cannot be passed where an interface ID is meant; the values are the host's 32-bit numbers.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>

template <typename Tag>
class HostNumber {
public:
    constexpr HostNumber() = default;
    constexpr explicit HostNumber(std::uint32_t value) : m_value(value) {}

    constexpr std::uint32_t Get() const { return m_value; }
    constexpr auto operator<=>(const HostNumber&) const = default;

private:
    std::uint32_t m_value = 0;
};

using ClassID = HostNumber<struct ClassIDTag>;
using PMIID = HostNumber<struct PMIIDTag>;
using ImplementationID = HostNumber<struct ImplementationIDTag>;
using ActionID = HostNumber<struct ActionIDTag>;
using PluginID = HostNumber<struct PluginIDTag>;
using UID = HostNumber<struct UIDTag>;

// An error code of the host: 0 is success; the host's own failure codes are small numbers, a
// plug-in's codes lie in its own ID range.
using ErrorCode = HostNumber<struct ErrorCodeTag>;

inline constexpr ClassID kInvalidClass{0};
inline constexpr ImplementationID kInvalidImpl{0};
inline constexpr UID kInvalidUID{0};
inline constexpr ErrorCode kSuccess{0};
inline constexpr ErrorCode kFailure{1}; // the host's general failure code
inline constexpr ErrorCode kCancel{2};  // the user cancelled; never shown in an alert

template <typename Tag>
struct std::hash<HostNumber<Tag>> {
    std::size_t operator()(HostNumber<Tag> number) const noexcept {
        return std::hash<std::uint32_t>{}(number.Get());
    }
};
