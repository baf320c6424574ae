// BJobFile: the "JOB5" job file (record 'JJ', the groups 'GG', the ticket 'SR', the default
// settings 'Dp' and the export permission 'BP'), the job boxes, the output profiles and the
// page-item file.
#include "model/BJobFile.h"

#include "model/KeyStrings.h"
#include "model/PageItemFileKeys.h"
#include "model/SettingDefinitions.h"
#include "platform/files.h"
#include "utils/Logger.h"
#include "utils/UKeyStream.h"
#include "utils/uuid.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <span>
#include <stdexcept>
#include <vector>

namespace {

constexpr const char* kLogFile = "..\\..\\..\\libs\\datastruct\\BJobFile";

constexpr std::uint32_t kJobStreamIdentifier = 0x4A4F4235; // "JOB5"

constexpr std::uint16_t kKeyDefaults = 'Dp';
constexpr std::uint16_t kKeyTicket = 'SR';
constexpr std::uint16_t kKeyPermission = 'BP';
constexpr std::uint16_t kKeyForbidPDF = 'Br';

constexpr std::uint16_t kKeyStyle = 'St';
constexpr std::uint16_t kKeyVersion = 'Pv';
constexpr std::uint16_t kKeyIdentifier = 'SS';
constexpr std::uint16_t kKeyJobName = 'DN';
constexpr std::uint16_t kKeySN = 'SN';
constexpr std::uint16_t kKeyDocumentName = 'LN';
constexpr std::uint16_t kKeyBleedBox = 'RB';
constexpr std::uint16_t kKeyTrimBox = 'RT';
constexpr std::uint16_t kKeyTypeArea = 'RY';
constexpr std::uint16_t kKeyLayoutHBleed = 'LH';
constexpr std::uint16_t kKeyLayoutVBleed = 'LV';
constexpr std::uint16_t kKeyLayoutWidth = 'Lw';
constexpr std::uint16_t kKeyLayoutDepth = 'Ld';
constexpr std::uint16_t kKeySE = 'SE';
constexpr std::uint16_t kKeyCommonSizing = 'CZ';
constexpr std::uint16_t kKeyPageCount = 'NP';
constexpr std::uint16_t kKeyCP = 'CP';
constexpr std::uint16_t kKeyLC = 'LC';
constexpr std::uint16_t kKeyJobFolder = 'TF';
constexpr std::uint16_t kKeyOutputFile = 'FS';
constexpr std::uint16_t kKeyPathPD = 'PD';

// The page of the document's own items in the page set.
constexpr std::int32_t kDocumentLevelPage = -1;

constexpr std::int32_t kGrayscaleStyle = 1;

bool CarriesSummary(std::int32_t mask) {
    return (mask & (kJobFilePartSummary | kJobFilePartFull)) != 0;
}
bool CarriesFull(std::int32_t mask) {
    return (mask & kJobFilePartFull) != 0;
}

void WriteBox(UKeyOutStream& out, std::uint16_t key, const zeu::Rect2D& box) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    out.begin_array(key);
    if (box.isUnset()) {
        out.write_double(inf).write_double(inf).write_double(inf).write_double(inf);
    } else {
        out.write_double(box.x).write_double(box.y);
        out.write_double(box.x + box.width).write_double(box.y + box.height);
    }
    out.end();
}

// A box stored as left, top, right, bottom; any infinite edge makes it unset. An absent key
// keeps the box.
void ReadBox(UKeyInStream& in, std::uint16_t key, zeu::Rect2D& box) {
    if (!in.has_key(key))
        return;
    double edges[4] = {0.0, 0.0, 0.0, 0.0};
    in.enter_array(key);
    for (double& edge : edges)
        in.read_double(edge);
    in.leave();
    if (std::any_of(std::begin(edges), std::end(edges), [](double e) { return std::isinf(e); }))
        box = zeu::Rect2D::unset;
    else
        box = {edges[0], edges[1], edges[2] - edges[0], edges[3] - edges[1]};
}

