// What font look-ups found in earlier runs, kept in a small file per user, so that a short job
// does not pay for loading the font configuration again (tens of files parsed before the first
// look-up can be answered). The file holds the answers (the list of faces, and the face file
// matched for each family, weight, slant and language asked for) together with the modification
// times of every file and folder the configuration was read from or looked in; it is used only
// while all of those are as they were, and only by a run of the same setup (library version and
// the environment variables that steer the look-ups). Anything unexpected in it and it is ignored.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace prynda {

// Where a look-up led: a face of a font file, and whether it has to be emboldened or slanted.
struct FaceLocation {
  std::string File;
  int Index = 0;
  bool SyntheticBold = false;
  bool SyntheticItalic = false;

  bool operator==(const FaceLocation&) const = default;
};

class FontCache {
 public:
  // The folder for this user's cache: $XDG_CACHE_HOME/prynda, else $HOME/.cache/prynda; empty
  // (no cache) when neither is set.
  static std::string DefaultFolder();

  // A cache in `folder` for one setup; the file's name is derived from the setup, so that runs
  // with different setups keep their answers apart. An empty folder: answers are kept for this
  // run only.
  FontCache(std::string folder, std::string setup);

  // Reads the file. True when it is this setup's and nothing it depends on has changed since it
  // was written; its answers are then served.
  bool Load();
  bool Valid() const { return valid_; }

  // Starts afresh for a configuration read from (or looking in) `paths`: their times are taken
  // now, the answers are dropped.
  void Restart(const std::vector<std::string>& paths);

  const std::optional<std::vector<std::string>>& FaceNames() const { return face_names_; }
  void SetFaceNames(std::vector<std::string> names);

  // `language` is empty where none was asked for.
  const FaceLocation* Find(std::string_view family, bool bold, bool italic, std::string_view language) const;
  void Add(std::string family, bool bold, bool italic, std::string language, FaceLocation location);

  // Writes the file when answers were added: under a temporary name, then renamed into place,
  // so that a run reading it at the same time sees the old file or the new one. A cache that
  // cannot be written is not an error.
  void Save();

  const std::string& Path() const { return path_; }

 private:
  using Key = std::tuple<std::string, bool, bool, std::string>;

  void Stamp(const std::string& path);

  std::string folder_;
  std::string setup_;
  std::string path_;
  bool valid_ = false;
  bool dirty_ = false;
  std::vector<std::pair<std::string, std::string>> stamps_;  // path, time (or "-" when absent)
  std::optional<std::vector<std::string>> face_names_;
  std::map<Key, FaceLocation> matches_;
};

}  // namespace prynda
