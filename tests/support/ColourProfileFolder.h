// Test aid: while it lives, the colour-profile special folder is a fresh temporary folder of the
// test's own ("icc" in a TempFolder) holding the profile files given, each with some content;
// then it is what it was before.
#pragma once

#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "utils/ustring.h"

#include <filesystem>
#include <initializer_list>
#include <string>

class ColourProfileFolder {
public:
    explicit ColourProfileFolder(std::initializer_list<const char*> profiles) {
        std::filesystem::create_directory(m_temp.at("icc"));
        for (const char* profile : profiles)
            m_temp.write(std::string("icc/") + profile, "profile");
    }
    ColourProfileFolder(const ColourProfileFolder&) = delete;
    ColourProfileFolder& operator=(const ColourProfileFolder&) = delete;

    // The system path of an entry of the colour-profile folder.
    ustring profile(const char* name) const {
        return ustring(m_temp.systemPath("icc/" + std::string(name)));
    }
    const TempFolder& temp() const { return m_temp; }

private:
    TempFolder m_temp;
    const ScopedEnvironmentVariable m_colourDir{"ZEP_COLOR_DIR", m_temp.at("icc")};
};