// Boxes that all stand at the origin were stored by a writer that did not centre them: they
// are moved so that each is centred on (0, 0).
void CentreBoxesAtOrigin(zeu::Rect2D& bleed, zeu::Rect2D& trim, zeu::Rect2D& type) {
    for (const zeu::Rect2D* box : {&bleed, &trim, &type}) {
        if (box->x != 0.0 || box->y != 0.0)
            return;
    }
    for (zeu::Rect2D* box : {&bleed, &trim, &type}) {
        box->x -= box->width / 2;
        box->y -= box->height / 2;
    }
}

// The path's text; empty for a path that is not valid.
ustring PathText(const UFileSpecCore& path) {
    return path.is_valid() ? path.path() : ustring();
}

// A text is set as the path without a base; an empty text (or an absent key) and a text that is
// no path leave the path empty. A text ends at its first NUL, unless something other than NULs
// follows it: cut there it would name another file than the one stored ("J:/a" for
// "J:/a<NUL>b.pdf"), so it is kept whole and unchecked instead. Holding a NUL it names no file at
// all: every file operation refuses it, and the export names it in its refusal.
void ReadPath(UKeyInStream& in, std::uint16_t key, UFileSpecCore& path) {
    ustring text;
    in.select_key(key).read_whole_string(text);
    const std::size_t nul = text.findChar('\0');
    if (nul != ustring::npos) {
        const bool goesOn = std::any_of(text.begin() + static_cast<std::ptrdiff_t>(nul), text.end(),
                                        [](char c) { return c != '\0'; });
        if (goesOn) {
            static_cast<void>(path.assign(text));
            return;
        }
        text.resize(nul);
    }
    if (text.empty() || !path.set(text, nullptr))
        path.clear();
}

// The smallest positive size seen so far: a positive candidate below the current size replaces
// it, and a size still 0 takes whatever the candidate is.
void TakeSmaller(double& size, double candidate) {
    if (candidate > 0 && size > candidate)
        size = candidate;
    else if (size == 0)
        size = candidate;
}

// The extent of the area left inside two indents of a size; 0 when there are no indents.
double InnerSize(double size, double indentA, double indentB) {
    const double indents = indentA + indentB;
    return indents > 0 ? size - indents : indents;
}

// Half the difference of the absolute widths or heights (`size`) of two boxes, that is the margin
// per side; 0.0 when either box is unset.
double MarginPerSide(const zeu::Rect2D& outer, const zeu::Rect2D& inner,
                     double zeu::Rect2D::*size) {
    if (outer.isUnset() || inner.isUnset())
        return 0.0;
    return (std::fabs(outer.*size) - std::fabs(inner.*size)) / 2;
}

// A profile name is a file when it names an existing one; else it is taken as a file in the
// colour-profile folder (not tested for existence). Empty when it cannot be made a path there.
void ResolveOutputProfileName(ustring& name) {
    UFileSpecCore path;
    if (path.set(name, nullptr) && path.is_file())
        return;
    if (path.set_special_folder(kColourProfileFolder) && path.descend(name))
        name = path.path();
    else
        name.clear();
}

} // namespace

// What a read has taken from the stream, kept aside until the whole read has succeeded.
struct BJobFile::ReadResult {
    explicit ReadResult(BJobFile* owner) : groups(owner) {}

    BJobFields values;
    BGroupList groups;
    BPageRangeList sectionRuns;
    BPageRangeAbsoluteList absoluteRuns;
    BExportedDestinationList exported;
    std::shared_ptr<umessage> ticket = std::make_shared<umessage>();
    bool hasForbidPDF = false;
    bool forbidPDF = false;
};

BJobFile::BJobFile() : m_groups(this), m_defaultGroup(this), m_currentPageSet(&m_pageSets[0]) {}

void BJobFile::Write(std::ostream& out, std::int32_t mask) {
    UKeyOutStream keys(out, kJobStreamIdentifier);
    WriteBody(keys, mask);
    keys.close();
    out.flush();
}

