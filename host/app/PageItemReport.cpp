#include "PageItemReport.h"

#include "host/sdk/PMString.h"
#include "host/standin/Recorder.h"
#include "model/BJobFile.h"
#include "model/BPageItem.h"
#include "model/JobFilePart.h"
#include "model/JobText.h"
#include "model/PageItemFileKeys.h"
#include "utils/UKeyStream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

namespace {

// How far a record's box may lie from an item's and still be that item's, in points.
constexpr double kTolerance = 0.01;
// The characters of a text shown as an item's name.
constexpr std::size_t kNameLength = 24;

// A box in page coordinates: points from the page's left-top corner, y down.
struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct Record {
    std::int32_t kind = BPageItemValues::kPageItem;
    std::optional<std::array<double, 6>> matrix;
    bool bitmap = false;
    std::string fileType, link, profile;
    std::vector<std::string> tags;
};

std::string ReadText(UKeyInStream& keys, std::uint16_t key) {
    ustring text;
    keys.select_key(key).read_string(text);
    return text.toStdString();
}

Record ReadRecord(UKeyInStream& keys) {
    Record record;
    keys.select_key(kPageItemKindKey).read_int(record.kind);
    if (keys.has_key(kPageItemMatrixKey)) {
        std::array<double, 6> values{};
        std::size_t count = 0;
        keys.enter_array(kPageItemMatrixKey);
        for (; count < values.size() && keys.next_item(); ++count)
            keys.read_double(values[count]);
        keys.leave();
        if (count == values.size())
            record.matrix = values;
    }
    keys.select_key(kIsBitmapKey).read_bool(record.bitmap);
    record.fileType = ReadText(keys, kFileTypeKey);
    record.link = ReadText(keys, kLinkPathKey);
    record.profile = ReadText(keys, kProfileFileKey);
    keys.enter_record(kProblemsKey);
    while (keys.next_item())
        record.tags.push_back(ReadText(keys, kProblemKey));
    keys.leave();
    return record;
}

// The unit square under the record's matrix, in the exported page's coordinates (y up).
std::array<double, 4> UnitSquare(const std::array<double, 6>& m) {
    const double xs[] = {m[4], m[4] + m[0], m[4] + m[2], m[4] + m[0] + m[2]};
    const double ys[] = {m[5], m[5] + m[1], m[5] + m[3], m[5] + m[1] + m[3]};
    return {*std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4),
            *std::max_element(xs, xs + 4), *std::max_element(ys, ys + 4)};
}

std::string Number(double value) {
    return host::Number(std::round(value * 100) / 100);
}

std::string BoxText(const Box& box) {
    return Number(box.left) + " " + Number(box.top) + " " + Number(box.right) + " " +
           Number(box.bottom);
}

std::string SeverityName(eProblemSeverity severity) {
    switch (severity) {
    case eProblemSeverity_Ignore:
        return "ignore";
    case eProblemSeverity_Note:
        return "note";
    case eProblemSeverity_Warn:
        return "warn";
    case eProblemSeverity_Fault:
        return "fault";
    case eProblemSeverity_Dynamic:
        return "dynamic";
    case eProblemSeverity_Parameter:
    case eProblemSeverity_ParameterNotSet:
        return "parameter";
    default:
        return "not set";
    }
}

// Prints the pages of the file and keeps the counts of the summary.
class PageItemPrinter {
public:
    PageItemPrinter(const BJobFile& job, const host::Document* document, std::ostream& out)
        : m_job(job), m_document(document), m_out(out) {
        if (!m_document)
            return;
        for (const auto& [uid, item] : m_document->layout.items) {
            if (item.group || item.guide)
                continue;
            const PMRect bounds = item.matrix.TransformBounds(item.bounds);
            m_index.push_back(
                {item.spread, bounds.Left(), bounds.Top(), bounds.Right(), bounds.Bottom(), uid});
        }
        std::sort(m_index.begin(), m_index.end(), IndexedItem::Before);
    }

