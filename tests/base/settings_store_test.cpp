// The settings store: defaults, the "y" rule for flags, values that
// survive the file, damaged and unusable files, and two running copies of
// the program (processes and threads) writing the same file at once.
#include "base/settings_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::RecordingInteraction;
using test::ScopedEnvironment;
using test::TempFolder;

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFileText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> folderNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SettingsStore, AFreshUserReadsTheDefaultsAndNothingIsWrittenByReading) {
  TempFolder temp;
  const fs::path file = temp.path() / "config" / "Stridewell 5.conf";
  RecordingInteraction ui;
  const SettingsStore store(file.string(), &ui);
  EXPECT_EQ(store.read("IMPORTDIR", "/home/someone"), "/home/someone");
  EXPECT_EQ(store.read("SI Map 3", "1ON", "n"), "n");
  EXPECT_TRUE(store.readFlag("Settings", "MAXIMIZE", true));
  EXPECT_FALSE(store.readFlag("Settings", "MAXIMIZE", false));
  EXPECT_TRUE(ui.empty()) << ui.calls().front();
  EXPECT_FALSE(fs::exists(temp.path() / "config"));
}

TEST(SettingsStore, FlagsCountOnlyWhenExactlyY) {
  struct Case {
    std::string stored;
    bool on;
  };
  const Case kCases[] = {
      {"y", true},  {"Y", false}, {"yes", false}, {" y", false},   {"y ", false},
      {"n", false}, {"", false},  {"1", false},   {"true", false}, {"y\n", false},
  };
  TempFolder temp;
  const std::string file = (temp.path() / "s.conf").string();
  for (const Case& c : kCases) {
    SettingsStore(file).write("Settings", "FLAG", c.stored);
    const SettingsStore store(file);
    // The fallback counts only when the key is missing.
    EXPECT_EQ(store.readFlag("Settings", "FLAG", true), c.on) << testing::PrintToString(c.stored);
    EXPECT_EQ(store.readFlag("Settings", "FLAG", false), c.on) << testing::PrintToString(c.stored);
  }
  SettingsStore store(file);
  ASSERT_TRUE(store.writeFlag("Settings", "ON", true));
  ASSERT_TRUE(store.writeFlag("Settings", "OFF", false));
  EXPECT_EQ(SettingsStore(file).read("ON", ""), "y");
  EXPECT_EQ(SettingsStore(file).read("OFF", ""), "n");
}

TEST(SettingsStore, OddValuesKeysAndSectionsSurviveTheFile) {
  const std::vector<std::string> texts = {
      "",
      "a=b",
      ";x",
      "#x",
      "[Settings]",
      "]",
      "two\nlines",
      "cr\r\nlf",
      "back\\",
      "\\n",
      " lead",
      "trail ",
      "\t",
      "nul\0byte"s,
      "\x01\x7f",
      "C:\\",
      "Caf\xc3\xa9",
      "/home/u/My Cards/",
      std::string(3000, '='),
  };
  TempFolder temp;
  const std::string file = (temp.path() / "s.conf").string();
  {
    SettingsStore store(file);
    for (size_t i = 0; i < texts.size(); ++i) {
      ASSERT_TRUE(store.write("Settings", "V" + std::to_string(i), texts[i]));
      if (!texts[i].empty()) {
        ASSERT_TRUE(store.write("Settings", texts[i], "key " + std::to_string(i)));
        ASSERT_TRUE(store.write(texts[i], "K", "section " + std::to_string(i)));
      }
    }
  }
  RecordingInteraction ui;
  const SettingsStore store(file, &ui);
  EXPECT_TRUE(ui.empty()) << ui.calls().front();
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string shown = testing::PrintToString(texts[i]);
    EXPECT_EQ(store.read("Settings", "V" + std::to_string(i), "missing"), texts[i]) << shown;
    if (!texts[i].empty()) {
      EXPECT_EQ(store.read("Settings", texts[i], "missing"), "key " + std::to_string(i)) << shown;
      EXPECT_EQ(store.read(texts[i], "K", "missing"), "section " + std::to_string(i)) << shown;
    }
  }
}

