// Colour management of the stand-in: the application's colour state, the manager's profile lists,
// profile objects, and the commands that change a document's profile and the presets.
#include "host/standin/ColorManagement.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "host/standin/Recorder.h"

#include <algorithm>
#include <array>
#include <utility>

namespace host {

namespace {

constexpr ImplementationID kColorSettingsUtilsImpl{0xF04200};
constexpr ImplementationID kCMSManagerImpl{0xF04201};
constexpr ImplementationID kCMSProfileListImpl{0xF04202};
constexpr ImplementationID kColorProfileImpl{0xF04203};
constexpr ImplementationID kColorPresetsSettingsImpl{0xF04204};
constexpr ImplementationID kColorPresetsCmdImpl{0xF04205};
constexpr ImplementationID kColorPresetsDataImpl{0xF04206};
constexpr ImplementationID kDocumentColorManagementImpl{0xF0B202};
constexpr ImplementationID kDocumentProfileCmdImpl{0xF04208};

constexpr std::int32_t kCMYKProfileKind = 1;
constexpr std::int32_t kRGBSpace = 2;
constexpr std::int32_t kCMYKSpace = 3;

struct ColorState {
    bool on = true;
    ColorPresets presets;
    std::vector<ColorProfileInfo> profiles;
    std::optional<std::vector<ColorProfileInfo>> afterRefresh;
};

ColorState& TheState() {
    static ColorState state;
    return state;
}

// The profile objects stored in the database, in UID order.
std::vector<UID> StoredProfileUIDs(const DataBase* db) {
    std::vector<UID> list;
    if (db)
        for (UID uid : db->GetUIDs())
            if (db->GetClass(uid) == kColorProfileBoss)
                list.push_back(uid);
    return list;
}

// A document's colour management: its profiles for the two space indexes.
class DocumentColorManagement final : public CPMUnknown<IDocumentColorManagement> {
public:
    using CPMUnknown::CPMUnknown;

    std::int32_t GetProfileIndex(std::int32_t spaceIndex) const override {
        const UID profile = GetProfile(spaceIndex);
        const std::vector<UID> list = ProfileList();
        const auto found = std::find(list.begin(), list.end(), profile);
        return profile == kInvalidUID || found == list.end()
                   ? -1
                   : static_cast<std::int32_t>(found - list.begin());
    }
    std::int16_t GetProfileUID(std::int32_t index, UID& uid) const override {
        const std::vector<UID> list = ProfileList();
        if (index < 0 || static_cast<std::size_t>(index) >= list.size())
            return 0;
        uid = list[static_cast<std::size_t>(index)];
        return 1;
    }

    UID GetProfile(std::int32_t spaceIndex) const {
        return spaceIndex == kRGBSpaceIndex || spaceIndex == kCMYKSpaceIndex
                   ? m_profiles[static_cast<std::size_t>(spaceIndex)]
                   : kInvalidUID;
    }
    // Journaled.
    void SetProfile(std::int32_t spaceIndex, UID profile) {
        JournaledSet(m_profiles.at(static_cast<std::size_t>(spaceIndex)), profile);
    }

private:
    std::vector<UID> ProfileList() const {
        return StoredProfileUIDs(static_cast<const DataBase*>(GetUIDRef(this).GetDataBase()));
    }

    std::array<UID, 2> m_profiles{kInvalidUID, kInvalidUID};
};

// The manager's own way to the document's profiles, whatever a fault hides from the plug-in.
DocumentColorManagement* ColorManagementOf(const IDocument* document) {
    const HostOwnAccess own;
    InterfacePtr<IDocumentColorManagement> facet(document, UseDefaultIID{});
    // The database holds the document, and so its facet.
    return static_cast<DocumentColorManagement*>(facet.get());
}

// A new object of the class as its implementation `Impl` (of interface I), with one reference;
// null when the host cannot make it.
template <typename Impl, typename I>
InterfacePtr<Impl> MakeObject(ClassID cls) {
    return InterfacePtr<Impl>(
        static_cast<Impl*>(static_cast<I*>(CreateObject(cls, I::kDefaultIID))));
}

class ColorProfile final : public CPMUnknown<IColorProfile> {
public:
    using CPMUnknown<IColorProfile>::CPMUnknown;