    void PrintPage(UKeyInStream& keys, std::int32_t index) {
        const bool page = index != kDocumentLevelIndex;
        m_out << "    " << (page ? "page " + std::to_string(index + 1) : "document");
        m_page = std::nullopt;
        m_pageUID = kInvalidUID;
        if (page && m_document && index >= 0)
            m_pageUID = m_document->layout.NthPage(static_cast<std::size_t>(index));
        if (m_pageUID != kInvalidUID) {
            m_pageRect = m_document->layout.PageRect(m_pageUID);
            m_spread = m_document->layout.pages.at(m_pageUID).spread;
        }
        m_pages += page;
        m_frame = kInvalidUID;
        keys.enter_record(kPageItemsKey);
        bool any = false;
        for (bool first = page; keys.next_item(); first = false) {
            m_out << (any ? "" : "\n");
            any = true;
            PrintRecord(ReadRecord(keys), first);
        }
        keys.leave();
        m_out << (any ? "" : ": no items\n");
    }

    const SeverityCounts& Severities() const { return m_severities; }

    void PrintSummary() const {
        m_out << "    summary: " << m_pages << (m_pages == 1 ? " page, " : " pages, ") << m_items
              << (m_items == 1 ? " item" : " items");
        const char* separator = "; tags: ";
        for (const char* severity :
             {"fault", "warn", "note", "ignore", "dynamic", "parameter", "not set"}) {
            const auto found = m_severities.find(severity);
            if (found == m_severities.end())
                continue;
            m_out << separator << found->second << " " << severity;
            separator = ", ";
        }
        m_out << "\n";
    }

private:
    void PrintRecord(const Record& record, bool pageRecord) {
        const std::optional<Box> box = BoxOf(record, pageRecord);
        std::string line;
        if (pageRecord) {
            line = "the page";
            if (box)
                line += ", " + Number(box->right) + " x " + Number(box->bottom);
        } else {
            ++m_items;
            line = record.kind == BPageItemValues::kTextRun ? RunName() : ItemName(record, box);
            if (box)
                line += ", at " + BoxText(*box);
        }
        m_out << "      " << line << Facts(record) << "\n";
        for (const std::string& tag : record.tags) {
            const std::string severity =
                SeverityName(m_job.GetCheckSettings().GetSeverity(ustring(tag)));
            ++m_severities[severity];
            m_out << "        " << tag << ": " << severity << "\n";
        }
    }

    // The record's box on its page; the page's own record sets the page's place in the
    // exported page (its bleed), which the boxes of the other records are taken from.
    std::optional<Box> BoxOf(const Record& record, bool pageRecord) {
        if (!record.matrix)
            return std::nullopt;
        const std::array<double, 4> square = UnitSquare(*record.matrix);
        if (pageRecord)
            m_page = square;
        if (!m_page)
            return std::nullopt;
        const std::array<double, 4>& page = *m_page;
        return Box{square[0] - page[0], page[3] - square[3], square[2] - page[0],
                   page[3] - square[1]};
    }

    std::string Facts(const Record& record) const {
        if (record.kind != BPageItemValues::kPlacedGraphic)
            return {};
        std::string facts =
            "; " + (record.fileType.empty() ? "unknown file type" : record.fileType);
        if (record.bitmap)
            facts += ", bitmap";
        if (!record.link.empty())
            facts += ", link " + record.link;
        if (!record.profile.empty())
            facts += ", profile " + record.profile;
        return facts;
    }

    std::string ItemName(const Record& record, const std::optional<Box>& box) {
        const std::string kind =
            record.kind == BPageItemValues::kPlacedGraphic ? "placed graphic" : "page item";
        const UID item = box ? ItemAt(*box) : kInvalidUID;
        m_frame = item;
        m_run = 0;
        if (item == kInvalidUID)
            return kind + (box ? " (no item of the document lies there)" : "");
        const host::Layout& layout = m_document->layout;
        const host::Item& data = layout.items.at(item);
        std::string name = "item " + std::to_string(item.Get());
        const std::string shown = ItemText(item);
        if (!shown.empty())
            name += " \"" + shown + "\"";
        const std::string what = data.textFrame ? "text frame"
                                 : data.placed  ? "graphic frame"
                                                : "frame";
        UID layer = data.layer;
        for (UID parent = data.parent; parent != kInvalidUID;
             parent = layout.items.at(parent).parent)
            layer = layout.items.at(parent).layer;
        const auto found = layout.layerData.find(layer);
        return kind + ", " + name + " (" + what +
               (found == layout.layerData.end() ? "" : " on layer \"" + found->second.name + "\"") +
               ")";
    }

