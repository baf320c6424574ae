#include "model/BPageItem.h"

#include "model/KeyStrings.h"
#include "support/ColourProfileFolder.h"
#include "support/KeyStreamBytes.h"
#include "support/Test.h"

#include <utility>

namespace {

using namespace std::string_literals;

std::string writePage(const BPageItemList& list, int page) {
    return writeKeyStream([&](UKeyOutStream& out) { list.Write(out, page); });
}

// The record 140 that a list of `item` alone writes for page 0.
std::string itemBytes(std::shared_ptr<BPageItem> item) {
    BPageItemList list;
    list.Append(std::move(item));
    return hex(afterHead(writePage(list, 0)));
}

// 1110 kind, then 1112 and 1113 at 1.0 when the item has no matrix.
std::string kind(std::int32_t kind) {
    return intElement(1110, kind);
}
const std::string kScales = doubleElement(1112, 1.0) + doubleElement(1113, 1.0);

const double kMatrix[6] = {1, 0, 0, 1, 10, 20};
const double kOtherMatrix[6] = {2, 0, 0, 2, 0, 0};

} // namespace

TEST(BPageItem, EachKindStartsWithItsValuesAndWritesThem) {
    const BPlacedGraphic graphic;
    EXPECT_EQ(std::tuple(BPageItem().unsharedValues, BPageItem().options, BTextRunItem().runScale),
              std::tuple(std::array{-1, -1}, std::array<bool, 8>{true, true}, 1.0));
    EXPECT_EQ(std::pair(graphic.options, graphic.graphicValues),
              std::pair(std::array<bool, 8>{false, true}, std::array{0, 1}));
    // Only the items of the page, in list order; 1560, 1562 and 1564 after a graphic's fields.
    BPageItemList list;
    for (const auto& [record, page] :
         {std::pair<std::shared_ptr<BPageItem>, int>(std::make_shared<BTextRunItem>(), 1),
          {std::make_shared<BPageItem>(), 2},
          {nullptr, 1},
          {std::make_shared<BPageItem>(), 1},
          {std::make_shared<BPlacedGraphic>(), 1}}) {
        if (record)
            record->page = page;
        list.Append(record);
    }
    EXPECT_EQ(hex(afterHead(writePage(list, 1))),
              hex(record(140, kind(10) + kScales + kind(20) + kScales + kind(210) + kScales +
                                  boolElement(1560, false) + boolElement(1562, false) +
                                  intElement(1564, 0))));
    EXPECT_EQ(hex(afterHead(writePage(list, 3))), hex(record(140, "")));
}

TEST(BPageItem, ProblemsAreASetWrittenInByteOrder) {
    auto item = std::make_shared<BPageItem>();
    for (const ustring* problem :
         {&keystr::TextBoxOverflowed, &keystr::BitmapFontUsedInLayout, &keystr::TextBoxOverflowed})
        item->AddProblem(*problem);
    EXPECT_TRUE(item->HasProblem(keystr::TextBoxOverflowed));
    EXPECT_FALSE(item->HasProblem("textboxoverflowed") || item->HasProblem(keystr::Transparency));
    EXPECT_EQ(itemBytes(item),
              hex(record(140, kind(20) + kScales +
                                  record(1114, stringElement(10, "BitmapFontUsedInLayout") +
                                                   stringElement(10, "TextBoxOverflowed")))));
}

TEST(BPageItem, WritesTheFirstMatrixAsAnArrayOfSixDoublesAndSetMatrixReplacesTheList) {
    auto item = std::make_shared<BPageItem>();
    item->AppendMatrix(nullptr);
    EXPECT_EQ(item->GetMatrixCount(), 0) << "none appends nothing";
    for (int i = 0; i < 1025; ++i)
        item->AppendMatrix(i == 0 ? kMatrix : kOtherMatrix);
    EXPECT_EQ(std::pair(item->GetMatrixCount(), item->GetMatrix(1024)[0]), std::pair(1025, 2.0));
    EXPECT_TRUE(item->GetMatrix(1025) == nullptr && item->GetMatrix(-1) == nullptr);
    std::string values;
    for (double value : kMatrix)
        values += doubleElement(0, value).substr(2); // values in arrays carry no key
    EXPECT_EQ(itemBytes(item),
              hex(record(140, kind(20) + level(1111, UKeyStream::field_array, values) + kScales)));
    // SetMatrix replaces the list, also with a matrix from the list's own storage.
    item->SetMatrix(item->GetMatrix(1));
    ASSERT_EQ(item->GetMatrixCount(), 1);
    EXPECT_EQ(item->GetMatrix(0)[0], 2.0);
    item->SetMatrix(nullptr);
    EXPECT_EQ(itemBytes(item), hex(record(140, kind(20) + kScales)));
}

