#include "host/standin/Text.h"

#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/Fonts.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Recorder.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace UnicodeClass {

bool IsWhiteSpace(UTF32TextChar character) {
    switch (character) {
    case 0x0009: // character tabulation
    case 0x000A: // line feed
    case 0x000B: // line tabulation
    case 0x000C: // form feed
    case 0x000D: // carriage return
    case 0x0020: // space
    case 0x0085: // next line
    case 0x00A0: // no-break space
    case 0x1680: // ogham space mark
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
    case 0x202F: // narrow no-break space
    case 0x205F: // medium mathematical space
    case 0x3000: // ideographic space
        return true;
    default:
        return character >= 0x2000 && character <= 0x200A; // en quad to hair space
    }
}

bool IsIgnoredCharacter(UTF32TextChar character, std::int32_t details) {
    static constexpr UTF32TextChar kControlCharacterSet[] = {0x00, 0x07, 0x08, 0x09, 0x0A, 0x0D,
                                                             0x16, 0x17, 0x18, 0x19, 0x1A};
    return (details & kControlCharacters) != 0 &&
           std::find(std::begin(kControlCharacterSet), std::end(kControlCharacterSet), character) !=
               std::end(kControlCharacterSet);
}

} // namespace UnicodeClass

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

TextIterator::TextIterator(std::shared_ptr<const std::u16string> text, std::int32_t position)
    : m_text(std::move(text)), m_position(position) {}

bool TextIterator::IsValid() const {
    return m_text && m_position >= 0 && static_cast<std::size_t>(m_position) < m_text->size();
}

char16_t TextIterator::Unit(std::int32_t position) const {
    if (!m_text || position < 0 || static_cast<std::size_t>(position) >= m_text->size())
        return 0;
    return (*m_text)[static_cast<std::size_t>(position)];
}

std::int32_t TextIterator::CharacterStart(std::int32_t position) const {
    if (IsLowSurrogate(Unit(position)) && IsHighSurrogate(Unit(position - 1)))
        return position - 1;
    return position;
}

UTF32TextChar TextIterator::GetUTF32TextChar() const {
    if (!IsValid())
        return 0;
    const std::int32_t start = CharacterStart(m_position);
    const char16_t first = Unit(start);
    if (IsHighSurrogate(first) && IsLowSurrogate(Unit(start + 1)))
        return 0x10000 + ((static_cast<UTF32TextChar>(first) - 0xD800) << 10) +
               (static_cast<UTF32TextChar>(Unit(start + 1)) - 0xDC00);
    return first;
}

TextIterator& TextIterator::operator++() {
    const std::int32_t start = CharacterStart(m_position);
    const std::int32_t length =
        IsHighSurrogate(Unit(start)) && IsLowSurrogate(Unit(start + 1)) ? 2 : 1;
    if (start <= std::numeric_limits<std::int32_t>::max() - length)
        m_position = start + length;
    return *this;
}

TextIterator& TextIterator::operator--() {
    const std::int32_t start = CharacterStart(m_position);
    if (start > std::numeric_limits<std::int32_t>::min())
        m_position = CharacterStart(start - 1);
    return *this;
}