    // The item of the page whose bounds on the page are the box: of the items of its spread
    // whose left edge lies near the box's, the first in UID order that matches on every side.
    UID ItemAt(const Box& box) const {
        if (m_pageUID == kInvalidUID)
            return kInvalidUID;
        const double left = m_pageRect.Left() + box.left;
        auto entry = std::lower_bound(m_index.begin(), m_index.end(),
                                      IndexedItem{m_spread, left - 2 * kTolerance, {}, {}, {}, {}},
                                      IndexedItem::Before);
        UID found = kInvalidUID;
        for (; entry != m_index.end() && entry->spread == m_spread &&
               entry->left <= left + 2 * kTolerance;
             ++entry)
            if (std::abs(entry->left - m_pageRect.Left() - box.left) <= kTolerance &&
                std::abs(entry->top - m_pageRect.Top() - box.top) <= kTolerance &&
                std::abs(entry->right - m_pageRect.Left() - box.right) <= kTolerance &&
                std::abs(entry->bottom - m_pageRect.Top() - box.bottom) <= kTolerance &&
                (found == kInvalidUID || entry->uid < found))
                found = entry->uid;
        return found;
    }

    // The item's name as a user knows it: a text frame's first words, a placed graphic's file.
    std::string ItemText(UID item) const {
        const host::Item& data = m_document->layout.items.at(item);
        if (data.placed && !data.placed->links.empty()) {
            const std::string& file = data.placed->links.front().fullName;
            return file.substr(file.find_last_of("/\\") + 1);
        }
        const std::u16string* text = FrameText(item);
        if (!text || !data.textFrame)
            return {};
        const std::size_t start = static_cast<std::size_t>(std::max(0, data.textFrame->start));
        return Shown(start < text->size() ? text->substr(start, kNameLength) : std::u16string());
    }

    const std::u16string* FrameText(UID frame) const {
        const host::Story* story = m_document->layout.StoryOfFrame(frame).second;
        return story ? story->text.get() : nullptr;
    }

    // The text up to its first paragraph's end or a table's anchor (U+0016).
    static std::string Shown(const std::u16string& text) {
        std::string shown = PMString(text).GetUTF8String();
        shown = shown.substr(0, shown.find_first_of("\r\n\x03\x16"));
        return shown;
    }

    // A text run, named by its place among the runs of the frame whose record precedes it.
    std::string RunName() {
        ++m_run;
        if (m_frame == kInvalidUID)
            return "text run";
        std::string name =
            "text run " + std::to_string(m_run) + " of item " + std::to_string(m_frame.Get());
        const host::Item& frame = m_document->layout.items.at(m_frame);
        const std::u16string* text = FrameText(m_frame);
        if (!text || !frame.textFrame)
            return name;
        const std::vector<const host::TextRun*>& runs = RunsOf(m_frame);
        if (static_cast<std::size_t>(m_run) > runs.size())
            return name;
        const host::TextRun& run = *runs[static_cast<std::size_t>(m_run) - 1];
        if (static_cast<std::size_t>(run.start) >= text->size())
            return name;
        return name + " \"" +
               Shown(text->substr(
                   static_cast<std::size_t>(run.start),
                   static_cast<std::size_t>(std::clamp(run.span, 0, int(kNameLength))))) +
               "\"";
    }