    std::int32_t GetProfileKind() const override { return m_info.kind; }
    PMString GetName() const override { return PMString(m_info.name); }
    std::int32_t GetColorSpace() const override { return m_info.colorSpace; }
    void GetPath(PMString& path) const override { path = PMString(m_info.path); }
    const std::uint8_t* GetData(std::uint32_t& count) const override {
        count = static_cast<std::uint32_t>(m_info.data.size());
        return m_info.data.data();
    }

    void Set(ColorProfileInfo info) { m_info = std::move(info); }
    const ColorProfileInfo& Info() const { return m_info; }

private:
    ColorProfileInfo m_info;
};

class CMSProfileList final : public CPMUnknown<ICMSProfileList> {
public:
    using CPMUnknown<ICMSProfileList>::CPMUnknown;

    std::int32_t FindProfile(const PMString& name) const override {
        for (std::size_t i = 0; i < m_profiles.size(); ++i)
            if (PMString(m_profiles[i].name) == name)
                return static_cast<std::int32_t>(i);
        return -1;
    }
    bool GetProfilePath(std::int32_t index, PMString& path) const override {
        if (index < 0 || static_cast<std::size_t>(index) >= m_profiles.size())
            return false;
        const std::string& file = m_profiles[static_cast<std::size_t>(index)].path;
        if (file.empty())
            return false;
        path = PMString(file);
        return true;
    }

    void Add(const ColorProfileInfo& profile) { m_profiles.push_back(profile); }

private:
    std::vector<ColorProfileInfo> m_profiles;
};

// Stores a profile object in the document's database; kInvalidUID when `wanted` is taken.
UID StoreProfile(DataBase& db, const ColorProfileInfo& profile, UID wanted) {
    const UID uid = db.NewObject(kColorProfileBoss, wanted);
    const HostOwnAccess own;
    InterfacePtr<IColorProfile> stored(UIDRef(&db, uid), UseDefaultIID{});
    if (stored) {
        static_cast<ColorProfile*>(stored.get())->Set(profile);
        CountModelChange();
    }
    return uid;
}

std::optional<ColorProfileInfo> InfoOf(const UIDRef& ref) {
    InterfacePtr<IColorProfile> profile(ref, UseDefaultIID{});
    if (!profile)
        return std::nullopt;
    return static_cast<const ColorProfile*>(profile.get())->Info();
}

// Gives a document a new CMYK profile object, or none.
class DocumentProfileCmd final : public Command {
public:
    using Command::Command;

    PMString CreateName() override { return PMString("Document Profile"); }
    void Set(IDocument* document, std::optional<ColorProfileInfo> profile) {
        m_document = InterfacePtr<IDocument>(document, UseDefaultIID{});
        m_profile = std::move(profile);
    }

protected:
    void Do() override {
        DocumentColorManagement* target = ColorManagementOf(m_document.get());
        if (!target)
            return;
        UID profile = kInvalidUID;
        if (m_profile)
            profile = StoreProfile(*static_cast<DataBase*>(GetUIDRef(target).GetDataBase()),
                                   *m_profile, kInvalidUID);
        target->SetProfile(kCMYKSpaceIndex, profile);
    }

private:
    InterfacePtr<IDocument> m_document;
    std::optional<ColorProfileInfo> m_profile;
};

// A failure stays in the global error code, where the caller's sequence finds it; a command the
// host cannot make fails as kFailure (unless an error is pending already).
void RunDocumentProfileCmd(IDocument* document, std::optional<ColorProfileInfo> profile) {
    if (!ColorManagementOf(document))
        return;
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kDocumentProfileCmdBoss));
    if (!command) {
        if (ErrorUtils::PMGetGlobalErrorCode() == kSuccess)
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
        return;
    }
    static_cast<DocumentProfileCmd*>(command.get())->Set(document, std::move(profile));
    static_cast<void>(CmdUtils::ProcessCommand(command.get()));
}

