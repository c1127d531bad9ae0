// The peak of extra room an install takes, row by row, in whole clusters. Portable.
#include "install/install_space.h"

namespace {

unsigned long long Clusters(unsigned long long size, unsigned long long cluster) {
  return (size + cluster - 1) / cluster * cluster;
}

} // namespace

unsigned long long PeakInstallSpace(const unsigned long long *newSizes, const unsigned long long *oldSizes, int count,
                                    unsigned long long cluster, int batched) {
  long long done = 0, peak = 0; // the change so far, and the highest it went
  for (int i = 0; i < count; ++i) {
    long long replaced = static_cast<long long>(Clusters(oldSizes[i], cluster));
    long long written = static_cast<long long>(Clusters(newSizes[i], cluster));
    if (done + written > peak)
      peak = done + written; // the temporary file beside the old copy
    done += written - (batched ? 0 : replaced);
  }
  return static_cast<unsigned long long>(peak);
}
