#include "Request_Handling/ZEPScriptProvider.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPStringConversions.h"
#include "utils/Logger.h"

namespace {

// The host's own answer for a method it does not support, raised with an empty text.
[[noreturn]] void ThrowNotSupported() {
    ThrowZEPException(ustring(), kScriptMethodNotSupportedError.Get());
}

} // namespace

ErrorCode ZEPScriptProvider::HandleMethodOnObjects(ScriptID method, IScriptRequestData* data,
                                                   const ScriptList& objects) {
    ErrorCode result = kSuccess;
    for (std::size_t i = 0; i < objects.size() && result == kSuccess; ++i) {
        result = HandleMethod(method, data, objects[i]);
        data->AppendObjectResult(objects, method, result);
    }
    return kSuccess;
}

ErrorCode ZEPScriptProvider::HandleMethod(ScriptID method, IScriptRequestData* data,
                                          IScript* script) {
    ZEU_LOG(Debug, "..\\Source\\Request_Handling\\ZEPScriptProvider", 106,
            "ZEPScriptProvider::HandleMethod")
        << "HandleEvent Called.";
    RunAtHostBoundary([&] {
        if (method == kDeselectDestinationsMethod)
            DeselectDestinationsInDocuments(data, script);
        else if (method == kPrintDocumentMethod)
            PrintDocument(data, script);
        else if (method == kExportJobMethod)
            ExportJob(data, script);
        else if (method == kSaveJobInNewDocumentMethod)
            SaveJob(data, script, true);
        else if (method == kSaveJobMethod)
            SaveJob(data, script, false);
        else
            ThrowIfError(CScriptProvider::HandleMethod(method, data, script));
    });
    return kSuccess;
}

void ZEPScriptProvider::SaveJob(IScriptRequestData* data, IScript* /*script*/, bool newDocument) {
    IDocument* document = nullptr;
    if (!newDocument) {
        if (ILayoutUtils* utils = GetLayoutUtils())
            document = utils->GetFrontDocument();
    }
    ApplyJob(document, data);
}

void ZEPScriptProvider::ExportJob(IScriptRequestData* /*data*/, IScript* /*script*/) {
    ThrowNotSupported();
}

void ZEPScriptProvider::PrintDocument(IScriptRequestData* /*data*/, IScript* /*script*/) {
    ThrowNotSupported();
}

void ZEPScriptProvider::DeselectDestinationsInDocuments(IScriptRequestData* /*data*/,
                                                        IScript* /*script*/) {
    ThrowNotSupported();
}

InterfacePtr<IZEPJobList> ZEPScriptProvider::ApplyJob(IDocument* /*document*/,
                                                      IScriptRequestData* data) {
    ScriptData jobParameter;
    ThrowIfError(data->ExtractParameter(kJobParameter, jobParameter));
    PMString jobText;
    ThrowIfError(jobParameter.GetPMString(jobText));
    const std::string text = PMStringToUString(jobText);

    bool fit = false;
    if (data->IsParameterPresent(kFitParameter)) {
        ScriptData fitParameter;
        ThrowIfError(data->ExtractParameter(kFitParameter, fitParameter));
        ThrowIfError(fitParameter.GetBoolean(fit));
    }

    InterfacePtr<IZEPJobList> theJob(static_cast<IZEPJobList*>(
        GetObjectModelInstance()->CreateInstance(kZEPJobBoss, IID_IZEPJOBLIST)));
    ThrowIfNull(theJob, "theJob");
    theJob->SetFromString(text, false);
    return theJob;
}
