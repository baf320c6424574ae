#include "host/standin/LayerCommands.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/Layout.h"
#include "host/standin/Recorder.h"

#include <algorithm>
#include <optional>
#include <string>

namespace host {

namespace {

constexpr ImplementationID kBoolDataImpl{0xF08000};
constexpr ImplementationID kLockLayerCmdImpl{0xF08001};
constexpr ImplementationID kNewLayerCmdImpl{0xF08002};
constexpr ImplementationID kNewLayerCmdDataImpl{0xF08003};
constexpr ImplementationID kNewGuideCmdImpl{0xF08004};
constexpr ImplementationID kNewGuideCmdDataImpl{0xF08005};
constexpr ImplementationID kLayerUtilsImpl{0xF0E120};

std::string Flag(bool value) {
    return value ? "true" : "false";
}

// Erases the UID from the list found through `access` when undone.
template <typename Access>
void JournalAppended(Access access, UID uid) {
    RecordUndo([access, uid] { std::erase(access(), uid); });
}

class BoolData final : public CPMUnknown<IBoolData> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(bool value) override { m_value = value; }
    bool Get() const override { return m_value; }

private:
    bool m_value = false;
};

class LockLayerCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Lock Layers"); }

protected:
    void Do() override {
        InterfacePtr<IBoolData> data(this, UseDefaultIID{});
        Document* document = DocumentOf(GetItemList()->GetDataBase());
        if (!document)
            return;
        Layout* layout = &document->layout;
        const bool locked = data && data->Get();
        for (UID uid : GetItemList()->UIDs()) {
            if (!layout->layerData.contains(uid))
                continue;
            const auto field = [layout, uid]() -> bool& {
                return layout->layerData.at(uid).locked;
            };
            RecordUndo([field, old = field()] { field() = old; });
            field() = locked;
        }
    }
};

class NewLayerCmdData final : public CPMUnknown<INewLayerCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(const UIDRef& layerList, const PMString& name, bool visible, bool option2,
             bool option3, bool option4, UID colour, bool option6, bool option7) override {
        m_layerList = layerList;
        m_name = name;
        m_visible = visible;
        Recorder::Instance().Record(Channel::Calls,
                                    "NewLayer " + std::to_string(layerList.GetUID().Get()) + " " +
                                        name.GetUTF8String() + " " + Flag(visible) + " " +
                                        Flag(option2) + " " + Flag(option3) + " " + Flag(option4) +
                                        " " + std::to_string(colour.Get()) + " " + Flag(option6) +
                                        " " + Flag(option7));
    }
    const UIDRef& LayerList() const { return m_layerList; }
    const PMString& Name() const { return m_name; }
    bool Visible() const { return m_visible; }

private:
    UIDRef m_layerList;
    PMString m_name;
    bool m_visible = true;
};

class NewLayerCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("New Layer"); }

protected:
    void Do() override {
        InterfacePtr<INewLayerCmdData> iData(this, UseDefaultIID{});
        const auto* data = static_cast<const NewLayerCmdData*>(iData.get());
        Document* document = data ? DocumentOf(data->LayerList().GetDataBase()) : nullptr;
        if (!document || data->LayerList().GetUID() != document->document) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        Layout* layout = &document->layout;
        const UID uid = document->db->NewObject(kDocumentLayerBoss);
        layout->layerData.emplace(uid, Layer{data->Name().GetUTF8String(), false, data->Visible()});
        RecordUndo([layout, uid] { layout->layerData.erase(uid); });
        layout->layers.push_back(uid);
        JournalAppended([layout]() -> std::vector<UID>& { return layout->layers; }, uid);
        SetItemList(UIDList(UIDRef(document->db.get(), uid)));
    }
};

