// Colour management of the stand-in: the application's colour state, the manager's profile lists,
// profile objects, and the commands that change a document's profile and the presets.
#include "host/ColorManagement.h"

#include "host/Command.h"
#include "host/Recorder.h"

#include <utility>

namespace host {

namespace {

constexpr ClassID kCMSManagerBoss{0xF04100};
constexpr ClassID kCMSProfileListBoss{0xF04101};
constexpr ClassID kColorProfileBoss{0xF04102};
constexpr ClassID kColorPresetsSettingsBoss{0xF04103};

constexpr ImplementationID kColorSettingsUtilsImpl{0xF04200};
constexpr ImplementationID kCMSManagerImpl{0xF04201};
constexpr ImplementationID kCMSProfileListImpl{0xF04202};
constexpr ImplementationID kColorProfileImpl{0xF04203};
constexpr ImplementationID kColorPresetsSettingsImpl{0xF04204};
constexpr ImplementationID kColorPresetsCmdImpl{0xF04205};
constexpr ImplementationID kColorPresetsDataImpl{0xF04206};
constexpr ImplementationID kDocumentProfilesImpl{0xF04207};
constexpr ImplementationID kDocumentProfileCmdImpl{0xF04208};

constexpr std::int32_t kCMYKProfileKind = 1;

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

// A document's own profiles, on the document's boss.
class IDocumentProfiles : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF04003};

    virtual const std::optional<ColorProfileInfo>& GetCMYKProfile() const = 0;
    // Journaled.
    virtual void SetCMYKProfile(std::optional<ColorProfileInfo> profile) = 0;
};

class DocumentProfiles final : public CPMUnknown<IDocumentProfiles> {
public:
    using CPMUnknown<IDocumentProfiles>::CPMUnknown;

    const std::optional<ColorProfileInfo>& GetCMYKProfile() const override { return m_cmyk; }
    void SetCMYKProfile(std::optional<ColorProfileInfo> profile) override {
        JournaledSet(m_cmyk, std::move(profile));
    }

private:
    std::optional<ColorProfileInfo> m_cmyk;
};

// A new object of the class as its implementation `Impl` (of interface I), with one reference.
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

// Changes a document's CMYK profile.
class DocumentProfileCmd final : public Command {
public:
    using Command::Command;

    PMString CreateName() override { return PMString("Document Profile"); }
    void Set(InterfacePtr<IDocumentProfiles> target, std::optional<ColorProfileInfo> profile) {
        m_target = std::move(target);
        m_profile = std::move(profile);
    }

protected:
    void Do() override {
        if (m_target)
            m_target->SetCMYKProfile(m_profile);
    }

private:
    InterfacePtr<IDocumentProfiles> m_target;
    std::optional<ColorProfileInfo> m_profile;
};

void RunDocumentProfileCmd(IDocument* document, std::optional<ColorProfileInfo> profile) {
    InterfacePtr<IDocumentProfiles> target(document, UseDefaultIID{});
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kDocumentProfileCmdBoss));
    if (!target || !command)
        return;
    static_cast<DocumentProfileCmd*>(command.get())->Set(std::move(target), std::move(profile));
    // A failure stays in the global error code, where the caller's sequence finds it.
    static_cast<void>(CmdUtils::ProcessCommand(command.get()));
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
        InterfacePtr<IDocumentProfiles> profiles(document, UseDefaultIID{});
        if (kind != kCMYKProfileKind || !profiles || !profiles->GetCMYKProfile())
            return nullptr;
        auto profile = MakeObject<ColorProfile, IColorProfile>(kColorProfileBoss);
        profile->Set(*profiles->GetCMYKProfile());
        return profile.forget();
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
        JournaledSet(state.on, settings->On());
        JournaledSet(state.presets, settings->Presets());
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
};

InterfacePtr<IDocumentProfiles> ProfilesOf(const Document& document) {
    return InterfacePtr<IDocumentProfiles>(document.Get(), UseDefaultIID{});
}

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

void SetDocumentCMYKProfile(const Document& document, std::optional<ColorProfileInfo> profile) {
    ProfilesOf(document)->SetCMYKProfile(std::move(profile));
}

std::optional<ColorProfileInfo> DocumentCMYKProfile(const Document& document) {
    return ProfilesOf(document)->GetCMYKProfile();
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
    model.RegisterImplementation(PluginID{0}, kDocumentProfilesImpl,
                                 ImplementationFunctionsOf<DocumentProfiles>());
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
    model.AddToClass(kDocBoss, {{IDocumentProfiles::kDefaultIID, kDocumentProfilesImpl}});
}

} // namespace host
