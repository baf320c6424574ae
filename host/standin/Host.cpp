#include "host/standin/Host.h"

#include "host/sdk/Command.h"
#include "host/sdk/Errors.h"
#include "host/standin/Actions.h"
#include "host/standin/ColorCommands.h"
#include "host/standin/ColorManagement.h"
#include "host/standin/Colors.h"
#include "host/standin/Context.h"
#include "host/standin/CoreFilename.h"
#include "host/standin/Document.h"
#include "host/standin/DocumentSetup.h"
#include "host/standin/EPSExport.h"
#include "host/standin/EmbeddedData.h"
#include "host/standin/Faults.h"
#include "host/standin/Flattener.h"
#include "host/standin/Fonts.h"
#include "host/standin/ItemCommands.h"
#include "host/standin/ItemWalk.h"
#include "host/standin/LayerCommands.h"
#include "host/standin/Layout.h"
#include "host/standin/Links.h"
#include "host/standin/NewDocument.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/PDFExport.h"
#include "host/standin/PMString.h"
#include "host/standin/Panels.h"
#include "host/standin/PlacedGraphics.h"
#include "host/standin/PlugInList.h"
#include "host/standin/Print.h"
#include "host/standin/Progress.h"
#include "host/standin/Recorder.h"
#include "host/standin/Scripting.h"
#include "host/standin/Selection.h"
#include "host/standin/Session.h"
#include "host/standin/Tables.h"
#include "host/standin/Text.h"
#include "host/standin/Transform.h"
#include "host/standin/Transparency.h"
#include "platform/library.h"

#include <memory>

namespace host {

void ResetGlobalError();
void ResetCommands();

namespace {

constexpr ImplementationID kSessionImpl{0xF00200};

struct State {
    std::vector<IPlugIn*> plugins;
    std::vector<void*> libraries;
    std::unique_ptr<DataBase> sessionDB;
    UID session = kInvalidUID;
    UID workspace = kInvalidUID;
    UID application = kInvalidUID;
    UID utils = kInvalidUID;
};

State& TheState() {
    static State state;
    return state;
}

class Session final : public CPMUnknown<ISession> {
public:
    explicit Session(IPMUnknown* boss) : CPMUnknown<ISession>(boss) {}

    IPMUnknown* QueryWorkspace() const override {
        const State& state = TheState();
        return state.sessionDB->Instantiate(state.workspace, IPMUnknown::kDefaultIID);
    }
    IPMUnknown* QueryApplication() const override {
        const State& state = TheState();
        return state.sessionDB->Instantiate(state.application, IPMUnknown::kDefaultIID);
    }
};

void RegisterHostClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kSessionImpl, ImplementationFunctionsOf<Session>());
    model.AddToClass(kSessionBoss, {{ISession::kDefaultIID, kSessionImpl}});
    model.AddToClass(kSessionWorkspaceBoss, {});
    RegisterDocumentClasses();
    RegisterSelectionClasses();
    RegisterProgressClasses();
    RegisterScriptingClasses();
    RegisterLayoutClasses();
    RegisterColorManagementClasses();
    RegisterContextClasses();
    RegisterItemWalkClasses();
    RegisterPanelClasses();
    RegisterPrintClasses();
    RegisterPlugInListClasses();
    RegisterLayerCommandClasses();
    RegisterDocumentSetupClasses();
    RegisterTextClasses();
    RegisterFontClasses();
    RegisterTransparencyClasses();
    RegisterPlacedGraphicsClasses();
    RegisterLinkClasses();
    RegisterNewDocumentClasses();
    RegisterTransformClasses();
    RegisterActionClasses();
    RegisterColorClasses();
    RegisterTableClasses();
    RegisterPDFExportClasses();
    RegisterEPSExportClasses();
    RegisterFlattenerClasses();
    RegisterItemCommandClasses();
    RegisterEmbeddedDataClasses();
    RegisterColorCommandClasses();
    RegisterCoreFilenameClasses();
}

// Makes the session's objects anew, so that they carry the interfaces the plug-ins add.
void BuildSessionObjects() {
    State& state = TheState();
    state.sessionDB = std::make_unique<DataBase>("session");
    state.session = state.sessionDB->NewObject(kSessionBoss);
    state.workspace = state.sessionDB->NewObject(kSessionWorkspaceBoss);
    state.application = state.sessionDB->NewObject(kApplicationBoss);
    state.utils = state.sessionDB->NewObject(kUtilsBoss);
    NewPanelViews(*state.sessionDB);
}

} // namespace

DataBase& SessionDataBase() {
    return *TheState().sessionDB;
}

UIDRef SessionWorkspaceRef() {
    return {TheState().sessionDB.get(), TheState().workspace};
}

UIDRef UtilsRef() {
    return {TheState().sessionDB.get(), TheState().utils};
}

void Reset() {
    State& state = TheState();
    state.plugins.clear();
    ResetCommands();
    CloseAllDocuments();
    state.sessionDB.reset();
    ObjectModel::Instance().Reset();
    StringTable::Instance().Reset();
    ResetGlobalError();
    ClearSelection();
    ResetColorManagement();
    Faults::Instance().Reset();
    RegisterHostClasses();
    Recorder::Instance().Reset();
    BuildSessionObjects();
}

bool Attach(IPlugIn* plugin) {
    State& state = TheState();
    plugin->RegisterImplementations(&ObjectModel::Instance());
    const PluginResources& resources = plugin->GetResources();
    for (const ClassResource& cls : resources.classes)
        ObjectModel::Instance().AddToClass(cls.cls, {cls.interfaces.begin(), cls.interfaces.end()});
    for (const StringResource& string : resources.strings)
        StringTable::Instance().Add(std::string(string.key), std::string(string.text));
    state.plugins.push_back(plugin);
    // The plug-in may add interfaces to the session's classes: make its objects again.
    BuildSessionObjects();
    return plugin->Load(GetExecutionContextSession());
}

IPlugIn* OpenPluginLibrary(const std::string& posixPath, std::string& error) {
    void* library = platform::openLibrary(posixPath, error);
    if (!library)
        return nullptr;
    auto getPlugIn =
        reinterpret_cast<GetPlugInFunction>(platform::findSymbol(library, "GetPlugIn"));
    if (!getPlugIn) {
        error = "no GetPlugIn in " + posixPath;
        platform::closeLibrary(library);
        return nullptr;
    }
    TheState().libraries.push_back(library);
    return getPlugIn();
}

void UnloadAll() {
    State& state = TheState();
    for (auto plugin = state.plugins.rbegin(); plugin != state.plugins.rend(); ++plugin)
        (*plugin)->Unload();
    state.plugins.clear();
    // Objects may hold plug-in facets: they go before the libraries that hold their code.
    ResetCommands();
    CloseAllDocuments();
    state.sessionDB.reset();
    for (auto library = state.libraries.rbegin(); library != state.libraries.rend(); ++library)
        platform::closeLibrary(*library);
    state.libraries.clear();
}

const std::vector<IPlugIn*>& Plugins() {
    return TheState().plugins;
}

IDFile PluginLibraryFile(const IPlugIn* plugin) {
    // The library (or program) that holds the plug-in object.
    IDFile file;
    if (auto path = platform::moduleFileNameOf(plugin))
        file.SetString(std::move(*path));
    return file;
}

} // namespace host

ISession* GetExecutionContextSession() {
    const auto& state = host::TheState();
    if (!state.sessionDB)
        return nullptr;
    // The session database holds the session, so the reference can be given back at once.
    InterfacePtr<ISession> session(host::SessionDataBase().GetBoss(state.session), UseDefaultIID{});
    return session.get();
}
