// The check-setting list: loading from either ticket form, lookup with defaults made on demand,
// the export getters, and the process-wide PDF-forbidding flag.
#include "model/BCheckSettingList.h"

#include "model/KeyStrings.h"
#include "model/SettingDefinitions.h"
#include "model/WTicket.h"
#include "utils/FilePath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// While true, every export goes out as EPS (see GetForceEPSExport).
bool ForceEPSExport = true;

// BCheckSettingList::LessByName against a bare name, for the binary search of a name.
bool lessByName(const BCheckSetting& setting, const ustring& name) {
    return setting.GetName().compareTo(name) < 0;
}

bool isColourProfileSetting(const ustring& name) {
    return name == keystr::Setting_WorkingSpaceProfiles ||
           name == keystr::Setting_LocalOutputProfiles || name == keystr::Setting_ProcessProfile ||
           name == keystr::Setting_GrayscaleProfile;
}

// The colour-profile settings hold profile file names; each that is found becomes its full path.
void resolveProfileParameters(BCheckSetting& setting) {
    if (!isColourProfileSetting(setting.GetName()))
        return;
    for (std::int32_t index = 0; index < 4; ++index) {
        if (setting.IsStringParameterNotSet(index))
            continue;
        ustring name = setting.GetStringParameter(index);
        if (ResolveColourProfileName(name))
            setting.SetStringParameter(index, name);
    }
}

// A downsampling limit; one that is infinite or NaN counts as not set (0.0).
double finiteLimit(const BCheckSettingList& list, const ustring& name, std::int32_t index) {
    const double limit = list.GetLimitValue(name, index);
    return std::isfinite(limit) ? limit : 0.0;
}

} // namespace

BCheckSettingList::BCheckSettingList(const BCheckSettingList& other) : m_made(other.m_made) {
    for (const BCheckSetting& setting : other.m_sorted)
        m_sorted.Append(std::make_unique<BCheckSetting>(setting));
}

BCheckSettingList& BCheckSettingList::operator=(const BCheckSettingList& other) {
    if (this != &other)
        *this = BCheckSettingList(other);
    return *this;
}

void BCheckSettingList::Clear() {
    m_sorted.Clear();
}

bool BCheckSettingList::LessByName(const BCheckSetting& a, const BCheckSetting& b) {
    return a.GetName().compareTo(b.GetName()) < 0;
}

int BCheckSettingList::CompareByName(const std::shared_ptr<BCheckSetting>& a,
                                     const std::shared_ptr<BCheckSetting>& b) {
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
    return a->GetName().compareTo(b->GetName());
}

void BCheckSettingList::Insert(std::unique_ptr<BCheckSetting> setting) {
    const auto at = std::lower_bound(m_sorted.begin(), m_sorted.end(), *setting, LessByName);
    m_sorted.InsertAt(static_cast<std::size_t>(at - m_sorted.begin()), std::move(setting));
}

const BCheckSetting* BCheckSettingList::FindSorted(const ustring& name) const {
    const auto at = std::lower_bound(m_sorted.begin(), m_sorted.end(), name, lessByName);
    return at != m_sorted.end() && at->GetName() == name ? &*at : nullptr;
}

void BCheckSettingList::Load(const std::shared_ptr<const umessage>& ticket) {
    Clear();
    const ustring settingsKey("settings");
    if (ticket->has(settingsKey, umessage_details::type_message, 0)) {
        // Taken in element order and then sorted, newest first among equal names, as Insert
        // would place them one by one: inserting each moved the settings after it every time,
        // which took time in the square of the elements.
        std::vector<std::unique_ptr<BCheckSetting>> loaded;
        std::shared_ptr<const umessage> element;
        for (uint64_t index = 0; ticket->get(settingsKey, index, element); ++index) {
            if (element->valueOr(ustring("problem"), 0, ustring()).empty())
                continue;
            auto setting = std::make_unique<BCheckSetting>(keystr::emptyName);
            setting->DeserialiseSetting(*element);
            loaded.push_back(std::move(setting));
        }
        for (auto newest = loaded.rbegin(); newest != loaded.rend(); ++newest)
            m_sorted.Append(std::move(*newest));
        m_sorted.StableSort(LessByName);
        return;
    }

    const WEffectiveProfile profile(ticket);
    profile.ForEachSetting([this](const ustring& name, const WCheckSetting& effective) {
        if (name.empty() || !effective.HasMessage())
            return;
        auto setting = std::make_unique<BCheckSetting>(keystr::emptyName);
        if (!setting->DeserialiseSetting2(name, effective))
            return;
        resolveProfileParameters(*setting);
        Insert(std::move(setting));
    });
}