void BJobFile::Read(std::istream& in, std::int32_t mask) {
    if (in.fail())
        return;
    UKeyInStream keys(in);
    umessage defaults;
    keys.select_key(kKeyDefaults).read_message(defaults);

    umessage& processDefaults = GetDefaultSettings();
    umessage previous = std::move(processDefaults);
    processDefaults = std::move(defaults);
    try {
        ReadBody(keys, mask);
    } catch (...) {
        processDefaults = std::move(previous);
        throw;
    }
}

void BJobFile::WriteExported(std::ostream& out) {
    Write(out, kJobFilePartFull | kJobFilePartSelectedGroups | kJobFilePartUnexported);
    if (BGroup* group = m_groups.FindFirstUnexportedGroup()) {
        m_groups.SelectGroup(group);
        ComputeBoxes();
    }
}

void BJobFile::WriteBody(UKeyOutStream& out, std::int32_t mask) {
    if (identifier.empty())
        identifier = uuid::generate().toString();
    WriteJobRecord(out, mask);
    m_groups.Write(out, mask);
}

void BJobFile::WriteJobRecord(UKeyOutStream& out, std::int32_t mask) const {
    out.begin_record(kJobRecordKey);
    out.select_key(kKeyStyle).write_int(style);
    out.select_key(kKeyVersion).write_string("748");
    out.select_key(kKeyIdentifier).write_string(identifier);
    out.select_key(kKeyJobName).write_string(jobName);
    out.select_key(kKeySN).write_string(textSN);
    out.select_key(kKeyDocumentName).write_string(documentName);
    WriteBox(out, kKeyBleedBox, bleedBox);
    WriteBox(out, kKeyTrimBox, trimBox);
    WriteBox(out, kKeyTypeArea, typeArea);
    if (CarriesSummary(mask)) {
        out.select_key(kKeyLayoutHBleed).write_double(layoutHorizontalBleed);
        out.select_key(kKeyLayoutVBleed).write_double(layoutVerticalBleed);
        out.select_key(kKeyLayoutWidth).write_double(layoutWidth);
        out.select_key(kKeyLayoutDepth).write_double(layoutDepth);
        out.select_key(kKeySE).write_bool(flagSE);
        out.select_key(kKeyCommonSizing).write_bool(commonSizing);
    }
    if (CarriesFull(mask)) {
        out.select_key(kKeyPageCount).write_int(pageCount);
        out.select_key(kKeyCP).write_int(pageCP);
        out.select_key(kKeyLC).write_int(pageLC);
        out.select_key(kKeyJobFolder).write_string(PathText(jobFolder));
        out.select_key(kKeyOutputFile).write_string(PathText(outputFile));
        out.select_key(kKeyPathPD).write_string(PathText(pathPD));
        out.select_key(kPageItemFileKey).write_string(PathText(pageItemFile));
        m_sectionRuns.Write(out);
        m_absoluteRuns.Write(out);
        m_exported.Write(out);
    }
    out.end();
}

void BJobFile::ReadBody(UKeyInStream& in, std::int32_t mask) {
    ReadResult result(this);
    result.values = static_cast<const BJobFields&>(*this);
    ReadJobRecord(in, mask, result);
    result.groups.Read(in);
    if (CarriesFull(mask))
        in.select_key(kKeyTicket).read_message(*result.ticket);
    if (in.has_key(kKeyPermission)) {
        in.enter_record(kKeyPermission);
        if (in.has_key(kKeyForbidPDF)) {
            in.read_bool(result.forbidPDF);
            result.hasForbidPDF = true;
        }
        in.leave();
    }
    CommitRead(result, mask);
    ApplyProfileSettings();
}

