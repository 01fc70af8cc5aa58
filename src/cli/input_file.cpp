#include "cli/input_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>
#include <system_error>

#include "base/text_case.h"
#include "base/workspace.h"

namespace stridewell::cli {

InputFile openInputFile(const std::string& path) {
  InputFile input;
  if (path == "-") {
    input.displayName = "<stdin>";
    // A second stream on the same buffer, so that the caller owns what it reads from.
    input.stream = std::make_unique<std::istream>(std::cin.rdbuf());
    return input;
  }
  input.displayName = path;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    input.error = "Cannot open " + path + ": it is a folder";
    return input;
  }
  errno = 0;
  auto file = std::make_unique<std::ifstream>(path, std::ios::in | std::ios::binary);
  if (!file->is_open()) {
    const int reason = errno;
    input.error = "Cannot open " + path;
    if (reason != 0) input.error += std::string(": ") + std::strerror(reason);
    return input;
  }
  input.stream = std::move(file);
  return input;
}

namespace {

bool endsWithZip(std::string_view name) {
  return name.size() >= 4 && equalsIgnoreCase(name.substr(name.size() - 4), ".ZIP");
}

}  // namespace

InputFile openRaceInputFile(const std::string& path, const ArchivedFileKind& kind) {
  if (path == "-") return openInputFile(path);
  const std::string name(fileNameOf(path));
  const std::string folder(folderOf(path));
  std::error_code ec;
  const bool namesArchive = endsWithZip(name);
  // A plain name stands for its archive only when the plain file is not there.
  const std::string archiveName = archiveNameFor(name, kind);
  const bool archiveInstead = !namesArchive && !std::filesystem::exists(path, ec) && !archiveName.empty() &&
                              !findFileIgnoringCase(folder, archiveName).empty();
  if (!namesArchive && !archiveInstead) return openInputFile(path);

  InputFile input;
  input.displayName = path;
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  OpenedFile opened = openArchivedFile(path, kind, workspace);
  if (!opened) {
    input.error = opened.problem;
    input.damaged = opened.notAnArchive;
    return input;
  }
  input.displayName =
      opened.fromArchive() ? plainPathFor(path, kind) + " (in " + opened.archivePath + ")" : opened.path;
  input.unpacked = std::move(opened.unpacked);
  input.stream = std::move(opened.stream);
  return input;
}

}  // namespace stridewell::cli
