// Colour management: the colour-settings utility with its colour-management manager, the
// profiles the manager knows, each document's profile objects and its RGB and CMYK profiles,
// whether colour management is on and the colour-presets settings with the command that applies
// them.
//
// The manager keeps a list of the installed profiles that it reads again only when told to
// refresh; a refresh may find other profiles than before (a profile installed meanwhile). A
// document stores profile objects (its own profiles and those of its placed graphics); its RGB
// and CMYK profiles are two of them, or none. A stored profile's data never changes. A
// document's profile and the presets change through host commands, so undo and an aborted
// sequence restore them. What the stand-in knows is set directly (host/standin/ColorManagement.h).
#pragma once

#include "host/sdk/Document.h"
#include "host/sdk/IPMUnknown.h"
#include "host/sdk/PMString.h"

#include <cstdint>

// A colour profile object (interface 0x7C03). Its colour space, like that of a profile query,
// is a code: 1 grey, 2 RGB, 3 CMYK, 4 Lab (the order of the ICC header's data colour spaces).
class IColorProfile : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x7C03};

    // The host's kind of the profile (a number it gives each profile; 1 unless set otherwise).
    virtual std::int32_t GetProfileKind() const = 0;
    virtual PMString GetName() const = 0;
    virtual std::int32_t GetColorSpace() const = 0;
    // Fills `path` with the profile's file in the system's path form; empty when it has none.
    virtual void GetPath(PMString& path) const = 0;
    // The profile's bytes, held by the profile object, and their count in `count`.
    virtual const std::uint8_t* GetData(std::uint32_t& count) const = 0;
};

// The profiles available for one query, as the manager lists them.
class ICMSProfileList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF04001};

    // The index of the first profile of exactly that name; -1 when there is none.
    virtual std::int32_t FindProfile(const PMString& name) const = 0;
    // Fills `path` with the file of the profile at the index and answers true; false, `path`
    // unchanged, when that profile has no file or the index lies outside the list.
    virtual bool GetProfilePath(std::int32_t index, PMString& path) const = 0;
};

// A query for available profiles: five 32-bit values, the third a colour-space code and the
// fourth a device-class code (the ICC header's classes: 'link' 0, 'prtr' 1, 'scnr' 2, 'mntr' 3,
// 'abst' 4, 'nmcl' 5); the other three are options of the host that the stand-in only records.
struct CMSProfileQuery {
    std::int32_t values[5];
};

// The colour-management manager. Its calls are recorded on host::Channel::Calls as shown.
class ICMSManager : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF04000};

    // The profiles the manager knows whose colour space and device class are the query's, in the
    // order they were installed, with a new reference; null when the host cannot make the list.
    // `option` is the host's.
    // Recorded as "AvailableProfiles v1 v2 v3 v4 v5 option".
    virtual ICMSProfileList* QueryAvailableProfiles(const CMSProfileQuery& query,
                                                    std::int32_t option) = 0;
    // Reads the installed profiles again. Recorded as "RefreshProfiles option".
    virtual void RefreshProfiles(std::int32_t option) = 0;

    // Document profiles by kind; the stand-in keeps kind 1, the CMYK profile (other kinds: none,
    // and their changes change nothing).
    //
    // The document's profile of the kind with a new reference; null when it has none. `option`
    // is the host's.
    virtual IColorProfile* QueryDocumentProfile(std::int32_t kind, IDocument* document,
                                                std::int32_t option) const = 0;
    // Gives the document the known profile of that name, stored as a new profile object of the
    // document, through a host command (so undo and an aborted sequence take it back; a pending
    // error skips it and a failure stays in the global error code, as with any command; kFailure
    // when the host cannot make the command). A name the manager does not know changes nothing.
    // The two options are the host's. Recorded as "SetDocumentProfile kind "name" option1 option2".
    virtual void SetDocumentProfile(std::int32_t kind, IDocument* document, const PMString& name,
                                    std::int32_t option1, std::int32_t option2) = 0;
    // Takes the document's profile of the kind away, through a host command as above.
    // Recorded as "ResetDocumentProfile kind".
    virtual void ResetDocumentProfile(std::int32_t kind, IDocument* document) = 0;
};

// The application's colour-presets settings (its working colour settings), read live.
class IColorPresetsSettings : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF04002};

    virtual void GetWorkingRGBProfile(PMString& name) const = 0;
    virtual void GetWorkingCMYKProfile(PMString& name) const = 0;
    virtual void GetColorEngine(PMString& name) const = 0;
    virtual std::int32_t GetRenderingIntent() const = 0;
    virtual bool GetBlackPointCompensation() const = 0;

    // The working RGB (CMYK) profile: the first installed profile of the working profile's name
    // whose colour space is RGB (CMYK), with a new reference; null when there is none.
    virtual IColorProfile* QueryWorkingRGBProfileObject() const = 0;
    virtual IColorProfile* QueryWorkingCMYKProfileObject() const = 0;
};

// A document's colour management (interface 0xF0B002, on the document). Its profile list is the
// profile objects stored in the document, in UID order; the document has a profile for the RGB
// space (space index 0) and one for the CMYK space (space index 1), or none.
class IDocumentColorManagement : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF0B002};

    // The index in the profile list of the document's profile for the space index; -1 when the
    // document has none (and for other space indexes).
    virtual std::int32_t GetProfileIndex(std::int32_t spaceIndex) const = 0;
    // 1 with `uid` the profile at the index of the profile list; 0, `uid` unchanged, outside it.
    virtual std::int16_t GetProfileUID(std::int32_t index, UID& uid) const = 0;
};

// The data of the colour-presets command (interface 0x7D15): whether colour management is to be
// on, then one setter per setting, in the order of the settings' getters.
class IColorPresetsSettingsData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x7D15};

    virtual void SetColorManagementOn(bool on) = 0;
    virtual void SetWorkingRGBProfile(const PMString& name) = 0;
    virtual void SetWorkingCMYKProfile(const PMString& name) = 0;
    virtual void SetColorEngine(const PMString& name) = 0;
    virtual void SetRenderingIntent(std::int32_t intent) = 0;
    virtual void SetBlackPointCompensation(bool on) = 0;
};

// The host's colour-settings utility (utility interface 0x7C14).
class IColorSettingsUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x7C14};

    // The colour-management manager, with a new reference.
    virtual ICMSManager* QueryCMSManager() const = 0;
    virtual bool IsColorManagementOn() const = 0;
    // The current colour-presets settings, with a new reference.
    virtual IColorPresetsSettings* QueryColorPresetsSettings() const = 0;
    // The document's colour management, with a new reference; null for a null document. The
    // option is the host's.
    virtual IDocumentColorManagement* QueryDocumentColorManagement(IDocument* document,
                                                                   std::int32_t option) const = 0;
};

// The space indexes of a document's profiles (IDocumentColorManagement).
inline constexpr std::int32_t kRGBSpaceIndex = 0;
inline constexpr std::int32_t kCMYKSpaceIndex = 1;

// The colour-presets command: applies its data (interface 0x7D15) to the application.
inline constexpr ClassID kColorPresetsCmdBoss{0x7D1E};
