// Text: stories, the text frames that show them, reading their characters, the attribute runs
// that give their fonts, and the composed lines and runs of text.
//
// A story is UTF-16 text followed by one end-of-story character (a carriage return), which the
// story's total length counts. Its text frames are threaded in the order of the story's frame
// list; each frame shows the span of characters that starts at its text start. The attribute
// runs follow one another from position 0, each with a span, a font name and a fill and a stroke
// colour (host/sdk/Colors.h; none by default). Composition is not
// done here: the lines (each with its y in line space, its character count and its runs) and the
// runs (start, span, width, height and the matrix from line space to pasteboard coordinates) are
// those of the document description, and the line at a position is the one whose characters hold
// it, counting the lines' character counts from position 0. A run's text stands in line space
// from x 0 to its width and from the line's y - 2 x its height to y - height, its baseline at the
// foot. A story that holds tables (host/sdk/Tables.h) has its own text first, the text its frames
// show, and the text of its tables' cells after it, before the end-of-story character; each
// cell's text is composed in lines of its own, apart from the own text's and other cells' lines.
// The story's total length then counts its own text and the end-of-story character only, and a
// walk over the lines stays on the text that its first line holds: a frame's walk never meets a
// cell's lines, nor a cell's walk those of another cell or the own text. Recomposing only makes the
// frame list current (its first damaged frame becomes its frame count, journaled) and is recorded
// on Channel::Calls as "recompose <frame list UID>".
//
// Objects: a text frame is a page item with interface 0xCA12, 0xCA13 or both; its story is an
// object with the text model (0x202) and the compose scanner (0x233); the story's frame list is
// an object of class 0x228 with the frame list, its composer (0x241) and the line source (0x247).
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"

#include <cstdint>
#include <memory>
#include <string>

using UTF32TextChar = char32_t;
using WideString = std::u16string;

// The classes of Unicode characters that the text code asks about.
namespace UnicodeClass {
// U+0009 to U+000D, U+0020, U+0085, U+00A0, U+1680, U+2000 to U+200A, U+2028, U+2029, U+202F,
// U+205F and U+3000: the characters with Unicode's White_Space property.
bool IsWhiteSpace(UTF32TextChar character);

// Kinds of ignored characters, as bits of `details`.
enum IgnoredKinds : std::int32_t { kControlCharacters = 1 };
// Whether the composer lays the character out as nothing for the kinds in `details`. The control
// characters are NUL (0), 7 and 8, tab (9), line feed (10), return (13) and the markers 22 to 26;
// no other character is ignored.
bool IsIgnoredCharacter(UTF32TextChar character, std::int32_t details);
} // namespace UnicodeClass

// Reads a story's characters one by one, forwards or backwards, from a position (in UTF-16 units).
// A surrogate pair is one character: read at either of its two units it gives the joined code
// point, and stepping moves over the whole pair. A lone surrogate is a character of its own.
class TextIterator {
public:
    TextIterator() = default;
    TextIterator(std::shared_ptr<const std::u16string> text, std::int32_t position);

    // The position lies inside the story (its end-of-story character included).
    bool IsValid() const;
    std::int32_t Position() const { return m_position; }
    // The character at the position; 0 when the iterator is not valid.
    UTF32TextChar GetUTF32TextChar() const;
    // To the start of the next character.
    TextIterator& operator++();
    // To the start of the character before the one at the position.
    TextIterator& operator--();

private:
    char16_t Unit(std::int32_t position) const;
    // The first unit of the character that holds `position`.
    std::int32_t CharacterStart(std::int32_t position) const;

    std::shared_ptr<const std::u16string> m_text; // the story's, end-of-story character included
    std::int32_t m_position = 0;
};

class IFont;

// The formatting at a text position (an attribute run).
class ITextAttributes : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF09002};

    // The run's font, with a new reference. For a name the session does not know (a font that is
    // not installed), the font object that stands for a missing font, as IFontMgr::QueryFont makes
    // it with kFontObjectWhenMissing (status 0x12, type 3, class 5); null only when no font object
    // can be made.
    virtual IFont* QueryFont() const = 0; // 5th operation
    // The UID of the run's stroke colour (or of its fill colour) in the story's database, and in
    // `tint` its tint; kInvalidUID when the run has none.
    virtual UID GetColor(bool stroke, PMReal& tint) const = 0;
};

