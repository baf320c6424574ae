// The stand-in's colour management (host/sdk/ColorManagement.h): what it knows of colour
// management, presets and installed profiles, set directly (the session and document
// descriptions, host/standin/Description.h, give and dump all of it), and the profile objects a
// document stores.
#pragma once

#include "host/sdk/ColorManagement.h"
#include "host/standin/Document.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace host {

// The classes of the objects the colour-settings utility and the manager make for their answers
// (the manager, its profile lists, profile objects, the presets), and of the profiles a document
// stores.
inline constexpr ClassID kCMSManagerBoss{0xF04100};
inline constexpr ClassID kCMSProfileListBoss{0xF04101};
inline constexpr ClassID kColorProfileBoss{0xF04102};
inline constexpr ClassID kColorPresetsSettingsBoss{0xF04103};
// The command through which the manager changes a document's profile.
inline constexpr ClassID kDocumentProfileCmdBoss{0xF04104};

// A profile as the host knows it.
struct ColorProfileInfo {
    std::string name{};               // UTF-8
    std::string path{};               // the file in the system's path form; empty: none
    std::int32_t colorSpace = 3;      // the code of its colour space (CMYK)
    std::int32_t deviceClass = 1;     // the code of its device class ('prtr')
    std::int32_t kind = 1;            // the host's kind
    std::vector<std::uint8_t> data{}; // its bytes
    bool operator==(const ColorProfileInfo&) const = default;
};

struct ColorPresets {
    std::string workingRGB{};
    std::string workingCMYK{};
    std::string colorEngine{};
    std::int32_t renderingIntent = 0;
    bool blackPointCompensation = false;
    bool operator==(const ColorPresets&) const = default;
};

// What the stand-in knows, set directly (outside any command). Colour management starts on,
// with default presets and no profiles.
void SetColorManagementOn(bool on);
bool ColorManagementOn();
void SetColorPresets(const ColorPresets& presets);
const ColorPresets& GetColorPresets();
// The profiles the manager knows; a refresh finds the same ones unless SetProfilesAfterRefresh
// says otherwise.
void SetInstalledProfiles(std::vector<ColorProfileInfo> profiles);
// The profiles every later refresh finds.
void SetProfilesAfterRefresh(std::vector<ColorProfileInfo> profiles);
const std::vector<ColorProfileInfo>& InstalledProfiles();
// What every later refresh finds; nullopt: the installed profiles again.
const std::optional<std::vector<ColorProfileInfo>>& ProfilesAfterRefresh();

// Stores a profile object with that data in the document (journaled: undo and rollback take it
// out again) under a new UID, or under `wanted` when it is free; kInvalidUID when it is not.
UID StoreDocumentProfile(const Document& document, const ColorProfileInfo& profile,
                         UID wanted = kInvalidUID);
// The profile objects stored in the document, in UID order.
std::vector<std::pair<UID, ColorProfileInfo>> StoredProfiles(const Document& document);
// The document's profile for the space index: a stored profile object, or kInvalidUID for none.
// Journaled.
void SetDocumentProfileUID(const Document& document, std::int32_t spaceIndex, UID profile);
UID DocumentProfileUID(const Document& document, std::int32_t spaceIndex);
// The document's CMYK profile (none: nullopt); a profile given is stored as a new object.
void SetDocumentCMYKProfile(const Document& document, std::optional<ColorProfileInfo> profile);
std::optional<ColorProfileInfo> DocumentCMYKProfile(const Document& document);

// Puts the colour state back to its start (part of host::Reset).
void ResetColorManagement();
// Registers the utility, the manager, the profile classes, the commands and the documents'
// profile data (part of host::Reset).
void RegisterColorManagementClasses();

} // namespace host
