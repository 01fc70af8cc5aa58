#include "model/sim_record.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "base/replacement_file.h"
#include "base/text_case.h"

namespace stridewell {
namespace {

// The criteria lines a record keeps at most; a report header has five.
constexpr size_t kMostCriteriaLines = 16;
constexpr size_t kMostValueBytes = 512;
// The labels of the description, values starting in one column.
constexpr size_t kLabelWidth = 24;

// Values are single lines: a line end or other control character in a name
// would end the fact early, so it becomes a space.
std::string oneLine(std::string_view text) {
  std::string line(text.substr(0, kMostValueBytes));
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  return line;
}

std::string numberText(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

bool readDouble(std::string_view text, double& value) {
  double read = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(read)) return false;
  value = read;
  return true;
}

template <typename Int>
bool readWhole(std::string_view text, Int least, Int& value) {
  Int read = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
  if (error != std::errc() || end != text.data() + text.size() || read < least) return false;
  value = read;
  return true;
}

void addFact(std::string& text, std::string_view key, std::string_view value) {
  text.append(key).append("=").append(oneLine(value)).append("\n");
}

std::string percentText(double share) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f%%", 100.0 * share);
  return buffer;
}

std::string fixedText(double value, int digits) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
  return buffer;
}

}  // namespace

std::string simRecordPath(const std::string& weightsPath) {
  const size_t slash = weightsPath.find_last_of("/\\");
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = weightsPath.rfind('.');
  if (dot != std::string::npos && dot > nameStart &&
      equalsIgnoreCase(std::string_view(weightsPath).substr(dot), ".SIM")) {
    return weightsPath.substr(0, dot) + std::string(kSimRecordExtension);
  }
  return weightsPath + std::string(kSimRecordExtension);
}

std::string simRecordText(const SimRecord& record) {
  std::string text = std::string(kSimRecordHeading) + " " + std::to_string(kSimRecordVersion) + "\n";
  if (!record.simName.empty()) addFact(text, "sim", record.simName);
  if (!record.dataset.empty()) addFact(text, "dataset", record.dataset);
  if (record.criteriaKnown) {
    // One line per criteria line; "all" alone for a filter that lets every race through.
    if (record.criteria.empty()) addFact(text, "criteria", "all");
    for (const std::string& line : record.criteria) addFact(text, "criteria", line);
  }
  if (record.passesPerRun > 0) addFact(text, "pressure", std::to_string(record.passesPerRun));
  if (record.startKnown)
    addFact(text, "start", record.startSim.empty() ? "random" : "sim:" + record.startSim);
  if (record.patterns >= 0) addFact(text, "patterns", std::to_string(record.patterns));
  if (record.races >= 0) addFact(text, "races", std::to_string(record.races));
  if (!record.preparedWhen.empty()) addFact(text, "prepared", record.preparedWhen);
  addFact(text, "passes", std::to_string(record.passesTrained));
  if (record.finalError) addFact(text, "error", numberText(*record.finalError));
  if (!record.trainedWhen.empty()) addFact(text, "trained", record.trainedWhen);
  if (record.card) {
    const SimCardHeadline& card = *record.card;
    addFact(text, "card-dataset", card.dataset);
    addFact(text, "card-date", card.when);
    addFact(text, "card-races", std::to_string(card.races));
    addFact(text, "card-top1", numberText(card.topPickRate));
    addFact(text, "card-top3", numberText(card.top3Rate));
    addFact(text, "card-log-loss", numberText(card.simLogLoss));
    addFact(text, "card-r2", numberText(card.simPseudoR2));
    if (card.oddsPseudoR2) addFact(text, "card-odds-r2", numberText(*card.oddsPseudoR2));
  }
  return text;
}

bool parseSimRecord(std::string_view text, SimRecord& record) {
  SimRecord read;
  size_t lineStart = 0;
  bool headed = false;
  bool cardSeen = false;
  SimCardHeadline card;
  bool cardRaces = false;
  while (lineStart < text.size()) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!headed) {
      // The heading and a version; any version is read for the keys it shares.
      const std::string_view heading = kSimRecordHeading;
      if (line.substr(0, heading.size()) != heading || line.size() < heading.size() + 2 ||
          line[heading.size()] != ' ') {
        return false;
      }
      int version = 0;
      if (!readWhole(line.substr(heading.size() + 1), 1, version)) return false;
      headed = true;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (key == "sim") {
      read.simName = oneLine(value);
    } else if (key == "dataset") {
      read.dataset = oneLine(value);
    } else if (key == "criteria") {
      read.criteriaKnown = true;
      if (value != "all" && read.criteria.size() < kMostCriteriaLines)
        read.criteria.push_back(oneLine(value));
    } else if (key == "pressure") {
      readWhole(value, 1, read.passesPerRun);
    } else if (key == "start") {
      if (value == "random") {
        read.startKnown = true;
        read.startSim.clear();
      } else if (value.substr(0, 4) == "sim:" && value.size() > 4) {
        read.startKnown = true;
        read.startSim = oneLine(value.substr(4));
      }
    } else if (key == "patterns") {
      readWhole(value, int64_t{0}, read.patterns);
    } else if (key == "races") {
      readWhole(value, int64_t{0}, read.races);
    } else if (key == "prepared") {
      read.preparedWhen = oneLine(value);
    } else if (key == "passes") {
      readWhole(value, 0, read.passesTrained);
    } else if (key == "error") {
      double error = 0;
      if (readDouble(value, error) && error >= 0) read.finalError = error;
    } else if (key == "trained") {
      read.trainedWhen = oneLine(value);
    } else if (key.substr(0, 5) == "card-") {
      cardSeen = true;
      double number = 0;
      if (key == "card-dataset") {
        card.dataset = oneLine(value);
      } else if (key == "card-date") {
        card.when = oneLine(value);
      } else if (key == "card-races") {
        cardRaces = readWhole(value, 1, card.races);
      } else if (key == "card-top1" && readDouble(value, number)) {
        card.topPickRate = number;
      } else if (key == "card-top3" && readDouble(value, number)) {
        card.top3Rate = number;
      } else if (key == "card-log-loss" && readDouble(value, number)) {
        card.simLogLoss = number;
      } else if (key == "card-r2" && readDouble(value, number)) {
        card.simPseudoR2 = number;
      } else if (key == "card-odds-r2" && readDouble(value, number)) {
        card.oddsPseudoR2 = number;
      }
    }
  }
  if (!headed) return false;
  // A card is shown only with its dataset and races; a half-written one is no card.
  if (cardSeen && cardRaces && !card.dataset.empty()) read.card = card;
  record = std::move(read);
  return true;
}

