#include "julia_zoom/zoom_command_line.hpp"

#include <gtest/gtest.h>

namespace mapplot {
namespace {

TEST(ZoomCommandLine, EveryOptionLandsInItsFieldAndNamesKeepTheirBytes) {
  const auto none = parse_zoom_command_line({"julia_zoom"});
  EXPECT_EQ(none.error, "");
  EXPECT_FALSE(none.options.frames_folder || none.options.video_file || none.options.off_screen ||
               none.options.show_help || none.options.show_version);
  EXPECT_EQ(none.options.video_frame_rate, 30);

  // A name in Latin-1 is not UTF-8, and must still be the same file.
  const auto all = parse_zoom_command_line({"julia_zoom", "--frames", "caf\xe9 frames",
                                            "--video=Zoom.WEBM", "--fps", "24", "--offscreen"});
  EXPECT_EQ(all.error, "");
  EXPECT_EQ(all.options.frames_folder, std::filesystem::path("caf\xe9 frames"));
  EXPECT_EQ(all.options.video_file, std::filesystem::path("Zoom.WEBM"));
  EXPECT_EQ(all.options.video_frame_rate, 24);
  EXPECT_TRUE(all.options.off_screen);

  // A value is the next argument, whatever it looks like.
  EXPECT_EQ(parse_zoom_command_line({"julia_zoom", "--frames", "--odd"}).options.frames_folder,
            std::filesystem::path("--odd"));
}

// --explore opens on frame 1, --explore=FRAME on a frame of the zoom.
TEST(ZoomCommandLine, ExploreTakesAFrameOfTheZoomOrStartsAtTheFirst) {
  EXPECT_EQ(parse_zoom_command_line({"julia_zoom", "--explore"}).options.explore_frame, 1);
  EXPECT_EQ(
      parse_zoom_command_line({"julia_zoom", "--explore=335", "--offscreen"}).options.explore_frame,
      335);
  EXPECT_FALSE(parse_zoom_command_line({"julia_zoom"}).options.explore_frame);
  for (const char* refused : {"0", "336", "", "1.5", "-3"}) {
    EXPECT_EQ(parse_zoom_command_line({"julia_zoom", std::string("--explore=") + refused}).error,
              std::string("--explore needs a frame from 1 to 335, not '") + refused + "'");
  }
  for (const char* recording : {"--frames", "--video"}) {
    EXPECT_EQ(parse_zoom_command_line({"julia_zoom", "--explore", recording, "d.mp4"}).error,
              "--explore does not keep frames; leave out --frames and --video");
  }
  EXPECT_NE(parse_zoom_command_line({"julia_zoom", "--explore", "--explore=2"}).error, "");
}

// --serve takes an optional [HOST:]PORT, never the next argument, and refuses
// what the served windows could not listen at before anything runs.
TEST(ZoomCommandLine, ServeTakesAnAttachedAddressAndRefusesWhatCannotBeListenedAt) {
  EXPECT_FALSE(parse_zoom_command_line({"julia_zoom"}).options.serve_address);
  const auto plain = parse_zoom_command_line({"julia_zoom", "--serve", "--offscreen"});
  EXPECT_EQ(plain.error, "");
  EXPECT_EQ(plain.options.serve_address, "");
  EXPECT_TRUE(plain.options.off_screen);
  for (const char* accepted : {"8470", "0", "65535", "127.0.0.1:0", "0.0.0.0:9000", "[::1]:8470",
                               "localhost:8470", "10.1.2.3:"}) {
    const auto parsed = parse_zoom_command_line({"julia_zoom", std::string("--serve=") + accepted});
    EXPECT_EQ(parsed.error, "") << accepted;
    EXPECT_EQ(parsed.options.serve_address, accepted);
  }
  for (const char* refused : {"65536", "-1", "84x", "::1:8470", "example.org:80", "1.2.3:80",
                              "[::1", "127.0.0.1:8470:1"}) {
    const auto parsed = parse_zoom_command_line({"julia_zoom", std::string("--serve=") + refused});
    EXPECT_TRUE(parsed.error.starts_with(std::string("--serve=") + refused + ": ")) << parsed.error;
  }
  EXPECT_NE(parse_zoom_command_line({"julia_zoom", "--serve", "--serve=1"}).error, "");
  EXPECT_EQ(parse_zoom_command_line({"julia_zoom", "--explore", "--serve"}).error,
            "--explore is not served; leave out --serve");
}

// The frame rate's range is 1 to 1000, both ends included.
TEST(ZoomCommandLine, FrameRatesAreAcceptedUpToTheEdgesOfTheirRangeAndNoFurther) {
  for (const int accepted : {1, 1000}) {
    const auto parsed = parse_zoom_command_line(
        {"julia_zoom", "--video", "z.mp4", "--fps", std::to_string(accepted)});
    EXPECT_EQ(parsed.error, "") << accepted;
    EXPECT_EQ(parsed.options.video_frame_rate, accepted);
  }
  for (const char* refused : {"0", "1001", "-1", "30x", "", " 30", "4294967326"}) {
    const auto parsed =
        parse_zoom_command_line({"julia_zoom", "--video", "z.mp4", "--fps", refused});
    EXPECT_EQ(parsed.error,
              "--fps needs a whole number from 1 to 1000, not '" + std::string(refused) + "'");
  }
}

}  // namespace
}  // namespace mapplot
