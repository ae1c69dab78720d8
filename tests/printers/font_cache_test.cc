// The file of font look-ups kept between runs: used only while what it was made from is
// unchanged, ignored when damaged, and really serving the look-ups of a font library.
#include "printers/fonts/font_cache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "printers/fonts/font_library.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

const FaceLocation kMono{"/fonts/Mono.ttf", 0, false, false};
const FaceLocation kMonoBold{"/fonts/Mono.ttc", 2, false, true};

class FontCacheTest : public ::testing::Test {
 protected:
  FontCacheTest() { MakeConfiguration(); }

  // A configuration file in its folder, both dated an hour ago: a change made now gives either
  // another time, however coarse the file system's clock.
  void MakeConfiguration() {
    fs::remove_all(config_dir_.Path());
    fs::create_directory(config_dir_.Path());
    config_file_ = config_dir_.Write("fonts.conf", "<fontconfig/>");
    const auto hour_ago = fs::last_write_time(config_file_) - std::chrono::hours(1);
    fs::last_write_time(config_file_, hour_ago);
    fs::last_write_time(config_dir_.Path(), hour_ago);
  }

  // A cache filled as a run with the configuration in config_dir_ would leave it.
  void Fill(const std::string& setup = "setup 1") {
    FontCache cache(cache_dir_.Path(), setup);
    EXPECT_FALSE(cache.Load());
    cache.Restart({config_file_, config_dir_.Path(), config_dir_.File("absent.conf")});
    cache.SetFaceNames({"Courier New", "Arial", "DejaVu Sans"});
    cache.Add("Courier New", false, false, "pl", kMono);
    cache.Add("Courier New", true, true, "", kMonoBold);
    cache.Save();
  }

  std::string CacheFile() const {
    for (const auto& entry : fs::directory_iterator(cache_dir_.Path())) return entry.path().string();
    return {};
  }

  TempDir cache_dir_;
  TempDir config_dir_;
  std::string config_file_;
};

TEST_F(FontCacheTest, AnswersComeBackInTheNextRun) {
  Fill();
  FontCache cache(cache_dir_.Path(), "setup 1");
  ASSERT_TRUE(cache.Load());
  ASSERT_TRUE(cache.FaceNames());
  EXPECT_EQ(*cache.FaceNames(), (std::vector<std::string>{"Courier New", "Arial", "DejaVu Sans"}));
  ASSERT_NE(cache.Find("Courier New", false, false, "pl"), nullptr);
  EXPECT_EQ(*cache.Find("Courier New", false, false, "pl"), kMono);
  ASSERT_NE(cache.Find("Courier New", true, true, ""), nullptr);
  EXPECT_EQ(*cache.Find("Courier New", true, true, ""), kMonoBold);
  // Only what was asked before is known: another language, weight or family is a miss.
  EXPECT_EQ(cache.Find("Courier New", false, false, ""), nullptr);
  EXPECT_EQ(cache.Find("Courier New", true, false, "pl"), nullptr);
  EXPECT_EQ(cache.Find("Arial", false, false, "pl"), nullptr);
}

