#include "host/standin/Panels.h"

#include "host/standin/Document.h"
#include "host/standin/Recorder.h"
#include "host/standin/Session.h"

namespace host {

namespace {

constexpr ImplementationID kControlViewImpl{0xF06104};
constexpr ImplementationID kPanelMgrImpl{0xF06105};

struct Panels {
    bool layersPresent = true;
    UID layersView = kInvalidUID;
};

Panels& ThePanels() {
    static Panels panels;
    return panels;
}

class ControlView final : public CPMUnknown<IControlView> {
public:
    using CPMUnknown::CPMUnknown;
    void Invalidate() override { Record("invalidate"); }
    void Redraw(bool now) override { Record(now ? "redraw true" : "redraw false"); }

private:
    static void Record(const std::string& what) {
        Recorder::Instance().Record(Channel::Redraws,
                                    "panel " + Hex(kLayersPanelWidget.Get()) + " " + what);
    }
};

class PanelMgr final : public CPMUnknown<IPanelMgr> {
public:
    using CPMUnknown::CPMUnknown;
    bool IsPanelPresent(const WidgetID& widget) const override {
        return widget == kLayersPanelWidget && ThePanels().layersPresent;
    }
    IControlView* GetPanelView(const WidgetID& widget) const override {
        if (!IsPanelPresent(widget))
            return nullptr;
        InterfacePtr<IControlView> view(UIDRef(&SessionDataBase(), ThePanels().layersView),
                                        UseDefaultIID{});
        return view.get(); // the session's database holds the view
    }
};

} // namespace

void SetLayersPanelPresent(bool present) {
    ThePanels().layersPresent = present;
}

bool IsLayersPanelPresent() {
    return ThePanels().layersPresent;
}

void RegisterPanelClasses() {
    ThePanels() = Panels{};
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kControlViewImpl,
                                 ImplementationFunctionsOf<ControlView>());
    model.RegisterImplementation(PluginID{0}, kPanelMgrImpl, ImplementationFunctionsOf<PanelMgr>());
    model.AddToClass(kPanelViewBoss, {{IControlView::kDefaultIID, kControlViewImpl}});
    model.AddToClass(kApplicationBoss, {{IPanelMgr::kDefaultIID, kPanelMgrImpl}});
}

void NewPanelViews(DataBase& session) {
    ThePanels().layersView = session.NewObject(kPanelViewBoss);
}

} // namespace host