SimRecordRead readSimRecord(const std::string& path, SimRecord& record) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return SimRecordRead::kMissing;
  std::string text(kMostSimRecordBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  const auto got = static_cast<size_t>(in.gcount());
  if (in.bad() || got > kMostSimRecordBytes) return SimRecordRead::kDamaged;
  text.resize(got);
  return parseSimRecord(text, record) ? SimRecordRead::kRead : SimRecordRead::kDamaged;
}

bool writeSimRecord(const std::string& path, const SimRecord& record, std::string& problem,
                    FileSystem& fileSystem) {
  const std::string text = simRecordText(record);
  std::string reason;
  if (replaceFileContents(path, text.data(), text.size(), reason, fileSystem)) return true;
  // The reason names the file already when the system refused it.
  problem = reason.find(path) != std::string::npos ? reason : "Cannot write " + path + ": " + reason;
  return false;
}

std::string recordTimeText(std::time_t when) {
  std::tm parts{};
  if (gmtime_r(&when, &parts) == nullptr) return {};
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d UTC", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min);
  return buffer;
}

std::string_view pressureName(int passesPerRun) {
  switch (passesPerRun) {
    case 5:
      return "Low";
    case 10:
      return "Medium";
    case 25:
      return "High";
    case 50:
      return "Very High";
    default:
      return {};
  }
}

std::string describeSimRecord(const SimRecord& record, SimRecordRead read) {
  if (read == SimRecordRead::kMissing) return "No training record\n";
  if (read == SimRecordRead::kDamaged) return "Training record damaged (not read)\n";
  std::string text;
  const auto line = [&text](std::string_view label, const std::string& value) {
    text.append(label);
    if (label.size() < kLabelWidth) text.append(kLabelWidth - label.size(), ' ');
    text.append(value).append("\n");
  };
  const auto known = [](const std::string& value) {
    return value.empty() ? std::string("not known") : value;
  };
  line("Trained on dataset:", known(record.dataset));
  if (!record.criteriaKnown) {
    line("Criteria:", "not known");
  } else if (record.criteria.empty()) {
    line("Criteria:", "every race");
  } else {
    for (size_t i = 0; i < record.criteria.size(); ++i) {
      line(i == 0 ? "Criteria:" : "", record.criteria[i]);
    }
  }
  if (record.passesPerRun > 0) {
    const std::string_view name = pressureName(record.passesPerRun);
    const std::string passes =
        std::to_string(record.passesPerRun) + (record.passesPerRun == 1 ? " pass a run" : " passes a run");
    line("Learning pressure:", name.empty() ? passes : std::string(name) + " (" + passes + ")");
  } else {
    line("Learning pressure:", "not known");
  }
  if (record.startKnown) {
    line("Started from:", record.startSim.empty() ? "random weights" : "SIM " + record.startSim);
  }
  if (record.patterns >= 0) {
    std::string patterns = std::to_string(record.patterns);
    if (record.races >= 0) patterns += " (from " + std::to_string(record.races) + " races)";
    line("Training patterns:", patterns);
  }
  if (!record.preparedWhen.empty()) line("Prepared:", record.preparedWhen);
  line("Passes trained:", std::to_string(record.passesTrained));
  if (record.finalError) {
    // The error sums every choice of five of every race; per race it
    // compares across preparations of different sizes.
    std::string error = fixedText(*record.finalError, 1);
    if (record.patterns > 0) {
      error += " (" + fixedText(*record.finalError / static_cast<double>(record.patterns), 2) + " a race)";
    }
    line("Final training error:", error);
  }
  line("Last trained:", record.trainedWhen.empty() ? std::string("never") : record.trainedWhen);
  if (!record.card) {
    line("Last report card:", "none");
    return text;
  }
  const SimCardHeadline& card = *record.card;
  line("Last report card:", "dataset " + card.dataset + (card.when.empty() ? "" : ", " + card.when));
  line("  Races:", std::to_string(card.races));
  line("  Top pick won:", percentText(card.topPickRate));
  line("  Winner in top 3:", percentText(card.top3Rate));
  line("  SIM log loss:", fixedText(card.simLogLoss, 4));
  line("  SIM pseudo-R2:", fixedText(card.simPseudoR2, 4));
  line("  Final odds pseudo-R2:", card.oddsPseudoR2 ? fixedText(*card.oddsPseudoR2, 4) : "not known");
  return text;
}

std::string simRecordSummary(const SimRecord& record) {
  std::string summary;
  if (!record.dataset.empty()) summary = "dataset " + record.dataset;
  if (record.passesTrained > 0 || !record.trainedWhen.empty()) {
    if (!summary.empty()) summary += ", ";
    summary += std::to_string(record.passesTrained) + (record.passesTrained == 1 ? " pass" : " passes");
  }
  return summary;
}

}  // namespace stridewell
