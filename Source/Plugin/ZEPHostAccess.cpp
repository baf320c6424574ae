#include "Plugin/ZEPHostAccess.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "Plugin/ZEPStringConversions.h"
#include "host/sdk/CoreFilename.h"
#include "host/sdk/Progress.h"
#include "host/sdk/Session.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>

namespace {

// Filled on first use.
PMString gPluginName;
PMString gPluginAuthor;
bool gNameAndAuthorFilled = false;

constexpr int kPluginVersion[] = {5, 9, 9, 1};

// The application's progress display; null when the host offers no application or no display.
InterfacePtr<IProgressDisplay> QueryProgressDisplay() {
    ISession* session = GetExecutionContextSession();
    InterfacePtr<IPMUnknown> application(session ? session->QueryApplication() : nullptr);
    return InterfacePtr<IProgressDisplay>(application.get(), UseDefaultIID{});
}

void ShowProgressText(const ustring& text,
                      void (IProgressDisplay::*set)(const PMString&, bool, int)) {
    const PMString message = UStringToPMString(text);
    if (InterfacePtr<IProgressDisplay> progress = QueryProgressDisplay())
        (progress.get()->*set)(message, true, -1);
}

// `fraction` of `range`, rounded, as a bar position; the fraction kept within 0 to 1 (not a
// number: 0), so the result always fits.
std::int32_t PositionInRange(double fraction, double range) {
    if (!(fraction > 0))
        fraction = 0;
    fraction = std::min(fraction, 1.0);
    const double position = std::round(fraction * range);
    return static_cast<std::int32_t>(std::clamp(position,
                                                double(std::numeric_limits<std::int32_t>::min()),
                                                double(std::numeric_limits<std::int32_t>::max())));
}

} // namespace

ILayoutUtils* GetLayoutUtils() {
    InterfacePtr<ILayoutUtils> utils(UtilsBoss::QueryUtils<ILayoutUtils>());
    return utils.get();
}

IDocument* GetFrontDocument() {
    ILayoutUtils* utils = GetLayoutUtils();
    IDocument* result = utils ? utils->GetFrontDocument() : nullptr;
    ThrowIfNull(result, "result");
    return result;
}

ILayoutControlData* QueryFrontLayoutControlData(IDocument* document) {
    ILayoutUtils* utils = GetLayoutUtils();
    if (!utils)
        return nullptr;
    if (!document)
        document = utils->GetFrontDocument();
    return document ? utils->QueryFrontLayoutData() : nullptr;
}

void ShowSessionMessage(const ustring& text) {
    ShowProgressText(text, &IProgressDisplay::SetTaskText);
}

void ShowSessionSubMessage(const ustring& text) {
    ShowProgressText(text, &IProgressDisplay::SetSubText);
}

void SetSessionProgress(double fraction) {
    InterfacePtr<IProgressDisplay> progress = QueryProgressDisplay();
    std::int32_t min = 0;
    std::int32_t max = 0;
    if (progress && progress->GetCurrentRange(min, max))
        progress->SetCurrentPosition(PositionInRange(fraction, double(max) - double(min)));
}

void RefreshSessionProgress() {
    InterfacePtr<IProgressDisplay> progress = QueryProgressDisplay();
    std::int32_t position = 0;
    if (progress && progress->GetCurrentPosition(position))
        progress->SetCurrentPosition(position);
}

void GetApplicationFolder(PMString& path) {
    InterfacePtr<ICoreFilename> iExecutableCoreFilename(static_cast<ICoreFilename*>(
        CreateObject(kExecutableCoreFilenameBoss, ICoreFilename::kDefaultIID)));
    ThrowIfNull(iExecutableCoreFilename, "iExecutableCoreFilename");
    InterfacePtr<ICoreFilenameUtils> iCoreFilenameUtils(static_cast<ICoreFilenameUtils*>(
        CreateObject(kCoreFilenameUtilsBoss, ICoreFilenameUtils::kDefaultIID)));
    ThrowIfNull(iCoreFilenameUtils, "iCoreFilenameUtils");
    if (!iExecutableCoreFilename->SwitchToParentDir())
        ThrowZEPException("!(iExecutableCoreFilename->SwitchToParentDir())",
                          kZEPFailedConditionError);
    const PMString* theFullName = iExecutableCoreFilename->GetFullName();
    ThrowIfNull(theFullName, "theFullName");
    path = *theFullName;
}

UFileSpecCore GetCommonAppDataVendorFolder() {
    UFileSpecCore folder(kCommonAppDataFolder);
    // A folder that cannot be descended into is left empty, and nothing is found below it.
    static_cast<void>(folder.descend("Adobe"));
    return folder;
}

IDFile MakeIDFile(const UFileSpecCore& spec) {
    return IDFile(spec.path().toWString());
}

void GetPluginNameAndAuthor(PMString& name, PMString& author) {
    if (!gNameAndAuthorFilled) {
        gPluginAuthor = PMString("0x52E00ZEPPluginAuthor", PMString::kTranslateDuringCall);
        ustring version("%0.%1.%2.%3");
        for (const int number : kPluginVersion)
            version = version.argInt(number);
        gPluginName = PMString("0x52E00ZEPPluginName", PMString::kTranslateDuringCall);
        gPluginName.Append(version.view());
        gNameAndAuthorFilled = true;
    }
    name = gPluginName;
    author = gPluginAuthor;
}

bool XferStdString(IPMStream* stream, std::string& text) {
    if (!stream->IsReading()) {
        auto length = static_cast<std::int32_t>(text.size());
        stream->XferInt32(length);
        stream->XferBytes(text.data(), text.size());
        return true;
    }
    std::int32_t length = 0;
    stream->XferInt32(length);
    text.clear();
    if (stream->Failed() || length < 0 || static_cast<std::uint64_t>(length) > stream->Remaining())
        return false;
    constexpr std::size_t kPiece = 1024;
    char piece[kPiece];
    for (auto left = static_cast<std::size_t>(length); left > 0;) {
        const std::size_t count = std::min(left, kPiece);
        stream->XferBytes(piece, count);
        text.append(piece, count);
        left -= count;
    }
    if (stream->Failed()) {
        text.clear();
        return false;
    }
    return true;
}

bool XferUIDList(IPMStream* stream, UIDList& list) {
    std::int32_t count = list.Length();
    stream->XferInt32(count);
    if (!stream->IsReading()) {
        for (UID uid : list.UIDs())
            stream->XferReference(uid);
        return true;
    }
    list.Clear();
    // Every entry takes at least one of the bytes left, so the room reserved is bounded by them.
    if (stream->Failed() || count < 0 || static_cast<std::uint64_t>(count) > stream->Remaining())
        return false;
    list.Reserve(count);
    for (std::int32_t i = 0; i < count; ++i) {
        UID uid;
        stream->XferReference(uid);
        if (stream->Failed()) {
            list.Clear();
            return false;
        }
        list.Append(uid);
    }
    return true;
}
