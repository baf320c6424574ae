// UException: the exception base of the system's own code, carrying the raising layer's
// four-character domain tag, an error code and a UTF-8 message.
#pragma once

#include "utils/ustring.h"

#include <cstdint>
#include <exception>

class UException : public std::exception {
public:
    // 'UTIL': the characters U, T, I, L from the most significant byte down.
    static constexpr std::uint32_t kUtilDomain = 0x5554494C;

    UException(const ustring& message, std::uint32_t code);
    explicit UException(std::uint32_t code);
    UException(const UException& other) = default;
    UException& operator=(const UException& other) = default;
    ~UException() override;

    // The message's characters, valid while this exception lives.
    const char* what() const noexcept override;

    std::uint32_t domain() const { return m_domain; }
    std::uint32_t code() const { return m_code; }
    const ustring& message() const { return m_message; }

protected:
    // A subclass's constructor writes its own tag over 'UTIL'.
    std::uint32_t m_domain = kUtilDomain;
    std::uint32_t m_code;
    ustring m_message;
};
