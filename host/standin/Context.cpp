#include "host/standin/Context.h"

#include "host/sdk/Selection.h"
#include "host/standin/Document.h"
#include "host/standin/ObjectModel.h"

namespace host {
namespace {

constexpr ImplementationID kActiveContextImpl{0xF05010};
constexpr ImplementationID kWindowUtilsImpl{0xF05011};

std::uint64_t& ActiveWindow() {
    static std::uint64_t handle = 0;
    return handle;
}

class ActiveContext final : public CPMUnknown<IActiveContext> {
public:
    explicit ActiveContext(IPMUnknown* boss) : CPMUnknown<IActiveContext>(boss) {}

    IPMUnknown* GetContextView() const override {
        const Document* front = FrontDocument();
        // The document's database holds the view, so no reference needs to be kept.
        return front && front->view != kInvalidUID ? front->db->GetBoss(front->view) : nullptr;
    }
    ISelectionManager* GetContextSelection() const override {
        InterfacePtr<ISelectionUtils> utils(UtilsBoss::QueryUtils<ISelectionUtils>());
        return utils ? utils->GetActiveSelection() : nullptr;
    }
};

class WindowUtils final : public CPMUnknown<IWindowUtils> {
public:
    explicit WindowUtils(IPMUnknown* boss) : CPMUnknown<IWindowUtils>(boss) {}

    std::uint64_t GetActiveWindow() const override { return ActiveWindow(); }
};

} // namespace

IActiveContext* QueryActiveContext() {
    return static_cast<IActiveContext*>(
        CreateObject(kActiveContextBoss, IActiveContext::kDefaultIID));
}

void SetActiveWindow(std::uint64_t handle) {
    ActiveWindow() = handle;
}

void RegisterContextClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kActiveContextImpl,
                                 ImplementationFunctionsOf<ActiveContext>());
    model.RegisterImplementation(PluginID{0}, kWindowUtilsImpl,
                                 ImplementationFunctionsOf<WindowUtils>());
    model.AddToClass(kActiveContextBoss, {{IActiveContext::kDefaultIID, kActiveContextImpl}});
    model.AddToClass(kUtilsBoss, {{IWindowUtils::kDefaultIID, kWindowUtilsImpl}});
    ActiveWindow() = 0;
}

} // namespace host