    // The runs of a text frame in the order of its story's lines: those that start within the
    // frame's span of the text, then those of the table cells it shows. The runs of all frames of a
    // story are sorted out in one pass over its lines, the first time a run record of one of them
    // asks, so that each record costs a look-up rather than a pass over the story.
    const std::vector<const host::TextRun*>& RunsOf(UID frame) {
        if (const auto known = m_runsOfFrame.find(frame); known != m_runsOfFrame.end())
            return known->second;
        m_runsOfFrame.try_emplace(frame);
        const host::Layout& layout = m_document->layout;
        const host::Story* story = layout.StoryOfFrame(frame).second;
        if (!story)
            return m_runsOfFrame[frame];
        // The story's text frames by the start of their span, each with the farthest end of a
        // span among it and those before it: a run lies in none of the frames up to the last one
        // whose farthest end does not pass the run's start.
        struct Span {
            std::int64_t start, end, reach; // wide enough for any start + span
            UID frame;
        };
        std::vector<Span> spans;
        std::set<UID> listed;
        for (UID uid : story->frames) {
            m_runsOfFrame.try_emplace(uid);
            const auto item = layout.items.find(uid);
            if (listed.insert(uid).second && item != layout.items.end() && item->second.textFrame)
                spans.push_back(
                    {item->second.textFrame->start,
                     std::int64_t{item->second.textFrame->start} + item->second.textFrame->span, 0,
                     uid});
        }
        std::stable_sort(spans.begin(), spans.end(),
                         [](const Span& a, const Span& b) { return a.start < b.start; });
        for (std::size_t i = 0; i < spans.size(); ++i)
            spans[i].reach = i == 0 ? spans[i].end : std::max(spans[i].end, spans[i - 1].reach);
        for (const host::TextLine& line : story->lines)
            for (const host::TextRun& run : line.runs) {
                auto after = std::upper_bound(
                    spans.begin(), spans.end(), run.start,
                    [](std::int64_t start, const Span& span) { return start < span.start; });
                for (; after != spans.begin() && std::prev(after)->reach > run.start; --after)
                    if (std::prev(after)->end > run.start)
                        m_runsOfFrame[std::prev(after)->frame].push_back(&run);
            }
        AddCellRuns(*story);
        return m_runsOfFrame[frame];
    }

    // After a frame's own runs, those of the table cells it shows: the runs that start in each
    // cell's text, cell by cell in the order the analysis walks the table's text.
    void AddCellRuns(const host::Story& story) {
        std::vector<const host::TextRun*> runs; // the story's, by start, once a cell asks
        bool sorted = false;
        for (UID frame : story.frames)
            for (const host::CellText& cell : host::ShownCellText(m_document->tables, frame)) {
                if (!sorted) {
                    sorted = true;
                    for (const host::TextLine& line : story.lines)
                        for (const host::TextRun& run : line.runs)
                            runs.push_back(&run);
                    std::stable_sort(runs.begin(), runs.end(),
                                     [](auto* a, auto* b) { return a->start < b->start; });
                }
                auto run = std::lower_bound(
                    runs.begin(), runs.end(), cell.start,
                    [](const host::TextRun* r, std::int32_t start) { return r->start < start; });
                for (; run != runs.end() && (*run)->start - cell.start < cell.length; ++run)
                    m_runsOfFrame[frame].push_back(*run);
            }
    }

    // A page item that a record may stand for (no group, no guide) with its bounds in its
    // spread's coordinates; the index holds them by spread, then by left edge.
    struct IndexedItem {
        UID spread;
        double left, top, right, bottom;
        UID uid;
        static bool Before(const IndexedItem& a, const IndexedItem& b) {
            return a.spread != b.spread ? a.spread < b.spread : a.left < b.left;
        }
    };

    const BJobFile& m_job;
    const host::Document* m_document;
    std::ostream& m_out;
    // The document's items, made once for the whole file, so that finding the item of a record
    // costs a search rather than a pass over the document.
    std::vector<IndexedItem> m_index;
    std::map<UID, std::vector<const host::TextRun*>> m_runsOfFrame; // RunsOf
    std::optional<std::array<double, 4>> m_page; // the page's own record's square
    UID m_pageUID;
    UID m_spread;      // the spread of m_pageUID
    PMRect m_pageRect; // m_pageUID's rectangle in its spread's coordinates
    UID m_frame;       // the item of the last item record, for the text runs after it
    int m_run = 0;
    int m_pages = 0;
    int m_items = 0;
    SeverityCounts m_severities;
};

} // namespace

SeverityCounts PrintPageItems(std::istream& file, const BJobFile& job,
                              const host::Document* document, std::ostream& out) {
    UKeyInStream keys(file);
    PageItemPrinter printer(job, document, out);
    keys.enter_record(kPageItemRootKey);
    while (keys.next_item()) {
        std::int32_t index = 0;
        keys.select_key(kPageIndexKey).read_int(index);
        printer.PrintPage(keys, index);
    }
    printer.PrintSummary();
    return printer.Severities();
}

std::unique_ptr<BJobFile> ReadJobText(const std::string& text) {
    auto job = std::make_unique<BJobFile>();
    std::istringstream in(DecodeJobText(text));
    try {
        job->Read(in, kJobFilePartFull);
    } catch (const std::exception&) {
        return nullptr;
    }
    return job;
}
