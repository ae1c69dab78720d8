// The private scheduler's jobs as the CUPS tests read them (through libcups, CUPS_SERVER set).
#pragma once

#include <cups/cups.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

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

// Points libcups at the private scheduler in `server` (scripts/cups-test-server); false where it
// is not running, and the test is to be skipped.
inline bool UsePrivateScheduler(const std::filesystem::path& server) {
  if (!std::filesystem::exists(server / "cups.sock")) return false;
  setenv("CUPS_SERVER", (server / "cups.sock").c_str(), 1);
  return true;
}

// The one job made after job `before`, once the scheduler is done with it (within a minute).
inline JobInfo FinishedJobAfter(int before) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    std::vector<JobInfo> made;
    for (const auto& job : Jobs()) {
      if (job.Id > before) made.push_back(job);
    }
    if (made.size() > 1) ADD_FAILURE() << "more than one job";
    if (made.size() == 1 && Ended(made[0])) return made[0];
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ADD_FAILURE() << "no finished job";
  return {};
}

// What the private scheduler's queues printed (scripts/cups-test-server): the file queue's one
// PDF, and the PDF of job `job` on the cups-pdf queue, which names its files after the title with
// the job number at the end (empty while there is none).
inline std::filesystem::path FileQueueOutputOf(const std::filesystem::path& server) {
  return server / "out" / "file" / "out.pdf";
}
inline std::filesystem::path PdfQueueOutputOf(const std::filesystem::path& server, int job) {
  const std::string ending = "-job_" + std::to_string(job) + ".pdf";
  for (const auto& entry : std::filesystem::directory_iterator(server / "out" / "pdf")) {
    if (entry.path().filename().string().ends_with(ending)) return entry.path();
  }
  return {};
}

}  // namespace prynda::testing
