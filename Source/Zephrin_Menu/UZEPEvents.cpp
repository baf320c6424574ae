#include "Zephrin_Menu/UZEPEvents.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "Zephrin_Menu/ZEPCompanionLink.h"
#include "model/BJobFile.h"
#include "utils/Logger.h"
#include "utils/TextUtils.h"

#include <sstream>
#include <string>

namespace UZEPEvents {
namespace {

constexpr std::uint32_t kAboutAction = 0x52E03;
constexpr std::uint32_t kAboutAction2 = 0x52E0A;
constexpr std::uint32_t kDetailsAction = 0x52E05;
constexpr std::uint32_t kJobListAction = 0x52E0D;

bool HasFrontDocument() {
    ILayoutUtils* utils = GetLayoutUtils();
    return utils && utils->GetFrontDocument();
}

// The details payload: the job file (full part) of the context's document.
std::string DetailsPayload(IActiveContext* /*context*/) {
    BJobFile job;
    std::ostringstream out;
    job.Write(out, kJobFilePartFull);
    return std::move(out).str();
}

} // namespace

void SendActionEvent(ActionID action, IActiveContext* context) {
    switch (action.Get()) {
    case kAboutAction:
    case kAboutAction2:
        ZEU_LOG(Debug, "..\\..\\Source\\Zephrin_Menu\\UZEPEvents", 70,
                "UZEPEvents::SendActionEvent")
            << "About Event!";
        static_cast<void>(SendEventMessage(nullptr, 0, EventKind::About));
        return;
    case kDetailsAction: {
        const EventKind kind =
            HasFrontDocument() ? EventKind::Details : EventKind::DetailsNoDocument;
        const std::string payload = DetailsPayload(context);
        static_cast<void>(SendEventMessage(payload.data(), payload.size(), kind));
        return;
    }
    case kJobListAction:
        static_cast<void>(SendEventMessage(nullptr, 0, EventKind::JobList));
        return;
    default:
        ThrowZEPException("UZEPEvents::SendActionEvent - Unknown ActionID", 1);
    }
}

bool SendEventMessage(const char* payload, std::size_t count, EventKind kind) {
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

} // namespace UZEPEvents
