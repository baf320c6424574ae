#include "Plugin/ZEPRegistrations.h"

#include "Plugin/CZEPPluginPrefsData.h"
#include "Plugin/CZEPSelectionJob.h"
#include "Plugin/CZEPSetPluginPrefsCmd.h"
#include "Plugin/ZEPErrorStringService.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPJobList.h"
#include "Plugin/ZEPRedrawCommands.h"
#include "Plugin/ZEPSaveDetailsCmd.h"
#include "Request_Handling/ZEPScriptProvider.h"
#include "Zephrin_Menu/ZEPActionComponent.h"
#include "Zephrin_Menu/ZEPMenuFilter.h"
#include "host/sdk/Command.h"
#include "host/sdk/Document.h"
#include "host/sdk/Scripting.h"
#include "host/sdk/Selection.h"
#include "host/sdk/Session.h"

#include <array>

namespace {

// The registrations in the order the plug-in makes them; the list links each to the one before.
constexpr std::array kRegistrationOrder{
    ImplementationRegistration{kZEPJobListImpl, PersistentImplementationFunctionsOf<ZEPJobList>()},
    ImplementationRegistration{kZEPSaveDetailsCmdImpl,
                               ImplementationFunctionsOf<ZEPSaveDetailsCmd>()},
    ImplementationRegistration{kZEPScriptProviderImpl,
                               ImplementationFunctionsOf<ZEPScriptProvider>()},
    ImplementationRegistration{kZEPInvalidateCmdImpl,
                               ImplementationFunctionsOf<CZEPInvalidateCmd>()},
    ImplementationRegistration{kZEPRefreshLayersPanelCmdImpl,
                               ImplementationFunctionsOf<ZEPRefreshLayersPanelCmd>()},
    ImplementationRegistration{kZEPSelectionJobASBImpl,
                               ImplementationFunctionsOf<CZEPSelectionJobASB>()},
    ImplementationRegistration{kZEPSelectionJobLayoutCSBImpl,
                               ImplementationFunctionsOf<CZEPSelectionJobLayoutCSB>()},
    ImplementationRegistration{kZEPErrorStringServiceImpl,
                               ImplementationFunctionsOf<ZEPErrorStringService>()},
    ImplementationRegistration{kZEPMenuFilterImpl, ImplementationFunctionsOf<ZEPMenuFilter>()},
    ImplementationRegistration{kZEPSetPluginPrefsCmdDataImpl,
                               ImplementationFunctionsOf<CZEPSetPluginPrefsCmdData>()},
    ImplementationRegistration{kZEPPluginPrefsDataImpl,
                               PersistentImplementationFunctionsOf<CZEPPluginPrefsData>()},
    ImplementationRegistration{kZEPSetPluginPrefsCmdImpl,
                               ImplementationFunctionsOf<CZEPSetPluginPrefsCmd>()},
    ImplementationRegistration{kZEPActionComponentImpl,
                               ImplementationFunctionsOf<ZEPActionComponent>()},
};

// A job list: on a document's workspace (stored with the document, added below), on the
// transient job of a script call and on the save-details command.
constexpr InterfaceEntry kJobListInterfaces[] = {{IID_IZEPJOBLIST, kZEPJobListImpl}};
constexpr InterfaceEntry kSaveDetailsCmdInterfaces[] = {
    {ICommand::kDefaultIID, kZEPSaveDetailsCmdImpl}, {IID_IZEPJOBLIST, kZEPJobListImpl}};
constexpr InterfaceEntry kInvalidateCmdInterfaces[] = {
    {ICommand::kDefaultIID, kZEPInvalidateCmdImpl}};
constexpr InterfaceEntry kRefreshLayersPanelCmdInterfaces[] = {
    {ICommand::kDefaultIID, kZEPRefreshLayersPanelCmdImpl}};
constexpr InterfaceEntry kScriptProviderInterfaces[] = {
    {IScriptProvider::kDefaultIID, kZEPScriptProviderImpl}};
constexpr InterfaceEntry kErrorStringServiceInterfaces[] = {
    {IErrorStringService::kDefaultIID, kZEPErrorStringServiceImpl}};
constexpr InterfaceEntry kMenuFilterInterfaces[] = {{IMenuFilter::kDefaultIID, kZEPMenuFilterImpl}};
constexpr InterfaceEntry kActionComponentInterfaces[] = {
    {IActionComponent::kDefaultIID, kZEPActionComponentImpl}};

constexpr InterfaceEntry kSetPluginPrefsCmdInterfaces[] = {
    {ICommand::kDefaultIID, kZEPSetPluginPrefsCmdImpl},
    {IID_IZEPPLUGINPREFSDATA, kZEPSetPluginPrefsCmdDataImpl}};

// Added to the host's classes.
constexpr InterfaceEntry kSessionWorkspaceAddIns[] = {
    {IID_IZEPPLUGINPREFSDATA, kZEPPluginPrefsDataImpl}};
constexpr InterfaceEntry kSelectionManagerAddIns[] = {
    {IID_IZEPSELECTIONJOBSUITE, kZEPSelectionJobASBImpl}};
constexpr InterfaceEntry kLayoutSelectionAddIns[] = {
    {IID_IZEPSELECTIONJOBSUITE, kZEPSelectionJobLayoutCSBImpl}};

constexpr ClassResource kClasses[] = {
    {kZEPJobBoss, kJobListInterfaces},
    {kZEPSaveDetailsCmdBoss, kSaveDetailsCmdInterfaces},
    {kZEPInvalidateCmdBoss, kInvalidateCmdInterfaces},
    {kZEPRefreshLayersPanelCmdBoss, kRefreshLayersPanelCmdInterfaces},
    {kZEPScriptProviderBoss, kScriptProviderInterfaces},
    {kZEPErrorStringServiceBoss, kErrorStringServiceInterfaces},
    {kZEPMenuFilterBoss, kMenuFilterInterfaces},
    {kZEPActionComponentBoss, kActionComponentInterfaces},
    {kZEPSetPluginPrefsCmdBoss, kSetPluginPrefsCmdInterfaces},
    {kDocWorkspaceBoss, kJobListInterfaces},
    {kSessionWorkspaceBoss, kSessionWorkspaceAddIns},
    {kSelectionManagerBoss, kSelectionManagerAddIns},
    {kLayoutSelectionBoss, kLayoutSelectionAddIns},
};

constexpr ServiceResource kServices[] = {
    {ServiceKind::ScriptProvider, kZEPScriptProviderBoss},
    {ServiceKind::ErrorStrings, kZEPErrorStringServiceBoss},
    {ServiceKind::MenuFilter, kZEPMenuFilterBoss},
    {ServiceKind::ActionComponent, kZEPActionComponentBoss},
};

// The texts of the string-table keys the plug-in translates.
constexpr StringResource kStrings[] = {
    {"0x52E00ZEPUnknownErr", "Unknown error "},
    {"0x52E00ZEPPluginName", "Zephrin "},
    {"0x52E00ZEPPluginAuthor", "Tarnwell"},
    {"0x52E00ZEPNoDestinationErr", "The job has no page size: the document cannot be fitted."},
    {"0x52E00ZEPNoGroupSelectedErr", "No group of destinations is selected."},
    {"0x52E00ZEPNewZephrinDocCmd", "New Zephrin Document"},
    {"0x52E00ZEPExportCmd", "Zephrin Export"},
    {"0x52E00kZEPMenu_AdjustPageNormalKey", "Adjust Page to Job"},
    {"0x52E00kZEPMenu_AdjustSelectionNormalKey", "Adjust Selection to Job"},
    {"0x52E00kZEPMenu_AdjustPageToTrimKey", "Adjust Page to Trim Size"},
    {"0x52E00kZEPMenu_AdjustSelectionToBleedKey", "Adjust Selection to Bleed Size"},
    {"0x52E00kStringZEPFlattenerStyleKey", "Zephrin Flattener"},
};

// Error-string resource 650: the texts of the plug-in's error codes.
constexpr ErrorStringResource kErrorStrings[] = {
    {650, ErrorCode(0x52E0A), "The file cannot be written."},
    {650, ErrorCode(0x52E1E), "A host object the plug-in needs is missing."},
    {650, ErrorCode(0x52E1F), "An internal check of the plug-in failed."},
    {650, ErrorCode(0x52E29), "The job has no destination."},
    {650, ErrorCode(0x52E2B), "The job's bleed is larger than the selection."},
    {650, ErrorCode(0x52E31), "A colour profile of the job differs from the installed one."},
    {650, ErrorCode(0x52E32), "A colour profile of the job is not installed."},
    {650, ErrorCode(0x52E34), "A colour profile of the job cannot be read."},
    {650, ErrorCode(0x52E35), "A colour profile of the job has no description."},
    {650, ErrorCode(0x52E36), "The selection cannot be exported."},
    {650, ErrorCode(0x52E38), "A working-space profile of the job cannot be read."},
    {650, ErrorCode(0x52E3A), "The list of destinations to deliver again cannot be read."},
    {650, ErrorCode(0x52E3B),
     "The companion application cannot be told of the export: its destinations stay unexported."},
    {650, ErrorCode(0x52E3C), "The job's pages lie outside the document."},
    {650, ErrorCode(0x52E3D), "Two files of the export are one and the same file."},
    {650, ErrorCode(0x52E40),
     "A destination of the job cannot be printed: its width or height is not above 0, or a bleed "
     "is below 0."},
};

// The plug-in's menu items, all in the menu that carries the product's name.
constexpr MenuResource kMenus[] = {
    {ActionID{0x52E05}, "Main:&Zephrin:Job Details...", 1},
    {ActionID{0x52E0D}, "Main:&Zephrin:Job List...", 2},
    {ActionID{0x52E06}, "Main:&Zephrin:Adjust to Job", 3},
    {ActionID{0x52E0B}, "Main:&Zephrin:Selection-Based Exports", 4},
    {ActionID{0x52E0C}, "Main:&Zephrin:Common Sizing", 5},
    {ActionID{0x52E03}, "Main:&Zephrin:About Zephrin...", 6},
};

// The menu actions, which the action component carries out.
constexpr ActionResource kActions[] = {
    {ActionID{0x52E03}, "About Zephrin..."},
    {ActionID{0x52E04}, "-"},
    {ActionID{0x52E05}, "Job Details..."},
    {ActionID{0x52E06}, "Adjust to Job"},
    {ActionID{0x52E07}, "-"},
    {ActionID{0x52E08}, "-"},
    {ActionID{0x52E09}, "Zephrin Event"},
    {ActionID{0x52E0A}, "About Zephrin..."},
    {ActionID{0x52E0B}, "Selection-Based Exports"},
    {ActionID{0x52E0C}, "Common Sizing"},
    {ActionID{0x52E0D}, "Job List..."},
};

} // namespace

const ImplementationRegistration* RegistrationListHead() {
    static auto list = kRegistrationOrder;
    static const ImplementationRegistration* const head = [] {
        for (std::size_t i = 1; i < list.size(); ++i)
            list[i].next = &list[i - 1];
        return &list.back();
    }();
    return head;
}

const PluginResources& PluginResourceTables() {
    static const PluginResources resources{kClasses,      kServices, kStrings,
                                           kErrorStrings, kMenus,    kActions};
    return resources;
}
