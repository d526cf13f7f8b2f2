#include "platform/dynload/DynamicLibrary.h"

#include <gtest/gtest.h>

using namespace dynload;

namespace {

class DynamicLibraryTest : public ::testing::Test {
protected:
    void TearDown() override { resetLibraryNames(); }
};

using CrcFunction = unsigned long (*)(unsigned long, const unsigned char*, unsigned int);

int answer()
{
    return 42;
}

TEST_F(DynamicLibraryTest, WindowsNamesMapThroughTheTableWhateverTheirCase)
{
    EXPECT_EQ(sharedObjectFor("zlib1.dll"), "libz.so.1");
    EXPECT_EQ(sharedObjectFor("ZLIB.DLL"), "libz.so.1");
    EXPECT_EQ(sharedObjectFor("libc.so.6"), "libc.so.6");
    EXPECT_EQ(sharedObjectFor("user32"), "");
    EXPECT_EQ(sharedObjectFor("gdiplus.dll"), "");
}

TEST_F(DynamicLibraryTest, LoadedLibraryCallsItsExports)
{
    Library zlib = Library::open("Zlib1.DLL");
    ASSERT_TRUE(zlib.isLoaded());
    auto crc = reinterpret_cast<CrcFunction>(zlib.symbol("crc32"));
    ASSERT_NE(crc, nullptr);
    EXPECT_EQ(crc(0, reinterpret_cast<const unsigned char*>("IEND"), 4), 0xAE426082UL);
    EXPECT_EQ(zlib.symbol("no_such_function"), nullptr);
    EXPECT_EQ(zlib.symbol(""), nullptr);

    Library moved = std::move(zlib);
    EXPECT_FALSE(zlib.isLoaded());
    EXPECT_TRUE(moved.isLoaded());
    EXPECT_NE(moved.symbol("uncompress"), nullptr);
}

TEST_F(DynamicLibraryTest, ExportProbe)
{
    EXPECT_TRUE(exportsFunction("zlib1.dll", "crc32"));
    EXPECT_TRUE(exportsFunction("zlib.dll", "compress2"));
    EXPECT_FALSE(exportsFunction("zlib1.dll", "GdiplusStartup"));
    EXPECT_FALSE(exportsFunction("nowhere.dll", "crc32"));
    EXPECT_TRUE(exportsFunction("libc.so.6", "strlen"));
}

TEST_F(DynamicLibraryTest, EmptiedTableMakesTheLibraryMissingUntilReset)
{
    setLibraryNames({});
    EXPECT_FALSE(Library::open("zlib1.dll").isLoaded());
    EXPECT_FALSE(exportsFunction("zlib.dll", "crc32"));
    resetLibraryNames();
    EXPECT_TRUE(exportsFunction("zlib.dll", "crc32"));
}

TEST_F(DynamicLibraryTest, InProcessLibraryServesRegisteredFunctions)
{
    addLibraryName({"own.dll", "", {{"Answer", reinterpret_cast<void*>(&answer)}}});
    Library own = Library::open("OWN.dll");
    ASSERT_TRUE(own.isLoaded());
    auto function = reinterpret_cast<int (*)()>(own.symbol("Answer"));
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function(), 42);
    EXPECT_FALSE(exportsFunction("own.dll", "answer"));  // export names keep their case

    addLibraryName({"OWN.DLL", "libz.so.1", {}});  // replaces the entry above
    EXPECT_EQ(libraryNames().size(), defaultLibraryNames().size() + 1);
    EXPECT_TRUE(exportsFunction("own.dll", "crc32"));
}

}  // namespace
