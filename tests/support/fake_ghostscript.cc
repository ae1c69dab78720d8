// A stand-in for Ghostscript's console program in the Windows tests, which run under Wine with no
// Windows Ghostscript to hand. Its arguments go to the file FAKE_GS_ARGUMENTS names, one a line.
// It reads its standard input to the end; input that names nieznane_polecenie fails as Ghostscript
// fails on an unknown name (exit code 1, the error on standard error), any other comes back on
// standard output as it is, after a long run of warnings on standard error.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
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
  if (input.find("nieznane_polecenie") != std::string::npos) {
    std::fputs("   **** Warning: a note first\nError: /undefined in nieznane_polecenie\nOperand stack:\n", stderr);
    return 1;
  }
  // More than a pipe holds, while the output waits: both have to be read as they come.
  for (int i = 0; i < 8192; ++i) std::fputs("   **** Warning: nothing\n", stderr);
  std::fwrite(input.data(), 1, input.size(), stdout);
  return 0;
}