// A story's text.
class ITextModel : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x202};

    // The object of the story of that class, with a new reference to the interface; the story's
    // frame list is its object of class 0x228. Null for other classes.
    virtual IPMUnknown* QueryStrand(ClassID cls, PMIID iid) const = 0; // 7th operation
    // The characters of [start, start + length) that the story holds.
    virtual void CopyRange(std::int32_t start, std::int32_t length,
                           WideString& text) const = 0; // 6th operation
    // The number of characters with the end-of-story character; of a story that holds tables,
    // those of its own text before its cells' text, and the end-of-story character.
    virtual std::int32_t TotalLength() const = 0; // 14th operation
};
inline constexpr ClassID kFrameListBoss{0x228};

// Reading a story: its characters and its attribute runs.
class IComposeScanner : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x233};

    // The attribute run at the position with a new reference, and in `span` the number of its
    // characters from the position on; null (span 0) beyond the last run.
    virtual ITextAttributes* QueryAttributesAt(std::int32_t position,
                                               std::int32_t* span) const = 0; // 16th operation
    // An iterator at the position; the two options are the host's and change nothing here.
    virtual TextIterator GetTextIterator(std::int32_t position, std::int32_t option1,
                                         std::int32_t option2) const = 0; // 19th operation
};

// The frames of a story, in thread order.
class IFrameList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF09001};

    // The index of the frame (the UID of its page item); -1 when it is not in the list.
    virtual std::int32_t GetFrameIndex(UID frame) const = 0; // 8th operation
    virtual std::int32_t GetFrameCount() const = 0;          // 9th operation
    // The first frame whose composition is out of date; the frame count when none is.
    virtual std::int32_t GetFirstDamagedFrameIndex() const = 0; // 25th operation
};

// Composes a frame list (on the frame list's object).
class IFrameListComposer : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x241};

    virtual void Recompose() = 0; // 4th operation
};

// One composed run of text: characters of one line set with one matrix.
class IComposedRun {
public:
    virtual ~IComposedRun() = default;
    virtual std::int32_t GetSpan() const = 0;               // 5th operation
    virtual std::int32_t GetStart() const = 0;              // 6th operation
    virtual PMReal GetWidth(std::int32_t option) const = 0; // 7th operation
    virtual PMReal GetHeight() const = 0;                   // 8th operation
    virtual PMMatrix GetMatrix() const = 0;                 // 19th operation
};

// The runs of a line, one after another; null after the last. The runs live as long as the list.
class IComposedRunList {
public:
    virtual ~IComposedRunList() = default;
    virtual const IComposedRun* First() = 0; // 2nd operation
    virtual const IComposedRun* Next() = 0;  // 3rd operation
};

class IComposedLine {
public:
    virtual ~IComposedLine() = default;
    // The line's runs; the option is the host's.
    virtual std::unique_ptr<IComposedRunList> NewRuns(std::int32_t option) const = 0; // 15th
    virtual std::int32_t GetCharCount() const = 0;                                    // 22nd
    virtual PMReal GetY() const = 0;                                                  // 41st
};

// Walks the composed lines of a story; the lines live as long as the walker.
class ILineWalker {
public:
    virtual ~ILineWalker() = default;
    // The line that holds the position; null when no line does. The option is the host's.
    virtual const IComposedLine* FirstLine(std::int32_t position,
                                           std::int32_t option) = 0; // 4th operation
    // The line after the last one given; null after the last line, and at a line that holds
    // another text than the first line (the story's own text or one table cell's).
    virtual const IComposedLine* NextLine() = 0; // 6th operation
};

// The composed lines of a story (on the frame list's object).
class ILineSource : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x247};

    // A walker over the story's lines; null when the story has no lines. The option is the host's.
    virtual std::unique_ptr<ILineWalker> NewLineWalker(std::int32_t option) const = 0; // 10th
};

// A text frame's view of its story: interface 0xCA12.
class ITextFrameColumn : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xCA12};

    virtual std::int32_t TextStart() const = 0; // 4th operation
    virtual std::int32_t TextSpan() const = 0;  // 5th operation
    // With a new reference; null for a frame that no story threads.
    virtual IFrameList* QueryFrameList() const = 0; // 7th operation
    virtual ITextModel* QueryTextModel() const = 0; // 9th operation
};

// The same view as interface 0xCA13.
class IMultiColumnTextFrame : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xCA13};

    virtual std::int32_t TextStart() const = 0;     // 5th operation
    virtual std::int32_t TextSpan() const = 0;      // 6th operation
    virtual IFrameList* QueryFrameList() const = 0; // 9th operation
    virtual ITextModel* QueryTextModel() const = 0; // 11th operation
};
