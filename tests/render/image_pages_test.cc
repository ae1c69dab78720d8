// Pages of pictures on the recording printer: where a picture lands and in which orientation, raster
// pages over the whole sheet, and the ends of a job: copies, messages, the page limit, a stop.
#include "render/image_pages.h"

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "platform/stop_requests.h"
#include "render/page_cycle.h"
#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

// Pages of pictures whose dots are numbered, so that each has a checksum of its own.
class PictureSource final : public ImagePageSource {
 public:
  struct Page {
    int Width, Height, Channels;
    ImagePlacement Placement = ImagePlacement::FitPrintableArea;
  };
  explicit PictureSource(std::vector<Page> pages) : pages_(std::move(pages)) {
    for (const Page& page : pages_) {
      dots_.emplace_back(static_cast<std::size_t>(page.Width * page.Height * page.Channels));
      for (std::size_t i = 0; i < dots_.back().size(); ++i) dots_.back()[i] = static_cast<std::uint8_t>(i * 7 + dots_.size());
    }
  }
  std::function<void(int)> OnPage;  // called with the page's number as it is given

  bool NextPage(ImagePage& page) override {
    if (next_ == pages_.size()) return false;
    const Page& p = pages_[next_];
    page.Image = TImage{p.Width, p.Height, p.Channels, p.Width * p.Channels, dots_[next_].data()};
    page.Placement = p.Placement;
    ++next_;
    if (OnPage) OnPage(static_cast<int>(next_));
    return true;
  }
  std::uint32_t Checksum(std::size_t page) const {
    const Page& p = pages_[page];
    return PictureChecksum(TImage{p.Width, p.Height, p.Channels, p.Width * p.Channels, dots_[page].data()});
  }

 private:
  std::vector<Page> pages_;
  std::vector<std::vector<std::uint8_t>> dots_;
  std::size_t next_ = 0;
};

class ImagePagesTest : public EngineFixture {};

