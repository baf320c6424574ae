#include "host/standin/Flattener.h"

#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/Faults.h"
#include "host/standin/Layout.h"
#include "host/standin/Recorder.h"
#include "host/standin/Session.h"

#include <algorithm>

namespace host {

namespace {

constexpr ImplementationID kStyleSettingsImpl{0xF0E100};
constexpr ImplementationID kStyleListImpl{0xF0E101};
constexpr ImplementationID kAddStyleCmdImpl{0xF0E102};
constexpr ImplementationID kAddStyleCmdDataImpl{0xF0E103};
constexpr ImplementationID kCmdSettingsImpl{0xF0E104};
constexpr ImplementationID kTransparencyPrefsImpl{0xF0E105};

// The settings interface over data that the subclass finds; changes are journaled.
class SettingsFacet : public CPMUnknown<IFlattenerSettings> {
public:
    using CPMUnknown::CPMUnknown;

    bool GetFlatteningOn() const override { return Read().on; }
    PMReal GetValue(std::int32_t index) const override {
        return index < 0 || index > 4 ? 0 : Read().values[static_cast<std::size_t>(index)];
    }
    std::uint32_t GetOptions() const override { return Read().options; }
    std::uint32_t GetValueMask() const override { return Read().valueMask; }
    std::uint32_t GetOptionMask() const override { return Read().optionMask; }

    void SetValue(std::int32_t index, PMReal value) override {
        Recorder::Instance().Record(Channel::Calls,
                                    "SetValue " + std::to_string(index) + " " + Number(value));
        FlattenerSettings* data = Data();
        if (data && index >= 0 && index <= 4)
            JournaledSet(data->values[static_cast<std::size_t>(index)], value);
    }
    void SetOptions(std::uint32_t options) override {
        Recorder::Instance().Record(Channel::Calls, "SetOptions " + std::to_string(options));
        if (FlattenerSettings* data = Data())
            JournaledSet(data->options, options);
    }

protected:
    // The data, or null when the object no longer has any.
    virtual FlattenerSettings* Data() const = 0;

private:
    FlattenerSettings Read() const {
        const FlattenerSettings* data = Data();
        return data ? *data : FlattenerSettings();
    }
};

// A style's settings and name, kept with the style.
class StyleSettings final : public SettingsFacet {
public:
    using SettingsFacet::SettingsFacet;
    mutable FlattenerStyle m_style;

protected:
    FlattenerSettings* Data() const override { return &m_style.settings; }
};

// The settings a command hands on.
class CommandSettings final : public SettingsFacet {
public:
    using SettingsFacet::SettingsFacet;
    mutable FlattenerSettings m_settings;

protected:
    FlattenerSettings* Data() const override { return &m_settings; }
};

class SpreadSettings final : public SettingsFacet {
public:
    using SettingsFacet::SettingsFacet;

protected:
    FlattenerSettings* Data() const override {
        const UIDRef ref = GetUIDRef(this);
        Document* document = DocumentOf(ref.GetDataBase());
        if (!document)
            return nullptr;
        auto spread = document->layout.spreadData.find(ref.GetUID());
        if (spread == document->layout.spreadData.end() || !spread->second.flattener)
            return nullptr;
        return &*spread->second.flattener;
    }
};

const StyleSettings* StyleOf(UID uid) {
    const HostOwnAccess own;
    const Boss* boss = SessionDataBase().GetBoss(uid);
    const IPMUnknown* facet =
        boss ? boss->QueryInterface(IFlattenerSettings::kDefaultIID) : nullptr;
    if (!facet)
        return nullptr;
    facet->Release();
    return static_cast<const StyleSettings*>(static_cast<const IFlattenerSettings*>(facet));
}

class StyleList final : public CPMUnknown<IFlattenerStyleListMgr> {
public:
    using CPMUnknown::CPMUnknown;

    std::int32_t GetNumStyles() const override {
        return static_cast<std::int32_t>(m_styles.size());
    }
    std::int32_t GetStyleIndexByName(const PMString& name) const override {
        const std::string utf8 = name.GetUTF8String();
        for (std::size_t i = 0; i < m_styles.size(); ++i) {
            const StyleSettings* style = StyleOf(m_styles[i]);
            if (style && style->m_style.name == utf8)
                return static_cast<std::int32_t>(i);
        }
        return -1;
    }
    UIDRef GetNthStyleRef(std::int32_t index) const override {
        if (index < 0 || static_cast<std::size_t>(index) >= m_styles.size())
            return {};
        return {&SessionDataBase(), m_styles[static_cast<std::size_t>(index)]};
    }

