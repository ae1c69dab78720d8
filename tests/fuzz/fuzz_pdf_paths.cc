// The naming of "Prynda PDF" output files over arbitrary printed-file names and PRYNDA_PDF values.
// The first byte holds flags: 1 PRYNDA_PDF is set, 2 it names a folder, 4 the file system ignores
// the case of ASCII letters; the rest, split at NUL, is the printed file's name, PRYNDA_PDF, and a
// link with what it leads to (the link, and paths under it, name the same files as the target).
//
// The naming alone, on that model of the file system, must give what its rules say: the printed
// file with its extension replaced by .pdf (.pdf added where that would be the file itself); with
// PRYNDA_PDF a folder, the printed file's base name with .pdf in that folder; else PRYNDA_PDF as
// it is. Never the printed file: where the rules give nothing else, an EPrinter. The same names
// are then tried on a real tree of files, folders and links: a name the naming returns is never
// the printed file's own place in its folder.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/printer_error.h"
#include "fuzz/fuzz_job.h"
#include "printers/prynda_pdf/pdf_file_printer.h"

using namespace prynda;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitAtNul(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      parts.emplace_back();
    } else {
      parts.back() += static_cast<char>(data[i]);
    }
  }
  return parts;
}

// The file system the naming is told about: every path exists; paths are one file when they are
// one after the link is followed, "." and ".." are resolved, a trailing separator dropped and, on
// a file system that ignores case, ASCII letters folded.
struct ModelFileSystem {
  std::string link;
  std::string target;
  bool fold_case = false;

  std::string Canonical(const fs::path& path) const {
    std::string text = path.string();
    if (!link.empty() && text.starts_with(link) && (text.size() == link.size() || text[link.size()] == '/')) {
      text = target + text.substr(link.size());
    }
    text = fs::path(text).lexically_normal().string();
    if (text.size() > 1 && text.back() == '/') text.pop_back();
    if (fold_case) {
      for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      }
    }
    return text;
  }
  bool Same(const fs::path& a, const fs::path& b) const { return Canonical(a) == Canonical(b); }
};

// The base name with ".pdf" for its extension: the part after the last separator, without its
// last dot and what follows (unless the dot leads the name, or the name is "." or "..").
std::string PdfName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (name != "." && name != ".." && dot != std::string_view::npos && dot != 0) name = name.substr(0, dot);
  return std::string(name) + ".pdf";
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

// The naming alone: the result from the rules above, or nullopt where it must raise EPrinter.
std::optional<std::string> Expected(const std::string& source, const char* pdf_env, bool env_is_folder,
                                    const ModelFileSystem& files) {
  const std::string printed = source.empty() ? "prynda" : source;
  const std::string env = pdf_env != nullptr ? pdf_env : "";
  if (env.empty()) {
    const std::string replaced = FolderOf(printed) + PdfName(printed);
    if (replaced != printed && !files.Same(replaced, printed)) return replaced;
    if (files.Same(printed + ".pdf", printed)) return std::nullopt;
    return printed + ".pdf";
  }
  std::string chosen = env;
  if (env_is_folder || env.ends_with('/')) chosen += (env.ends_with('/') ? "" : "/") + PdfName(printed);
  if (files.Same(chosen, printed)) return std::nullopt;
  return chosen;
}

void CheckNaming(const std::string& source, const char* pdf_env, bool env_is_folder, const ModelFileSystem& files) {
  const std::optional<std::string> expected = Expected(source, pdf_env, env_is_folder, files);
  std::optional<std::string> named;
  try {
    named = PdfOutputPath(source, pdf_env, env_is_folder,
                          [&](const fs::path& a, const fs::path& b) { return files.Same(a, b); });
  } catch (const EPrinter&) {
  }
  if (named != expected) __builtin_trap();
  if (!named) return;
  const std::string printed = source.empty() ? "prynda" : source;
  if (*named == printed || files.Same(*named, printed)) __builtin_trap();
  const std::string_view env = pdf_env != nullptr ? pdf_env : "";
  if (env.empty() || env_is_folder || env.ends_with('/')) {
    if (!named->ends_with(".pdf")) __builtin_trap();
  }
  if (!env.empty() && (env_is_folder || env.ends_with('/'))) {
    // In that folder, not in one below it or above it.
    if (!named->starts_with(env)) __builtin_trap();
    std::string_view name = std::string_view(*named).substr(env.size());
    if (!env.ends_with('/')) {
      if (!name.starts_with('/')) __builtin_trap();
      name.remove_prefix(1);
    }
    if (name.find('/') != std::string_view::npos || name == "." || name == "..") __builtin_trap();
  }
}

// A tree of files, folders and links made once: files with and without .pdf, a file whose name
// differs from another's only in case, links to files (one named as the file it leads to without
// its .pdf) and a hard link, a link to a folder and one to the folder above.
const std::string& Tree() {
  static const std::string tree = [] {
    const std::string root = fuzzing::ScratchFolder() + "/tree";
    fs::create_directories(root + "/sub/deeper");
    for (const char* name :
         {"a.txt", "a.pdf", "b.PDF", "c", ".d", "f.pdf", "sub/a.txt", "sub/a.pdf", "sub/deeper/e.txt"}) {
      std::ofstream(root + "/" + name) << "x";
    }
    std::error_code ignored;
    fs::create_symlink("a.txt", root + "/alias.pdf", ignored);
    fs::create_symlink("sub/a.pdf", root + "/alias.txt", ignored);
    fs::create_symlink("f.pdf", root + "/f", ignored);
    fs::create_hard_link(root + "/a.txt", root + "/hard.pdf", ignored);
    fs::create_directory_symlink("sub", root + "/link", ignored);
    fs::create_directory_symlink("..", root + "/up", ignored);
    return root;
  }();
  return tree;
}

// Where writing `path` puts a file: its folder, links and all resolved, and its own name there.
std::optional<fs::path> PlaceOf(const fs::path& path) {
  const fs::path name = path.filename();
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  std::error_code error;
  const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const fs::path folder = fs::canonical(parent, error);
  if (error) return std::nullopt;
  return folder / name;
}

// The real naming on the tree: the printed file and PRYNDA_PDF are taken inside it.
void CheckOnTree(const std::string& source, const std::optional<std::string>& env_part) {
  const std::string printed = Tree() + "/" + source;
  const std::optional<std::string> env = env_part ? std::optional(Tree() + "/" + *env_part) : std::nullopt;
  std::error_code error;
  const fs::path data = fs::canonical(printed, error);
  if (error || !fs::is_regular_file(data, error)) return;  // only a file is printed
  std::string named;
  try {
    named = PdfOutputPath(printed, env ? env->c_str() : nullptr);
  } catch (const EPrinter&) {
    return;  // no PDF, the printed file untouched
  }
  if (const auto place = PlaceOf(named); place && *place == data) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  std::vector<std::string> parts = SplitAtNul(data + 1, size - 1);
  parts.resize(std::max<std::size_t>(parts.size(), 4));
  const std::string& source = parts[0];
  const char* pdf_env = (flags & 1) ? parts[1].c_str() : nullptr;
  const bool env_is_folder = (flags & 2) != 0;
  const ModelFileSystem files{parts[2], parts[3], (flags & 4) != 0};
  CheckNaming(source, pdf_env, env_is_folder, files);
  CheckOnTree(source, (flags & 1) ? std::optional(parts[1]) : std::nullopt);
  return 0;
}
