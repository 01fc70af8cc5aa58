#include "patterns/literal_scoring.h"

#include <algorithm>
#include <cstddef>

#include "model/sim_shape.h"

namespace stridewell {

void addLiteralScores(SimModel& model, std::span<const HorseInputs> field, std::span<double> scores) {
  const int n = static_cast<int>(field.size());
  // The five horses' vectors side by side; each block is refilled by
  // copying when its loop moves on.
  float inputs[kSimInputs];
  auto fill = [&](int slot, int horse) {
    const HorseInputs& source = field[static_cast<size_t>(horse)];
    std::copy(source.begin(), source.end(), inputs + slot * kSimInputsPerHorse);
  };
  for (int a = 0; a < n; ++a) {
    fill(0, a);
    for (int b = 0; b < n; ++b) {
      if (b == a) continue;
      fill(1, b);
      for (int c = 0; c < n; ++c) {
        if (c == a || c == b) continue;
        fill(2, c);
        for (int d = 0; d < n; ++d) {
          if (d == a || d == b || d == c) continue;
          fill(3, d);
          for (int e = 0; e < n; ++e) {
            if (e == a || e == b || e == c || e == d) continue;
            fill(4, e);
            const std::span<const double> out = model.forward(inputs);
            scores[static_cast<size_t>(a)] += out[0];
            scores[static_cast<size_t>(b)] += out[1];
            scores[static_cast<size_t>(c)] += out[2];
            scores[static_cast<size_t>(d)] += out[3];
            scores[static_cast<size_t>(e)] += out[4];
          }
        }
      }
    }
  }
}

}  // namespace stridewell