namespace host {

PMRect RunBox(const TextLine& line, const TextRun& run) {
    return {0, line.y - 2 * run.height, run.width, line.y - run.height};
}

namespace {

constexpr ClassID kTextAttributesBoss{0xF09101};

constexpr ImplementationID kTextModelImpl{0xF09200};
constexpr ImplementationID kComposeScannerImpl{0xF09201};
constexpr ImplementationID kFrameListImpl{0xF09202};
constexpr ImplementationID kFrameListComposerImpl{0xF09203};
constexpr ImplementationID kLineSourceImpl{0xF09204};
constexpr ImplementationID kTextAttributesImpl{0xF09205};

Layout* LayoutOf(const IPMUnknown* facet) {
    Document* document = DocumentOf(GetUIDRef(facet).GetDataBase());
    return document ? &document->layout : nullptr;
}

// The story that is the facet's object.
Story* StoryObject(const IPMUnknown* facet) {
    Layout* layout = LayoutOf(facet);
    if (!layout)
        return nullptr;
    auto found = layout->stories.find(GetUIDRef(facet).GetUID());
    return found == layout->stories.end() ? nullptr : &found->second;
}

// The story whose frame list is the facet's object.
std::pair<UID, Story*> StoryOfFrameList(const IPMUnknown* facet) {
    Layout* layout = LayoutOf(facet);
    return layout ? layout->StoryOfFrameList(GetUIDRef(facet).GetUID())
                  : std::pair<UID, Story*>{kInvalidUID, nullptr};
}

class TextAttributes final : public CPMUnknown<ITextAttributes> {
public:
    using CPMUnknown::CPMUnknown;
    // Text set in a font the session does not know has the font object of a missing font, as the
    // font manager makes it for kFontObjectWhenMissing: a host shows such text in a substitute.
    IFont* QueryFont() const override { return host::QueryFont(m_run.font, true); }
    UID GetColor(bool stroke, PMReal& tint) const override {
        const Paint& paint = stroke ? m_run.stroke : m_run.fill;
        tint = paint.tint;
        return paint.color;
    }
    AttributeRun m_run;
};

class TextModel final : public CPMUnknown<ITextModel> {
public:
    using CPMUnknown::CPMUnknown;
    IPMUnknown* QueryStrand(ClassID cls, PMIID iid) const override {
        const Story* story = StoryObject(this);
        if (!story || cls != kFrameListBoss)
            return nullptr;
        return GetUIDRef(this).GetDataBase()->Instantiate(story->frameList, iid);
    }
    void CopyRange(std::int32_t start, std::int32_t length, WideString& text) const override {
        text.clear();
        const Story* story = StoryObject(this);
        if (!story || start < 0 || length <= 0 ||
            static_cast<std::size_t>(start) >= story->text->size())
            return;
        text =
            story->text->substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    }
    // The story's own text and the end-of-story character: the text of its table cells, which
    // follows its own text, is not counted.
    std::int32_t TotalLength() const override {
        const Story* story = StoryObject(this);
        if (!story)
            return 0;
        return story->cellText ? *story->cellText + 1
                               : static_cast<std::int32_t>(story->text->size());
    }
};

class ComposeScanner final : public CPMUnknown<IComposeScanner> {
public:
    using CPMUnknown::CPMUnknown;
    ITextAttributes* QueryAttributesAt(std::int32_t position, std::int32_t* span) const override {
        if (span)
            *span = 0;
        const Story* story = StoryObject(this);
        if (!story || position < 0)
            return nullptr;
        std::int64_t start = 0;
        for (const AttributeRun& run : story->attributes) {
            if (position < start + run.span) {
                InterfacePtr<ITextAttributes> attributes(static_cast<ITextAttributes*>(
                    CreateObject(kTextAttributesBoss, ITextAttributes::kDefaultIID)));
                if (!attributes)
                    return nullptr;
                static_cast<TextAttributes*>(attributes.get())->m_run = run;
                if (span)
                    *span = static_cast<std::int32_t>(start + run.span - position);
                return attributes.forget();
            }
            start += run.span;
        }
        return nullptr;
    }
    TextIterator GetTextIterator(std::int32_t position, std::int32_t, std::int32_t) const override {
        const Story* story = StoryObject(this);
        return story ? TextIterator(story->text, position) : TextIterator();
    }
};

class FrameList final : public CPMUnknown<IFrameList> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetFrameIndex(UID frame) const override {
        const Story* story = StoryOfFrameList(this).second;
        if (!story)
            return -1;
        auto found = std::find(story->frames.begin(), story->frames.end(), frame);
        return found == story->frames.end()
                   ? -1
                   : static_cast<std::int32_t>(found - story->frames.begin());
    }
    std::int32_t GetFrameCount() const override {
        const Story* story = StoryOfFrameList(this).second;
        return story ? static_cast<std::int32_t>(story->frames.size()) : 0;
    }
    std::int32_t GetFirstDamagedFrameIndex() const override {
        const Story* story = StoryOfFrameList(this).second;
        return story ? story->damaged : 0;
    }
};

class FrameListComposer final : public CPMUnknown<IFrameListComposer> {
public:
    using CPMUnknown::CPMUnknown;
    void Recompose() override {
        Story* story = StoryOfFrameList(this).second;
        if (!story)
            return;
        Recorder::Instance().Record(Channel::Calls,
                                    "recompose " + std::to_string(GetUIDRef(this).GetUID().Get()));
        JournaledSet(story->damaged, static_cast<std::int32_t>(story->frames.size()));
    }
};

class ComposedRun final : public IComposedRun {
public:
    explicit ComposedRun(const TextRun& run) : m_run(run) {}
    std::int32_t GetSpan() const override { return m_run.span; }
    std::int32_t GetStart() const override { return m_run.start; }
    PMReal GetWidth(std::int32_t) const override { return m_run.width; }
    PMReal GetHeight() const override { return m_run.height; }
    PMMatrix GetMatrix() const override { return m_run.matrix; }

private:
    TextRun m_run;
};

class ComposedRunList final : public IComposedRunList {
public:
    explicit ComposedRunList(const std::vector<TextRun>& runs) : m_runs(runs.begin(), runs.end()) {}
    const IComposedRun* First() override {
        m_next = 0;
        return Next();
    }
    const IComposedRun* Next() override {
        return m_next < m_runs.size() ? &m_runs[m_next++] : nullptr;
    }

private:
    std::vector<ComposedRun> m_runs;
    std::size_t m_next = 0;
};

class ComposedLine final : public IComposedLine {
public:
    ComposedLine(const TextLine& line, std::int64_t start) : m_line(line), m_start(start) {}
    std::unique_ptr<IComposedRunList> NewRuns(std::int32_t) const override {
        return std::make_unique<ComposedRunList>(m_line.runs);
    }
    std::int32_t GetCharCount() const override { return m_line.count; }
    PMReal GetY() const override { return m_line.y; }
    bool Holds(std::int32_t position) const {
        return position >= m_start && position < m_start + m_line.count;
    }

private:
    TextLine m_line;
    std::int64_t m_start;
};

// Walks the lines of one text of the story: the lines after the first stay on the text that the
// first line holds (its own text or the text of one table cell).
class LineWalker final : public ILineWalker {
public:
    explicit LineWalker(const Story& story) : m_texts(story.lineTexts) {
        std::int64_t start = 0;
        for (const TextLine& line : story.lines) {
            m_lines.emplace_back(line, start);
            start += line.count;
        }
    }
    const IComposedLine* FirstLine(std::int32_t position, std::int32_t) override {
        auto found = std::find_if(m_lines.begin(), m_lines.end(),
                                  [&](const ComposedLine& line) { return line.Holds(position); });
        m_next = static_cast<std::size_t>(found - m_lines.begin());
        m_text = TextOf(m_next);
        return NextLine();
    }
    const IComposedLine* NextLine() override {
        if (m_next >= m_lines.size() || TextOf(m_next) != m_text) {
            m_next = m_lines.size();
            return nullptr;
        }
        return &m_lines[m_next++];
    }

private:
    std::int32_t TextOf(std::size_t line) const {
        return line < m_texts.size() ? m_texts[line] : Story::kOwnText;
    }

