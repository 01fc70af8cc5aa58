// Crash safety for appending to a dataset: before the first new race is
// written, the dataset's length is recorded in a small journal beside it
// ("<name>.DSI.journal", which the dataset list does not show). A finished
// append removes the journal; a cancelled or failed one cuts the dataset
// back and removes it; an append that was killed part-way (power loss,
// SIGKILL) is rolled back the next time the dataset is opened or listed.
// The appender holds a lock on its journal, so a listing in another process
// never rolls back an append that is still running.
#pragma once

#include <cstdint>
#include <string>

namespace stridewell {

struct Workspace;

std::string appendJournalPath(const std::string& datasetPath);

class AppendJournal {
 public:
  // Records the current length of `datasetPath` (0 when it cannot be read)
  // durably. ok() is false when the journal could not be written; the
  // append must not start then.
  explicit AppendJournal(std::string datasetPath);
  // A journal neither committed nor rolled back stays for recovery.
  ~AppendJournal();
  AppendJournal(const AppendJournal&) = delete;
  AppendJournal& operator=(const AppendJournal&) = delete;

  bool ok() const { return ok_; }
  uint64_t originalLength() const { return originalLength_; }
  // Why the journal could not be written: its path and the system's reason
  // (empty while ok()).
  std::string problem() const;

  // The new races are complete and on disk: the journal goes.
  void commit();
  // Cuts the dataset back to its original length and removes the journal.
  bool rollBack();

 private:
  std::string datasetPath_;
  std::string journalPath_;
  uint64_t originalLength_ = 0;
  int fd_ = -1;  // the journal, locked while the append runs
  bool ok_ = false;
  int errno_ = 0;
};

// Rolls back an interrupted append of `datasetPath` if its journal is there.
// Returns false only when a journal was found but the dataset could not be
// cut back (the journal is then kept for the next try).
bool recoverInterruptedAppend(const std::string& datasetPath);

// The same for every dataset of the Workspace that has a journal.
void recoverInterruptedAppends(const Workspace& workspace);

}  // namespace stridewell
