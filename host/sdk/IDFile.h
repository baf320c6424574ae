// The host's file reference: a path as UTF-16 text in the host's (Windows) form.
#pragma once

#include <string>

class IDFile {
public:
    IDFile() = default;
    explicit IDFile(std::u16string path) : m_path(std::move(path)) {}

    void SetString(std::u16string path) { m_path = std::move(path); }
    const std::u16string& GetString() const { return m_path; }
    bool IsEmpty() const { return m_path.empty(); }
    bool operator==(const IDFile&) const = default;

private:
    std::u16string m_path;
};
