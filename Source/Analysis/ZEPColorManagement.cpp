#include "Analysis/ZEPColorManagement.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPStringConversions.h"
#include "platform/files.h"
#include "utils/CodePage.h"
#include "utils/FilePath.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

namespace {

// Searched in this order.
constexpr std::array<ProfileFileEntry, 15> kProfileFiles{{
    {"Adobe RGB (1998)", "AdobeRGB1998.icc"},
    {"Apple RGB", "AppleRGB.icc"},
    {"ColorMatch RGB", "ColorMatchRGB.icc"},
    {"Europe ISO Coated FOGRA27", "EuropeISOCoatedFOGRA27.icc"},
    {"Euroscale Coated v2", "EuroscaleCoated.icc"},
    {"Euroscale Uncoated v2", "EuroscaleUncoated.icc"},
    {"Japan Color 2001 Coated", "JapanColor2001Coated.icc"},
    {"Japan Color 2001 Uncoated", "JapanColor2001Uncoated.icc"},
    {"Japan Color 2002 Newspaper", "JapanColor2002Newspaper.icc"},
    {"Japan Web Coated (Ad)", "JapanWebCoated.icc"},
    {"sRGB IEC61966-2.1", "sRGB Color Space Profile.icm"},
    {"US Sheetfed Coated v2", "USSheetfedCoated.icc"},
    {"US Sheetfed Uncoated v2", "USSheetfedUncoated.icc"},
    {"US Web Coated (SWOP) v2", "USWebCoatedSWOP.icc"},
    {"US Web Uncoated v2", "USWebUncoated.icc"},
}};

// The rows of the standard RGB profiles, which count as installed wherever they are.
constexpr std::size_t kStandardRGBRows[] = {0, 1, 2, 10};

constexpr std::int32_t kRGBSpace = 2;
constexpr std::int32_t kCMYKProfileKind = 1;
constexpr std::uint32_t kDescriptionTag = 'desc';
constexpr std::uint32_t kMultiLocalizedType = 'mluc';
constexpr std::size_t kCompareBlockSize = 1024;

[[noreturn]] void ThrowUnknownSignature() {
    ThrowZEPException("Unknown Profile Color Space", 1);
}

template <typename Text>
bool IsStandardRGBDescription(const Text& description) {
    return std::any_of(std::begin(kStandardRGBRows), std::end(kStandardRGBRows),
                       [&description](std::size_t row) {
                           return description == Text(kProfileFiles[row].description);
                       });
}

std::uint32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, int width = 4) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

// A version-2 text description: the ANSI text 12 bytes in, up to its NUL or the element's end.
ustring TextDescription(const std::vector<std::uint8_t>& element) {
    if (element.size() <= 12)
        return ustring();
    const auto begin = element.begin() + 12;
    return AnsiToUString(std::string(begin, std::find(begin, element.end(), 0)));
}

// A multi-localised text: type, reserved, record count and record size, then the records
// (language and country, the text's length in bytes and its offset from the element's start)
// and the UTF-16BE texts. The en-US record's text, else the first record's, up to a NUL.
ustring MultiLocalizedDescription(const std::vector<std::uint8_t>& element) {
    constexpr std::size_t kRecordsStart = 16;
    if (element.size() < kRecordsStart)
        return ustring();
    const std::size_t count = BigEndian(element, 8);
    const std::size_t recordSize = BigEndian(element, 12);
    if (count == 0 || recordSize < 12 || count > (element.size() - kRecordsStart) / recordSize)
        return ustring();
    std::size_t record = kRecordsStart;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kRecordsStart + i * recordSize;
        if (std::equal(element.begin() + static_cast<std::ptrdiff_t>(at),
                       element.begin() + static_cast<std::ptrdiff_t>(at + 4), "enUS")) {
            record = at;
            break;
        }
    }
    const std::size_t length = BigEndian(element, record + 4);
    const std::size_t offset = BigEndian(element, record + 8);
    if (offset > element.size() || length > element.size() - offset)
        return ustring();
    std::u16string text;
    for (std::size_t at = offset; at + 1 < offset + length; at += 2) {
        const auto unit = static_cast<char16_t>(BigEndian(element, at, 2));
        if (unit == u'\0')
            break;
        text.push_back(unit);
    }
    return ustring::fromWString(text);
}

