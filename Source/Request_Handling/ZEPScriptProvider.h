// The plug-in's script provider: the companion application calls its five script methods with
// a job as text ('Zemp') and whether to fit the document to it ('Zerp'). Every call is logged and
// dispatched to one job handler; every failure ends in an error alert, and the script call
// itself always succeeds.
#pragma once

#include "Plugin/IZEPJobList.h"
#include "host/sdk/Document.h"
#include "host/sdk/Scripting.h"
#include "model/BDestinationList.h"

#include <string>

// The script methods.
inline constexpr ScriptID kDeselectDestinationsMethod{'DisT'};
inline constexpr ScriptID kPrintDocumentMethod{'PrnT'};
inline constexpr ScriptID kExportJobMethod{'expY'};
inline constexpr ScriptID kSaveJobInNewDocumentMethod{'sanY'};
inline constexpr ScriptID kSaveJobMethod{'savY'};
// The parameters: the job as text, and the optional Boolean that asks for fitting.
inline constexpr ScriptID kJobParameter{'Zemp'};
inline constexpr ScriptID kFitParameter{'Zerp'};

class ZEPScriptProvider : public CScriptProvider {
public:
    explicit ZEPScriptProvider(IPMUnknown* boss) : CScriptProvider(boss) {}

    // Runs HandleMethod for each object in order while the last result is 0, handing each
    // result to the request data; success.
    ErrorCode HandleMethodOnObjects(ScriptID method, IScriptRequestData* data,
                                    const ScriptList& objects) noexcept override;
    // Logs the call at DEBUG and runs the method's handler; a method it does not handle goes to
    // the host's default handling, whose error is raised. Any failure is reported and shown,
    // then cleared: always success.
    ErrorCode HandleMethod(ScriptID method, IScriptRequestData* data,
                           IScript* script) noexcept override;

    // The handlers. The script object is passed along and not used.
    // 'savY' (the front document, or a new one when none is open) and 'sanY' (a new document).
    virtual void SaveJob(IScriptRequestData* data, IScript* script, bool newDocument);
    // 'expY': a booking that cannot be printed is refused before anything changes (ApplyJob for
    // an export); the job is stored in the front document (ApplyJob, fitted when 'Zerp' is
    // true), the plug-in's flattener style made sure of, then, in a command sequence named by the
    // translated "0x52E00ZEPExportCmd" (merged into the previous undo step), the export run
    // (ZEPExportHelper::Export, whose end undoes its temporary changes), the "exported" event,
    // and a save-details command with undoability 0 that stores the job with its destinations
    // marked exported. An event that is not delivered raises 0x52E3B before that save, so the
    // stored destinations stay unexported (the written files stay). A failure inside the
    // sequence is reported into the global error, so that the sequence ends as failed, and is
    // thrown on; failures before it pass on unreported.
    virtual void ExportJob(IScriptRequestData* data, IScript* script);
    // 'PrnT': the host's print dialog on the front document, given a copy of the document's print
    // data, its ink list, its trap-style list manager and the document.
    virtual void PrintDocument(IScriptRequestData* data, IScript* script);
    // 'DisT': 'Zemp' holds destination identifiers (DecodeDestinationIdentifiers). In every open
    // document whose job list is stored, one save-details command with undoability 0 clears
    // their exported flags. A payload that cannot be read raises 0x52E3A before any document
    // changes; a failing document ends the walk, the documents before it keep their change.
    virtual void DeselectDestinationsInDocuments(IScriptRequestData* data, IScript* script);
    // What ApplyJob reads a job for.
    enum class JobUse { kStore, kExport };
    // A new transient job object holding the full job of 'Zemp' (raw job-file bytes or their
    // hex form), with 'Zerp' (fit the document) read when present. For an export, a fitting or
    // a new document, a booking that cannot be printed is refused (CheckPrintableDestinations,
    // 0x52E40) before anything changes. Once its colour profiles pass CheckJobProfiles, the job
    // is stored in the document (StoreJobInDocument), or in a new document without one
    // (NewDocumentFromJob). Errors of the request data are raised with the host's code; a job
    // object the host cannot create raises 0x52E1E "(theJob) == NULL".
    virtual InterfacePtr<IZEPJobList> ApplyJob(IDocument* document, IScriptRequestData* data,
                                               JobUse use = JobUse::kStore);
};

// The destination identifiers of a 'DisT' text: hex pairs (either letter case: each digit's
// value is kept to its low 4 bits; an odd last character is ignored) whose bytes are exactly one
// identifier set (ReadDestinationIdentifierSet). False, with the set empty, for bytes that end
// early or go on after the set.
[[nodiscard]] bool DecodeDestinationIdentifiers(const std::string& text,
                                                DestinationIdentifierSet& identifiers);