TEST(SettingsStore, SectionsKeepTheirOwnKeys) {
  TempFolder temp;
  const std::string file = (temp.path() / "s.conf").string();
  SettingsStore store(file);
  ASSERT_TRUE(store.write("SI Map 1", "1NN", "Sprint"));
  ASSERT_TRUE(store.write("SI Map 2", "1NN", "Route"));
  ASSERT_TRUE(store.write("NN", "Default"));
  const SettingsStore again(file);
  EXPECT_EQ(again.read("SI Map 1", "1NN", ""), "Sprint");
  EXPECT_EQ(again.read("SI Map 2", "1NN", ""), "Route");
  EXPECT_EQ(again.read("NN", ""), "Default");
  EXPECT_EQ(again.read("SI Map 3", "1NN", "none"), "none");
  EXPECT_EQ(again.read("1NN", "none"), "none");
}

TEST(SettingsStore, WritesReplaceTheFileAndLeaveNoTemporaryFiles) {
  TempFolder temp;
  const fs::path folder = temp.path() / "a" / "b";  // made on the first write
  const fs::path file = folder / "Stridewell 5.conf";
  SettingsStore store(file.string());
  ASSERT_TRUE(store.write("A", "1"));
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  EXPECT_EQ(before.st_mode & 07777, 0600u) << "a new settings file is the user's alone";
  ASSERT_TRUE(store.write("B", "2"));
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  // A new file took the old one's name: a reader holding the old one open
  // never sees it change under it.
  EXPECT_NE(before.st_ino, after.st_ino);
  EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"Stridewell 5.conf", "Stridewell 5.conf.lock"}));

  // Permissions the user gave the file are kept.
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(store.write("C", "3"));
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
}

TEST(SettingsStore, ALinkedSettingsFileStaysLinked) {
  TempFolder temp;
  const fs::path real = temp.path() / "dotfiles" / "stridewell.conf";
  fs::create_directories(real.parent_path());
  writeFileText(real, "[Settings]\nOLD=1\n");
  const fs::path link = temp.path() / "Stridewell 5.conf";
  fs::create_symlink(real, link);
  SettingsStore store(link.string());
  ASSERT_TRUE(store.write("NEW", "2"));
  EXPECT_TRUE(fs::is_symlink(link));
  const SettingsStore again(real.string());
  EXPECT_EQ(again.read("OLD", ""), "1");
  EXPECT_EQ(again.read("NEW", ""), "2");
}

TEST(SettingsStore, ABatchWriteKeepsEveryValue) {
  TempFolder temp;
  const std::string file = (temp.path() / "s.conf").string();
  std::vector<SettingsStore::Change> changes;
  changes.push_back({"SI Map 4", "COMMENT", "sprints = dirt; routes [turf]"});
  for (int rule = 1; rule <= 10; ++rule) {
    for (const char* key : {"ON", "TRACK", "DISTANCE", "SURFACE", "CONDITION", "CLASS", "NN"}) {
      changes.push_back({"SI Map 4", std::to_string(rule) + key, std::to_string(rule * 100) + key});
    }
  }
  ASSERT_EQ(changes.size(), 71u);
  SettingsStore store(file);
  ASSERT_TRUE(store.write(changes));
  const SettingsStore again(file);
  for (const SettingsStore::Change& change : changes) {
    EXPECT_EQ(again.read(change.section, change.key, "missing"), change.value) << change.key;
  }
}

