#include "cluster/mpi_run.h"

#include <mpi.h>

#include <algorithm>
#include <numeric>

namespace stridewell {
namespace {

constexpr int kStopTag = 21;

// The group over its own communicator, so that its messages never meet
// the set-up's. A stop or a failure is one int sent to every other
// process; each process keeps one receive posted for it and looks at it
// when the trainer asks.
class MpiGroup final : public TrainingGroup {
 public:
  MpiGroup(MPI_Comm world, int rank, int size) : rank_(rank), size_(size) {
    MPI_Comm_dup(world, &comm_);
    postReceive();
  }

  ~MpiGroup() override { MPI_Comm_free(&comm_); }

  int rank() const override { return rank_; }
  int size() const override { return size_; }

  void sumIntegers(std::span<int64_t> values) override {
    MPI_Allreduce(MPI_IN_PLACE, values.data(), static_cast<int>(values.size()), MPI_INT64_T, MPI_SUM, comm_);
  }

  void tellOthers(GroupState state) override {
    if (told_) return;
    told_ = true;
    int message = static_cast<int>(state);
    for (int other = 0; other < size_; ++other) {
      if (other != rank_) MPI_Send(&message, 1, MPI_INT, other, kStopTag, comm_);
    }
  }

  GroupState toldByOthers() override {
    int arrived = 0;
    while (MPI_Test(&request_, &arrived, MPI_STATUS_IGNORE) == MPI_SUCCESS && arrived) take();
    return static_cast<GroupState>(worstTold_);
  }

  // Collective, once, at the end: the messages the others sent and this
  // process has not received yet are received, so that none is left in
  // flight when MPI shuts down.
  void finish() {
    int tellers = told_ ? 1 : 0;
    MPI_Allreduce(MPI_IN_PLACE, &tellers, 1, MPI_INT, MPI_SUM, comm_);
    const int owed = tellers - (told_ ? 1 : 0);
    (void)toldByOthers();
    while (received_ < owed) {
      MPI_Wait(&request_, MPI_STATUS_IGNORE);
      take();
    }
    MPI_Cancel(&request_);
    MPI_Wait(&request_, MPI_STATUS_IGNORE);
  }

 protected:
  GroupState exchangeWorst(GroupState mine) override {
    int worst = static_cast<int>(mine);
    MPI_Allreduce(MPI_IN_PLACE, &worst, 1, MPI_INT, MPI_MAX, comm_);
    return static_cast<GroupState>(worst);
  }

 private:
  void postReceive() { MPI_Irecv(&incoming_, 1, MPI_INT, MPI_ANY_SOURCE, kStopTag, comm_, &request_); }

  void take() {
    worstTold_ = std::max(worstTold_, incoming_);
    ++received_;
    postReceive();
  }

  int rank_;
  int size_;
  MPI_Comm comm_ = MPI_COMM_NULL;
  MPI_Request request_ = MPI_REQUEST_NULL;
  int incoming_ = 0;
  int worstTold_ = 0;
  int received_ = 0;
  bool told_ = false;
};

}  // namespace

MpiRun::MpiRun() {
  int provided = MPI_THREAD_SINGLE;
  if (MPI_Init_thread(nullptr, nullptr, MPI_THREAD_SERIALIZED, &provided) != MPI_SUCCESS) {
    problem_ = "Cannot start MPI";
    return;
  }
  ok_ = true;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
  MPI_Comm_size(MPI_COMM_WORLD, &size_);
  char name[MPI_MAX_PROCESSOR_NAME] = {};
  int length = 0;
  MPI_Get_processor_name(name, &length);
  hostName_.assign(name, static_cast<size_t>(std::max(length, 0)));
  group_ = std::make_unique<MpiGroup>(MPI_COMM_WORLD, rank_, size_);
  if (provided < MPI_THREAD_SERIALIZED) {
    problem_ = "This MPI cannot be called from the training thread (it offers no serialised threads)";
    ok_ = false;
  }
}

MpiRun::~MpiRun() {
  if (group_) {
    static_cast<MpiGroup&>(*group_).finish();
    group_.reset();
  }
  int initialised = 0;
  MPI_Initialized(&initialised);
  if (initialised) MPI_Finalize();
}

void MpiRun::broadcast(std::span<int64_t> values) {
  MPI_Bcast(values.data(), static_cast<int>(values.size()), MPI_INT64_T, 0, MPI_COMM_WORLD);
}

void MpiRun::broadcast(std::span<double> values) {
  MPI_Bcast(values.data(), static_cast<int>(values.size()), MPI_DOUBLE, 0, MPI_COMM_WORLD);
}

void MpiRun::broadcast(std::string& text) {
  int64_t length = static_cast<int64_t>(text.size());
  broadcast(std::span<int64_t>(&length, 1));
  text.resize(static_cast<size_t>(length));
  MPI_Bcast(text.data(), static_cast<int>(length), MPI_CHAR, 0, MPI_COMM_WORLD);
}

std::vector<std::string> MpiRun::gather(const std::string& mine) {
  int length = static_cast<int>(mine.size());
  std::vector<int> lengths(static_cast<size_t>(size_));
  MPI_Allgather(&length, 1, MPI_INT, lengths.data(), 1, MPI_INT, MPI_COMM_WORLD);
  std::vector<int> starts(static_cast<size_t>(size_), 0);
  std::partial_sum(lengths.begin(), lengths.end() - 1, starts.begin() + 1);
  std::string all(static_cast<size_t>(starts.back() + lengths.back()), '\0');
  MPI_Allgatherv(mine.data(), length, MPI_CHAR, all.data(), lengths.data(), starts.data(), MPI_CHAR,
                 MPI_COMM_WORLD);
  std::vector<std::string> texts;
  for (size_t r = 0; r < lengths.size(); ++r)
    texts.push_back(all.substr(static_cast<size_t>(starts[r]), static_cast<size_t>(lengths[r])));
  return texts;
}

bool MpiRun::allHold(bool mine) {
  int holds = mine ? 1 : 0;
  MPI_Allreduce(MPI_IN_PLACE, &holds, 1, MPI_INT, MPI_LAND, MPI_COMM_WORLD);
  return holds != 0;
}

}  // namespace stridewell
