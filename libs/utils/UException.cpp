// UException: construction and the message text.
#include "utils/UException.h"

UException::UException(const ustring& message, std::uint32_t code)
    : code_(code), message_(message) {}

UException::UException(std::uint32_t code) : code_(code) {}

UException::~UException() = default;

const char* UException::what() const noexcept {
    return message_.c_str();
}
