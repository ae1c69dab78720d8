// Shared set-up of the rendering engine's tests: the recording print system behind a TPrinter, the
// console on string streams in UTF-8 (expected messages read as written here), a job whose input
// file is written by the test into a scratch folder, and short views of what was printed.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "device/print_system_wrapper.h"
#include "device/printer.h"
#include "fakes/recording_print_system.h"
#include "job/job_context.h"
#include "jobcontrol/font_set.h"
#include "platform/console.h"
#include "platform/text_encoding.h"
#include "render/render_document.h"
#include "support/console_streams.h"
#include "support/temp_dir.h"

namespace prynda::testing {

// ESC, the command byte and its arguments.
template <class... Bytes>
std::string Esc(char command, Bytes... args) {
  return std::string{'\x1b', command, static_cast<char>(args)...};
}

// The recording system with a hook on the bell. The bell draws nothing and moves nothing, so a test
// can put one into its input to act (say, shorten the file) at that point of a rendering run.
class BellHookSystem final : public PrintSystemWrapper {
 public:
  using PrintSystemWrapper::PrintSystemWrapper;

  std::function<void()> OnBeep;

  void Beep() override {
    PrintSystemWrapper::Beep();
    if (OnBeep) OnBeep();
  }
};

// Open file descriptors of this process; a run that leaks its input file shows here.
inline int OpenDescriptors() {
  int count = 0;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    ++count;
  }
  return count;
}

class EngineFixture : public ::testing::Test, protected ConsoleStreams {
 protected:
  EngineFixture() {
    job.InputFileName = job.Params[1] = folder_.File("faktura.txt");
    SetUpFontSet(job);
  }

  std::string Scratch(const std::string& name) const { return folder_.File(name); }

  // Writes the job's input file.
  void SetInput(std::string_view bytes) {
    std::ofstream(job.InputFileName, std::ios::binary | std::ios::trunc).write(bytes.data(),
                                                                             static_cast<std::streamsize>(bytes.size()));
  }
  TRenderOutcome Render(std::string_view bytes) {
    SetInput(bytes);
    return RenderDocument(job, printer.PageCanvas());
  }
  TRenderOutcome RenderFile() { return RenderDocument(job, printer.PageCanvas()); }

  // The one document the run produced.
  const RecordedDocument& Document() const {
    EXPECT_EQ(system.Documents.size(), 1u);
    if (system.Documents.empty()) throw std::logic_error("no document was started");
    return system.Documents.back();
  }
  const std::vector<RecordedPage>& Pages() const { return Document().Pages; }
  // Every text of a page as "text@x,y", in drawing order.
  std::vector<std::string> Drawn(std::size_t page = 0) const {
    std::vector<std::string> drawn;
    const auto& pages = Pages();
    if (page >= pages.size()) {
      ADD_FAILURE() << "no page " << page + 1 << " of " << pages.size();
      return drawn;
    }
    for (const RecordedText& text : pages[page].Texts) {
      drawn.push_back(text.Text + "@" + std::to_string(text.X) + "," + std::to_string(text.Y));
    }
    return drawn;
  }
  // The texts of every page run together, one string per page.
  std::vector<std::string> PageTexts() const {
    std::vector<std::string> texts;
    for (const RecordedPage& page : Pages()) {
      std::string text;
      for (const RecordedText& t : page.Texts) text += t.Text;
      texts.push_back(text);
    }
    return texts;
  }

  TempDir folder_;
  RecordingPrintSystem system;
  BellHookSystem hooked{system};
  TPrinter printer{hooked};
  TJobContext job{{"/opt/prynda/prynda", ""}, printer, console};
};

}  // namespace prynda::testing
