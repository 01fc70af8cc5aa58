// The program's name as the user sees it: window and print titles, status
// texts and the settings file. Plain constants; anyone may include this.
#pragma once

#include <string>
#include <string_view>

namespace stridewell {

inline constexpr std::string_view kProgramName = "Stridewell 5";
// The maker, the folder of the settings file and the printed copyright.
inline constexpr std::string_view kProgramMaker = "Farrowmede";

// "Stridewell 5 - <what>": the title of a printout or a result window, and
// the start of the training status texts.
inline std::string programTitle(std::string_view what) {
  std::string title(kProgramName);
  title += " - ";
  title += what;
  return title;
}

}  // namespace stridewell