void BJobFile::ReadJobRecord(UKeyInStream& in, std::int32_t mask, ReadResult& result) const {
    BJobFields& values = result.values;
    in.enter_record(kJobRecordKey);
    in.select_key(kKeyStyle).read_int(values.style);
    in.select_key(kKeyIdentifier).read_string(values.identifier);
    in.select_key(kKeySN).read_string(values.textSN);
    in.select_key(kKeyDocumentName).read_string(values.documentName);

    ReadBox(in, kKeyBleedBox, values.bleedBox);
    ReadBox(in, kKeyTrimBox, values.trimBox);
    ReadBox(in, kKeyTypeArea, values.typeArea);
    CentreBoxesAtOrigin(values.bleedBox, values.trimBox, values.typeArea);

    if (CarriesSummary(mask)) {
        in.select_key(kKeyLayoutHBleed).read_double(values.layoutHorizontalBleed);
        in.select_key(kKeyLayoutVBleed).read_double(values.layoutVerticalBleed);
        in.select_key(kKeyLayoutWidth).read_double(values.layoutWidth);
        in.select_key(kKeyLayoutDepth).read_double(values.layoutDepth);
        in.select_key(kKeySE).read_bool(values.flagSE);
        in.select_key(kKeyCommonSizing).read_bool(values.commonSizing);
    }
    if (CarriesFull(mask)) {
        in.select_key(kKeyPageCount).read_int(values.pageCount);
        in.select_key(kKeyCP).read_int(values.pageCP);
        in.select_key(kKeyLC).read_int(values.pageLC);
        in.select_key(kKeyJobName).read_string(values.jobName);
        ReadPath(in, kKeyJobFolder, values.jobFolder);
        ReadPath(in, kKeyOutputFile, values.outputFile);
        ReadPath(in, kKeyPathPD, values.pathPD);
        ReadPath(in, kPageItemFileKey, values.pageItemFile);
        result.sectionRuns.Read(in);
        result.absoluteRuns.Read(in);
        result.exported.Read(in);
    }
    in.leave();
}

// Takes over what the read produced. Nothing here reads the stream, so nothing here fails for
// a bad input.
void BJobFile::CommitRead(ReadResult& result, std::int32_t mask) {
    static_cast<BJobFields&>(*this) = std::move(result.values);
    m_groups = std::move(result.groups);
    if (CarriesFull(mask)) {
        m_sectionRuns = std::move(result.sectionRuns);
        m_absoluteRuns = std::move(result.absoluteRuns);
        m_exported = std::move(result.exported);
        m_checkSettings.Clear();
        m_checkSettings.Load(result.ticket);
    }
    if (result.hasForbidPDF)
        SetForceEPSExport(result.forbidPDF);
}

void BJobFile::ComputeBoxes() {
    double bleedWidth = 0, bleedHeight = 0;
    double trimWidth = 0, trimHeight = 0;
    double typeWidth = 0, typeHeight = 0;
    const BGroup* current = &GetCurrentGroup();
    const bool severalGroups = m_groups.size() > 1;

    for (const BGroup& group : m_groups) {
        if (!commonSizing && &group != current)
            continue;
        for (const BDestination& destination : group) {
            if (destination.GetOwner() != this)
                continue;
            const double w = destination.GetWidth();
            const double h = destination.GetHeight();
            TakeSmaller(trimWidth, w);
            TakeSmaller(trimHeight, h);
            TakeSmaller(typeWidth, InnerSize(w, destination.GetTypeIndentLeft(),
                                             destination.GetTypeIndentRight()));
            TakeSmaller(typeHeight, InnerSize(h, destination.GetTypeIndentTop(),
                                              destination.GetTypeIndentBottom()));
            const double left = destination.GetBleedLeft();
            const double right = destination.GetBleedRight();
            const double top = destination.GetBleedTop();
            const double bottom = destination.GetBleedBottom();
            if (commonSizing && severalGroups) {
                bleedWidth = std::max(bleedWidth, w + left + right);
                bleedHeight = std::max(bleedHeight, h + top + bottom);
            } else {
                if (left > 0 || right > 0)
                    bleedWidth = std::max(bleedWidth, w + left + right);
                if (top > 0 || bottom > 0)
                    bleedHeight = std::max(bleedHeight, h + top + bottom);
            }
        }
    }
    if (bleedWidth == 0)
        bleedWidth = trimWidth;
    if (bleedHeight == 0)
        bleedHeight = trimHeight;

    bleedBox = {0, 0, bleedWidth, bleedHeight};
    trimBox = {0, 0, trimWidth, trimHeight};
    if (typeWidth != 0 && typeHeight != 0)
        typeArea = {0, 0, typeWidth, typeHeight};
}

