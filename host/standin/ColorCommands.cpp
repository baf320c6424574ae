#include "host/standin/ColorCommands.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Document.h"

#include <algorithm>

namespace host {

namespace {

constexpr ImplementationID kChangeColorCmdImpl{0xF0E130};
constexpr ImplementationID kNewColorDataImpl{0xF0E131};
constexpr ImplementationID kColorOverridesImpl{0xF0E132};
constexpr ImplementationID kUIDDataImpl{0xF0E133};
constexpr ImplementationID kChangeInkCmdImpl{0xF0E134};
constexpr ImplementationID kInkCmdDataImpl{0xF0E135};

class NewColorData final : public CPMUnknown<INewColorData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetColorData(std::int32_t space, const std::vector<PMReal>& components) override {
        m_space = space;
        m_components = components;
    }
    std::int32_t m_space = 0;
    std::vector<PMReal> m_components;
};

class ColorOverrides final : public CPMUnknown<IColorOverrides> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(std::int32_t /*overrides*/) override {}
};

class UIDData final : public CPMUnknown<IUIDData> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(const UIDRef& ref) override { m_ref = ref; }
    UIDRef GetRef() const override { return m_ref; }

private:
    UIDRef m_ref;
};

class ChangeColorCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Change Color"); }

protected:
    void Do() override {
        InterfacePtr<INewColorData> data(this, UseDefaultIID{});
        InterfacePtr<IUIDData> target(this, UseDefaultIID{});
        const UIDRef ref = target ? target->GetRef() : UIDRef();
        Document* document = DocumentOf(ref.GetDataBase());
        Color* color = nullptr;
        if (document) {
            auto found = document->colors.colors.find(ref.GetUID());
            if (found != document->colors.colors.end())
                color = &found->second;
        }
        if (!data || !color) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        const auto* colorData = static_cast<const NewColorData*>(data.get());
        JournaledSet(color->space, std::optional(colorData->m_space));
        JournaledSet(color->values, colorData->m_components);
    }
};

// The attributes the change-ink command hands on.
class InkCmdData final : public CPMUnknown<IInkInfo> {
public:
    using CPMUnknown::CPMUnknown;
    PMString GetName() const override { return PMString(m_ink.name); }
    bool IsProcess() const override { return m_ink.process; }
    UID GetColor() const override { return m_ink.color; }
    std::int32_t GetInkType() const override { return m_ink.type; }
    PMReal GetNeutralDensity() const override { return m_ink.neutralDensity; }
    bool IsNeutralDensityCustom() const override { return m_ink.customDensity; }
    std::int32_t GetTrapSequence() const override { return m_ink.trapSequence; }
    PMReal GetScreenFrequency() const override { return m_ink.screenFrequency; }
    PMReal GetScreenAngle() const override { return m_ink.screenAngle; }
    std::int32_t GetDotShape() const override { return m_ink.dotShape; }
    bool IsPrinted() const override { return m_ink.printed; }
    std::int32_t GetInkOrder() const override { return m_ink.inkOrder; }
    bool IsLocked() const override { return m_ink.locked; }
    bool IsConvertedToProcess() const override { return m_ink.convertToProcess; }
    UID GetAliasInk() const override { return m_ink.alias; }

    void SetName(const PMString& name) override { m_ink.name = name.GetUTF8String(); }
    void SetProcess(bool process) override { m_ink.process = process; }
    void SetColor(UID color) override { m_ink.color = color; }
    void SetInkType(std::int32_t type) override { m_ink.type = type; }
    void SetNeutralDensity(PMReal density) override { m_ink.neutralDensity = density; }
    void SetNeutralDensityCustom(bool custom) override { m_ink.customDensity = custom; }
    void SetTrapSequence(std::int32_t sequence) override { m_ink.trapSequence = sequence; }
    void SetScreenFrequency(PMReal frequency) override { m_ink.screenFrequency = frequency; }
    void SetScreenAngle(PMReal angle) override { m_ink.screenAngle = angle; }
    void SetDotShape(std::int32_t shape) override { m_ink.dotShape = shape; }
    void SetPrinted(bool printed) override { m_ink.printed = printed; }
    void SetInkOrder(std::int32_t position) override { m_ink.inkOrder = position; }
    void SetLocked(bool locked) override { m_ink.locked = locked; }
    void SetConvertedToProcess(bool converted) override { m_ink.convertToProcess = converted; }
    void SetAliasInk(UID ink) override { m_ink.alias = ink; }

    Ink m_ink;
};

class ChangeInkCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Change Ink"); }

protected:
    void Do() override {
        InterfacePtr<IInkInfo> data(this, UseDefaultIID{});
        const UIDList& inks = *GetItemList();
        Document* document = DocumentOf(inks.GetDataBase());
        if (!data || !document ||
            !std::all_of(inks.UIDs().begin(), inks.UIDs().end(),
                         [document](UID uid) { return document->colors.inkData.contains(uid); })) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        for (UID uid : inks.UIDs())
            JournaledSet(document->colors.inkData.at(uid),
                         static_cast<const InkCmdData*>(data.get())->m_ink);
    }
};

} // namespace

void RegisterColorCommandClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kChangeColorCmdImpl, ImplementationFunctionsOf<ChangeColorCmd>());
    reg(kNewColorDataImpl, ImplementationFunctionsOf<NewColorData>());
    reg(kColorOverridesImpl, ImplementationFunctionsOf<ColorOverrides>());
    reg(kUIDDataImpl, ImplementationFunctionsOf<UIDData>());
    reg(kChangeInkCmdImpl, ImplementationFunctionsOf<ChangeInkCmd>());
    reg(kInkCmdDataImpl, ImplementationFunctionsOf<InkCmdData>());
    model.AddToClass(kChangeColorCmdBoss, {{ICommand::kDefaultIID, kChangeColorCmdImpl},
                                           {INewColorData::kDefaultIID, kNewColorDataImpl},
                                           {IColorOverrides::kDefaultIID, kColorOverridesImpl},
                                           {IUIDData::kDefaultIID, kUIDDataImpl}});
    model.AddToClass(kChangeInkCmdBoss, {{ICommand::kDefaultIID, kChangeInkCmdImpl},
                                         {IInkInfo::kDefaultIID, kInkCmdDataImpl}});
}

} // namespace host
