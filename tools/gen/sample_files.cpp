#include "sample_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/process_runner.h"

namespace stridewell::gen {
namespace {

namespace fs = std::filesystem;

bool writeFile(const fs::path& path, const std::string& text, std::string& message) {
  fs::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      message = "cannot write " + temporary.string() + ": " + std::strerror(errno);
      return false;
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      message = "cannot write " + temporary.string() + " (disk full?)";
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) {
    fs::remove(temporary, error);
    message = "cannot create " + path.string() + ": " + error.message();
    return false;
  }
  return true;
}

bool packFile(const std::string& zipPath, const fs::path& file, const fs::path& archive,
              std::string& message) {
  // zip adds to an existing archive; a stale one would keep old members.
  std::error_code error;
  fs::remove(archive, error);
  if (error) {
    message = "cannot replace " + archive.string() + ": " + error.message();
    return false;
  }
  ProcessRequest request;
  request.arguments = {zipPath, "-jq", archive.string(), file.string()};
  const ProcessResult result = runProcess(request);
  if (!result.exited()) {
    message = "cannot make " + archive.string() + ": " + result.message;
    return false;
  }
  if (result.exitCode != 0) {
    message =
        "cannot make " + archive.string() + ": zip ended with exit code " + std::to_string(result.exitCode);
    return false;
  }
  return true;
}

}  // namespace

std::string archiveName(const std::string& baseName, char typeLetter) {
  return baseName + typeLetter + ".ZIP";
}

WriteOutcome writeSampleFiles(const std::vector<SampleDay>& days, const std::string& folder, ArchiveMode mode,
                              const std::string& zipProgram) {
  WriteOutcome outcome;
  std::string zipPath;
  if (mode != ArchiveMode::kPlain) {
    // Checked before anything is written, so a missing zip leaves no files.
    zipPath = findProgram(zipProgram);
    if (zipPath.empty()) {
      outcome.message = zipProgram + " (Info-ZIP) was not found on PATH; it is needed to make the archives";
      return outcome;
    }
  }
  const fs::path root = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code error;
  fs::create_directories(root, error);
  if (error || !fs::is_directory(root, error)) {
    outcome.message =
        "cannot use folder " + root.string() + (error ? ": " + error.message() : ": not a folder");
    return outcome;
  }

  struct Member {
    const std::string* text;
    const char* extension;
    char typeLetter;
  };
  for (const SampleDay& day : days) {
    for (const Member& member : {Member{&day.cardText, ".TCF", 'M'}, Member{&day.resultsText, ".XRD", 'X'}}) {
      const std::string plainName = day.baseName + member.extension;
      const fs::path plain = root / plainName;
      if (!writeFile(plain, *member.text, outcome.message)) return outcome;
      if (mode == ArchiveMode::kPlain) {
        outcome.files.push_back(plainName);
        continue;
      }
      const std::string zipName = archiveName(day.baseName, member.typeLetter);
      if (!packFile(zipPath, plain, root / zipName, outcome.message)) return outcome;
      outcome.files.push_back(zipName);
      if (mode == ArchiveMode::kZipAndPlain) {
        outcome.files.push_back(plainName);
      } else if (!fs::remove(plain, error) || error) {
        outcome.message = "cannot remove " + plain.string() + " after packing it" +
                          (error ? ": " + error.message() : std::string());
        return outcome;
      }
    }
  }
  outcome.ok = true;
  return outcome;
}

}  // namespace stridewell::gen
