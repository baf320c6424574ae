#include "Analysis/ZEPPlacedContent.h"
#include "utils/CodePage.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The file types of import providers, in the order they are searched, with what each means.
struct ProviderFileType {
    std::uint32_t type;
    BPlacedFileType fileType;
};
constexpr ProviderFileType kProviderFileTypes[] = {
    {'8BPS', kPlacedFilePSD},  {'TIFF', kPlacedFileTIFF},    {'EPSf', kPlacedFileEPS},
    {'JPEG', kPlacedFileJPEG}, {'PICT', kPlacedFilePICT},    {'BMP ', kPlacedFileBMP},
    {'..CT', kPlacedFileSCT},  {'PCX ', kPlacedFileUnknown},
};

// A text attribute: its bytes up to the first NUL or the end of the value, from the ANSI code
// page.
ustring AttributeText(const std::vector<std::uint8_t>& value) {
    return AnsiToUString(std::string(value.begin(), value.end()));
}

// The colour-space code of the attribute's value: 1 grey, 2 RGB, 3 CMYK, 6 Lab; 0 for others.
std::uint32_t ColorSpaceCode(const std::vector<std::uint8_t>& value) {
    std::uint32_t space = 0;
    std::memcpy(&space, value.data(), std::min(value.size(), sizeof space));
    switch (space) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 4:
        return 3;
    case 8:
        return 6;
    default:
        return 0;
    }
}

// The file types the item's import provider reads; none without a provider.
std::vector<std::uint32_t> ProviderFileTypes(IPMUnknown* item) {
    InterfacePtr<IImportProvider> provider(item, UseDefaultIID{});
    const ClassID* providerClass = provider ? provider->GetProviderClass() : nullptr;
    InterfacePtr<IPMUnknown> object(
        CreateObject(providerClass ? *providerClass : kInvalidClass, IPMUnknown::kDefaultIID));
    InterfacePtr<IImportFileTypes> fileTypes(object, UseDefaultIID{});
    std::vector<std::uint32_t> types;
    if (fileTypes)
        fileTypes->GetFileTypes(types);
    return types;
}

} // namespace

void ZEPPageItemInfo::AnalysePlacedFileFormat(IPMUnknown* item) {
    InterfacePtr<IImageAttributes> attributes(item, UseDefaultIID{});
    if (!attributes)
        return;
    BPlacedGraphic* graphic = GetPlacedGraphic();
    if (!graphic)
        return;
    graphic->isBitmap = true;

    if (const auto space = ReadImageAttribute(*attributes, kImageColorSpaceTag)) {
        const std::uint32_t code = ColorSpaceCode(*space);
        if (code != 0)
            graphic->colorSpaceCode = code;
        if (code == 1)
            m_colorSummary.grayscale = true;
    }

    if (const auto path = ReadImageAttribute(*attributes, kImageFilePathTag)) {
        const ustring text = AttributeText(*path);
        const UFileSpecCore spec(text, nullptr);
        graphic->SetLinkPath(spec.is_valid() ? spec.path() : text);
    } else if (const auto name = ReadImageAttribute(*attributes, kImageFileNameTag)) {
        graphic->SetLinkPath(AttributeText(*name));
    }

    const std::vector<std::uint32_t> types = ProviderFileTypes(item);
    for (const ProviderFileType& candidate : kProviderFileTypes)
        if (std::find(types.begin(), types.end(), candidate.type) != types.end()) {
            graphic->fileType = candidate.fileType;
            graphic->isBitmap = candidate.fileType != kPlacedFileEPS;
            break;
        }

    if (attributes->GetTagSize(kImageExtraChannelsTag) != 0) {
        const auto channels = ReadImageAttribute(*attributes, kImageExtraChannelsTag);
        const bool flagged = ReadImageAttribute(*attributes, kImageExtraChannelFlagTag).has_value();
        const bool softMask =
            channels && std::any_of(channels->begin(), channels->end(), [&](std::uint8_t kind) {
                return kind == 1 || kind == 4 || (kind == 2 && flagged);
            });
        if (softMask)
            SetSoftMaskUsedOnImage();
    }
}
