#include "layout/print_pages.h"

#include <algorithm>

#include "base/program_name.h"

namespace stridewell {

bool LinePieceReader::next(std::string& piece) {
  piece.clear();
  int c = std::getc(file_);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(file_)) {
    // Line-end characters do not count against the piece size, so a form
    // feed closing a full piece stays with it.
    const bool lineEndChar = c == '\r' || c == kFormFeed;
    if (static_cast<int>(piece.size()) >= kMaxLinePiece && !lineEndChar) {
      std::ungetc(c, file_);
      return true;
    }
    piece.push_back(static_cast<char>(c));
  }
  if (!piece.empty() && piece.back() == '\r') piece.pop_back();
  return true;
}

bool readLinePieces(const std::string& path, std::vector<std::string>& pieces) {
  pieces.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  LinePieceReader reader(file);
  std::string piece;
  while (reader.next(piece)) pieces.push_back(piece);
  std::fclose(file);
  return true;
}

bool takeFormFeed(std::string& line) {
  if (line.empty() || line.back() != kFormFeed) return false;
  line.pop_back();
  return true;
}

PageGeometry pageGeometry(int printableWidth, int printableHeight, int cellWidth, int cellHeight) {
  PageGeometry g;
  if (cellWidth <= 0 || cellHeight <= 0) return g;
  g.cellHeight = cellHeight;
  g.linesPerPage = std::max(0, printableHeight) / cellHeight;
  g.columns = std::max(0, printableWidth) / cellWidth;
  const int spare = g.columns - 80;
  g.leftMargin = spare > 0 ? (spare / 2) * cellWidth : 0;
  // On a page too short for header and footer every page still takes one
  // line; otherwise the page would never end.
  g.bodyLines = std::max(1, g.linesPerPage - 6);
  return g;
}

int bodyLineY(const PageGeometry& geometry, int n) {
  return (n + 3) * geometry.cellHeight;
}

std::string pageHeader(std::string_view title, int page) {
  std::string header(title);
  if (page > 1) header += " (Page " + std::to_string(page) + ")";
  return header;
}

std::string footerNotice(int year) {
  return programTitle("Copyright (c) " + std::to_string(year) + " " + std::string(kProgramMaker));
}

int centredX(int printableWidth, int textWidth) {
  return printableWidth / 2 - textWidth / 2;
}

int headerY(int textHeight) {
  return textHeight / 2;
}

int footerY(int printableHeight, int textHeight) {
  return printableHeight - (3 * textHeight) / 2;
}

std::vector<std::vector<std::string>> splitIntoPages(const std::vector<std::string>& lines, int bodyLines) {
  bodyLines = std::max(1, bodyLines);
  std::vector<std::vector<std::string>> pages;
  std::vector<std::string> page;
  for (const std::string& line : lines) {
    std::string text = line;
    const bool endsPage = takeFormFeed(text);
    page.push_back(std::move(text));
    if (static_cast<int>(page.size()) == bodyLines || endsPage) {
      pages.push_back(std::move(page));
      page.clear();
    }
  }
  if (!page.empty()) pages.push_back(std::move(page));
  return pages;
}

std::vector<PagedLine> repaginate(const std::vector<std::string>& lines, int capacity) {
  // A zero or negative capacity would never move forward.
  capacity = std::max(1, capacity);
  const int n = static_cast<int>(lines.size());
  // Past the last line every entry counts as blank, so a last page that
  // fits keeps all its lines.
  auto blank = [&](int i) { return i >= n || lines[i].empty(); };
  std::vector<bool> skipped(n, false), pageEnd(n, false);
  int j = 0;
  while (j < n) {
    while (j < n && lines[j].empty()) skipped[j++] = true;
    if (j == n) break;
    int k = std::min(j + capacity, n);
    while (k > j && !blank(k)) --k;
    if (k == j) k = std::min(j + capacity, n);
    pageEnd[k - 1] = true;
    j = k;
  }
  std::vector<PagedLine> out;
  for (int i = 0; i < n; ++i)
    if (!skipped[i]) out.push_back({lines[i], static_cast<bool>(pageEnd[i])});
  return out;
}

std::string repaginatedText(const std::vector<PagedLine>& lines) {
  std::string text;
  for (const PagedLine& line : lines) {
    text += line.text;
    if (line.endsPage) text += kFormFeed;
    text += '\n';
  }
  return text;
}

}  // namespace stridewell
