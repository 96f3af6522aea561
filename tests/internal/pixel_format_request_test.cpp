// The pixel-format request chain both window-system layers walk, without GL: what each attempt asks
// for, and the warnings as requests are dropped, until a driver accepts an attempt or none is left.
#include "core/pixel_format_request.h"
#include "window_system_test.h"

namespace {

using namespace vindra_test;

struct ChainCase {
    const char* name;
    bool multisample, floatColor, deepColor;
    size_t accepted;  // the attempt a driver accepts; past the last: none
    std::vector<std::string> attempts;
    std::vector<Message> warnings;
};
const ChainCase kChainCases[] = {
    {"PlainAtOnce", false, false, false, 0, {"8/8/8/8"}, {}},
    {"PlainThenNoColour", false, false, false, 1, {"8/8/8/8", "none"}, {{3, "API failed to find 8-bit pixel format"}}},
    {"DeepColourThenTenBits",
     false,
     false,
     true,
     1,
     {"16/16/16/16", "10/10/10/2"},
     {{3, "API failed to find 16-bit pixel format"}}},
    {"FloatThenEightBits",
     false,
     true,
     false,
     1,
     {"16/16/16/16 float", "8/8/8/8"},
     {{3, "API failed to find 16-bit float pixel format"}}},
    {"SamplesGoFirst",
     true,
     false,
     false,
     1,
     {"8/8/8/8 x8", "8/8/8/8"},
     {{3, "API failed to find pixel format with multi sampling"}}},
    {"EverythingRefused", true, true, true, 6, kEveryAttempt, EveryDropWarning("API")},
};

TEST(PixelFormatRequestTest, AttemptsAndWarningsUntilOneIsAccepted) {
    for (const ChainCase& row : kChainCases) {
        SCOPED_TRACE(row.name);
        MessageCapture capture;
        vindra::ContextInitData init{};
        init.multisample = row.multisample;
        init.floatColor = row.floatColor;
        init.deepColor = row.deepColor;
        vindra::PixelFormatRequest request = vindra::PixelFormatRequest::From(init);
        std::vector<std::string> attempts;
        bool left = true;  // a request is left to drop
        for (; left && attempts.size() <= row.accepted;
             left = attempts.size() > row.accepted || request.DropOne("API")) {
            vindra::ColourBits colour = request.Colour();
            attempts.push_back(AttemptText(colour.red, colour.green, colour.blue, colour.alpha, colour.floatingPoint,
                                           request.Samples()));
        }
        EXPECT_EQ(attempts, row.attempts);
        EXPECT_EQ(left, row.accepted < kEveryAttempt.size());
        EXPECT_EQ(capture.Take(), row.warnings);
    }
}

}  // namespace
