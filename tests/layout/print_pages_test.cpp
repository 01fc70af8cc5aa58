// Page arithmetic of printing: geometry and margins, headers, cutting a
// report into pages, re-paginating result files between race blocks, and
// reading lines in bounded pieces.
#include "layout/print_pages.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_folder.h"

namespace stridewell {
namespace {

std::vector<std::string> numbered(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}

std::vector<int> pageSizes(const std::vector<std::vector<std::string>>& pages) {
  std::vector<int> sizes;
  for (const auto& page : pages) sizes.push_back(static_cast<int>(page.size()));
  return sizes;
}

TEST(PrintPages, Geometry) {
  struct Case {
    int width, height, cellWidth, cellHeight;
    int lines, columns, margin, body;
  };
  const Case kCases[] = {
      // 66 lines of 10 units: 60 body lines; 100 columns of 10 units: the
      // 20 spare columns split evenly, 10 cells on the left.
      {1000, 660, 10, 10, 66, 100, 100, 60},
      // Partial cells do not count.
      {1009, 669, 10, 10, 66, 100, 100, 60},
      // Narrower than 80 columns: no margin.
      {790, 660, 10, 10, 66, 79, 0, 60},
      // Odd spare columns: the halving drops the odd one.
      {830, 660, 10, 10, 66, 83, 10, 60},
      {810, 660, 10, 10, 66, 81, 0, 60},
      // A page with room for no body line still takes one per page.
      {800, 50, 10, 10, 5, 80, 0, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " cell " << c.cellWidth << "x"
                                    << c.cellHeight);
    const PageGeometry g = pageGeometry(c.width, c.height, c.cellWidth, c.cellHeight);
    EXPECT_EQ(g.linesPerPage, c.lines);
    EXPECT_EQ(g.columns, c.columns);
    EXPECT_EQ(g.leftMargin, c.margin);
    EXPECT_EQ(g.bodyLines, c.body);
  }
  // A font that could not be measured gives nothing to divide by.
  const PageGeometry none = pageGeometry(1000, 660, 0, 0);
  EXPECT_EQ(none.linesPerPage, 0);
  EXPECT_EQ(none.columns, 0);
}

TEST(PrintPages, Headers) {
  EXPECT_EQ(pageHeader("Stridewell 5 - SAX0313", 1), "Stridewell 5 - SAX0313");
  EXPECT_EQ(pageHeader("Stridewell 5 - SAX0313", 2), "Stridewell 5 - SAX0313 (Page 2)");
  EXPECT_EQ(pageHeader("T", 12), "T (Page 12)");
  const std::string footer = footerNotice(2031);
  EXPECT_NE(footer.find("2031"), std::string::npos);
  EXPECT_NE(footer.find("Farrowmede"), std::string::npos);
}

TEST(PrintPages, SplitsReportsIntoPages) {
  // 130 lines at 60 a page: 60 + 60 + 10.
  EXPECT_EQ(pageSizes(splitIntoPages(numbered("L", 130), 60)), (std::vector<int>{60, 60, 10}));
  // Exactly full pages leave no empty page behind.
  EXPECT_EQ(pageSizes(splitIntoPages(numbered("L", 120), 60)), (std::vector<int>{60, 60}));
  EXPECT_TRUE(splitIntoPages({}, 60).empty());

  // A form feed ends its page early and is not printed.
  std::vector<std::string> lines = numbered("L", 8);
  lines[2] += '\f';
  const auto pages = splitIntoPages(lines, 60);
  ASSERT_EQ(pageSizes(pages), (std::vector<int>{3, 5}));
  EXPECT_EQ(pages[0][2], "L3");
  EXPECT_EQ(pages[1][0], "L4");
  // A form feed on a line that fills the page does not add an empty page.
  EXPECT_EQ(pageSizes(splitIntoPages(lines, 3)), (std::vector<int>{3, 3, 2}));
  // No progress is impossible, even for a nonsense page size.
  EXPECT_EQ(pageSizes(splitIntoPages(numbered("L", 3), 0)), (std::vector<int>{1, 1, 1}));
}

// The pages a re-paginated file prints as: lines up to each page end.
std::vector<std::vector<std::string>> pagesOf(const std::vector<PagedLine>& paged) {
  std::vector<std::vector<std::string>> pages(1);
  for (const PagedLine& line : paged) {
    pages.back().push_back(line.text);
    if (line.endsPage) pages.emplace_back();
  }
  if (pages.back().empty()) pages.pop_back();
  return pages;
}

std::vector<std::string> blocks(std::initializer_list<int> sizes) {
  std::vector<std::string> lines;
  char name = 'A';
  for (int size : sizes) {
    if (!lines.empty()) lines.push_back("");
    for (const std::string& line : numbered(std::string(1, name), size)) lines.push_back(line);
    ++name;
  }
  return lines;
}

TEST(PrintPages, RepaginatesBetweenBlocks) {
  // Two 4-line blocks fit on a 10-line page with their blank between them;
  // the third would not, so the page breaks at the blank before it and that
  // blank is dropped.
  auto pages = pagesOf(repaginate(blocks({4, 4, 4}), 10));
  ASSERT_EQ(pageSizes(pages), (std::vector<int>{9, 4}));
  EXPECT_EQ(pages[0][4], "");
  EXPECT_EQ(pages[0][8], "B4");
  EXPECT_EQ(pages[1][0], "C1");

  // A block that exactly fills a page; the blank after it starts the next
  // page and is dropped.
  pages = pagesOf(repaginate(blocks({5, 2}), 5));
  ASSERT_EQ(pageSizes(pages), (std::vector<int>{5, 2}));
  EXPECT_EQ(pages[1][0], "B1");

  // A block longer than a page is cut after a full page.
  pages = pagesOf(repaginate(blocks({12}), 5));
  EXPECT_EQ(pageSizes(pages), (std::vector<int>{5, 5, 2}));

  // Blank lines at the top of the file and doubled blanks at a break go.
  std::vector<std::string> lines = {"", "", "A1", "A2", "", "", "B1"};
  pages = pagesOf(repaginate(lines, 3));
  ASSERT_EQ(pageSizes(pages), (std::vector<int>{3, 1}));
  EXPECT_EQ(pages[0], (std::vector<std::string>{"A1", "A2", ""}));
  EXPECT_EQ(pages[1], (std::vector<std::string>{"B1"}));

  // Everything fits: one page ending on the last line.
  const auto paged = repaginate(blocks({2, 2}), 60);
  ASSERT_EQ(paged.size(), 5u);
  for (size_t i = 0; i + 1 < paged.size(); ++i) EXPECT_FALSE(paged[i].endsPage) << i;
  EXPECT_TRUE(paged.back().endsPage);

  EXPECT_TRUE(repaginate({}, 10).empty());
  EXPECT_TRUE(repaginate({"", ""}, 10).empty());
  // A capacity of zero or less still moves forward.
  EXPECT_EQ(pageSizes(pagesOf(repaginate(blocks({3}), 0))), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(pageSizes(pagesOf(repaginate(blocks({3}), -4))), (std::vector<int>{1, 1, 1}));
}

TEST(PrintPages, ReadsLinesInPieces) {
  test::TempFolder folder;
  const std::string a199(199, 'a');
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::string> pieces;
  };
  const Case kCases[] = {
      {"empty file", "", {}},
      {"blank lines", "\n\n", {"", ""}},
      {"no final line end", "x\ny", {"x", "y"}},
      {"carriage returns", "x\r\ny\r\n", {"x", "y"}},
      {"form feed kept", "x\f\ny", {"x\f", "y"}},
      {"form feed with CR", "x\f\r\n", {"x\f"}},
      // A full piece followed by its line end gives no empty extra piece.
      {"exactly one piece", a199 + "\nb\n", {a199, "b"}},
      {"long line", std::string(250, 'a') + "\n", {a199, std::string(51, 'a')}},
      {"two full pieces", std::string(398, 'a') + "\n", {a199, a199}},
      // A form feed closing a full piece stays with it.
      {"full piece with form feed", a199 + "\f\nb\n", {a199 + "\f", "b"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = (folder.path() / "in.txt").string();
    std::ofstream(path, std::ios::binary) << c.content;
    std::vector<std::string> pieces{"stale"};
    ASSERT_TRUE(readLinePieces(path, pieces));
    EXPECT_EQ(pieces, c.pieces);
  }
  std::vector<std::string> pieces{"stale"};
  EXPECT_FALSE(readLinePieces((folder.path() / "missing.txt").string(), pieces));
  EXPECT_TRUE(pieces.empty());
}

}  // namespace
}  // namespace stridewell
