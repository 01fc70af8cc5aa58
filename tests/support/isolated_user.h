// A user of their own for tests that run whole commands: a temporary folder
// holding the Workspace ("home", through STRIDEWELL_HOME) and the settings
// ("config", through XDG_CONFIG_HOME), both put back when the test ends.
// Not for tests that run threads (the environment is process-wide).
#pragma once

#include <filesystem>

#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace stridewell::test {

class IsolatedUser {
 public:
  IsolatedUser()
      : home_("STRIDEWELL_HOME", (folder_.path() / "home").c_str()),
        config_("XDG_CONFIG_HOME", (folder_.path() / "config").c_str()) {}

  const std::filesystem::path& root() const { return folder_.path(); }
  std::filesystem::path workspace() const { return folder_.path() / "home"; }
  std::filesystem::path settingsFile() const {
    return folder_.path() / "config" / "Farrowmede" / "Stridewell 5.conf";
  }

 private:
  TempFolder folder_;
  ScopedEnvironment home_;
  ScopedEnvironment config_;
};

}  // namespace stridewell::test
