#include "Analysis/ZEPAnalysisRun.h"
#include "Analysis/ZEPColorManagement.h"
#include "Analysis/ZEPPlacedContent.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPFileTransaction.h"
#include "Plugin/ZEPID.h"
#include "model/BJobFile.h"
#include "model/KeyStrings.h"
#include "platform/files.h"
#include "utils/uuid.h"

#include <algorithm>
#include <cerrno>

namespace {

// Set in the flags of every colour-managed graphic.
constexpr std::uint32_t kColorManagedFlag = 2;

enum : ColorProfilePolicy {
    kDocumentProfilePolicy = 1,
    kAssignedProfilePolicy = 2,
    kEmbeddedProfilePolicy = 3,
};

void SetProfileFile(BPlacedGraphic& graphic, const PMString& path) {
    graphic.profileFile = UFileSpecCore(PMStringToUTF8(path), nullptr);
    graphic.hasProfileFile = true;
}

// The index of the document profile for the graphic's colour space: 0 RGB, 1 CMYK; -1 for
// other spaces.
std::int32_t SpaceIndexOf(std::uint32_t colorSpaceCode) {
    return colorSpaceCode == 2 ? kRGBSpaceIndex : colorSpaceCode == 3 ? kCMYKSpaceIndex : -1;
}

// Whether the graphic's own profile was overridden: the attributes say so, or, when they do not
// tell, the graphic embeds a profile.
bool IsProfileOverridden(IPMUnknown* item) {
    InterfacePtr<IImageAttributes> attributes(item, UseDefaultIID{});
    if (!attributes)
        return false;
    if (const auto overridden = ReadImageAttribute(*attributes, kImageProfileOverriddenTag))
        return !overridden->empty() && overridden->front() != 0;
    return attributes->GetTagSize(kImageProfileDataTag) != 0;
}

// The file of the document's profile for the space; false when the document has none. A
// profile whose file is not found still gives the (empty) file.
bool FindDocumentProfile(IColorSettingsUtils& utils, IDocument* document, IDataBase* db,
                         std::int32_t spaceIndex, BPlacedGraphic& graphic) {
    InterfacePtr<IDocumentColorManagement> colorManagement(
        utils.QueryDocumentColorManagement(document, 1));
    if (!colorManagement)
        return false;
    const std::int32_t index = colorManagement->GetProfileIndex(spaceIndex);
    UID uid;
    if (index == -1 || colorManagement->GetProfileUID(index, uid) == 0)
        return false;
    InterfacePtr<IColorProfile> profile(UIDRef(db, uid), UseDefaultIID{});
    PMString path;
    if (profile)
        static_cast<void>(GetProfileFile(profile.get(), path));
    SetProfileFile(graphic, path);
    return true;
}

// The file of the application's working profile for the space, when it has one.
void FindWorkingProfile(IColorSettingsUtils& utils, std::int32_t spaceIndex,
                        BPlacedGraphic& graphic) {
    InterfacePtr<IColorPresetsSettings> settings(utils.QueryColorPresetsSettings());
    if (!settings)
        return;
    InterfacePtr<IColorProfile> profile(spaceIndex == kRGBSpaceIndex
                                            ? settings->QueryWorkingRGBProfileObject()
                                            : settings->QueryWorkingCMYKProfileObject());
    PMString path;
    if (profile)
        profile->GetPath(path);
    if (!path.IsEmpty())
        SetProfileFile(graphic, path);
}

void ApplyDocumentProfile(IPMUnknown* item, BPlacedGraphic& graphic) {
    if (IsProfileOverridden(item))
        graphic.AddProblem(keystr::PlacedGraphicHasOveriddenProfile);
    const std::int32_t spaceIndex = SpaceIndexOf(graphic.colorSpaceCode);
    if (spaceIndex == -1)
        return;
    IDataBase* theDB = GetUIDRef(item).GetDataBase();
    ThrowIfNull(theDB, "theDB");
    InterfacePtr<IDocument> theDocument(UIDRef(theDB, theDB->GetRootUID()), UseDefaultIID{});
    ThrowIfNull(theDocument, "theDocument");
    InterfacePtr<IColorSettingsUtils> utils(UtilsBoss::QueryUtils<IColorSettingsUtils>());
    if (utils && !FindDocumentProfile(*utils, theDocument.get(), theDB, spaceIndex, graphic))
        FindWorkingProfile(*utils, spaceIndex, graphic);
}

// The profile object the item refers to, from the item's database.
InterfacePtr<IColorProfile> ItemProfile(IPMUnknown* item) {
    InterfacePtr<IItemProfile> reference(item, UseDefaultIID{});
    if (!reference)
        return {};
    return InterfacePtr<IColorProfile>(
        UIDRef(GetUIDRef(item).GetDataBase(), reference->GetProfileUID()), UseDefaultIID{});
}

void ApplyAssignedProfile(IPMUnknown* item, BPlacedGraphic& graphic) {
    InterfacePtr<IColorProfile> profile = ItemProfile(item);
    if (!profile)
        return;
    PMString path;
    profile->GetPath(path);
    graphic.AddProblem(keystr::PlacedGraphicHasOveriddenProfile);
    if (!path.IsEmpty())
        SetProfileFile(graphic, path);
}

// Writes the embedded profile to a file of its own in the placed-images folder, named by a new
// UUID so that every graphic gets its own file, staged in `files` when given. No folder (an
// analysis before Init, or a folder that could not be made: `folderError` the system error
// number of its making), or a file that cannot be opened, written or closed throws
// CZEPFileWriteError with the system's reason, which fails the export rather than the item.
// Where a file or a link stands in the folder's place (`jobPlacedImagesFolder`), the change
// names it.
void WriteEmbeddedProfile(IPMUnknown* item, BPlacedGraphic& graphic,
                          const UFileSpecCore& placedImagesFolder,
                          const UFileSpecCore& jobPlacedImagesFolder, int folderError,
                          ZEPFileTransaction* files) {
    InterfacePtr<IColorProfile> profile = ItemProfile(item);
    if (!profile)
        return;
    std::uint32_t count = 0;
    const std::uint8_t* data = profile->GetData(count);
    if (!data)
        count = 0;
    std::string name = uuid::generate().toString().c_str();
    std::replace(name.begin(), name.end(), '-', '_');
    name += ".icc";
    // Where something else stands under the folder's name, the change names why it cannot
    // write there (without one, the folder is named as no folder); a folder that could not be
    // made names the job folder it was to be made in.
    const bool inTheWay = folderError == ENOTDIR || folderError == EEXIST;
    UFileSpecCore file = placedImagesFolder;
    if (!file.is_valid() && jobPlacedImagesFolder.is_valid()) {
        UFileSpecCore jobFolder = jobPlacedImagesFolder;
        if (files && inTheWay)
            file = jobPlacedImagesFolder;
        else if (inTheWay)
            ThrowFolderWriteError(jobPlacedImagesFolder.path(), "it is not a folder");
        else if (folderError != 0 && jobFolder.to_parent())
            ThrowFolderWriteError(jobFolder.path(),
                                  ustring(platform::errorText(folderError).c_str()));
    }
    if (!file.is_valid() || !file.descend(name.c_str())) {
        UFileSpecCore named = jobPlacedImagesFolder;
        ThrowFileWriteError(named.is_valid() && named.descend(name.c_str())
                                ? named.path()
                                : ustring("PlacedImages/") + name.c_str(),
                            folderError);
    }
    platform::OutputFileStream own;
    platform::OutputFileStream* stream = &own;
    if (files)
        stream = &files->Stage(file);
    else if (!own.open(file.wide_path()))
        ThrowFileWriteError(file.path(), own.error());
    stream->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(count));
    if (!stream->close())
        ThrowFileWriteError(file.path(), stream->error());
    graphic.profileFile = file;
    graphic.hasProfileFile = true;
}

} // namespace

void ZEPPageItemInfo::AnalyseColorProfile(IPMUnknown* item) {
    InterfacePtr<IItemColorManagement> colorManagement(item, UseDefaultIID{});
    if (!colorManagement)
        return;
    BPlacedGraphic* graphic = GetPlacedGraphic();
    if (!graphic)
        return;
    graphic->flags |= kColorManagedFlag;
    switch (colorManagement->GetProfilePolicy()) {
    case kDocumentProfilePolicy:
        ApplyDocumentProfile(item, *graphic);
        break;
    case kAssignedProfilePolicy:
        ApplyAssignedProfile(item, *graphic);
        break;
    case kEmbeddedProfilePolicy:
        WriteEmbeddedProfile(item, *graphic, GetPlacedImagesFolder(),
                             m_run ? m_run->GetJob().GetPlacedImagesFolderPath() : UFileSpecCore(),
                             m_run ? m_run->GetPlacedImagesFolderError() : 0,
                             m_run ? m_run->GetFileTransaction() : nullptr);
        break;
    default:
        break;
    }
}
