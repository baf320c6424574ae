#include "Analysis/ZEPPageItemInfo.h"

#include "host/sdk/Text.h"

#include <algorithm>

namespace {

constexpr char16_t kObjectReplacementCharacter = 0xFFFC;

// A character that shows: not one the composer ignores as a control character, and not the
// stand-in for an anchored object.
bool IsVisible(char16_t character) {
    return !UnicodeClass::IsIgnoredCharacter(character, UnicodeClass::kControlCharacters) &&
           character != kObjectReplacementCharacter;
}

} // namespace

void ZEPPageItemInfo::ScanText(ITextModel* textModel, std::int32_t start, std::int32_t length) {
    if (!textModel)
        return;
    WideString text;
    textModel->CopyRange(start, length, text);
    InterfacePtr<IComposeScanner> scanner(textModel, UseDefaultIID{});
    if (!scanner)
        return;
    const std::int64_t end = std::int64_t{start} + length;
    for (std::int64_t position = start; position < end;) {
        std::int32_t chunkLength = 0;
        InterfacePtr<ITextAttributes> chunk(
            scanner->QueryAttributesAt(static_cast<std::int32_t>(position), &chunkLength));
        if (!chunk)
            return;
        const std::int64_t clipped = std::min<std::int64_t>(chunkLength, end - position);
        if (clipped < 1)
            return;
        // The chunk's characters among those copied (fewer when the story ends before the range).
        const std::int64_t first = position - start;
        const std::int64_t last =
            std::min<std::int64_t>(first + clipped, static_cast<std::int64_t>(text.size()));
        for (std::int64_t i = first; i < last; ++i)
            if (IsVisible(text[static_cast<std::size_t>(i)])) {
                OnVisibleText(chunk.get());
                break;
            }
        position += clipped;
    }
}