// The first installed profile of that name and colour space.
IColorProfile* QueryInstalledProfile(const std::string& name, std::int32_t colorSpace) {
    for (const ColorProfileInfo& profile : TheState().profiles)
        if (profile.name == name && profile.colorSpace == colorSpace) {
            auto object = MakeObject<ColorProfile, IColorProfile>(kColorProfileBoss);
            if (object)
                object->Set(profile);
            return object.forget();
        }
    return nullptr;
}

class CMSManager final : public CPMUnknown<ICMSManager> {
public:
    using CPMUnknown<ICMSManager>::CPMUnknown;

    ICMSProfileList* QueryAvailableProfiles(const CMSProfileQuery& query,
                                            std::int32_t option) override {
        std::string call = "AvailableProfiles";
        for (std::int32_t value : query.values)
            call += " " + std::to_string(value);
        Recorder::Instance().Record(Channel::Calls, call + " " + std::to_string(option));
        auto list = MakeObject<CMSProfileList, ICMSProfileList>(kCMSProfileListBoss);
        if (!list)
            return nullptr;
        for (const ColorProfileInfo& profile : TheState().profiles)
            if (profile.colorSpace == query.values[2] && profile.deviceClass == query.values[3])
                list->Add(profile);
        return list.forget();
    }

    void RefreshProfiles(std::int32_t option) override {
        Recorder::Instance().Record(Channel::Calls, "RefreshProfiles " + std::to_string(option));
        ColorState& state = TheState();
        if (state.afterRefresh)
            state.profiles = *state.afterRefresh;
    }

    IColorProfile* QueryDocumentProfile(std::int32_t kind, IDocument* document,
                                        std::int32_t /*option*/) const override {
        const DocumentColorManagement* profiles = ColorManagementOf(document);
        if (kind != kCMYKProfileKind || !profiles)
            return nullptr;
        return static_cast<IColorProfile*>(GetUIDRef(profiles).GetDataBase()->Instantiate(
            profiles->GetProfile(kCMYKSpaceIndex), IColorProfile::kDefaultIID));
    }

    void SetDocumentProfile(std::int32_t kind, IDocument* document, const PMString& name,
                            std::int32_t option1, std::int32_t option2) override {
        Recorder::Instance().Record(Channel::Calls, "SetDocumentProfile " + std::to_string(kind) +
                                                        " \"" + name.GetUTF8String() + "\" " +
                                                        std::to_string(option1) + " " +
                                                        std::to_string(option2));
        if (kind != kCMYKProfileKind)
            return;
        for (const ColorProfileInfo& profile : TheState().profiles)
            if (PMString(profile.name) == name) {
                RunDocumentProfileCmd(document, profile);
                return;
            }
    }

    void ResetDocumentProfile(std::int32_t kind, IDocument* document) override {
        Recorder::Instance().Record(Channel::Calls, "ResetDocumentProfile " + std::to_string(kind));
        if (kind == kCMYKProfileKind)
            RunDocumentProfileCmd(document, std::nullopt);
    }
};

class ColorPresetsSettings final : public CPMUnknown<IColorPresetsSettings> {
public:
    using CPMUnknown<IColorPresetsSettings>::CPMUnknown;

    void GetWorkingRGBProfile(PMString& name) const override {
        name = PMString(Presets().workingRGB);
    }
    void GetWorkingCMYKProfile(PMString& name) const override {
        name = PMString(Presets().workingCMYK);
    }
    void GetColorEngine(PMString& name) const override { name = PMString(Presets().colorEngine); }
    std::int32_t GetRenderingIntent() const override { return Presets().renderingIntent; }
    bool GetBlackPointCompensation() const override { return Presets().blackPointCompensation; }
    IColorProfile* QueryWorkingRGBProfileObject() const override {
        return QueryInstalledProfile(Presets().workingRGB, kRGBSpace);
    }
    IColorProfile* QueryWorkingCMYKProfileObject() const override {
        return QueryInstalledProfile(Presets().workingCMYK, kCMYKSpace);
    }

private:
    static const ColorPresets& Presets() { return TheState().presets; }
};

