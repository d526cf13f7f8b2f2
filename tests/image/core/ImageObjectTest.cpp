#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/runtime/VbError.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace XrImage;

namespace {

bool allBytesZero(const c32bppDIB& image)
{
    const std::uint8_t* bits = image.BitsPointer();
    return std::all_of(bits, bits + std::size_t(image.scanWidth()) * image.Height(),
                       [](std::uint8_t byte) { return byte == 0; });
}

void expectEmpty(const c32bppDIB& image)
{
    EXPECT_EQ(image.Handle(), 0u);
    EXPECT_EQ(image.BitsPointer(), nullptr);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.ImageType(), imgError);
    EXPECT_FALSE(image.Alpha());
}

}  // namespace

TEST(ImageObject, CapabilityFlagsFollowThePlatformVersion)
{
    using V = PlatformVersion;
    EXPECT_EQ(capabilityFlagsFor({V::Win9xPlatform, 4, 0, 0}), 32);
    EXPECT_EQ(capabilityFlagsFor({V::Win9xPlatform, 4, 10, 0}), 16);
    EXPECT_EQ(capabilityFlagsFor({V::NTPlatform, 5, 1, 2}), 73);
    EXPECT_EQ(capabilityFlagsFor({V::NTPlatform, 4, 0, 5}), 96);
    EXPECT_EQ(capabilityFlagsFor({V::NTPlatform, 4, 0, 6}), 64);
    EXPECT_EQ(capabilityFlagsFor({7, 6, 0, 0}), 73);  // an unknown family counts as NT
}

TEST(ImageObject, AlphaBlendSwitchOnlyTurnsOnWherePlatformHasIt)
{
    c32bppDIB current;
    EXPECT_TRUE(current.isAlphaBlendFriendly());
    current.LetisAlphaBlendFriendly(false);
    EXPECT_FALSE(current.isAlphaBlendFriendly());
    current.LetisAlphaBlendFriendly(true);
    EXPECT_TRUE(current.isAlphaBlendFriendly());

    c32bppDIB win98(PlatformVersion{PlatformVersion::Win9xPlatform, 4, 10, 0});
    EXPECT_FALSE(win98.isAlphaBlendFriendly());
    win98.LetisAlphaBlendFriendly(true);
    EXPECT_TRUE(win98.isAlphaBlendFriendly());

    c32bppDIB win95(PlatformVersion{PlatformVersion::Win9xPlatform, 4, 0, 0});
    win95.LetisAlphaBlendFriendly(true);
    EXPECT_FALSE(win95.isAlphaBlendFriendly());
}

TEST(ImageObject, InitializeDibMakesTransparentBlackBottomUpImage)
{
    c32bppDIB image;
    expectEmpty(image);
    ASSERT_TRUE(image.InitializeDIB(10, -5));
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.Height(), 5);
    EXPECT_EQ(image.scanWidth(), 40);
    EXPECT_NE(image.Handle(), 0u);
    EXPECT_EQ(image.ImageType(), imgNone);
    EXPECT_TRUE(image.Alpha());
    EXPECT_TRUE(allBytesZero(image));

    // A new size replaces the old image; EraseDIB clears what a codec wrote.
    ASSERT_TRUE(image.InitializeDIB(3, 2));
    image.BitsPointer()[5] = 9;
    image.LetAlpha(false);
    image.EraseDIB();
    EXPECT_TRUE(allBytesZero(image));
    EXPECT_TRUE(image.Alpha());
}

TEST(ImageObject, InitializeDibRefusesBadSizesAndLeavesImageEmpty)
{
    c32bppDIB image;
    for (auto [w, h] : {std::pair{-1, 5}, {5, 0}, {0, 5}, {65536, 65536}}) {
        ASSERT_TRUE(image.InitializeDIB(4, 4));
        EXPECT_FALSE(image.InitializeDIB(w, h)) << w << " x " << h;
        expectEmpty(image);
    }
    image.EraseDIB();  // nothing to erase
    expectEmpty(image);
}

