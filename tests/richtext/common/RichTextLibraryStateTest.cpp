#include "richtext/common/RichTextLibraryState.h"

#include "platform/richedit/view/RichTextBox.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

namespace {

class LibraryState : public testing::Test {
protected:
    void SetUp() override { state().reset(); }
    void TearDown() override { state().reset(); }

    static RichTextLibraryState& state() { return RichTextLibraryState::instance(); }

    static int percentage(int64_t done, int64_t total)
    {
        state().ProgressDone = done;
        state().ProgressTotal = total;
        return state().ProgressPercentage();
    }
};

void expectInitial(const RichTextLibraryState& s)
{
    EXPECT_TRUE(s.SharedRichText.isNull());
    EXPECT_EQ(s.SharedPrintMargin, 0);
    EXPECT_FALSE(s.SpellScanAbort);
    EXPECT_FALSE(s.SyntaxRunning);
    EXPECT_FALSE(s.ReplaceAbort);
    EXPECT_FALSE(s.StopLinkPass);
    EXPECT_EQ(s.PasteState, 0);
    EXPECT_EQ(s.ProgressTotal, 0);
    EXPECT_EQ(s.ProgressDone, 0);
    EXPECT_FALSE(s.SkipNextKeyUp);
    EXPECT_FALSE(s.SharedDetectHyperLinks);
    EXPECT_TRUE(s.CleanupRTF.isEmpty());
    EXPECT_FALSE(s.LinkPassRunning);
    EXPECT_EQ(s.ProgressPercentage(), 0);
}

TEST_F(LibraryState, StartsEmptyAndResetPutsEveryValueBackWithoutDestroyingTheWindow)
{
    expectInitial(RichTextLibraryState());
    EXPECT_EQ(&RichTextLibraryState::instance(), &state());

    richedit::RichTextBox window;
    state().SharedRichText = &window;
    state().SharedPrintMargin = 1080;
    state().SpellScanAbort = true;
    state().SyntaxRunning = true;
    state().ReplaceAbort = true;
    state().StopLinkPass = true;
    state().PasteState = RichTextLibraryState::PasteFreezing;
    state().ProgressTotal = 5'000'000'000;
    state().ProgressDone = 4'000'000'000;
    state().SkipNextKeyUp = true;
    state().SharedDetectHyperLinks = true;
    state().CleanupRTF = QStringLiteral("{\\rtf1 x}");
    state().LinkPassRunning = true;

    state().reset();

    expectInitial(state());
    window.setText(QStringLiteral("still alive"));
    EXPECT_EQ(window.Text(), QStringLiteral("still alive"));
}

TEST_F(LibraryState, SharedRichTextGoesEmptyWhenItsWindowIsDestroyed)
{
    auto window = std::make_unique<richedit::RichTextBox>();
    state().SharedRichText = window.get();
    ASSERT_EQ(state().SharedRichText.data(), window.get());

    window.reset();

    EXPECT_TRUE(state().SharedRichText.isNull());
}

TEST_F(LibraryState, ScopeHandsTheWindowOverAndTakesItBackOnEveryWayOut)
{
    richedit::RichTextBox window;
    {
        SharedRichTextScope scope(&window);
        EXPECT_EQ(state().SharedRichText.data(), &window);
    }
    EXPECT_TRUE(state().SharedRichText.isNull());

    // A dialog that fails propagates its error; the hand-over must still end.
    EXPECT_THROW(
        {
            SharedRichTextScope scope(&window);
            throw std::runtime_error("dialog failed");
        },
        std::runtime_error);
    EXPECT_TRUE(state().SharedRichText.isNull());

    auto launcherReturningEarly = [&](bool early) {
        SharedRichTextScope scope(&window);
        if (early) {
            return 1;
        }
        return 2;
    };
    EXPECT_EQ(launcherReturningEarly(true), 1);
    EXPECT_TRUE(state().SharedRichText.isNull());
}

TEST_F(LibraryState, NestedScopesRestoreTheOuterWindow)
{
    richedit::RichTextBox outer;
    richedit::RichTextBox inner;
    {
        SharedRichTextScope outerScope(&outer);
        {
            SharedRichTextScope innerScope(&inner);
            EXPECT_EQ(state().SharedRichText.data(), &inner);
        }
        EXPECT_EQ(state().SharedRichText.data(), &outer);
    }
    EXPECT_TRUE(state().SharedRichText.isNull());
}

TEST_F(LibraryState, ScopeNeverRestoresAWindowDestroyedMeanwhile)
{
    auto outer = std::make_unique<richedit::RichTextBox>();
    richedit::RichTextBox inner;
    {
        SharedRichTextScope outerScope(outer.get());
        {
            SharedRichTextScope innerScope(&inner);
            outer.reset();
        }
        EXPECT_TRUE(state().SharedRichText.isNull());
    }
    EXPECT_TRUE(state().SharedRichText.isNull());

    auto handedOver = std::make_unique<richedit::RichTextBox>();
    {
        SharedRichTextScope scope(handedOver.get());
        handedOver.reset();
        EXPECT_TRUE(state().SharedRichText.isNull());
    }
    EXPECT_TRUE(state().SharedRichText.isNull());
}

TEST_F(LibraryState, ProgressPercentageIsRoundedDownAndZeroWithoutATotal)
{
    EXPECT_EQ(percentage(0, 0), 0);
    EXPECT_EQ(percentage(7, 0), 0);
    EXPECT_EQ(percentage(0, 3), 0);
    EXPECT_EQ(percentage(1, 3), 33);
    EXPECT_EQ(percentage(2, 3), 66);
    EXPECT_EQ(percentage(3, 3), 100);
}

TEST_F(LibraryState, ProgressPercentageStaysExactWithHugeCounters)
{
    // Past the point where done x 100 leaves 32 bits.
    EXPECT_EQ(percentage(30'000'000, 40'000'000), 75);
    EXPECT_EQ(percentage(3'000'000'000, 4'000'000'000), 75);

    // Past the point where done x 100 leaves 64 bits.
    constexpr int64_t max = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(percentage(max, max), 100);
    EXPECT_EQ(percentage(max - 1, max), 99);
    EXPECT_EQ(percentage(max / 2, max), 49);
    EXPECT_EQ(percentage(max, 1), std::numeric_limits<int>::max());
    EXPECT_EQ(percentage(std::numeric_limits<int64_t>::min(), 1), std::numeric_limits<int>::min());
}

}  // namespace