class ColorPresetsData final : public CPMUnknown<IColorPresetsSettingsData> {
public:
    using CPMUnknown<IColorPresetsSettingsData>::CPMUnknown;

    void SetColorManagementOn(bool on) override { m_on = on; }
    void SetWorkingRGBProfile(const PMString& name) override {
        m_presets.workingRGB = name.GetUTF8String();
    }
    void SetWorkingCMYKProfile(const PMString& name) override {
        m_presets.workingCMYK = name.GetUTF8String();
    }
    void SetColorEngine(const PMString& name) override {
        m_presets.colorEngine = name.GetUTF8String();
    }
    void SetRenderingIntent(std::int32_t intent) override { m_presets.renderingIntent = intent; }
    void SetBlackPointCompensation(bool on) override { m_presets.blackPointCompensation = on; }

    bool On() const { return m_on; }
    const ColorPresets& Presets() const { return m_presets; }

private:
    bool m_on = false;
    ColorPresets m_presets;
};

// Applies its data: colour management on or off, and the presets.
class ColorPresetsCmd final : public Command {
public:
    using Command::Command;

    PMString CreateName() override { return PMString("Color Settings"); }

protected:
    void Do() override {
        InterfacePtr<IColorPresetsSettingsData> data(this, UseDefaultIID{});
        if (!data)
            return;
        const auto* settings = static_cast<const ColorPresetsData*>(data.get());
        ColorState& state = TheState();
        JournaledSessionSet(state.on, settings->On());
        JournaledSessionSet(state.presets, settings->Presets());
    }
};

class ColorSettingsUtils final : public CPMUnknown<IColorSettingsUtils> {
public:
    using CPMUnknown<IColorSettingsUtils>::CPMUnknown;

    ICMSManager* QueryCMSManager() const override {
        return static_cast<ICMSManager*>(CreateObject(kCMSManagerBoss, ICMSManager::kDefaultIID));
    }
    bool IsColorManagementOn() const override { return TheState().on; }
    IColorPresetsSettings* QueryColorPresetsSettings() const override {
        return static_cast<IColorPresetsSettings*>(
            CreateObject(kColorPresetsSettingsBoss, IColorPresetsSettings::kDefaultIID));
    }
    IDocumentColorManagement* QueryDocumentColorManagement(IDocument* document,
                                                           std::int32_t /*option*/) const override {
        return document ? static_cast<IDocumentColorManagement*>(
                              document->QueryInterface(IDocumentColorManagement::kDefaultIID))
                        : nullptr;
    }
};

} // namespace

void SetColorManagementOn(bool on) {
    TheState().on = on;
}

bool ColorManagementOn() {
    return TheState().on;
}

void SetColorPresets(const ColorPresets& presets) {
    TheState().presets = presets;
}

const ColorPresets& GetColorPresets() {
    return TheState().presets;
}

void SetInstalledProfiles(std::vector<ColorProfileInfo> profiles) {
    TheState().profiles = std::move(profiles);
    TheState().afterRefresh.reset();
}

void SetProfilesAfterRefresh(std::vector<ColorProfileInfo> profiles) {
    TheState().afterRefresh = std::move(profiles);
}

const std::vector<ColorProfileInfo>& InstalledProfiles() {
    return TheState().profiles;
}

const std::optional<std::vector<ColorProfileInfo>>& ProfilesAfterRefresh() {
    return TheState().afterRefresh;
}

UID StoreDocumentProfile(const Document& document, const ColorProfileInfo& profile, UID wanted) {
    return StoreProfile(*document.db, profile, wanted);
}