double BJobFile::GetHorizontalBleed() const {
    return MarginPerSide(bleedBox, trimBox, &zeu::Rect2D::width);
}

double BJobFile::GetVerticalBleed() const {
    return MarginPerSide(bleedBox, trimBox, &zeu::Rect2D::height);
}

double BJobFile::GetHorizontalTypeIndent() const {
    return MarginPerSide(trimBox, typeArea, &zeu::Rect2D::width);
}

double BJobFile::GetVerticalTypeIndent() const {
    return MarginPerSide(trimBox, typeArea, &zeu::Rect2D::height);
}

UFileSpecCore BJobFile::GetOutputFile(long n) const {
    if (n < 2)
        return outputFile;
    UFileSpecCore file = outputFile;
    const ustring leaf = outputFile.name(true);
    if (!file.to_parent() || !file.descend(ustring::format("%s#%ld", leaf.c_str(), n)))
        return UFileSpecCore();
    return file;
}

UFileSpecCore BJobFile::GetPlacedImagesFolderPath() const {
    UFileSpecCore folder = jobFolder;
    if (!folder.is_valid() || !folder.descend("PlacedImages"))
        return UFileSpecCore();
    return folder;
}

UFileSpecCore BJobFile::GetPlacedImagesFolder() const {
    int error = 0;
    return GetPlacedImagesFolder(error);
}

UFileSpecCore BJobFile::GetPlacedImagesFolder(int& error) const {
    error = 0;
    UFileSpecCore folder = GetPlacedImagesFolderPath();
    if (!folder.is_valid())
        return UFileSpecCore();
    if (folder.is_directory())
        return folder;
    // A file of that name makes mkdir succeed without giving a folder: what is to be written
    // below it then meets no folder.
    if (folder.mkdir(error)) {
        if (folder.is_directory()) {
            error = 0;
            return folder;
        }
        error = ENOTDIR;
    }
    ZEU_LOG(Error, kLogFile, __LINE__, "BJobFile::GetPlacedImagesFolder")
        << "cannot create folder " << folder.path();
    return UFileSpecCore();
}

const ustring* BJobFile::GetProcessProfile() const {
    return m_profiles[0] ? &*m_profiles[0] : nullptr;
}

const ustring* BJobFile::GetGrayscaleProfile() const {
    return m_profiles[1] ? &*m_profiles[1] : nullptr;
}

const ustring* BJobFile::GetOutputProfile() const {
    return style == kGrayscaleStyle ? GetGrayscaleProfile() : GetProcessProfile();
}

bool BJobFile::IsOrdinaryStyle() const {
    return style != 2 && style != 5 && style != 6;
}

void BJobFile::ApplyProfileSettings() {
    m_profiles = {};

    const BCheckSetting* process = m_checkSettings.FindSetting(keystr::Setting_ProcessProfile);
    const BCheckSetting* grayscale = m_checkSettings.FindSetting(keystr::Setting_GrayscaleProfile);
    const BCheckSetting* local = m_checkSettings.FindSetting(keystr::Setting_LocalOutputProfiles);
    const BCheckSetting* override_ =
        m_checkSettings.FindSetting(keystr::Setting_OverrideDestinationProfiles);

    const bool overrides = override_ != nullptr && override_->GetLimit(0) != 0.0;
    ustring names[2] = {process ? process->GetStringParameter(0) : ustring(),
                        grayscale ? grayscale->GetStringParameter(0) : ustring()};
    const bool silent[2] = {!process || process->GetStringParameter(1) == "silent",
                            !grayscale || grayscale->GetStringParameter(1) == "silent"};
    if (overrides && local != nullptr) {
        for (int slot = 0; slot < 2; ++slot) {
            const ustring localName = local->GetStringParameter(slot);
            if (silent[slot] && !localName.empty())
                names[slot] = localName;
        }
    }
    for (int slot = 0; slot < 2; ++slot) {
        if (names[slot].empty())
            continue;
        ResolveOutputProfileName(names[slot]);
        if (!names[slot].empty())
            m_profiles[slot] = names[slot];
    }
}

