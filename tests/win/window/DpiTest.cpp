// The window on desktops at 125 %, 150 % and 200 %: the layout, the look and the captions of the
// other tests, each in a program started on such a desktop (a program takes its DPI as it starts).
// At 96 DPI they run with everything else.
#include <gtest/gtest.h>

#include "DesktopDpi.h"

namespace {

// The tests whose figures follow the window's DPI.
const char kAtEveryDpi[] =
    "SearchWindowLook.*"
    ":SearchWindowTest.EveryControlSitsAtItsPixelRectangle"
    ":SearchWindowTest.WindowKeepsItsCornerAndMeasures400By300"
    ":SearchWindowTest.FontGoesToTwentyTwoControlsAndTheRestKeepTheTemplateFont"
    ":SearchWindowTest.ListsReadLeftToRightWithTheirWidthsAndFullRowSelect"
    ":SearchWindowTest.TabsAndTheirSize";

}  // namespace

TEST(SearchWindowDpi, LayoutLookAndCaptionsHoldAt120And144And192Dpi) {
    // Not from inside a program that is itself one of these runs.
    if (wintest::RequestedDesktopDpi() != 0) GTEST_SKIP() << "a run at another DPI";
    for (UINT dpi : {120u, 144u, 192u}) {
        wintest::ChildRun run;
        ASSERT_TRUE(wintest::RunAtDesktopDpi(dpi, kAtEveryDpi, run)) << dpi << " DPI: " << run.output;
        EXPECT_EQ(run.exitCode, 0u) << "at " << dpi << " DPI:\n" << run.output;
        EXPECT_NE(run.output.find("[  PASSED  ] 10 tests."), std::string::npos)
            << "all ten tests ran at " << dpi << " DPI:\n" << run.output;
    }
}
