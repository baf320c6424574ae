// The check settings of a job (and of each destination): loaded from the job's ticket in either
// ticket form, completed on demand from the definitions' defaults, and read by the export for its
// downsampling, its PDF version and the choice between PDF and EPS. Also the process-wide flag
// that forbids PDF export.
#pragma once

#include "model/BCheckSetting.h"
#include "model/CheckSettingEnums.h"
#include "model/OwningList.h"
#include "utils/umessage.h"
#include "utils/ustring.h"

#include <cstdint>
#include <memory>
#include <vector>

class BCheckSettingList {
public:
    BCheckSettingList() = default;
    // Each copy owns copies of the loaded settings; the settings made from defaults are shared.
    BCheckSettingList(const BCheckSettingList& other);
    BCheckSettingList& operator=(const BCheckSettingList& other);
    BCheckSettingList(BCheckSettingList&&) = default;
    BCheckSettingList& operator=(BCheckSettingList&&) = default;

    // Deletes the loaded settings; the settings made from defaults stay.
    void Clear();
    // Takes ownership; inserted before the first setting whose name is not less, so among equal
    // names the newest comes first.
    void Insert(std::unique_ptr<BCheckSetting> setting);
    // The first loaded setting with that name, or null.
    const BCheckSetting* FindSorted(const ustring& name) const;

    // The order of the loaded settings: a's name comes before b's (ustring::compareTo < 0).
    [[nodiscard]] static bool LessByName(const BCheckSetting& a, const BCheckSetting& b);
    // The three-way compare of the two settings' names (ustring::compareTo): negative, 0 or
    // positive. A null pointer comes before every setting; two null pointers compare equal.
    [[nodiscard]] static int CompareByName(const std::shared_ptr<BCheckSetting>& a,
                                           const std::shared_ptr<BCheckSetting>& b);

    // Replaces the loaded settings by those of the ticket (not null): the older form when the
    // ticket holds a child message at "settings" index 0 (one element per setting, named by its
    // "problem"), else every check the effective profile names. The string parameters of the
    // colour-profile settings are resolved in the colour-profile folder (current form only).
    void Load(const std::shared_ptr<const umessage>& ticket);

    // The loaded setting of that name, else one made once per list from the definition's
    // defaults; null for the empty name, without a registry, or without defaults. The pointer
    // stays valid until the next Clear or Load (loaded) or the list's end (made).
    const BCheckSetting* FindSetting(const ustring& name) const;
    // GetReportedSeverity of the found setting; NotSet when there is none.
    eProblemSeverity GetSeverity(const ustring& name) const;
    // The found setting's limit (index 0 note, 1 warn, 2 fault, 3 ignore); 0.0 when none.
    double GetLimitValue(const ustring& name, std::int32_t index) const;

    // The resolution (dpi, at most 2400) and threshold factor of image downsampling, for
    // continuous-tone (contone) or bitmap images: "Setting_ContoneDownsample" or
    // "Setting_BitmapDownsample" give the resolution (note limit; 300 or 1200 when 0) and the
    // factor (warn / note; 1.5 when warn is below note), and the resolution is raised to the
    // fault and warn limits of "ResTooLowContone" or "ResTooLowBitmap". A limit that is infinite
    // or NaN counts as not set.
    void GetDownsampling(bool contone, std::int32_t& resolution, double& factor) const;
    // 0.0 (no version asked for) or a version from 1.3 to 1.7, from "Setting_PDFVersion",
    // "PDFVersionTooHigh" and "PDFVersionTooLow".
    double GetPDFVersion() const;
    // True to export as PDF, false as EPS: false while the process-wide flag forbids PDF, and
    // when a feature used is rated a fault ("Transparency" from PDF 1.4 on, "CIDType0FontUsed"
    // or "CIDType2FontUsed", "TrueTypeFontUsed").
    bool AllowsPDFExport(bool transparency, bool cidFonts, bool trueTypeFonts) const;

private:
    OwningList<BCheckSetting> m_sorted;
    // Made by FindSetting, which a const list may call: a cache of the definitions' defaults.
    mutable std::vector<std::shared_ptr<BCheckSetting>> m_made;
};

// Replaces a colour-profile file name by the full path of that file in the colour-profile folder
// (special folder 6) and gives true when such a file exists; otherwise leaves it and gives false.
[[nodiscard]] bool ResolveColourProfileName(ustring& name);

// The process-wide PDF-forbidding flag (ForceEPSExport): true from the start and set true again
// when the plug-in loads; a job file's export-permission record replaces it. While it is true,
// every export goes out as EPS.
bool GetForceEPSExport();
void SetForceEPSExport(bool forbid);
// Back to the start value, true (for tests).
void ResetForceEPSExport();
