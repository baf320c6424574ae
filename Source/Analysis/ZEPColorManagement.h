// Colour profiles: the files of the standard profiles in the host maker's colour folder, the file
// behind a host profile object, the header and description of an ICC file, whether a profile
// file that a job names is installed in the host, the document's CMYK profile, and the copy of
// the host's colour settings into the colour-presets command's data.
#pragma once

#include "host/sdk/ColorManagement.h"
#include "host/sdk/Document.h"
#include "host/sdk/PMString.h"
#include "platform/colorprofile.h"
#include "utils/ustring.h"

#include <cstdint>
#include <memory>

class BJobFile;

// A row of the standard profiles: a profile's description and the name of its file.
struct ProfileFileEntry {
    const char* description;
    const char* fileName;
};

// What FindInstalledProfile found: 0 installed, or one of the profile codes of ZEPID.h
// (0x52E31 same description but another file, 0x52E32 not installed, 0x52E34 reading the file
// or asking the host failed, 0x52E35 the file has no description).
using ProfileLookupResult = std::uint32_t;

// The file of the standard profile with exactly that description, in the common application
// data's "Adobe/Color/Profiles" folder, else in its "Recommended" subfolder; true with `path`
// set when there is one, false (`path` unchanged) without the folder, a row or a file.
[[nodiscard]] bool ResolveProfileFile(const PMString& description, PMString& path);

// The file of a host profile of kind 1 or 3 (other kinds: false, `path` unchanged): for a
// standard RGB profile the standard file when there is one, else the profile's own path, else
// the standard file of its name. True when `path` names a file.
[[nodiscard]] bool GetProfileFile(IColorProfile* profile, PMString& path);

// An ICC profile file open for reading; closed when the handle goes. Throws 0x52E1F
// "s16.empty()" for an empty path and 0x52E1E "(mProfileHandle) == NULL" when the file is
// missing, unreadable or no profile. Opening never creates a file.
class ICCProfileHandle {
public:
    explicit ICCProfileHandle(const ustring& path);

    const platform::ColorProfile& Get() const { return *m_profileHandle; }
    // Whether the profile opened; the handle closes it when it goes.
    bool IsOpened() const { return m_opened; }
    // The system's error after the open (0 when it opened).
    int GetLastError() const { return m_lastError; }

private:
    std::unique_ptr<platform::ColorProfile> m_profileHandle;
    bool m_opened = false;
    int m_lastError = 0;
};

// The profile's description, colour space (1 grey, 2 RGB, 3 CMYK, 4 Lab) and device class
// ('link' 0, 'prtr' 1, 'scnr' 2, 'mntr' 3, 'abst' 4, 'nmcl' 5). Another space or class throws
// "Unknown Profile Color Space" (code 1). The description is the 'desc' element's text: of a
// multi-localised element ('mluc', version 4) the en-US record, else the first; of any other
// the bytes from 12 bytes in up to the first NUL or the element's end, in the ANSI code page.
// A missing, empty or damaged element gives an empty description.
void ReadICCProfileInfo(const ustring& path, ustring& description, std::int32_t& colorSpace,
                        std::int32_t& deviceClass);

// Whether the profile file is installed in the host: a standard RGB description always is;
// else the manager's list of profiles for the file's space and class, and after a refresh a new
// list, must hold the description with a file of the same path or the same bytes. Throws
// nothing; `profileName` is set to the description only for 0.
[[nodiscard]] ProfileLookupResult FindInstalledProfile(const ustring& filePath,
                                                       ustring& profileName);

// 0 when both files hold the same bytes; else the sign of the first differing byte, or -1 when A
// is a prefix of B (1 the other way round). Throws 0x52E1E "(theFileA) == NULL" /
// "(theFileB) == NULL" when a file cannot be opened and 0x52E1F "ferror(theFileA)" /
// "ferror(theFileB)" when one cannot be read.
std::int32_t CompareFiles(const ustring& pathA, const ustring& pathB);

// Gives the document the CMYK profile of that name unless it has it already; an empty name
// takes the document's profile away. The job is not used. Throws 0x52E1E "(iCMSManager) ==
// NULL" without the host's manager.
void SetDocumentProfile(IDocument* document, const ustring& profileName, const BJobFile* job);

// Takes the document's CMYK profile away when colour management is off.
void ResetDocumentProfile(IDocument* document);

// Copies every colour setting, in the settings' order, into the command data.
void CopyColorSettings(const IColorPresetsSettings* source, IColorPresetsSettingsData* target);