TEST(BPlacedGraphic, CopiesAllButTheUnsharedValuesFilesAndLastFlagAndOnlyTheFirstMatrix) {
    auto source = std::make_shared<BPlacedGraphic>();
    source->page = 3;
    source->unsharedValues = {8, 9};
    source->AppendMatrix(kMatrix);
    source->AppendMatrix(kOtherMatrix);
    source->AddProblem(keystr::Transparency);
    source->flags = 12;
    source->hasProfileFile = true;
    source->profileFile.assign("Z:/tmp/a.icc");
    source->secondFile.assign("Z:/tmp/b");
    source->fileType = kPlacedFileTIFF;
    source->SetLinkPath("Z:/links/photo.tif");
    source->colorSpaceCode = 3;
    source->lastFlag = true;
    BPlacedGraphic target;
    target.AppendMatrix(kOtherMatrix);
    target.unsharedValues = {5, 6};
    target.lastFlag = true;
    target = *source;
    const BPlacedGraphic constructed(*source);
    for (const BPlacedGraphic* copy : {&std::as_const(target), &constructed}) {
        EXPECT_EQ(itemBytes(std::make_shared<BPlacedGraphic>(*copy)), itemBytes(source));
        EXPECT_EQ(std::tuple(copy->page, copy->colorSpaceCode, copy->GetMatrixCount()),
                  std::tuple(3, 3u, 1));
        EXPECT_FALSE(copy->hasProfileFile || !copy->profileFile.path().empty() ||
                     !copy->secondFile.path().empty());
    }
    EXPECT_EQ(std::tuple(target.unsharedValues, target.lastFlag, constructed.unsharedValues,
                         constructed.lastFlag),
              std::tuple(std::array{5, 6}, true, std::array{-1, -1}, false));
    const BPlacedGraphic& self = target;
    target = self;
    EXPECT_EQ(target.GetMatrix(0)[4], 10.0) << "self-assignment keeps the matrix";
}

TEST(BTextRunItem, CopiesItsIntegerButNotItsDouble) {
    BTextRunItem source;
    source.runValue = 7;
    source.runScale = 3.0;
    source.page = 2;
    BTextRunItem target;
    target = source;
    const BTextRunItem constructed(source);
    EXPECT_EQ(std::tuple(target.runValue, target.runScale, target.page, constructed.runValue,
                         constructed.runScale),
              std::tuple(7, 1.0, 2, 7, 1.0));
}

TEST(BPlacedGraphic, FileTypeNamesFollowTheTable) {
    const char* names[] = {"", "EPS", "PDF", "TIFF", "PICT", "JPEG", "BMP", "PSD", "SCT"};
    BPlacedGraphic graphic;
    for (int i = 0; i < 9; ++i) {
        graphic.fileType = i;
        EXPECT_EQ(graphic.GetFileTypeName(), names[i]);
        graphic.fileType = -1;
        graphic.SetFileTypeByName(names[i]);
        EXPECT_EQ(graphic.fileType, i) << names[i];
    }
    for (const char* unknown : {"pdf", "Tiff", "GIF", " PDF"}) {
        graphic.fileType = kPlacedFilePDF;
        graphic.SetFileTypeByName(unknown);
        EXPECT_EQ(graphic.fileType, kPlacedFileUnknown) << unknown;
    }
    for (int outside : {9, -1, 1000}) {
        graphic.fileType = outside;
        EXPECT_EQ(graphic.GetFileTypeName(), "") << outside;
    }
}

TEST(BPlacedGraphic, WritesItsFieldsAfterThoseOfAPageItem) {
    TempFolder folder;
    folder.write("p.icc", "x");
    auto graphic = std::make_shared<BPlacedGraphic>();
    graphic->isBitmap = true;
    graphic->flags = 0x0102;
    graphic->SetLinkPath("a.pdf");
    graphic->fileType = kPlacedFilePDF;
    const std::string fields = kind(210) + kScales + boolElement(1560, true) +
                               boolElement(1562, false) + intElement(1564, 0x0102) +
                               stringElement(1570, "a.pdf") + stringElement(1561, "PDF");
    // The profile file only when flagged and an existing file.
    const std::string file = folder.systemPath("p.icc");
    for (const auto& [flagged, path, written] : {std::tuple(false, file, false),
                                                 {true, file, true},
                                                 {true, "Z:/nonexistent-zep-folder/p.icc"s, false},
                                                 {true, folder.systemPath(), false}}) {
        graphic->hasProfileFile = flagged;
        graphic->profileFile.assign(path.c_str());
        EXPECT_EQ(itemBytes(graphic),
                  hex(record(140, fields + (written ? stringElement(570, file) : ""))))
            << path;
    }
}
