#include "Plugin/ZEPRedrawCommands.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPStringConversions.h"
#include "host/sdk/Document.h"
#include "host/sdk/Panels.h"
#include "host/sdk/Session.h"

namespace {

constexpr WidgetID kLayersPanelWidgetID{0x4820};

} // namespace

CZEPInvalidateCmd::CZEPInvalidateCmd(IPMUnknown* boss) : Command(boss) {
    SetUndoability(kRegularUndo);
}

PMString CZEPInvalidateCmd::CreateName() {
    return ToPMString("0x52E00kStringCZEPInvalidateCmdKey");
}

void CZEPInvalidateCmd::Do() noexcept {
    RunAsCommandBody([this] {
        const UIDList* items = GetItemList();
        for (int i = 0; i < items->Length(); ++i) {
            InterfacePtr<IDocument> document(items->GetRef(i), UseDefaultIID{});
            ILayoutUtils* utils = GetLayoutUtils();
            if (document && utils)
                utils->InvalidateViews(document.get());
        }
    });
}

ZEPRefreshLayersPanelCmd::ZEPRefreshLayersPanelCmd(IPMUnknown* boss) : Command(boss) {
    SetUndoability(kAutoUndo);
    ISession* session = GetExecutionContextSession();
    InterfacePtr<IPMUnknown> workspace(session ? session->QueryWorkspace() : nullptr);
    SetItemList(UIDList(GetUIDRef(workspace.get())));
}

PMString ZEPRefreshLayersPanelCmd::CreateName() {
    return ToPMString("0x52E00kStringZEPRefreshLayersPanelCmdKey");
}

void ZEPRefreshLayersPanelCmd::Do() noexcept {
    RunAsCommandBody([] {
        ISession* session = GetExecutionContextSession();
        InterfacePtr<IPMUnknown> applicationObject(session ? session->QueryApplication() : nullptr);
        InterfacePtr<IApplication> iApplication(applicationObject.get(), UseDefaultIID{});
        ThrowIfNull(iApplication, "iApplication");
        InterfacePtr<IPanelMgr> iPanelMgr(iApplication->QueryPanelManager());
        ThrowIfNull(iPanelMgr, "iPanelMgr");
        if (!iPanelMgr->IsPanelPresent(kLayersPanelWidgetID))
            return;
        IControlView* view = iPanelMgr->GetPanelView(kLayersPanelWidgetID);
        if (!view)
            return;
        view->Invalidate();
        view->Redraw(true);
    });
}