TEST(SettingsStore, DamagedFilesReadAsDefaultsWithAWarningAndTheirGoodKeysSurvive) {
  struct Case {
    const char* name;
    std::string text;
    int line;  // named in the warning
  };
  std::string junk;
  std::mt19937 random(7);
  for (int i = 0; i < 4000; ++i) junk += static_cast<char>(random() & 0xFF);
  const Case kCases[] = {
      {"binary junk after the keys", "[Settings]\nKEEP=kept\nIMPORTDIR=/cards\n" + junk, 4},
      {"truncated last line", "[Settings]\nKEEP=kept\nIMPORTDIR=/cards\nSIMAP_NA", 4},
      {"header without ']'", "[Settings]\nKEEP=kept\nIMPORTDIR=/cards\n[SI Map 1\n1NN=Sprint\n", 4},
      {"junk line in the middle", "[Settings]\nKEEP=kept\n\x01\x02\x03\nIMPORTDIR=/cards\n", 3},
  };
  for (const Case& c : kCases) {
    TempFolder temp;
    const fs::path file = temp.path() / "s.conf";
    writeFileText(file, c.text);
    RecordingInteraction ui;
    SettingsStore store(file.string(), &ui);
    ASSERT_EQ(ui.warnings().size(), 1u) << c.name;
    const std::string warning = ui.warnings().front();
    EXPECT_NE(warning.find(file.string()), std::string::npos) << c.name << ": " << warning;
    EXPECT_NE(warning.find("line " + std::to_string(c.line)), std::string::npos) << c.name << ": " << warning;
    EXPECT_TRUE(ui.errors().empty()) << c.name;
    EXPECT_EQ(store.read("KEEP", "default"), "kept") << c.name;
    EXPECT_EQ(store.read("SIMAP_NAME", "SI Map 1"), "SI Map 1") << c.name;
    EXPECT_EQ(store.read("SI Map 1", "1NN", "Default"), "Default") << c.name;

    // Writing keeps the damaged original beside the file, then replaces it
    // with a clean file that holds the good keys and the new one.
    ui.clear();
    ASSERT_TRUE(store.write("NEW", "value")) << c.name;
    EXPECT_EQ(fileText(file.string() + ".damaged"), c.text) << c.name;
    ASSERT_EQ(ui.warnings().size(), 1u) << c.name;
    EXPECT_NE(ui.warnings().front().find(".damaged"), std::string::npos) << ui.warnings().front();
    RecordingInteraction quiet;
    const SettingsStore again(file.string(), &quiet);
    EXPECT_TRUE(quiet.empty()) << c.name << ": " << quiet.calls().front();
    EXPECT_EQ(again.read("KEEP", ""), "kept") << c.name;
    EXPECT_EQ(again.read("IMPORTDIR", ""), "/cards") << c.name;
    EXPECT_EQ(again.read("NEW", ""), "value") << c.name;
  }
}