const BCheckSetting* BCheckSettingList::FindSetting(const ustring& name) const {
    if (const BCheckSetting* loaded = FindSorted(name))
        return loaded;
    for (const auto& made : m_made) {
        if (made->GetName() == name)
            return made.get();
    }
    const SettingDefinitionsRegistry* registry = SettingDefinitionsRegistry::Instance();
    if (name.empty() || registry == nullptr)
        return nullptr;
    const WCheckSetting defaults(registry->Find(name).GetDefaults());
    if (!defaults.HasMessage())
        return nullptr;
    auto setting = std::make_shared<BCheckSetting>(keystr::emptyName);
    if (!setting->DeserialiseSetting2(name, defaults))
        return nullptr;
    resolveProfileParameters(*setting);
    m_made.push_back(setting);
    return setting.get();
}

eProblemSeverity BCheckSettingList::GetSeverity(const ustring& name) const {
    const BCheckSetting* setting = FindSetting(name);
    return setting ? setting->GetReportedSeverity() : eProblemSeverity_NotSet;
}

double BCheckSettingList::GetLimitValue(const ustring& name, std::int32_t index) const {
    const BCheckSetting* setting = FindSetting(name);
    return setting ? setting->GetLimit(index) : 0.0;
}

void BCheckSettingList::GetDownsampling(bool contone, std::int32_t& resolution,
                                        double& factor) const {
    const ustring& downsample =
        contone ? keystr::Setting_ContoneDownsample : keystr::Setting_BitmapDownsample;
    const ustring& tooLow = contone ? keystr::ResTooLowContone : keystr::ResTooLowBitmap;
    constexpr double kMaximum = 2400;

    double r = finiteLimit(*this, downsample, eLimit_Note);
    if (r == 0.0)
        r = contone ? 300 : 1200;
    double t = finiteLimit(*this, downsample, eLimit_Warn);
    if (r > t)
        t = r * 1.5;
    factor = t / r;
    const double fault = finiteLimit(*this, tooLow, eLimit_Fault);
    if (fault > r)
        r = fault;
    const double warn = finiteLimit(*this, tooLow, eLimit_Warn);
    if (warn > r)
        r = warn;
    // Capped before the conversion, so every value left converts to a 32-bit integer.
    r = std::clamp(r, static_cast<double>(std::numeric_limits<std::int32_t>::min()), kMaximum);
    resolution = static_cast<std::int32_t>(r);
}

double BCheckSettingList::GetPDFVersion() const {
    double version = 0.0;
    if (const BCheckSetting* asked = FindSetting(keystr::Setting_PDFVersion)) {
        // A NaN version counts as not set, like an absent one.
        if (!asked->IsLimitNotSet(eLimit_Note) && !std::isnan(asked->GetLimit(eLimit_Note)))
            version = asked->GetLimit(eLimit_Note);
    }
    if (const BCheckSetting* tooHigh = FindSetting(keystr::PDFVersionTooHigh)) {
        double crossed = 0.0;
        if (tooHigh->Evaluate(999.9, &crossed) >= eProblemSeverity_Warn)
            version = version == 0.0 ? crossed : std::min(version, crossed);
    }
    if (const BCheckSetting* tooLow = FindSetting(keystr::PDFVersionTooLow)) {
        double crossed = 0.0;
        if (tooLow->Evaluate(0.0, &crossed) >= eProblemSeverity_Warn && crossed > version)
            version = crossed;
    }
    if (version != 0.0 && version < 1.3)
        return 1.3;
    if (version > 1.7)
        return 1.7;
    return version;
}

bool BCheckSettingList::AllowsPDFExport(bool transparency, bool cidFonts,
                                        bool trueTypeFonts) const {
    bool allowed = !GetForceEPSExport();
    double version = GetPDFVersion();
    if (version == 0.0)
        version = 1.4;
    if (allowed && transparency && version >= 1.4)
        allowed = GetSeverity(keystr::Transparency) != eProblemSeverity_Fault;
    if (allowed && cidFonts)
        allowed = GetSeverity(keystr::CIDType0FontUsed) != eProblemSeverity_Fault &&
                  GetSeverity(keystr::CIDType2FontUsed) != eProblemSeverity_Fault;
    if (allowed && trueTypeFonts)
        allowed = GetSeverity(keystr::TrueTypeFontUsed) != eProblemSeverity_Fault;
    return allowed;
}

bool ResolveColourProfileName(ustring& name) {
    UFileSpecCore profile(kColourProfileFolder);
    if (!profile.descend(name) || !profile.is_file())
        return false;
    name = profile.path();
    return true;
}

bool GetForceEPSExport() {
    return ForceEPSExport;
}

void SetForceEPSExport(bool forbid) {
    ForceEPSExport = forbid;
}

void ResetForceEPSExport() {
    ForceEPSExport = true;
}
