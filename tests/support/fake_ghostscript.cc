// A stand-in for Ghostscript's console program in the Windows tests, which run under Wine with no
// Windows Ghostscript to hand. Its arguments go to the file FAKE_GS_ARGUMENTS names, one a line.
// It reads its standard input to the end; input that names nieznane_polecenie fails as Ghostscript
// fails on an unknown name (exit code 1, the error on standard error), any other comes back on
// standard output after a PDF's first line, after a long run of warnings on standard error -
// unless it asks for a hostile run (its first line): "%loop" runs for ever, "%memory" takes
// memory until it gets no more (then fails as Ghostscript does), "%output" writes for ever,
// "%folder" writes TEMP, TMP and TMPDIR, "%child" starts a copy of itself that runs for ever and
// writes its process id.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--forever") {
    for (;;) Sleep(1000);
  }
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  if (const char* record = std::getenv("FAKE_GS_ARGUMENTS")) {
    if (std::FILE* out = std::fopen(record, "wb")) {
      for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
      std::fclose(out);
    }
  }
  std::string input;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) input.append(buffer, got);
  const std::string run = input.substr(0, input.find('\n'));
  if (run == "%loop") {
    for (;;) Sleep(1000);
  }
  if (run == "%memory") {
    std::vector<char*> blocks;  // at most 2 GiB where nothing limits it
    for (int i = 0; i < 128; ++i) {
      char* block = static_cast<char*>(std::malloc(16 << 20));
      if (block == nullptr) {
        std::fputs("Error: /VMerror in --string--\n", stderr);
        return 1;
      }
      for (int at = 0; at < (16 << 20); at += 4096) block[at] = 1;
      blocks.push_back(block);
    }
    return 0;
  }
  if (run == "%output") {
    for (;;) std::fwrite(buffer, 1, sizeof buffer, stdout);
  }
  if (run == "%folder") {
    for (const char* name : {"TEMP", "TMP", "TMPDIR"}) std::printf("%s\n", std::getenv(name));
    return 0;
  }
  if (run == "%child") {
    char self[MAX_PATH * 2];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = "\"" + std::string(self) + "\" --forever";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      return 2;
    }
    std::printf("%lu\n", info.dwProcessId);
    return 0;
  }
  if (input.find("nieznane_polecenie") != std::string::npos) {
    std::fputs("   **** Warning: a note first\nError: /undefined in nieznane_polecenie\nOperand stack:\n", stderr);
    return 1;
  }
  // More than a pipe holds, while the output waits: both have to be read as they come.
  for (int i = 0; i < 8192; ++i) std::fputs("   **** Warning: nothing\n", stderr);
  std::fputs("%PDF-1.7\n", stdout);
  std::fwrite(input.data(), 1, input.size(), stdout);
  return 0;
}