TEST(SettingsStore, FilesThatCannotBeReadAreNeitherReadNorReplaced) {
  struct Case {
    const char* name;
    void (*make)(const fs::path&);
  };
  const Case kCases[] = {
      {"a folder", [](const fs::path& path) { fs::create_directory(path); }},
      {"a FIFO (would block a plain open)",
       [](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
      {"too large to be ours",
       [](const fs::path& path) {
         writeFileText(path, "[Settings]\nA=" + std::string(kMaxSettingsFileSize, 'x') + "\n");
       }},
  };
  for (const Case& c : kCases) {
    TempFolder temp;
    const fs::path file = temp.path() / "s.conf";
    c.make(file);
    const auto typeBefore = fs::symlink_status(file).type();
    const auto sizeBefore = fs::is_regular_file(file) ? fs::file_size(file) : 0;
    RecordingInteraction ui;
    SettingsStore store(file.string(), &ui);
    ASSERT_EQ(ui.warnings().size(), 1u) << c.name;
    EXPECT_NE(ui.warnings().front().find(file.string()), std::string::npos) << ui.warnings().front();
    EXPECT_EQ(store.read("A", "default"), "default") << c.name;

    // Writes fail and say so once; the value holds for this run.
    ui.clear();
    EXPECT_FALSE(store.write("IMPORTDIR", "/cards")) << c.name;
    EXPECT_FALSE(store.write("DATASETDIR", "/data")) << c.name;
    EXPECT_EQ(ui.warnings().size(), 1u) << c.name;
    EXPECT_EQ(store.read("IMPORTDIR", ""), "/cards") << c.name;
    EXPECT_EQ(fs::symlink_status(file).type(), typeBefore) << c.name;
    if (fs::is_regular_file(file)) {
      EXPECT_EQ(fs::file_size(file), sizeBefore) << c.name;
    }
  }
}

TEST(SettingsStore, ValuesWhoseWriteFailedGoWithTheNextWriteThatSucceeds) {
  TempFolder temp;
  const fs::path blocker = temp.path() / "config";
  writeFileText(blocker, "a plain file where the folder should be");
  const fs::path file = blocker / "s.conf";
  RecordingInteraction ui;
  SettingsStore store(file.string(), &ui);
  EXPECT_FALSE(store.write("FIRST", "1"));
  ASSERT_EQ(ui.warnings().size(), 1u);
  EXPECT_NE(ui.warnings().front().find(file.string()), std::string::npos) << ui.warnings().front();
  EXPECT_EQ(store.read("FIRST", ""), "1");

  fs::remove(blocker);
  ASSERT_TRUE(store.write("SECOND", "2"));
  const SettingsStore again(file.string());
  EXPECT_EQ(again.read("FIRST", ""), "1");
  EXPECT_EQ(again.read("SECOND", ""), "2");

  // After a success, a new failure is told again.
  fs::remove_all(blocker);
  writeFileText(blocker, "plain file");
  ui.clear();
  EXPECT_FALSE(store.write("THIRD", "3"));
  EXPECT_EQ(ui.warnings().size(), 1u) << testing::PrintToString(ui.warnings());
}

// Faults while the file is replaced: the file keeps its old text, no
// temporary is left, the warning names the file and the system's reason,
// and the value still holds for this run.
TEST(SettingsStore, AFailedReplacementKeepsTheOldFile) {
  struct Case {
    const char* name;
    std::function<void(test::FaultyFileSystem&)> arrange;
    const char* reason;
  };
  const Case cases[] = {
      {"cannot create", [](auto& disk) { disk.failCreate(EACCES); }, "Permission denied"},
      {"full disk", [](auto& disk) { disk.failWritesFrom(1); }, "No space left on device"},
      {"short write, then full disk",
       [](auto& disk) {
         disk.shortenWrite(1);
         disk.failWritesFrom(2);
       },
       "No space left on device"},
      {"failed flush to disk", [](auto& disk) { disk.failSync(EIO); }, "Input/output error"},
      {"failed close", [](auto& disk) { disk.failClose(EDQUOT); }, "Disk quota exceeded"},
      {"failed rename", [](auto& disk) { disk.failRename(EXDEV); }, "Invalid cross-device link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const fs::path file = temp.path() / "s.conf";
    ASSERT_TRUE(SettingsStore(file.string()).write("OLD", "kept"));
    const std::string old = fileText(file);
    test::FaultyFileSystem faulty;
    c.arrange(faulty);
    RecordingInteraction ui;
    SettingsStore store(file.string(), &ui, faulty);
    EXPECT_FALSE(store.write("NEW", "lost"));
    EXPECT_EQ(ui.warnings(),
              std::vector<std::string>{"Cannot save the settings to " + file.string() + ": " + c.reason +
                                       ". Changed settings hold for this run only."});
    EXPECT_EQ(store.read("NEW", ""), "lost");
    EXPECT_EQ(fileText(file), old);
    EXPECT_EQ(folderNames(temp.path()), (std::vector<std::string>{"s.conf", "s.conf.lock"}));
  }

  // A write cut short is resumed.
  TempFolder temp;
  const fs::path file = temp.path() / "s.conf";
  test::FaultyFileSystem shortOnce;
  shortOnce.shortenWrite(1);
  ASSERT_TRUE(SettingsStore(file.string(), nullptr, shortOnce).write("WHOLE", std::string(300, 'x')));
  EXPECT_EQ(shortOnce.writeCalls(), 2);
  EXPECT_EQ(SettingsStore(file.string()).read("WHOLE", ""), std::string(300, 'x'));
}

TEST(SettingsStore, AWriteKeepsWhatAnotherCopyWroteMeanwhile) {
  TempFolder temp;
  const std::string file = (temp.path() / "s.conf").string();
  SettingsStore first(file);
  SettingsStore second(file);  // read before `first` writes
  ASSERT_TRUE(first.write("FROM_FIRST", "1"));
  ASSERT_TRUE(second.write("FROM_SECOND", "2"));
  const SettingsStore fresh(file);
  EXPECT_EQ(fresh.read("FROM_FIRST", ""), "1");
  EXPECT_EQ(fresh.read("FROM_SECOND", ""), "2");
  // The writer now sees the other's key; the other sees it after reload().
  EXPECT_EQ(second.read("FROM_FIRST", ""), "1");
  EXPECT_EQ(first.read("FROM_SECOND", ""), "");
  first.reload();
  EXPECT_EQ(first.read("FROM_SECOND", ""), "2");
}

TEST(SettingsStore, DefaultFileFollowsTheConfigurationFolder) {
  struct Case {
    const char* configHome;
    const char* home;
    std::string expected;
  };
  const Case kCases[] = {
      {"/cfg", "/home/u", "/cfg/Farrowmede/Stridewell 5.conf"},
      {"/cfg/", "/home/u", "/cfg/Farrowmede/Stridewell 5.conf"},
      {nullptr, "/home/u", "/home/u/.config/Farrowmede/Stridewell 5.conf"},
      {"", "/home/u", "/home/u/.config/Farrowmede/Stridewell 5.conf"},
      {"relative/cfg", "/home/u", "/home/u/.config/Farrowmede/Stridewell 5.conf"},
  };
  for (const Case& c : kCases) {
    ScopedEnvironment config("XDG_CONFIG_HOME", c.configHome);
    ScopedEnvironment home("HOME", c.home);
    EXPECT_EQ(SettingsStore::defaultFile(), c.expected) << (c.configHome ? c.configHome : "(unset)");
  }
}

// Each key's value is long and tied to the key, so that a reader can tell
// a cut or mixed-up value from a good one.
std::string valueFor(const std::string& key) {
  std::string value = key + ":";
  while (value.size() < 300) value += key + (value.size() % 7 == 0 ? "=;[\n" : "-");
  return value;
}

constexpr int kKeysPerWriter = 200;

[[noreturn]] void writeKeys(const std::string& file, char writer) {
  SettingsStore store(file);
  bool allWritten = true;
  for (int i = 0; i < kKeysPerWriter; ++i) {
    const std::string key = writer + std::to_string(i);
    allWritten = store.write(writer == 'A' ? "Settings" : "SI Map 1", key, valueFor(key)) && allWritten;
  }
  ::_exit(allWritten ? 0 : 1);
}

struct KeysSeen {
  int fromA = 0;
  int fromB = 0;
  bool clean = true;
  std::string problem;
};

KeysSeen checkFile(const std::string& file) {
  KeysSeen seen;
  RecordingInteraction ui;
  const SettingsStore store(file, &ui);
  if (!ui.empty()) {
    seen.clean = false;
    seen.problem = ui.calls().front().text;
  }
  for (int i = 0; i < kKeysPerWriter; ++i) {
    for (const auto& [writer, section, count] :
         {std::tuple{'A', "Settings", &seen.fromA}, std::tuple{'B', "SI Map 1", &seen.fromB}}) {
      const std::string key = writer + std::to_string(i);
      const std::string value = store.read(section, key, "");
      if (value.empty()) continue;
      ++*count;
      if (value != valueFor(key)) {
        seen.clean = false;
        seen.problem = "wrong value for " + key;
      }
    }
  }
  return seen;
}

// A writer process, ended and reaped at the latest when the test leaves.
class WriterProcess {
 public:
  WriterProcess(const std::string& file, char writer) : pid_(::fork()) {
    if (pid_ == 0) writeKeys(file, writer);
  }
  ~WriterProcess() {
    if (pid_ > 0 && !done_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  bool done() const { return done_; }
  // True once it has ended; `succeeded` tells how.
  bool poll(bool& succeeded) {
    int status = 0;
    if (done_ || ::waitpid(pid_, &status, WNOHANG) != pid_) return done_;
    done_ = true;
    succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return true;
  }

 private:
  pid_t pid_;
  bool done_ = false;
};

TEST(SettingsStore, TwoProcessesWritingAtOnceKeepEveryKeyAndNeverShowAHalfWrittenFile) {
  TempFolder temp;
  const std::string file = (temp.path() / "Stridewell 5.conf").string();
  WriterProcess a(file, 'A');
  WriterProcess b(file, 'B');
  ASSERT_TRUE(a.started() && b.started());

  // Read while they write: every state seen is a whole file, and since each
  // writer only adds keys, no key once seen ever goes missing.
  int reads = 0;
  KeysSeen last;
  bool aSucceeded = false;
  bool bSucceeded = false;
  while (!a.done() || !b.done()) {
    const KeysSeen seen = checkFile(file);
    ++reads;
    ASSERT_TRUE(seen.clean) << "read " << reads << ": " << seen.problem;
    ASSERT_GE(seen.fromA, last.fromA) << "keys of A went missing at read " << reads;
    ASSERT_GE(seen.fromB, last.fromB) << "keys of B went missing at read " << reads;
    last = seen;
    a.poll(aSucceeded);
    b.poll(bSucceeded);
  }
  EXPECT_TRUE(aSucceeded) << "writer A failed";
  EXPECT_TRUE(bSucceeded) << "writer B failed";
  const KeysSeen final = checkFile(file);
  EXPECT_TRUE(final.clean) << final.problem;
  EXPECT_EQ(final.fromA, kKeysPerWriter);
  EXPECT_EQ(final.fromB, kKeysPerWriter);
  EXPECT_GT(reads, 1);
  EXPECT_EQ(folderNames(temp.path()),
            (std::vector<std::string>{"Stridewell 5.conf", "Stridewell 5.conf.lock"}));
}

TEST(SettingsStore, ThreadsShareOneStoreAndSeparateStoresOfOneFile) {
  TempFolder temp;
  const std::string file = (temp.path() / "s.conf").string();
  SettingsStore shared(file);
  std::atomic<bool> writing{true};
  std::thread reader([&] {
    while (writing.load()) (void)shared.read("T0", "");
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < 2; ++t) {
    writers.emplace_back([&shared, t] {
      for (int i = 0; i < 50; ++i) shared.write("T" + std::to_string(t), std::to_string(i), "v");
    });
  }
  // Two more stores of the same file, as two windows of one program might
  // hold: the file lock must serialise them too.
  for (int t = 2; t < 4; ++t) {
    writers.emplace_back([&file, t] {
      SettingsStore own(file);
      for (int i = 0; i < 50; ++i) own.write("T" + std::to_string(t), std::to_string(i), "v");
    });
  }
  for (std::thread& writer : writers) writer.join();
  writing.store(false);
  reader.join();
  const SettingsStore fresh(file);
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 50; ++i) {
      EXPECT_EQ(fresh.read("T" + std::to_string(t), std::to_string(i), ""), "v") << t << "/" << i;
    }
  }
}

}  // namespace
}  // namespace stridewell
