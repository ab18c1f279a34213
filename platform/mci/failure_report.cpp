// SPDX-License-Identifier: MIT
#include "platform/mci/failure_report.h"

#include <cstdio>
#include <set>

namespace mci {

void ReportMusicFailure(const std::string& what) {
  static std::set<std::string> printed;
  if (!printed.insert(what).second) return;
  std::fprintf(stderr, "music: %s\n", what.c_str());
}

}  // namespace mci