TEST_F(FontCacheTest, AnyChangeToWhatItWasMadeFromDiscardsIt) {
  const auto later = [](const std::string& path) {
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  };
  const std::vector<std::pair<std::string, std::function<void()>>> changes = {
      {"a configuration file edited", [&] { later(config_file_); }},
      {"a configuration file rewritten", [&] { config_dir_.Write("fonts.conf", "<fontconfig></fontconfig>"); }},
      {"a file added beside it", [&] { config_dir_.Write("local.conf", "<fontconfig/>"); }},
      {"a file that was absent created", [&] { config_dir_.Write("absent.conf", ""); }},
      {"a configuration file removed", [&] { fs::remove(config_file_); }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    MakeConfiguration();
    for (const auto& entry : fs::directory_iterator(cache_dir_.Path())) fs::remove(entry.path());
    Fill();
    change();
    FontCache cache(cache_dir_.Path(), "setup 1");
    EXPECT_FALSE(cache.Load());
    EXPECT_FALSE(cache.FaceNames());
    EXPECT_EQ(cache.Find("Courier New", false, false, "pl"), nullptr);
  }
}

TEST_F(FontCacheTest, AnotherSetupHasItsOwnFile) {
  Fill("setup 1");
  FontCache other(cache_dir_.Path(), "setup 2");
  EXPECT_FALSE(other.Load());
  EXPECT_NE(other.Path(), FontCache(cache_dir_.Path(), "setup 1").Path());
  // Even given the first setup's file, it does not take its answers.
  fs::copy_file(CacheFile(), other.Path());
  EXPECT_FALSE(other.Load());
  EXPECT_EQ(other.Find("Courier New", false, false, "pl"), nullptr);
}

TEST_F(FontCacheTest, ADamagedFileIsIgnored) {
  Fill();
  std::ifstream in(CacheFile(), std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string good = buffer.str();
  const std::string path = CacheFile();
  const std::vector<std::string> damaged = {
      "",
      good.substr(0, good.size() / 2),                       // cut short
      good.substr(0, good.size() - 1),                       // last line unfinished
      "garbage\n" + good,                                    // not its header
      good + "match\t1\t0\tpl\tx\t0\t0\tCourier New\t/f.ttf\n",  // an index that is no number
      good + "match\t2\t0\tpl\t0\t0\t0\tCourier New\t/f.ttf\n",  // a flag that is no flag
      good + "something\telse\n",                            // an unknown record
      std::string(2 << 20, 'x') + "\n",                      // far too large
      std::string("prynda font cache 2\n\0\0\0\n", 24),
      good.substr(0, good.rfind("match")),                   // cut where a line begins
      good.substr(0, good.rfind("end")) + "face\tCourier\rNew\nend\n",  // a line end inside a name
      good.substr(0, good.rfind("end")) + "face\tArial\r\nend\n",       // a line ended by CR LF
  };
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE(i);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged[i];
    FontCache cache(cache_dir_.Path(), "setup 1");
    EXPECT_FALSE(cache.Load());
    EXPECT_FALSE(cache.FaceNames());
    EXPECT_EQ(cache.Find("Courier New", false, false, "pl"), nullptr);
  }
}

TEST_F(FontCacheTest, NamesItCannotStoreAreLeftOutNotMangled) {
  FontCache cache(cache_dir_.Path(), "setup 1");
  cache.Restart({config_file_});
  cache.SetFaceNames({"Courier New", "Odd\tFace"});
  cache.Add("Odd\tFace", false, false, "", kMono);
  cache.Add("Arial", false, false, "", FaceLocation{"/fonts/odd\nname.ttf", 0, false, false});
  cache.Add("Courier New", false, false, "", kMono);
  cache.Save();

  FontCache next(cache_dir_.Path(), "setup 1");
  ASSERT_TRUE(next.Load());
  EXPECT_FALSE(next.FaceNames());  // a partial list would hide a face: none is kept
  EXPECT_EQ(next.Find("Odd\tFace", false, false, ""), nullptr);
  EXPECT_EQ(next.Find("Arial", false, false, ""), nullptr);
  ASSERT_NE(next.Find("Courier New", false, false, ""), nullptr);
}

TEST_F(FontCacheTest, NoPlaceForItIsNoError) {
  FontCache nowhere("", "setup 1");
  EXPECT_FALSE(nowhere.Load());
  nowhere.Restart({config_file_});
  nowhere.Add("Courier New", false, false, "", kMono);
  nowhere.Save();
  EXPECT_NE(nowhere.Find("Courier New", false, false, ""), nullptr);  // still serves this run

  // A file standing where its folder should be.
  const std::string blocked = cache_dir_.Write("blocked", "");
  FontCache cache(blocked + "/prynda", "setup 1");
  cache.Restart({config_file_});
  cache.Add("Courier New", false, false, "", kMono);
  cache.Save();
  EXPECT_FALSE(cache.Load());
}

TEST(FontCacheFolder, FollowsTheUsersCacheFolder) {
  testing::SetEnv("XDG_CACHE_HOME", "/somewhere/cache");
  EXPECT_EQ(FontCache::DefaultFolder(), "/somewhere/cache/prynda");
  testing::UnsetEnv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  const std::string saved = home != nullptr ? home : "";
  testing::SetEnv("HOME", "/users/ola");
  EXPECT_EQ(FontCache::DefaultFolder(), "/users/ola/.cache/prynda");
  testing::UnsetEnv("HOME");
  EXPECT_EQ(FontCache::DefaultFolder(), "");
  if (home != nullptr) testing::SetEnv("HOME", saved);
}

// The font library on fontconfig: a second run answers from the file the first one left, without
// asking fontconfig (shown by an answer planted in the file), and a fresh one asks it again.
TEST(FontLibraryCache, ASecondRunAnswersFromTheFirstRunsFile) {
  TempDir cache_home;
  testing::SetEnv("XDG_CACHE_HOME", cache_home.Path());
  std::vector<std::string> names;
  std::string courier;
  {
    FontLibrary fonts;
    names = fonts.FaceNames();
    courier = fonts.Realize(TFontSpec{.Face = "Courier New", .Charset = 238}, 600, 600).Face().File();
  }
  std::string file;
  for (const auto& entry : fs::directory_iterator(cache_home.Path() + "/prynda")) file = entry.path().string();
  ASSERT_FALSE(file.empty());
  {
    FontLibrary fonts;
    EXPECT_EQ(fonts.FaceNames(), names);
    EXPECT_EQ(fonts.Realize(TFontSpec{.Face = "Courier New", .Charset = 238}, 600, 600).Face().File(), courier);
  }

  // Another face file planted as the answer for Courier New: the library takes it as it is.
  std::ifstream in(file, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  in.close();
  std::string text = buffer.str();
  const std::size_t at = text.find("\tCourier New\t" + courier + "\n");
  ASSERT_NE(at, std::string::npos);
  FontLibrary probe;
  const std::string other = probe.Realize(TFontSpec{.Face = "DejaVu Sans", .Charset = 0}, 600, 600).Face().File();
  ASSERT_NE(other, courier);
  text.replace(at, std::string("\tCourier New\t" + courier).size(), "\tCourier New\t" + other);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  {
    FontLibrary fonts;
    EXPECT_EQ(fonts.Realize(TFontSpec{.Face = "Courier New", .Charset = 238}, 600, 600).Face().File(), other);
  }
  // Without the file, fontconfig is asked again and answers as before.
  fs::remove(file);
  {
    FontLibrary fonts;
    EXPECT_EQ(fonts.Realize(TFontSpec{.Face = "Courier New", .Charset = 238}, 600, 600).Face().File(), courier);
  }
  testing::UnsetEnv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace prynda