    std::vector<ComposedLine> m_lines;
    std::vector<std::int32_t> m_texts; // Story::lineTexts
    std::size_t m_next = 0;
    std::int32_t m_text = Story::kOwnText; // what the walk's lines hold
};

class LineSource final : public CPMUnknown<ILineSource> {
public:
    using CPMUnknown::CPMUnknown;
    std::unique_ptr<ILineWalker> NewLineWalker(std::int32_t) const override {
        const Story* story = StoryOfFrameList(this).second;
        if (!story || story->lines.empty())
            return nullptr;
        return std::make_unique<LineWalker>(*story);
    }
};

// The frame interfaces of a text frame's page item, as `I` numbers them.
template <typename I>
class TextFrameView final : public CPMUnknown<I> {
public:
    using CPMUnknown<I>::CPMUnknown;
    std::int32_t TextStart() const override { return Frame().start; }
    std::int32_t TextSpan() const override { return Frame().span; }
    IFrameList* QueryFrameList() const override {
        const Story* story = Threading().second;
        return story ? static_cast<IFrameList*>(GetUIDRef(this).GetDataBase()->Instantiate(
                           story->frameList, IFrameList::kDefaultIID))
                     : nullptr;
    }
    ITextModel* QueryTextModel() const override {
        const auto [uid, story] = Threading();
        return story ? static_cast<ITextModel*>(
                           GetUIDRef(this).GetDataBase()->Instantiate(uid, ITextModel::kDefaultIID))
                     : nullptr;
    }

private:
    TextFrame Frame() const {
        const Layout* layout = LayoutOf(this);
        if (!layout)
            return {};
        auto item = layout->items.find(GetUIDRef(this).GetUID());
        return item == layout->items.end() ? TextFrame{}
                                           : item->second.textFrame.value_or(TextFrame{});
    }
    // The story whose frame list threads this frame.
    std::pair<UID, const Story*> Threading() const {
        const Layout* layout = LayoutOf(this);
        return layout ? layout->StoryOfFrame(GetUIDRef(this).GetUID())
                      : std::pair<UID, const Story*>{kInvalidUID, nullptr};
    }
};

} // namespace

std::unique_ptr<IPMUnknown> NewTextFrameColumnFacet(IPMUnknown* itemBoss) {
    return std::make_unique<TextFrameView<ITextFrameColumn>>(itemBoss);
}

std::unique_ptr<IPMUnknown> NewMultiColumnTextFrameFacet(IPMUnknown* itemBoss) {
    return std::make_unique<TextFrameView<IMultiColumnTextFrame>>(itemBoss);
}

void RegisterTextClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kTextModelImpl, ImplementationFunctionsOf<TextModel>());
    reg(kComposeScannerImpl, ImplementationFunctionsOf<ComposeScanner>());
    reg(kFrameListImpl, ImplementationFunctionsOf<FrameList>());
    reg(kFrameListComposerImpl, ImplementationFunctionsOf<FrameListComposer>());
    reg(kLineSourceImpl, ImplementationFunctionsOf<LineSource>());
    reg(kTextAttributesImpl, ImplementationFunctionsOf<TextAttributes>());
    model.AddToClass(kStoryBoss, {{ITextModel::kDefaultIID, kTextModelImpl},
                                  {IComposeScanner::kDefaultIID, kComposeScannerImpl}});
    model.AddToClass(kFrameListBoss, {{IFrameList::kDefaultIID, kFrameListImpl},
                                      {IFrameListComposer::kDefaultIID, kFrameListComposerImpl},
                                      {ILineSource::kDefaultIID, kLineSourceImpl}});
    model.AddToClass(kTextAttributesBoss, {{ITextAttributes::kDefaultIID, kTextAttributesImpl}});
}

} // namespace host
