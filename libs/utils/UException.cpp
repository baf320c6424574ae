// UException: construction and the message text.
#include "utils/UException.h"

UException::UException(const ustring& message, std::uint32_t code)
    : m_code(code), m_message(message) {}

UException::UException(std::uint32_t code) : m_code(code) {}

UException::~UException() = default;

const char* UException::what() const noexcept {
    return m_message.c_str();
}
