// Test aid: process settings that a test changes for its own length only, an environment
// variable or the current folder, put back as they were when the object goes, so that no test
// depends on what ran before it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Sets the variable to `value`, or unsets it for nothing; the old value (or its absence) comes
// back at the end.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value)
        : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str()))
            m_old = old;
        put(value);
    }
    ~ScopedEnvironmentVariable() { put(m_old); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    void put(const std::optional<std::string>& value) const {
        if (value)
            ::setenv(m_name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

// Several variables changed one after another over the object's life (a fixture's, or a test's
// that changes one variable more than once); at the end each is put back, the last change first,
// so every variable holds what it held before the first change.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const std::string& name, const std::string& value) { Set(name, value); }
    ~ScopedEnvironment() {
        while (!m_changes.empty())
            m_changes.pop_back();
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value) {
        m_changes.push_back(std::make_unique<ScopedEnvironmentVariable>(name, value));
    }
    void Unset(const std::string& name) {
        m_changes.push_back(std::make_unique<ScopedEnvironmentVariable>(name, std::nullopt));
    }

private:
    std::vector<std::unique_ptr<ScopedEnvironmentVariable>> m_changes;
};

// Makes `folder` the current folder; the one before comes back at the end.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::filesystem::path& folder)
        : m_old(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() {
        std::error_code ignored;
        std::filesystem::current_path(m_old, ignored);
    }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path m_old;
};
