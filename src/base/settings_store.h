// The per-user settings: named string values in sections ("Settings" and
// "SI Map 1" to "SI Map 5"), kept in an INI-style file. Every write
// replaces the file atomically under a lock, so two running copies of the
// program never corrupt it; a damaged file reads as defaults.
#pragma once

#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "base/settings_file.h"

namespace stridewell {

class UserInteraction;

inline constexpr std::string_view kSettingsSection = "Settings";

// The largest settings file the store reads; a larger one is not taken for
// ours and is neither read nor replaced.
inline constexpr size_t kMaxSettingsFileSize = 1 << 20;

// One store may be shared by the threads of a process (calls are
// serialised). Values are read from the file when the store is made (and on
// reload()); a write first re-reads the file under the lock, so the keys
// another running copy wrote in the meantime are kept, and this store then
// sees them too.
class SettingsStore {
 public:
  // One value of a batch write.
  struct Change {
    std::string section;
    std::string key;
    std::string value;
  };

  // `file` is the settings file; it need not exist yet, nor its folder.
  // Problems reading or writing it are reported to `ui` as warnings when
  // given: a damaged or unreadable file once per reading, a failed write
  // once until a write succeeds again. The file is written through
  // `fileSystem`.
  explicit SettingsStore(std::string file, UserInteraction* ui = nullptr,
                         FileSystem& fileSystem = realFileSystem());

  // $XDG_CONFIG_HOME (else ~/.config) + "/Farrowmede/Stridewell 5.conf";
  // empty when no home folder can be found.
  static std::string defaultFile();

  // The stored text, or `fallback` when the key is missing.
  std::string read(std::string_view section, std::string_view key, std::string_view fallback) const;
  // Stores the text and writes the file at once; false when the file could
  // not be written (the value is still kept for this run, and goes to the
  // file with the next write that succeeds).
  bool write(std::string_view section, std::string_view key, std::string_view value);
  // Several values in one replacement of the file (an SI Map's 71 keys):
  // another running copy sees all of them or none.
  bool write(std::span<const Change> changes);

  // Set only when the stored text is exactly "y"; fallback when missing.
  bool readFlag(std::string_view section, std::string_view key, bool fallback) const;
  bool writeFlag(std::string_view section, std::string_view key, bool on);

  // The "Settings" section.
  std::string read(std::string_view key, std::string_view fallback) const {
    return read(kSettingsSection, key, fallback);
  }
  bool write(std::string_view key, std::string_view value) { return write(kSettingsSection, key, value); }

  // Reads the file again, taking what other running copies wrote; values
  // whose write failed stay as this run set them.
  void reload();

  const std::string& file() const { return file_; }

 private:
  // Under mutex_: the file's sections with the unsaved changes laid over.
  void load(std::vector<std::string>& warnings);
  bool save(std::vector<std::string>& warnings);
  void tell(const std::vector<std::string>& warnings) const;

  std::string file_;
  UserInteraction* ui_;
  FileSystem& fileSystem_;
  mutable std::mutex mutex_;
  SettingsSections sections_;
  SettingsSections unsaved_;  // written by this run but not yet in the file
  bool writeFailureTold_ = false;
};

}  // namespace stridewell