namespace {

// The records of each page, asked for in ascending page order, from a list of records (items or
// flatteners, some null) in one walk. Lists mostly lie in page order already, and then each run
// of one page's records is that page's, in list order. The walk checks the order as it goes:
// once a record's page is below the one before it, runs may have missed records of their page.
template <class Pointer>
class PageRuns {
public:
    explicit PageRuns(std::span<const Pointer> records)
        : m_next(records.begin()), m_end(records.end()) {}

    // Calls `visit` with each record of `page`, above the page asked for before, as it walks
    // them; those of lower pages are passed over. Visiting each record where the walk reads its
    // page keeps the walk going forward through memory: a run gathered first and visited after
    // went back to records the caches had already let go of.
    template <class Visit>
    void ForEach(std::int32_t page, Visit visit) {
        while (m_next != m_end && (*m_next == nullptr || (*m_next)->page < page))
            Take();
        for (; m_next != m_end && (*m_next == nullptr || (*m_next)->page == page); Take()) {
            if (*m_next != nullptr)
                visit(**m_next);
        }
    }
    // Whether the records walked so far lie in page order.
    bool InOrder() const { return m_inOrder; }
    // Walks the records that no run took: whether the whole list lies in page order.
    bool RestInOrder() {
        while (m_inOrder && m_next != m_end)
            Take();
        return m_inOrder;
    }

private:
    void Take() {
        if (*m_next != nullptr) {
            m_inOrder = m_inOrder && (*m_next)->page >= m_lastPage;
            m_lastPage = (*m_next)->page;
        }
        ++m_next;
    }

    typename std::span<const Pointer>::iterator m_next;
    typename std::span<const Pointer>::iterator m_end;
    std::int32_t m_lastPage = std::numeric_limits<std::int32_t>::min();
    bool m_inOrder = true;
};

// A record 140 holding the items of `page`.
template <class Item>
void WritePageRecord(UKeyOutStream& out, PageRuns<Item>& items, std::int32_t page) {
    out.begin_record(kPageItemsKey);
    items.ForEach(page, [&out](const BPageItem& item) { item.Write(out); });
    out.end();
}

// The flattener record of `page` when it has one: the last of its records.
template <class Flattener>
void WriteFlattener(UKeyOutStream& out, PageRuns<Flattener>& flatteners, std::int32_t page) {
    const BTransparencyFlattener* last = nullptr;
    flatteners.ForEach(page,
                       [&last](const BTransparencyFlattener& flattener) { last = &flattener; });
    if (last != nullptr)
        last->Write(out);
}

enum class PageItemsWritten { kWritten, kOutOfOrder, kFailed };

// One entry per page of `pages` ('PR', read from outside), with or without items, so nothing in
// the job bounds the count more tightly than the 32-bit page numbers. The loop stops at the
// first page whose writing fails (a full disk) or whose records were found out of page order; a
// record 10 too long for the stream's 32-bit length fails in UKeyOutStream::end. False when the
// items or flatteners turned out not to lie in page order: the file is then wrong.
template <class Item, class Flattener>
bool WritePageItems(UKeyOutStream& out, const std::ostream& file, PageRuns<Item> items,
                    PageRuns<Flattener> flatteners, std::int64_t pages) {
    out.begin_record(kPageItemRootKey);
    out.select_key(kPageIndexKey).write_int(kDocumentLevelIndex);
    WritePageRecord(out, items, kDocumentLevelPage);
    for (std::int64_t n = 1; n <= pages && file.good() && items.InOrder() && flatteners.InOrder();
         ++n) {
        const auto page = static_cast<std::int32_t>(n);
        out.select_key(kPageIndexKey).write_int(page - 1);
        WritePageRecord(out, items, page);
        WriteFlattener(out, flatteners, page);
    }
    out.end();
    return items.RestInOrder() && flatteners.RestInOrder();
}

// Writes the records into the open file from where it stands: kFailed when a write fails (the
// file is then bad).
template <class Item, class Flattener>
PageItemsWritten WritePageItemRecords(platform::OutputFileStream& file, PageRuns<Item> items,
                                      PageRuns<Flattener> flatteners, std::int64_t pages) {
    bool inOrder = false;
    {
        UKeyOutStream out(file, 0);
        inOrder = WritePageItems(out, file, items, flatteners, pages);
        out.close();
    }
    if (!file.good())
        return PageItemsWritten::kFailed;
    return inOrder ? PageItemsWritten::kWritten : PageItemsWritten::kOutOfOrder;
}

} // namespace

