#include "Analysis/ZEPPageItemInfo.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/Fonts.h"
#include "host/sdk/Layout.h"
#include "host/sdk/Text.h"
#include "model/KeyStrings.h"

#include <iterator>
#include <new>

namespace {

// What the frame interfaces of a text frame give (from 0xCA13 when the item has it).
struct FrameText {
    UID frame;
    std::int32_t start = 0;
    std::int32_t span = 0;
    InterfacePtr<ITextModel> textModel;
    InterfacePtr<IFrameList> frameList;
};

template <typename Frame>
FrameText ReadFrame(const Frame& frame) {
    return {GetUIDRef(&frame).GetUID(), frame.TextStart(), frame.TextSpan(),
            InterfacePtr<ITextModel>(frame.QueryTextModel()),
            InterfacePtr<IFrameList>(frame.QueryFrameList())};
}

// True when a character other than white space lies in [from + 1, to] (walking back from `to`).
bool HasVisibleTextAfter(const IComposeScanner& scanner, std::int32_t from, std::int32_t to) {
    for (TextIterator it = scanner.GetTextIterator(to, 0, 0); it.IsValid() && it.Position() > from;
         --it)
        if (!UnicodeClass::IsWhiteSpace(it.GetUTF32TextChar()))
            return true;
    return false;
}

// True when a character of [start, start + span) is not white space.
bool IsVisibleRun(const IComposeScanner& scanner, std::int32_t start, std::int32_t span) {
    const std::int64_t end = std::int64_t{start} + span;
    for (TextIterator it = scanner.GetTextIterator(start, 0, 0);
         it.IsValid() && it.Position() < end; ++it)
        if (!UnicodeClass::IsWhiteSpace(it.GetUTF32TextChar()))
            return true;
    return false;
}

void AddFontTags(BPageItem& record, const IFont& font) {
    const std::uint32_t status = font.GetStatus();
    if ((status & 0x10) == 0x10)
        record.AddProblem(keystr::FontStatusNotAvailable);
    if ((status & 0x11) == 0x11)
        record.AddProblem(keystr::FontStatusFauxed);
    if ((status & 0x12) == 0x12)
        record.AddProblem(keystr::FontStatusSubstituted);
    static const ustring* const kTypeTags[] = {&keystr::Type1FontUsedInLayout,
                                               &keystr::TrueTypeFontUsedInLayout,
                                               &keystr::CIDFontUsedInLayout,
                                               &keystr::UnknownFontTypeUsedInLayout,
                                               &keystr::BitmapFontUsedInLayout,
                                               nullptr,
                                               &keystr::OpenTypeCFFFontUsedInLayout,
                                               &keystr::OpenTypeCIDFontUsedInLayout,
                                               &keystr::OpenTypeTrueTypeFontUsedInLayout};
    const std::int32_t type = font.GetFontType();
    if (type < 0 || type >= static_cast<std::int32_t>(std::size(kTypeTags)))
        record.AddProblem(keystr::UnknownFontTypeUsedInLayout);
    else if (kTypeTags[type])
        record.AddProblem(*kTypeTags[type]);
}

} // namespace

void ZEPPageItemInfo::AnalyseTextOverflow(IPMUnknown* item) {
    InterfacePtr<ITextFrameColumn> column(item, UseDefaultIID{});
    InterfacePtr<IMultiColumnTextFrame> multiColumn(item, UseDefaultIID{});
    InterfacePtr<IHierarchy> hierarchy(item, UseDefaultIID{});
    if ((!column && !multiColumn) || !hierarchy)
        return;
    const FrameText frame = multiColumn ? ReadFrame(*multiColumn) : ReadFrame(*column);
    if (frame.span <= 1)
        return;
    Record();
    m_textItem = true;
    if (!frame.textModel)
        return;
    if (frame.frameList) {
        const std::int32_t index = frame.frameList->GetFrameIndex(frame.frame);
        if (index >= 0) {
            if (index >= frame.frameList->GetFirstDamagedFrameIndex()) {
                InterfacePtr<IFrameListComposer> composer(frame.frameList, UseDefaultIID{});
                if (composer)
                    composer->Recompose();
            }
            const std::int64_t total = std::int64_t{frame.textModel->TotalLength()} - 1;
            const std::int64_t last = std::int64_t{frame.start} + frame.span - 1;
            InterfacePtr<IComposeScanner> scanner(frame.textModel, UseDefaultIID{});
            if (total > last + 1 && index == frame.frameList->GetFrameCount() - 1 && scanner &&
                HasVisibleTextAfter(*scanner, static_cast<std::int32_t>(last),
                                    static_cast<std::int32_t>(total - 1)))
                Record().AddProblem(keystr::TextBoxOverflowed);
        }
    }
    CollectTextRuns(frame.textModel.get(), frame.start, frame.span);
}

void ZEPPageItemInfo::CollectTextRuns(ITextModel* textModel, std::int32_t start,
                                      std::int32_t length) {
    if (!textModel)
        return;
    InterfacePtr<IPMUnknown> strand(
        textModel->QueryStrand(kFrameListBoss, ILineSource::kDefaultIID));
    InterfacePtr<ILineSource> lines(strand, UseDefaultIID{});
    InterfacePtr<IComposeScanner> scanner(textModel, UseDefaultIID{});
    if (!lines || !scanner)
        return;
    const std::unique_ptr<ILineWalker> walker = lines->NewLineWalker(0);
    if (!walker)
        return;
    std::int64_t consumed = 0;
    for (const IComposedLine* line = walker->FirstLine(start, 0); line && consumed < length;
         line = walker->NextLine()) {
        const std::unique_ptr<IComposedRunList> runs = line->NewRuns(1);
        for (const IComposedRun* run = runs ? runs->First() : nullptr; run; run = runs->Next()) {
            const std::int32_t runStart = run->GetStart();
            std::int32_t runSpan = run->GetSpan();
            if (!IsVisibleRun(*scanner, runStart, runSpan))
                continue;
            if (!m_textRuns)
                m_textRuns.reset(new (std::nothrow) BPageItemList);
            ThrowIfNull(m_textRuns, "mTextRunPageItemList");
            std::shared_ptr<BTextRunItem> theTextRunItem(new (std::nothrow) BTextRunItem);
            ThrowIfNull(theTextRunItem.get(), "theTextRunItem.get()");
            theTextRunItem->page = static_cast<std::int32_t>(m_pageNumber);
            const PMReal height = run->GetHeight();
            PMMatrix matrix;
            matrix.Scale(run->GetWidth(0), -height);
            matrix.Translate(0, line->GetY() - height);
            matrix.PostConcat(run->GetMatrix());
            matrix.Translate(-m_pageBounds.Left(), -m_pageBounds.Top());
            matrix.Scale(1, -1);
            matrix.Translate(0, m_pageBounds.Height());
            const BPageItem::Matrix values{matrix[0], matrix[1], matrix[2],
                                           matrix[3], matrix[4], matrix[5]};
            theTextRunItem->SetMatrix(values.data());
            InterfacePtr<ITextAttributes> attributes(
                scanner->QueryAttributesAt(runStart, &runSpan));
            InterfacePtr<IFont> font(attributes ? attributes->QueryFont() : nullptr);
            if (font)
                AddFontTags(*theTextRunItem, *font);
            m_textRuns->Append(std::move(theTextRunItem));
        }
        consumed += line->GetCharCount();
    }
}
