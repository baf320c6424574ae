// The keys by which a reader finds its way through a job's page-item file
// (BJobFile::WritePageItemFile), and the job-file keys of that file's path.
#pragma once

#include <cstdint>

// The job file's record of the job, and in it the page-item file's path.
constexpr std::uint16_t kJobRecordKey = 'JJ';
constexpr std::uint16_t kPageItemFileKey = 'PI';

// The page-item file's root record holds, per page, the page's index (kDocumentLevelIndex for
// the document's own items, else the page's position - 1) followed by the record of its items.
constexpr std::uint16_t kPageItemRootKey = 10;
constexpr std::uint16_t kPageIndexKey = 120;
constexpr std::int32_t kDocumentLevelIndex = -2;
constexpr std::uint16_t kPageItemsKey = 140;

// In an item's record: its kind (BPageItemValues::Kind), its first matrix (an array of six
// doubles that maps the unit square onto the item's box on the exported page: points from the
// left-bottom corner of the page grown by its bleed, y up), a placed graphic's colour-profile
// path, whether it is a bitmap, its file type's name and its link's path, and the record of the
// check identifiers found on it, each a string under kProblemKey.
constexpr std::uint16_t kPageItemKindKey = 1110;
constexpr std::uint16_t kPageItemMatrixKey = 1111;
constexpr std::uint16_t kProfileFileKey = 570;
constexpr std::uint16_t kIsBitmapKey = 1560;
constexpr std::uint16_t kFileTypeKey = 1561;
constexpr std::uint16_t kLinkPathKey = 1570;
constexpr std::uint16_t kProblemsKey = 1114;
constexpr std::uint16_t kProblemKey = 10;