// Items and flatteners mostly lie in page order: the file is written in one walk over each list,
// which checks that order as it goes. Lists found out of order are sorted by page, once, and the
// file written again from them. Either way each page is visited once and each record walked
// once, so the file takes time in proportion to its size, not to pages times items.
bool BJobFile::WritePageItemFile(const UFileSpecCore& target) const {
    int error = 0;
    return WritePageItemFile(target, error);
}

bool BJobFile::WritePageItemFile(const UFileSpecCore& target, int& error) const {
    platform::OutputFileStream file;
    error = 0;
    if (!file.open(target.wide_path())) {
        error = file.error();
        ZEU_LOG(Error, kLogFile, __LINE__, "BJobFile::WritePageItemFile")
            << "cannot open page-item file " << target.path();
        return false;
    }
    return WritePageItemFile(file, target.path(), error);
}

bool BJobFile::WritePageItemFile(platform::OutputFileStream& file, const ustring& name,
                                 int& error) const {
    const BPageSet& pageSet = m_pageSets[kAnalysedPageSet - 1];
    const std::int64_t pages = std::min<std::int64_t>(m_absoluteRuns.GetPageCount(),
                                                      std::numeric_limits<std::int32_t>::max());
    PageItemsWritten written = WritePageItemRecords(
        file, PageRuns(pageSet.items.Items()),
        PageRuns(std::span<const std::shared_ptr<BTransparencyFlattener>>(pageSet.pageFlatteners)),
        pages);
    if (written == PageItemsWritten::kOutOfOrder) {
        const std::vector<const BPageItem*> items = pageSet.items.SortedByPage();
        const std::vector<const BTransparencyFlattener*> flatteners =
            pageSet.PageFlattenersByPage();
        written = file.restart() ? WritePageItemRecords(file, PageRuns(std::span(items)),
                                                        PageRuns(std::span(flatteners)), pages)
                                 : PageItemsWritten::kFailed;
    }
    const bool closed = file.close();
    if (written != PageItemsWritten::kWritten || !closed) {
        error = file.error();
        ZEU_LOG(Error, kLogFile, __LINE__, "BJobFile::WritePageItemFile")
            << "cannot write page-item file " << name;
        return false;
    }
    return true;
}

BGroup& BJobFile::GetCurrentGroup() {
    BGroup* selected = m_groups.GetSelectedGroup();
    return selected ? *selected : m_defaultGroup;
}

const BGroup& BJobFile::GetCurrentGroup() const {
    const BGroup* selected = m_groups.GetSelectedGroup();
    return selected ? *selected : m_defaultGroup;
}

BPageSet& BJobFile::GetPageSet(int n) {
    if (n != 1 && n != 2)
        throw std::out_of_range("BJobFile::GetPageSet");
    return m_pageSets[n - 1];
}
