// The recovery of exports that died on the way (killed, or cut off by a power cut): before an
// export writes into a folder it holds, the journals that dead exports left there are resolved,
// by the rules at the head of Plugin/ZEPExportJournal.h. An export that stood is completed, any
// other is undone; only the user's own journals are acted on, only in the folder they were
// written in, and only on the files their dead export put there.
#pragma once

#include "Plugin/ZEPExportJournal.h"
#include "platform/files.h"
#include "utils/ustring.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ZEPExportRecovery {
public:
    // The live export's own held folder of that identity, or null. A dead export's other folder
    // is reached through it when the live export holds it, else held for the moment.
    using HeldFolderOf = std::function<const platform::HeldFolder*(const platform::FileIdentity&)>;

    // What a folder's recovery leaves for the live export's sweep of temporaries.
    struct Outcome {
        bool sweep = true;                // no set-aside journal of the user's lies there
        std::vector<std::u16string> keep; // temporaries that journals still lying there name
    };

    // `ownJournal`: the live export's journal name, never taken for a dead one's.
    ZEPExportRecovery(HeldFolderOf heldFolderOf, std::u16string ownJournal);

    // Resolves the dead exports' journals in `folder`, which the live export holds (`path` as the
    // job names it, for messages). CZEPFileWriteError 0x52E0A: "The folder <path> cannot be
    // written: its entries cannot be read: <reason>." when the folder cannot be listed; "An
    // earlier export into the folder <path> was cut off and cannot be undone: <what>: <reason>
    // (its journal <journal>)." when a journal lying there cannot be resolved, <what> being
    // "<file> cannot be put back", "<journal> cannot be removed", "<journal> cannot be written"
    // or "the folder cannot be synced"; "The folder <path> cannot be written: <reason>." when an
    // own journal that does not read cannot be set aside. ERROR records name each journal set
    // aside and count, once per folder, the entries under journal names that are not the user's.
    [[nodiscard]] Outcome Recover(const platform::HeldFolder& folder, const ustring& path);

private:
    struct Reached;
    struct Read;

    [[nodiscard]] static Read ReadOwn(const platform::HeldFolder& folder, std::u16string_view name);
    void Resolve(const platform::HeldFolder& folder, const std::u16string& name,
                 const ZEPExportJournal& journal, Outcome& outcome);
    // Undoes a dead export from its primary journal `name` in `folder` (one of the live export's
    // own when `ours`) and its siblings; true when the primary went, false when it stays, without
    // its files, for a sibling that cannot be undone now.
    [[nodiscard]] bool UndoExport(const platform::HeldFolder& folder, bool ours,
                                  const std::u16string& name, const ZEPExportJournal& journal);
    [[nodiscard]] Reached Reach(const ZEPJournalPlace& place) const;
    static void SetAside(const platform::HeldFolder& folder, const ustring& path,
                         const std::u16string& name, const std::string& why, Outcome& outcome);
    [[noreturn]] static void ThrowCutOff(const platform::HeldFolder& folder,
                                         std::u16string_view journal,
                                         const ZEPUndoFailure& failure);

    HeldFolderOf m_heldFolderOf;
    std::u16string m_ownJournal;
};