TEST(ImageObject, ScaleImageFitsInEveryMode)
{
    c32bppDIB small;
    c32bppDIB wide;
    ASSERT_TRUE(small.InitializeDIB(50, 40));
    ASSERT_TRUE(wide.InitializeDIB(400, 100));
    auto scaled = [](const c32bppDIB& image, int dw, int dh, int mode) {
        std::int32_t w = -7;
        std::int32_t h = -7;
        image.ScaleImage(dw, dh, w, h, mode);
        return std::pair{w, h};
    };
    EXPECT_EQ(scaled(small, 200, 100, scaleDownAsNeeded), std::pair(50, 40));
    EXPECT_EQ(scaled(wide, 200, 100, scaleDownAsNeeded), std::pair(200, 50));
    EXPECT_EQ(scaled(small, 200, 100, ScaleToSize), std::pair(125, 100));
    EXPECT_EQ(scaled(wide, 200, 100, ScaleToSize), std::pair(200, 50));
    EXPECT_EQ(scaled(small, 200, 100, ScaleStretch), std::pair(200, 100));
    EXPECT_EQ(scaled(small, 200, 100, 7), std::pair(50, 40));
    EXPECT_EQ(scaled(small, 200, 100, -1), std::pair(50, 40));
    // Single-precision ratio: 479 / 1000 as a float times 500 rounds down to 239.
    c32bppDIB photo;
    ASSERT_TRUE(photo.InitializeDIB(1000, 500));
    EXPECT_EQ(scaled(photo, 479, 479, ScaleToSize), std::pair(479, 239));

    c32bppDIB empty;
    EXPECT_EQ(scaled(empty, 200, 100, ScaleToSize), std::pair(-7, -7));
}

TEST(ImageObject, OwnDeviceContextHoldsTheDibWhileLoaded)
{
    c32bppDIB image;
    EXPECT_EQ(image.LoadDIBinDC(true), nullptr);  // no DIB, no DC
    ASSERT_TRUE(image.InitializeDIB(6, 4));
    gdi::DeviceContext* dc = image.LoadDIBinDC(true);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(dc->bitmap() == image.DibSection());
    EXPECT_EQ(image.LoadDIBinDC(true), dc);  // a second load keeps the selection
    EXPECT_EQ(image.LoadDIBinDC(false), nullptr);
    EXPECT_EQ(image.OwnDC(), nullptr);

    image.LetManageOwnDC(true);
    EXPECT_NE(image.OwnDC(), nullptr);
    dc = image.LoadDIBinDC(true);
    image.LoadDIBinDC(false);
    ASSERT_EQ(image.OwnDC(), dc);  // kept, but the DIB is out of it
    EXPECT_FALSE(dc->bitmap() == image.DibSection());

    image.LoadDIBinDC(true);
    image.LetManageOwnDC(false);
    EXPECT_EQ(image.OwnDC(), nullptr);
}

TEST(ImageObject, SwapDibsExchangesExactlyTheImage)
{
    c32bppDIB a;
    c32bppDIB b;
    ASSERT_TRUE(a.InitializeDIB(30, 20));
    ASSERT_TRUE(b.InitializeDIB(7, 9));
    b.LetAlpha(false);
    b.SetTag(QStringLiteral("b's tag"));
    b.LetgdiToken(44);
    b.LetHighQualityInterpolation(true);
    a.LetHighQualityInterpolation(false);
    const auto aHandle = a.Handle();
    const auto bHandle = b.Handle();
    const auto* aBits = a.BitsPointer();
    gdi::DeviceContext* aDC = a.LoadDIBinDC(true);

    a.SwapDIBs(&b);
    EXPECT_EQ(a.Width(), 7);
    EXPECT_EQ(a.Height(), 9);
    EXPECT_EQ(b.Width(), 30);
    EXPECT_EQ(b.Height(), 20);
    EXPECT_EQ(a.Handle(), bHandle);
    EXPECT_EQ(b.Handle(), aHandle);
    EXPECT_EQ(b.BitsPointer(), aBits);
    EXPECT_FALSE(a.Alpha());
    EXPECT_TRUE(b.Alpha());
    // What belongs to the object stays with it.
    EXPECT_EQ(b.Tag().toString(), QStringLiteral("b's tag"));
    EXPECT_EQ(b.gdiToken(), 44);
    EXPECT_TRUE(b.HighQualityInterpolation());
    EXPECT_FALSE(a.HighQualityInterpolation());
    // The device context that held a's DIB now holds its new one; b had none and has none.
    ASSERT_EQ(a.OwnDC(), aDC);
    EXPECT_TRUE(aDC->bitmap() == a.DibSection());
    EXPECT_EQ(b.OwnDC(), nullptr);

    // Image type travels too: an empty image swapped with a fresh one.
    c32bppDIB empty;
    empty.SwapDIBs(&a);
    EXPECT_EQ(empty.ImageType(), imgNone);
    EXPECT_EQ(empty.Width(), 7);
    expectEmpty(a);
    EXPECT_EQ(a.LoadDIBinDC(true), nullptr);

    const auto before = b.Handle();
    b.SwapDIBs(&b);
    b.SwapDIBs(nullptr);
    EXPECT_EQ(b.Handle(), before);
    EXPECT_EQ(b.Width(), 30);
}
