// Feeds arbitrary bytes to the dataset reader as a whole dataset file.
// Beyond "no crash, no leak, no hang" it checks what must hold for any
// input: reading stops either cleanly at the very end of the bytes or at a
// damaged race before it; positions only grow and never pass the end; reading
// the bytes a few at a time gives the same races; and the races read, written
// again and read back, give identical images in no more bytes than they took.
// The list's quick count (lengths and dates only) agrees with the reader on
// the races and on the damage.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "chunked_stream.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_summary.h"
#include "race/race.h"

using namespace stridewell;

namespace {

std::string imageOf(const Race& race) {
  std::string image;
  image.append(reinterpret_cast<const char*>(&race.card), sizeof race.card);
  image.append(reinterpret_cast<const char*>(&race.profile), sizeof race.profile);
  image.append(reinterpret_cast<const char*>(&race.result), sizeof race.result);
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Garbage in the working races, so that a read that fails to zero-fill shows.
  auto a = std::make_unique<Race>();
  auto b = std::make_unique<Race>();
  std::memset(static_cast<void*>(a.get()), 0xA5, sizeof(Race));
  std::memset(static_cast<void*>(b.get()), 0x5A, sizeof(Race));

  std::istringstream whole{std::string(bytes), std::ios::binary};
  fuzz::ChunkedBuf chunks(bytes, 1 + (size % 13));
  std::istream chunked(&chunks);
  DatasetReader atOnce(whole, "fuzz.DSI");
  DatasetReader piecewise(chunked, "fuzz.DSI");

  std::ostringstream rewritten(std::ios::binary);
  std::vector<std::string> images;
  uint64_t lastPosition = 0;
  for (;;) {
    const bool gotA = atOnce.next(*a);
    if (piecewise.next(*b) != gotA) std::abort();
    if (!gotA) break;
    const std::string image = imageOf(*a);
    if (image != imageOf(*b)) std::abort();
    if (atOnce.position() != piecewise.position()) std::abort();
    // Every race takes at least its header and one byte per record.
    if (atOnce.position() < lastPosition + kRaceHeaderBytes + 3 || atOnce.position() > size) std::abort();
    lastPosition = atOnce.position();
    if (!writeDatasetRace(rewritten, *a)) std::abort();
    images.push_back(image);
  }
  if (atOnce.damaged() != piecewise.damaged()) std::abort();
  if (atOnce.problem() != piecewise.problem()) std::abort();
  if (atOnce.racesRead() != static_cast<int>(images.size())) std::abort();
  if (atOnce.position() != lastPosition) std::abort();
  // A clean end is the end of the bytes; damage lies before it.
  if (!atOnce.damaged() && lastPosition != size) std::abort();
  if (atOnce.damaged() && (lastPosition >= size || atOnce.problem().empty())) std::abort();
  if (!atOnce.damaged() && !atOnce.problem().empty()) std::abort();
  std::istringstream summed{std::string(bytes), std::ios::binary};
  const DatasetSummary summary = summarizeDataset(summed);
  if (summary.races != atOnce.racesRead() || summary.damaged != atOnce.damaged()) std::abort();

  // Written again, the races are trimmed at least as tightly as they came.
  const std::string copy = rewritten.str();
  if (copy.size() > lastPosition) std::abort();
  std::istringstream again(copy, std::ios::binary);
  DatasetReader reread(again, "copy.DSI");
  for (const std::string& image : images) {
    if (!reread.next(*b) || imageOf(*b) != image) std::abort();
  }
  if (reread.next(*b) || reread.damaged() || reread.position() != copy.size()) std::abort();
  return 0;
}
