#include "Zephrin_Menu/UZEPEvents.h"

#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPActiveSelection.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "Plugin/ZEPStringConversions.h"
#include "Zephrin_Menu/ZEPCompanionLink.h"
#include "encoding/ByteOrder.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Selection.h"
#include "model/BJobFile.h"
#include "utils/Logger.h"
#include "utils/TextUtils.h"

#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace UZEPEvents {
namespace {

bool HasFrontDocument() {
    ILayoutUtils* utils = GetLayoutUtils();
    return utils && utils->GetFrontDocument();
}

// The extension is the text after the last "."; it is compared without regard to case.
bool HasFileExtension(const ustring& name, const ustring& extension) {
    const ustring::size_type dot = name.rfind(ustring("."));
    return dot != ustring::npos && ustring(name, dot + 1).compareNoCase(extension) == 0;
}

// The name without the extension and its dot, when it has the extension and is longer than
// them both; else the name as it is.
ustring StripFileExtension(const ustring& name, const ustring& extension) {
    if (name.size() <= extension.size() + 1 || !HasFileExtension(name, extension))
        return name;
    return name.substr(0, name.size() - extension.size() - 1);
}

// The numbering style of a section run for the class of a page-numbering style.
std::int32_t NumberingStyle(ClassID style) {
    switch (style.Get()) {
    case 0x4C1A:
        return '1';
    case 0x4C13:
        return '2';
    case 0x4C14:
        return '3';
    case 0x4C18:
        return 'A';
    case 0x4C19:
        return 'a';
    case 0x4C16:
        return 'R';
    case 0x4C17:
        return 'r';
    default:
        return 'N';
    }
}

// 'Lw' and 'Ld' from the bounds of the view's current page; 'LH' and 'LV' from the document's
// page-setup rectangle.
void AddPageSize(BJobFile& job, const ILayoutControlData* layout, const IDocument* document) {
    const UIDRef spread = layout->GetSpreadRef();
    InterfacePtr<IGeometry> page(UIDRef(spread.GetDataBase(), layout->GetPage()), UseDefaultIID{});
    if (page) {
        const PMRect bounds = page->GetBoundingBox();
        job.layoutWidth = bounds.Width();
        job.layoutDepth = bounds.Height();
    }
    InterfacePtr<IPageSetupPrefs> setup(QueryPreferences<IPageSetupPrefs>(document));
    if (setup) {
        const PMRect rect = setup->GetDocumentBleed();
        job.layoutHorizontalBleed = (rect.Left() + rect.Right()) / 2;
        job.layoutVerticalBleed = (rect.Top() + rect.Bottom()) / 2;
    }
}

// 'Lw' and 'Ld' from the union of the selected items' bounds in pasteboard coordinates, when
// page items are selected.
void AddSelectionSize(BJobFile& job) {
    const ActiveSelection selection = QueryActiveSelection();
    InterfacePtr<ILayoutTarget> target;
    if (!selection.jobSuite || !selection.jobSuite->HasSelectedItems() ||
        !selection.jobSuite->GetLayoutTarget(target) || !target)
        return;
    const UIDList items = target->GetUIDList(1, 0);
    std::optional<PMRect> bounds;
    for (int i = 0; i < items.Length(); ++i) {
        InterfacePtr<IGeometry> geometry(items.GetRef(i), UseDefaultIID{});
        if (!geometry)
            continue;
        const PMRect item = geometry->GetBoundingBox(InnerToPasteboardMatrix(geometry.get()));
        if (bounds)
            bounds->Union(item);
        else
            bounds = item;
    }
    if (bounds) {
        job.layoutWidth = bounds->Width();
        job.layoutDepth = bounds->Height();
    }
}

// 'CP' and 'LC': the position of the front view's current page in the document's page list,
// counted from 1.
void AddCurrentPage(BJobFile& job, IDocument* document) {
    InterfacePtr<ILayoutControlData> view(QueryFrontLayoutControlData(document));
    InterfacePtr<IPageList> pages(document, UseDefaultIID{});
    if (!view || !pages)
        return;
    job.pageCP = pages->GetPageIndex(view->GetPage()) + 1;
    job.pageLC = job.pageCP;
}

// The job of the document that the context's view shows: the job stored with it, its name, the
// size of its current page or of the selection, the selection-based flag, its sections and the
// current page. Nothing without such a document.
void FillDetails(BJobFile& job, IActiveContext* context) {
    InterfacePtr<ILayoutControlData> layout(context ? context->GetContextView() : nullptr,
                                            UseDefaultIID{});
    IDocument* document = layout ? layout->GetDocument() : nullptr;
    if (!document)
        return;
    InterfacePtr<IZEPJobList> jobList(document->GetDocWorkSpace(), UseDefaultIID{});
    const bool stored = jobList && jobList->IsStoredInDatabase();
    if (stored)
        jobList->CopyJobFileTo(job, false);
    const ustring name =
        StripFileExtension(ustring(PMStringToUString(document->GetName())), "indd");
    job.jobName = name;
    job.documentName = name;
    const bool selectionBased = GetSelectionBasedExports();
    if (stored && selectionBased)
        AddSelectionSize(job);
    else if (stored)
        AddPageSize(job, layout.get(), document);
    job.flagSE = selectionBased;
    AddDocumentSections(job, document);
    AddCurrentPage(job, document);
}

// The details payload: the job file (full part) that FillDetails makes. It carries the full
// part although a document stores only the summary: what the document stored, plus the fields
// filled here.
std::string DetailsPayload(IActiveContext* context) {
    BJobFile job;
    FillDetails(job, context);
    std::ostringstream out;
    job.Write(out, kJobFilePartFull);
    return std::move(out).str();
}

} // namespace

