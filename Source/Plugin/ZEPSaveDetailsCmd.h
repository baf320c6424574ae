// The save-details command: copies the summary of the command's own job list into the job list
// named by its first item (a document's workspace), so that the change takes part in undo.
#pragma once

#include "host/sdk/Command.h"
#include "host/sdk/Document.h"

class ZEPSaveDetailsCmd final : public Command {
public:
    explicit ZEPSaveDetailsCmd(IPMUnknown* boss);

    PMString CreateName() override;

protected:
    // A failure on the way leaves its code as the global error, no text (RunAsCommandBody).
    void Do() noexcept override;
};

// A save-details command whose target is the document's job list; none: 0x52E1E
// "(theSaveDetailsCmd) == NULL". Callers fill its job list and process it.
InterfacePtr<ICommand> CreateSaveDetailsCmd(IDocument* document);