    // Stores a new style in the session and appends it (journaled); its UID.
    UID Append(const FlattenerStyle& data) {
        const UID uid = SessionDataBase().NewObject(kFlattenerStyleBoss);
        const HostOwnAccess own;
        InterfacePtr<IFlattenerSettings> settings(UIDRef(&SessionDataBase(), uid), UseDefaultIID{});
        static_cast<StyleSettings*>(settings.get())->m_style = data;
        std::vector<UID> styles = m_styles;
        styles.push_back(uid);
        JournaledSessionSet(m_styles, std::move(styles));
        return uid;
    }
    const std::vector<UID>& Styles() const { return m_styles; }

private:
    std::vector<UID> m_styles;
};

StyleList& TheStyleList() {
    const HostOwnAccess own;
    InterfacePtr<IFlattenerStyleListMgr> list(SessionWorkspaceRef(), UseDefaultIID{});
    return *static_cast<StyleList*>(list.get());
}

class AddStyleCmdData final : public CPMUnknown<IExportStyleCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetName(const PMString& name) override { m_name = name.GetUTF8String(); }
    std::string m_name;
};

class AddStyleCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("New Flattener Style"); }

protected:
    void Do() override {
        InterfacePtr<IExportStyleCmdData> data(this, UseDefaultIID{});
        InterfacePtr<IFlattenerSettings> settings(this, UseDefaultIID{});
        if (!data || !settings)
            return;
        const std::string& name = static_cast<const AddStyleCmdData*>(data.get())->m_name;
        StyleList& list = TheStyleList();
        if (list.GetStyleIndexByName(PMString(name)) >= 0)
            return;
        const FlattenerStyle style{name,
                                   static_cast<const CommandSettings*>(settings.get())->m_settings};
        SetItemList(UIDList(UIDRef(&SessionDataBase(), list.Append(style))));
    }
};

class TransparencyPrefs final : public CPMUnknown<ITransparencyPrefs> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetBlendSpace() const override {
        const Document* document = DocumentOf(GetUIDRef(this).GetDataBase());
        return document ? document->layout.blendSpace.value_or(kDefaultBlendSpace)
                        : kDefaultBlendSpace;
    }
};

} // namespace

std::vector<FlattenerStyle> FlattenerStyles() {
    std::vector<FlattenerStyle> styles;
    for (UID uid : TheStyleList().Styles())
        if (const StyleSettings* style = StyleOf(uid))
            styles.push_back(style->m_style);
    return styles;
}

void AddFlattenerStyle(const FlattenerStyle& style) {
    TheStyleList().Append(style);
}

std::unique_ptr<IPMUnknown> NewSpreadFlattenerFacet(IPMUnknown* spreadBoss) {
    return std::make_unique<SpreadSettings>(spreadBoss);
}

void RegisterFlattenerClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kStyleSettingsImpl, ImplementationFunctionsOf<StyleSettings>());
    reg(kStyleListImpl, ImplementationFunctionsOf<StyleList>());
    reg(kAddStyleCmdImpl, ImplementationFunctionsOf<AddStyleCmd>());
    reg(kAddStyleCmdDataImpl, ImplementationFunctionsOf<AddStyleCmdData>());
    reg(kCmdSettingsImpl, ImplementationFunctionsOf<CommandSettings>());
    reg(kTransparencyPrefsImpl, ImplementationFunctionsOf<TransparencyPrefs>());
    model.AddToClass(kFlattenerStyleBoss, {{IFlattenerSettings::kDefaultIID, kStyleSettingsImpl}});
    model.AddToClass(kSessionWorkspaceBoss,
                     {{IFlattenerStyleListMgr::kDefaultIID, kStyleListImpl}});
    model.AddToClass(kAddFlattenerStyleCmdBoss,
                     {{ICommand::kDefaultIID, kAddStyleCmdImpl},
                      {IExportStyleCmdData::kDefaultIID, kAddStyleCmdDataImpl},
                      {IFlattenerSettings::kDefaultIID, kCmdSettingsImpl}});
    model.AddToClass(kDocWorkspaceBoss,
                     {{ITransparencyPrefs::kDefaultIID, kTransparencyPrefsImpl}});
}

} // namespace host
