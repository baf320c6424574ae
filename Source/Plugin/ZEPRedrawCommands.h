// The plug-in's two commands that only make the host redraw: the views of documents, and the
// Layers panel. Neither changes the document model.
#pragma once

#include "host/sdk/Command.h"

// Invalidates every layout view of each document of its item list (UIDs that are not documents
// are passed over). Undoability 1.
class CZEPInvalidateCmd final : public Command {
public:
    explicit CZEPInvalidateCmd(IPMUnknown* boss);
    PMString CreateName() override;

protected:
    void Do() noexcept override;
};

// Redraws the host's Layers panel when it is present; its item list is the session's workspace.
// A missing application or panel manager leaves 0x52E1E as the global error. Undoability 0.
// Both leave a failure as the global error code (RunAsCommandBody).
class ZEPRefreshLayersPanelCmd final : public Command {
public:
    explicit ZEPRefreshLayersPanelCmd(IPMUnknown* boss);
    PMString CreateName() override;

protected:
    void Do() noexcept override;
};