ustring GetICCDescription(const platform::ColorProfile& profile) {
    const auto element = profile.element(kDescriptionTag);
    if (!element)
        return ustring();
    if (element->size() >= 4 && BigEndian(*element, 0) == kMultiLocalizedType)
        return MultiLocalizedDescription(*element);
    return TextDescription(*element);
}

std::int32_t GetICCColorSpace(const platform::ColorProfile& profile) {
    switch (profile.dataColorSpace()) {
    case 'GRAY':
        return 1;
    case 'RGB ':
        return 2;
    case 'CMYK':
        return 3;
    case 'Lab ':
        return 4;
    default:
        ThrowUnknownSignature();
    }
}

std::int32_t GetICCDeviceClass(const platform::ColorProfile& profile) {
    switch (profile.deviceClass()) {
    case 'link':
        return 0;
    case 'prtr':
        return 1;
    case 'scnr':
        return 2;
    case 'mntr':
        return 3;
    case 'abst':
        return 4;
    case 'nmcl':
        return 5;
    default:
        ThrowUnknownSignature();
    }
}

ICMSManager* QueryCMSManager() {
    InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
    return utils ? utils->QueryCMSManager() : nullptr;
}

// One pass over the manager's list: true when it holds the description with the same file;
// a file of other bytes sets `result` to 0x52E31.
bool ListHoldsProfile(ICMSManager* manager, const CMSProfileQuery& query,
                      const ustring& description, const ustring& filePath,
                      ProfileLookupResult& result) {
    InterfacePtr<ICMSProfileList> theAvailableProfiles(manager->QueryAvailableProfiles(query, -1));
    ThrowIfNull(theAvailableProfiles, "theAvailableProfiles");
    const std::int32_t index = theAvailableProfiles->FindProfile(UStringToPMString(description));
    PMString path;
    if (index == -1 || !theAvailableProfiles->GetProfilePath(index, path))
        return false;
    // The texts first: the same path is the same file without reading it.
    const ustring installedPath(PMStringToUString(path));
    if (installedPath == filePath || CompareFiles(filePath, installedPath) == 0)
        return true;
    result = kZEPProfileDiffersError;
    return false;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The next block of the file; a read error throws (it must not pass for the file's end).
std::size_t ReadBlock(std::FILE* file, char* buffer, const char* errorText) {
    const std::size_t count = std::fread(buffer, 1, kCompareBlockSize, file);
    if (std::ferror(file))
        ThrowZEPException(errorText, kZEPFailedConditionError);
    return count;
}

} // namespace

bool ResolveProfileFile(const PMString& description, PMString& path) {
    UFileSpecCore base = GetCommonAppDataVendorFolder();
    if (!base.descend("Color/Profiles") || !base.is_directory())
        return false;
    const auto row = std::find_if(kProfileFiles.begin(), kProfileFiles.end(),
                                  [&description](const ProfileFileEntry& entry) {
                                      return description == ToPMString(entry.description);
                                  });
    if (row == kProfileFiles.end())
        return false;
    UFileSpecCore file = base;
    if (!file.descend(row->fileName) || !file.is_file()) {
        file = base;
        if (!file.descend("Recommended") || !file.is_directory() || !file.descend(row->fileName) ||
            !file.is_file())
            return false;
    }
    path = UStringToPMString(file.path());
    return true;
}

bool GetProfileFile(IColorProfile* profile, PMString& path) {
    const std::int32_t kind = profile->GetProfileKind();
    if (kind != 1 && kind != 3)
        return false;
    const PMString name = profile->GetName();
    if (profile->GetColorSpace() == kRGBSpace && IsStandardRGBDescription(name) &&
        ResolveProfileFile(name, path))
        return true;
    profile->GetPath(path);
    return !path.IsEmpty() || ResolveProfileFile(name, path);
}

ICCProfileHandle::ICCProfileHandle(const ustring& path) {
    const std::u16string s16 = path.toWString();
    if (s16.empty())
        ThrowZEPException("s16.empty()", kZEPFailedConditionError);
    m_profileHandle = platform::ColorProfile::open(s16, &m_lastError);
    m_opened = m_profileHandle != nullptr;
    ThrowIfNull(m_profileHandle, "mProfileHandle");
}

void ReadICCProfileInfo(const ustring& path, ustring& description, std::int32_t& colorSpace,
                        std::int32_t& deviceClass) {
    const ICCProfileHandle handle(path);
    description = GetICCDescription(handle.Get());
    colorSpace = GetICCColorSpace(handle.Get());
    deviceClass = GetICCDeviceClass(handle.Get());
}

ProfileLookupResult FindInstalledProfile(const ustring& filePath, ustring& profileName) {
    ProfileLookupResult result = kZEPProfileNotInstalledError;
    ustring description;
    std::int32_t colorSpace = 0;
    std::int32_t deviceClass = 0;
    try {
        ReadICCProfileInfo(filePath, description, colorSpace, deviceClass);
    } catch (...) {
        return kZEPProfileReadError;
    }
    if (description.empty())
        return kZEPProfileNoDescriptionError;

    bool installed = IsStandardRGBDescription(description);
    if (!installed) {
        try {
            InterfacePtr<ICMSManager> iCMSManager(QueryCMSManager());
            ThrowIfNull(iCMSManager, "iCMSManager");
            const CMSProfileQuery query{{3, 7, colorSpace, deviceClass, 6}};
            installed = ListHoldsProfile(iCMSManager.get(), query, description, filePath, result);
            if (!installed) {
                // The manager reads the installed profiles again: one may have come meanwhile.
                iCMSManager->RefreshProfiles(-1);
                installed =
                    ListHoldsProfile(iCMSManager.get(), query, description, filePath, result);
            }
        } catch (...) {
            return kZEPProfileReadError;
        }
    }
    if (!installed)
        return result;
    profileName = description;
    return 0;
}

std::int32_t CompareFiles(const ustring& pathA, const ustring& pathB) {
    const FilePtr theFileA(platform::openFile(pathA.toWString(), u"rb"));
    ThrowIfNull(theFileA, "theFileA");
    const FilePtr theFileB(platform::openFile(pathB.toWString(), u"rb"));
    ThrowIfNull(theFileB, "theFileB");
    const std::unique_ptr<char[]> theBuffA(new (std::nothrow) char[kCompareBlockSize]);
    ThrowIfNull(theBuffA, "theBuffA");
    const std::unique_ptr<char[]> theBuffB(new (std::nothrow) char[kCompareBlockSize]);
    ThrowIfNull(theBuffB, "theBuffB");
    for (;;) {
        const std::size_t countA = ReadBlock(theFileA.get(), theBuffA.get(), "ferror(theFileA)");
        const std::size_t countB = ReadBlock(theFileB.get(), theBuffB.get(), "ferror(theFileB)");
        if (countA == 0)
            return countB == 0 ? 0 : -1;
        if (countB == 0)
            return 1;
        const int order = std::memcmp(theBuffA.get(), theBuffB.get(), std::min(countA, countB));
        if (order != 0)
            return order;
        if (countA != countB)
            return countA > countB ? 1 : -1;
    }
}

void SetDocumentProfile(IDocument* document, const ustring& profileName, const BJobFile* /*job*/) {
    InterfacePtr<ICMSManager> iCMSManager(QueryCMSManager());
    ThrowIfNull(iCMSManager, "iCMSManager");
    InterfacePtr<IColorProfile> current(
        iCMSManager->QueryDocumentProfile(kCMYKProfileKind, document, 1));
    if (profileName.empty()) {
        iCMSManager->ResetDocumentProfile(kCMYKProfileKind, document);
        return;
    }
    const std::string currentName = current ? PMStringToUString(current->GetName()) : "";
    if (profileName.view() != currentName)
        iCMSManager->SetDocumentProfile(kCMYKProfileKind, document, UStringToPMString(profileName),
                                        0, 0);
}

void ResetDocumentProfile(IDocument* document) {
    // Without the utility nothing says colour management is on; SetDocumentProfile then reports
    // the missing manager.
    InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
    if (utils && utils->IsColorManagementOn())
        return;
    SetDocumentProfile(document, ustring(), nullptr);
}

void CopyColorSettings(const IColorPresetsSettings* source, IColorPresetsSettingsData* target) {
    PMString text;
    source->GetWorkingRGBProfile(text);
    target->SetWorkingRGBProfile(text);
    source->GetWorkingCMYKProfile(text);
    target->SetWorkingCMYKProfile(text);
    source->GetColorEngine(text);
    target->SetColorEngine(text);
    target->SetRenderingIntent(source->GetRenderingIntent());
    target->SetBlackPointCompensation(source->GetBlackPointCompensation());
}