std::string AboutPayload() {
    PMString name;
    PMString author;
    GetPluginNameAndAuthor(name, author);
    std::string payload(2, '\0');
    storeBigEndian(2, 2, payload.data());
    for (const PMString* text : {&name, &author}) {
        const std::string utf8 = text->GetUTF8String();
        char length[4];
        storeBigEndian(static_cast<std::uint32_t>(utf8.size()), 4, length);
        payload.append(length, sizeof length);
        payload += utf8;
    }
    return payload;
}

void SendActionEvent(ActionID action, IActiveContext* context) {
    switch (action.Get()) {
    case kZEPAboutAction:
    case kZEPAboutAction2: {
        ZEU_LOG(Debug, "UZEPEvents", 70, "UZEPEvents::SendActionEvent") << "About Event!";
        // The about message carries no payload; the payload is assembled all the same.
        const std::string payload = AboutPayload();
        static_cast<void>(SendEventMessage(payload.data(), payload.size(), EventKind::About, true));
        return;
    }
    case kZEPDetailsAction: {
        const EventKind kind =
            HasFrontDocument() ? EventKind::Details : EventKind::DetailsNoDocument;
        const std::string payload = DetailsPayload(context);
        static_cast<void>(SendEventMessage(payload.data(), payload.size(), kind, true));
        return;
    }
    case kZEPJobListAction:
        static_cast<void>(SendEventMessage(nullptr, 0, EventKind::JobList, true));
        return;
    default:
        ThrowZEPException("UZEPEvents::SendActionEvent - Unknown ActionID", 1);
    }
}

bool SendEventMessage(const char* payload, std::size_t count, EventKind kind, bool /*flag*/) {
    umessage message;
    switch (kind) {
    case EventKind::About:
        message.setWhat("about");
        break;
    case EventKind::Details:
        message.setWhat("details");
        message.add(ustring("x"), umessage_details::type_bool, true);
        AddString(message, "v", base64Encode(payload, count).c_str());
        break;
    case EventKind::DetailsNoDocument:
        message.setWhat("details");
        AddString(message, "v", base64Encode(payload, count).c_str());
        break;
    case EventKind::JobList:
        message.setWhat("joblist");
        break;
    }
    AddSenderInfo(message);
    return SendCompanionMessage(message);
}

bool SendExportedEvent(BJobFile& job) {
    std::ostringstream payload;
    job.WriteExported(payload);
    const std::string bytes = std::move(payload).str();
    umessage message(ustring("exported"));
    AddString(message, "v", base64Encode(bytes.data(), bytes.size()).c_str());
    AddSenderInfo(message);
    return SendCompanionMessage(message);
}

void AddSenderInfo(umessage& message) {
    InterfacePtr<IWindowUtils> windows(UtilsBoss::QueryUtils<IWindowUtils>());
    // A window handle is a pointer-wide number; its low 32 bits are taken as a signed number.
    const auto handle = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(windows ? windows->GetActiveWindow() : 0));
    AddString(message, "sender", "InDesignCS");
    AddString(message, "hwnd", std::to_string(handle).c_str());
}

void AddString(umessage& message, const ustring& key, const char* text) {
    message.add(key, umessage_details::type_string, ustring(text));
}

void AddDocumentSections(BJobFile& job, IDocument* document) {
    BPageRangeList& runs = job.GetSectionRuns();
    runs.Clear();
    InterfacePtr<ISectionList> sections(document, UseDefaultIID{});
    if (!sections)
        return;
    for (std::int32_t i = 0; i < sections->GetSectionCount(); ++i)
        runs.Append(std::make_unique<BPageRange>(
            ustring(PMStringToUString(sections->GetName(i))), sections->GetStartPageNumber(i),
            sections->GetPageCount(i), NumberingStyle(sections->GetNumberingStyle(i))));
}

} // namespace UZEPEvents
