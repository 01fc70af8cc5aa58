// The arithmetic of printed pages: where body lines, page headers and the
// footer go for a given printable area and character cell, how a report is
// cut into pages, and how a handicap result file is re-paginated so that
// page breaks fall between races. Pure functions over numbers and strings,
// shared by the desktop program's printing and by the tests.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

// Text read for printing or viewing comes in pieces of at most this many
// characters; a longer line continues in the next piece.
inline constexpr int kMaxLinePiece = 199;

// The character that, at the end of a line, ends the printed page.
inline constexpr char kFormFeed = '\f';

// Reads a text file one line at a time, handing out each line without its
// line end (a "\r\n" counts as one) in pieces of at most kMaxLinePiece
// characters, so a file without line ends never needs more memory than one
// piece. A line of exactly kMaxLinePiece characters gives one piece, not an
// extra empty one, and a form feed just before the line end stays on its
// line even when that line fills the piece.
class LinePieceReader {
 public:
  explicit LinePieceReader(std::FILE* file) : file_(file) {}
  // False at the end of the file.
  bool next(std::string& piece);

 private:
  std::FILE* file_;
};

// Reads every piece of the file at `path`; false when it cannot be opened.
bool readLinePieces(const std::string& path, std::vector<std::string>& pieces);

// Takes a final form feed off `line`; true when there was one.
bool takeFormFeed(std::string& line);

// Where things go on a page, in device units of the printer.
struct PageGeometry {
  int linesPerPage = 0;  // printable height / cell height
  int columns = 0;       // printable width / cell width
  int leftMargin = 0;    // centres 80 columns; 0 on narrower paper
  int bodyLines = 0;     // lines per page less the six for header and footer
  int cellHeight = 0;
};

// The geometry for a printable area and the cell of "M" in the body font.
// A cell of zero size gives all zeros; bodyLines is never below 1, so that
// printing always moves forward even on a tiny page.
PageGeometry pageGeometry(int printableWidth, int printableHeight, int cellWidth, int cellHeight);

// The top of body line n (from 0): three cells below the top of the page.
int bodyLineY(const PageGeometry& geometry, int n);

// The page header: the title alone on page 1, "title (Page n)" after it.
std::string pageHeader(std::string_view title, int page);

// The footer notice with the maker's name and the year.
std::string footerNotice(int year);

// x that centres a text of `textWidth` on the printable width.
int centredX(int printableWidth, int textWidth);
// y of the header (half its text height) and of the footer (1.5 text
// heights above the bottom of the printable area).
int headerY(int textHeight);
int footerY(int printableHeight, int textHeight);

// A report cut into pages: each page holds at most `bodyLines` lines, and a
// line that ended in a form feed ends its page (the form feed removed).
std::vector<std::vector<std::string>> splitIntoPages(const std::vector<std::string>& lines, int bodyLines);

// One line of a re-paginated result file.
struct PagedLine {
  std::string text;
  bool endsPage = false;
};

// Re-paginates the lines of a handicap result file for pages of `capacity`
// lines: each page breaks at the last blank line within its reach, so that a
// race block that fits on a page is never split; blank lines at the top of a
// page are dropped; a block longer than a page is cut after `capacity` lines.
std::vector<PagedLine> repaginate(const std::vector<std::string>& lines, int capacity);

// The text of the re-pagination file: each line followed by a line feed, a
// page-ending line with a form feed before it.
std::string repaginatedText(const std::vector<PagedLine>& lines);

}  // namespace stridewell
