// The private scheduler's jobs as the CUPS tests read them (through libcups, CUPS_SERVER set).
#pragma once

#include <cups/cups.h>

#include <algorithm>
#include <string>
#include <vector>

namespace prynda::testing {

struct JobInfo {
  int Id = 0;
  std::string Printer;
  std::string Title;
  std::string User;
  ipp_jstate_t State = IPP_JSTATE_PENDING;
};

// Every job the scheduler keeps, oldest first.
inline std::vector<JobInfo> Jobs() {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
  std::vector<JobInfo> result;
  for (int i = 0; i < count; ++i) {
    result.push_back(JobInfo{jobs[i].id, jobs[i].dest, jobs[i].title ? jobs[i].title : "",
                             jobs[i].user ? jobs[i].user : "", jobs[i].state});
  }
  cupsFreeJobs(count, jobs);
  std::sort(result.begin(), result.end(), [](const JobInfo& a, const JobInfo& b) { return a.Id < b.Id; });
  return result;
}

inline int LatestJobId() {
  int latest = 0;
  for (const auto& job : Jobs()) latest = std::max(latest, job.Id);
  return latest;
}

inline bool Ended(const JobInfo& job) {
  return job.State == IPP_JSTATE_COMPLETED || job.State == IPP_JSTATE_CANCELED || job.State == IPP_JSTATE_ABORTED;
}

}  // namespace prynda::testing
