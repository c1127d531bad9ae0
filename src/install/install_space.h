#ifndef VELLUMINE_INSTALL_INSTALL_SPACE_H
#define VELLUMINE_INSTALL_INSTALL_SPACE_H

// The peak of extra disk space an install takes, written row by row through temporary files: before row i the
// rows before it have replaced their old copies, and row i's temporary file sits beside its old copy. Batched,
// every temporary file is written before any replaces its old copy. Sizes in bytes, each rounded up to whole
// clusters. Portable.
unsigned long long PeakInstallSpace(const unsigned long long *newSizes, const unsigned long long *oldSizes, int count,
                                    unsigned long long cluster, int batched = 0);

#endif