std::vector<std::pair<UID, ColorProfileInfo>> StoredProfiles(const Document& document) {
    std::vector<std::pair<UID, ColorProfileInfo>> profiles;
    for (UID uid : StoredProfileUIDs(document.db.get()))
        if (auto info = InfoOf({document.db.get(), uid}))
            profiles.emplace_back(uid, std::move(*info));
    return profiles;
}

void SetDocumentProfileUID(const Document& document, std::int32_t spaceIndex, UID profile) {
    const HostOwnAccess own;
    ColorManagementOf(document.Get())->SetProfile(spaceIndex, profile);
}

UID DocumentProfileUID(const Document& document, std::int32_t spaceIndex) {
    const HostOwnAccess own;
    return ColorManagementOf(document.Get())->GetProfile(spaceIndex);
}

void SetDocumentCMYKProfile(const Document& document, std::optional<ColorProfileInfo> profile) {
    SetDocumentProfileUID(document, kCMYKSpaceIndex,
                          profile ? StoreDocumentProfile(document, *profile) : kInvalidUID);
}

std::optional<ColorProfileInfo> DocumentCMYKProfile(const Document& document) {
    return InfoOf({document.db.get(), DocumentProfileUID(document, kCMYKSpaceIndex)});
}

void ResetColorManagement() {
    TheState() = ColorState{};
}

void RegisterColorManagementClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kColorSettingsUtilsImpl,
                                 ImplementationFunctionsOf<ColorSettingsUtils>());
    model.RegisterImplementation(PluginID{0}, kCMSManagerImpl,
                                 ImplementationFunctionsOf<CMSManager>());
    model.RegisterImplementation(PluginID{0}, kCMSProfileListImpl,
                                 ImplementationFunctionsOf<CMSProfileList>());
    model.RegisterImplementation(PluginID{0}, kColorProfileImpl,
                                 ImplementationFunctionsOf<ColorProfile>());
    model.RegisterImplementation(PluginID{0}, kColorPresetsSettingsImpl,
                                 ImplementationFunctionsOf<ColorPresetsSettings>());
    model.RegisterImplementation(PluginID{0}, kColorPresetsCmdImpl,
                                 ImplementationFunctionsOf<ColorPresetsCmd>());
    model.RegisterImplementation(PluginID{0}, kColorPresetsDataImpl,
                                 ImplementationFunctionsOf<ColorPresetsData>());
    model.RegisterImplementation(PluginID{0}, kDocumentColorManagementImpl,
                                 ImplementationFunctionsOf<DocumentColorManagement>());
    model.RegisterImplementation(PluginID{0}, kDocumentProfileCmdImpl,
                                 ImplementationFunctionsOf<DocumentProfileCmd>());
    model.AddToClass(kUtilsBoss, {{IColorSettingsUtils::kDefaultIID, kColorSettingsUtilsImpl}});
    model.AddToClass(kCMSManagerBoss, {{ICMSManager::kDefaultIID, kCMSManagerImpl}});
    model.AddToClass(kCMSProfileListBoss, {{ICMSProfileList::kDefaultIID, kCMSProfileListImpl}});
    model.AddToClass(kColorProfileBoss, {{IColorProfile::kDefaultIID, kColorProfileImpl}});
    model.AddToClass(kColorPresetsSettingsBoss,
                     {{IColorPresetsSettings::kDefaultIID, kColorPresetsSettingsImpl}});
    model.AddToClass(kColorPresetsCmdBoss,
                     {{ICommand::kDefaultIID, kColorPresetsCmdImpl},
                      {IColorPresetsSettingsData::kDefaultIID, kColorPresetsDataImpl}});
    model.AddToClass(kDocumentProfileCmdBoss, {{ICommand::kDefaultIID, kDocumentProfileCmdImpl}});
    model.AddToClass(kDocBoss,
                     {{IDocumentColorManagement::kDefaultIID, kDocumentColorManagementImpl}});
}

} // namespace host