class NewGuideCmdData final : public CPMUnknown<INewGuideCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(const UIDRef& parent, std::int16_t horizontal, PMReal position, UID spread,
             std::int16_t option, const PMReal& threshold, std::int32_t index,
             std::int32_t extra) override {
        m_parent = parent;
        m_spread = spread;
        m_guide = Guide{horizontal != 0, position, index};
        Recorder::Instance().Record(Channel::Calls,
                                    "NewGuide " + std::to_string(parent.GetUID().Get()) + " " +
                                        std::to_string(horizontal) + " " + Number(position) + " " +
                                        std::to_string(spread.Get()) + " " +
                                        std::to_string(option) + " " + Number(threshold) + " " +
                                        std::to_string(index) + " " + std::to_string(extra));
    }
    const UIDRef& Parent() const { return m_parent; }
    UID Spread() const { return m_spread; }
    const Guide& GuideData() const { return m_guide; }

private:
    UIDRef m_parent;
    UID m_spread;
    Guide m_guide;
};

class NewGuideCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("New Guide"); }

protected:
    void Do() override {
        InterfacePtr<INewGuideCmdData> iData(this, UseDefaultIID{});
        const auto* data = static_cast<const NewGuideCmdData*>(iData.get());
        Document* document = data ? DocumentOf(data->Parent().GetDataBase()) : nullptr;
        const UID layer = data ? data->Parent().GetUID() : kInvalidUID;
        const UID spread = data ? data->Spread() : kInvalidUID;
        if (!document || !document->layout.layerData.contains(layer) ||
            !document->layout.spreadData.contains(spread)) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        Layout* layout = &document->layout;
        const UID uid = document->db->NewObject(kGuideItemBoss);
        Boss* boss = document->db->GetBoss(uid);
        boss->AttachFacet(IGuide::kDefaultIID, NewGuideFacet(boss));
        Item item;
        item.cls = kGuideItemBoss;
        item.spread = spread;
        item.layer = layer;
        item.guide = data->GuideData();
        layout->items.emplace(uid, std::move(item));
        RecordUndo([layout, uid] { layout->items.erase(uid); });
        layout->spreadData.at(spread).items.push_back(uid);
        JournalAppended(
            [layout, spread]() -> std::vector<UID>& { return layout->spreadData.at(spread).items; },
            uid);
    }
};

class LayerUtils final : public CPMUnknown<ILayerUtils> {
public:
    using CPMUnknown::CPMUnknown;
    bool IsPrintingSuppressed(const IDocument* document,
                              bool hiddenLayersDoNotPrint) const override {
        const Document* data = DocumentOf(GetUIDRef(document).GetDataBase());
        if (!data || data->layout.layers.empty())
            return false;
        return std::none_of(data->layout.layers.begin(), data->layout.layers.end(), [&](UID uid) {
            const Layer& layer = data->layout.layerData.at(uid);
            return layer.printable && (layer.visible || !hiddenLayersDoNotPrint);
        });
    }
};

} // namespace

void RegisterLayerCommandClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kBoolDataImpl, ImplementationFunctionsOf<BoolData>());
    reg(kLockLayerCmdImpl, ImplementationFunctionsOf<LockLayerCmd>());
    reg(kNewLayerCmdImpl, ImplementationFunctionsOf<NewLayerCmd>());
    reg(kNewLayerCmdDataImpl, ImplementationFunctionsOf<NewLayerCmdData>());
    reg(kNewGuideCmdImpl, ImplementationFunctionsOf<NewGuideCmd>());
    reg(kNewGuideCmdDataImpl, ImplementationFunctionsOf<NewGuideCmdData>());
    reg(kLayerUtilsImpl, ImplementationFunctionsOf<LayerUtils>());

    model.AddToClass(kLockLayerCmdBoss, {{ICommand::kDefaultIID, kLockLayerCmdImpl},
                                         {IBoolData::kDefaultIID, kBoolDataImpl}});
    model.AddToClass(kNewLayerCmdBoss, {{ICommand::kDefaultIID, kNewLayerCmdImpl},
                                        {INewLayerCmdData::kDefaultIID, kNewLayerCmdDataImpl}});
    model.AddToClass(kNewGuideCmdBoss, {{ICommand::kDefaultIID, kNewGuideCmdImpl},
                                        {INewGuideCmdData::kDefaultIID, kNewGuideCmdDataImpl}});
    AddItemFacets(kGuideItemBoss);
    model.AddToClass(kUtilsBoss, {{ILayerUtils::kDefaultIID, kLayerUtilsImpl}});
}

} // namespace host