TEST_F(ImagePagesTest, APictureFillsThePrintableAreaInItsProportionsCentred) {
  // The fake's A4 sheet at 600 dpi: 4960 x 7016 dots, a margin of 100, so the printable area is
  // 4760 x 6816 (6816 x 4760 in landscape).
  constexpr TPrinterOrientation kPortrait = TPrinterOrientation::Portrait;
  constexpr TPrinterOrientation kLandscape = TPrinterOrientation::Landscape;
  struct Case {
    const char* Name;
    PictureSource::Page Picture;
    OrientationChoice Asked;
    TPrinterOrientation Orientation;
    RecordedPicture Placed;  // X, Y, Width, Height
  };
  const Case cases[] = {
      // Twice as wide: landscape, the full width, half of it high (3408), centred: (4760 - 3408) / 2.
      {"wide", {200, 100, 3}, OrientationChoice::File, kLandscape, {0, 676, 6816, 3408}},
      {"tall grey", {100, 200, 1}, OrientationChoice::File, kPortrait, {676, 0, 3408, 6816}},
      // Square: the full width, centred down the page: (6816 - 4760) / 2.
      {"square", {300, 300, 3}, OrientationChoice::Auto, kPortrait, {0, 1028, 4760, 4760}},
      {"one dot", {1, 1, 1}, OrientationChoice::File, kPortrait, {0, 1028, 4760, 4760}},
      // The settings' orientation wins: wide in portrait, the width full, (6816 - 2380) / 2 down.
      {"wide in portrait", {200, 100, 3}, OrientationChoice::Portrait, kPortrait, {0, 2218, 4760, 2380}},
      {"tall in landscape", {100, 200, 3}, OrientationChoice::Landscape, kLandscape, {2218, 0, 2380, 4760}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    system.Documents.clear();
    job.Prynda.Orientation = c.Asked;
    PictureSource pages({c.Picture});
    ASSERT_EQ(PrintImagePages(job, printer.PageCanvas(), pages), TRenderOutcome::Completed);
    EXPECT_EQ(Document().Settings.Orientation, c.Orientation);
    ASSERT_EQ(Pages().size(), 1u);
    ASSERT_EQ(Pages()[0].Pictures.size(), 1u);
    const RecordedPicture& placed = Pages()[0].Pictures[0];
    EXPECT_EQ((std::vector{placed.X, placed.Y, placed.Width, placed.Height}),
              (std::vector{c.Placed.X, c.Placed.Y, c.Placed.Width, c.Placed.Height}));
    EXPECT_EQ((std::vector{placed.Columns, placed.Rows, placed.Channels}),
              (std::vector{c.Picture.Width, c.Picture.Height, c.Picture.Channels}));
    EXPECT_EQ(placed.Checksum, pages.Checksum(0));
    EXPECT_EQ(printer.PageOrientation(), kPortrait) << "the printer's own orientation comes back";
  }
}

TEST_F(ImagePagesTest, RasterPagesCoverTheWholeSheetPageByPage) {
  job.Settings.Copies = 3;
  job.Prynda.Recognised = "PWG raster";
  PictureSource pages({{496, 701, 3, ImagePlacement::WholeSheet}, {496, 701, 1, ImagePlacement::WholeSheet}});
  ASSERT_EQ(PrintImagePages(job, printer.PageCanvas(), pages), TRenderOutcome::Completed);
  ASSERT_EQ(Pages().size(), 2u);
  for (std::size_t page = 0; page < 2; ++page) {
    ASSERT_EQ(Pages()[page].Pictures.size(), 1u);
    const RecordedPicture& placed = Pages()[page].Pictures[0];
    // From the sheet's corner, 100 dots before the printable area's, over all of it.
    EXPECT_EQ((std::vector{placed.X, placed.Y, placed.Width, placed.Height}), (std::vector{-100, -100, 4960, 7016}));
    EXPECT_EQ(placed.Checksum, pages.Checksum(page));
  }
  EXPECT_EQ(Document().Settings.Copies, 3);
  EXPECT_TRUE(Document().Finished);
  EXPECT_EQ(Output(), "Zaczynam przetwarzać dokument:" + job.InputFileName +
                          " na drukarkę:Fake Printer\n * rozpoznano : PWG raster\nWydruk strony # 1\n"
                          "Wydruk strony # 2\nZadanie wykonano\n");
}

TEST_F(ImagePagesTest, AJobThatCannotEndLeavesNothingPrinted) {
  // No page: the printer is never asked for a document.
  PictureSource none({});
  EXPECT_EQ(PrintImagePages(job, printer.PageCanvas(), none), TRenderOutcome::NotStarted);
  EXPECT_TRUE(system.Documents.empty());
  EXPECT_EQ(Output(), "");

  // Past the page limit, as a printout's pages are limited.
  job.Prynda.MaxPages = 2;
  PictureSource three({{10, 10, 1}, {10, 10, 1}, {10, 10, 1}});
  EXPECT_THROW(PrintImagePages(job, printer.PageCanvas(), three), PageLimitExceeded);
  EXPECT_TRUE(Document().Aborted);
  EXPECT_EQ(Pages().size(), 2u);
  EXPECT_FALSE(printer.IsPrinting());

  // A request to stop that comes while the second page is drawn.
  system.Documents.clear();
  job.Prynda.MaxPages = 0;
  PictureSource two({{10, 10, 1}, {10, 10, 1}});
  two.OnPage = [](int page) {
    if (page == 2) detail::stop_request = SIGTERM;
  };
  EXPECT_THROW(PrintImagePages(job, printer.PageCanvas(), two), JobInterrupted);
  detail::stop_request = 0;
  EXPECT_TRUE(Document().Aborted);
  EXPECT_FALSE(printer.IsPrinting());
}

}  // namespace
}  // namespace prynda::testing
