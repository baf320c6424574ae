#include "Plugin/ZEPSaveDetailsCmd.h"

#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPStringConversions.h"

ZEPSaveDetailsCmd::ZEPSaveDetailsCmd(IPMUnknown* boss) : Command(boss) {
    SetUndoability(kRegularUndo);
}

PMString ZEPSaveDetailsCmd::CreateName() {
    return ToPMString("0x52E00SaveDetailsCmd");
}

void ZEPSaveDetailsCmd::Do() noexcept {
    RunAsCommandBody([this] {
        InterfacePtr<IZEPJobList> theNewJobList(this, UseDefaultIID{});
        ThrowIfNull(theNewJobList, "theNewJobList");
        const UIDList* items = GetItemList();
        InterfacePtr<IZEPJobList> theTargetJobList(items->IsEmpty() ? UIDRef() : items->GetRef(0),
                                                   UseDefaultIID{});
        ThrowIfNull(theTargetJobList, "theTargetJobList");
        theTargetJobList->CopyFrom(theNewJobList.get(), true);
    });
}

InterfacePtr<ICommand> CreateSaveDetailsCmd(IDocument* document) {
    InterfacePtr<ICommand> theSaveDetailsCmd(CmdUtils::CreateCommand(kZEPSaveDetailsCmdBoss));
    ThrowIfNull(theSaveDetailsCmd, "theSaveDetailsCmd");
    theSaveDetailsCmd->SetItemList(UIDList(document->GetDocWorkSpace()));
    return theSaveDetailsCmd;
}
