#include "image/codecs/cCDECL.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

using namespace XrImage;
using testsupport::raisedError;

namespace {

class cCDECLTest : public ::testing::Test {
protected:
    void TearDown() override { dynload::resetLibraryNames(); }
    cCDECL caller;
};

std::intptr_t addr(const void* p)
{
    return reinterpret_cast<std::intptr_t>(p);
}

extern "C" std::int64_t sumOfSixteen(std::int64_t a1, std::int64_t a2, std::int64_t a3,
                                     std::int64_t a4, std::int64_t a5, std::int64_t a6,
                                     std::int64_t a7, std::int64_t a8, std::int64_t a9,
                                     std::int64_t a10, std::int64_t a11, std::int64_t a12,
                                     std::int64_t a13, std::int64_t a14, std::int64_t a15,
                                     std::int64_t a16)
{
    // Weighted so that a swapped or dropped argument changes the answer.
    return a1 * 1 + a2 * 2 + a3 * 3 + a4 * 4 + a5 * 5 + a6 * 6 + a7 * 7 + a8 * 8 + a9 * 9 +
           a10 * 10 + a11 * 11 + a12 * 12 + a13 * 13 + a14 * 14 + a15 * 15 + a16 * 16;
}

extern "C" double halfOf(std::int64_t value)
{
    return double(value) / 2;
}

extern "C" float quarterOf(std::int64_t value)
{
    return float(value) / 4;
}

extern "C" std::int64_t twice(std::int64_t value)
{
    return value * 2;
}

extern "C" void failWithErrno(std::int64_t value)
{
    errno = int(value);
}

}  // namespace

TEST_F(cCDECLTest, CallsZlibAndLibcExportsWithTypedResults)
{
    const char* iend = "IEND";
    const std::vector<std::intptr_t> crcArgs{0, addr(iend), 4};
    const QVariant crc = caller.CallFunc("zlib1.dll", retLong, "crc32", crcArgs);
    EXPECT_EQ(crc.typeId(), QMetaType::Int);
    EXPECT_EQ(std::uint32_t(crc.toInt()), 0xAE426082u);

    const char* text = "Scrivet";
    const std::vector<std::intptr_t> lenArgs{addr(text)};
    EXPECT_EQ(caller.CallFunc("libc.so.6", retLong, "strlen", lenArgs).toInt(), 7);
    // A 16-bit and an 8-bit read of the same result keep only the low bits.
    const char* longer =
        "0123456789012345678901234567890123456789012345678901234567890123456789"
        "0123456789012345678901234567890123456789012345678901234567890123456789"
        "0123456789012345678901234567890123456789012345678901234567890123456789"
        "0123456789";
    const std::vector<std::intptr_t> longArgs{addr(longer)};
    const QVariant asByte = caller.CallFunc("libc.so.6", retByte, "strlen", longArgs);
    EXPECT_EQ(asByte.value<std::uint8_t>(), std::uint8_t(std::strlen(longer) & 0xFF));
    EXPECT_EQ(caller.CallFunc("libc.so.6", retInteger, "strlen", longArgs).value<std::int16_t>(),
              std::int16_t(std::strlen(longer)));
    EXPECT_FALSE(caller.CallFunc("libc.so.6", retSub, "strlen", longArgs).isValid());
}

TEST_F(cCDECLTest, SixteenArgumentsPassAndSeventeenAreRefused)
{
    std::vector<std::intptr_t> args;
    std::int64_t expected = 0;
    for (int i = 1; i <= 16; ++i) {
        args.push_back(100 + i);
        expected += std::int64_t(100 + i) * i;
    }
    EXPECT_EQ(caller.CallPointer(retInt64, addr(reinterpret_cast<void*>(&sumOfSixteen)), args)
                  .toLongLong(),
              expected);
    args.push_back(117);
    EXPECT_EQ(raisedError([&] {
                  caller.CallPointer(retInt64, addr(reinterpret_cast<void*>(&sumOfSixteen)), args);
              }),
              cCDECL::ErrPointerTooManyParameters);
    EXPECT_EQ(raisedError([&] { caller.CallFunc("libc.so.6", retLong, "strlen", args); }),
              cCDECL::ErrTooManyParameters);
}

TEST_F(cCDECLTest, ErrorsCarryTheirNumbersSourcesAndTexts)
{
    const std::vector<std::intptr_t> none;
    try {
        caller.CallFunc("nowhere.dll", retLong, "f", none);
        FAIL() << "no error raised";
    } catch (const vb::VbError& error) {
        EXPECT_EQ(error.number(), -2147221504);
        EXPECT_EQ(error.source(), "cCallFunc2.CallFunc");
        EXPECT_EQ(error.description(), "DLL failed load");
    }
    try {
        caller.CallFunc("zlib1.dll", retLong, "no_such_export", none);
        FAIL() << "no error raised";
    } catch (const vb::VbError& error) {
        EXPECT_EQ(error.number(), -2147221503);
        EXPECT_EQ(error.description(), "Function not found");
    }
    // Shared objects have no ordinals.
    EXPECT_EQ(raisedError([&] { caller.CallFunc("zlib1.dll", retLong, "#7", none); }),
              cCDECL::ErrFunctionNotFound);
    for (std::int32_t type : {7, -1}) {
        try {
            caller.CallPointer(type, addr(reinterpret_cast<void*>(&twice)), none);
            FAIL() << "no error raised";
        } catch (const vb::VbError& error) {
            EXPECT_EQ(error.number(), -2147221500);
            EXPECT_EQ(error.source(), "cCallFunc2.CallCommon");
            EXPECT_EQ(error.description(), "Unknown return type");
        }
    }
}

TEST_F(cCDECLTest, LibraryAndFunctionAreCachedBetweenCalls)
{
    const char* iend = "IEND";
    const std::vector<std::intptr_t> crcArgs{0, addr(iend), 4};
    caller.CallFunc("zlib1.dll", retLong, "crc32", crcArgs);
    caller.CallFunc("ZLIB1.DLL", retLong, "crc32", crcArgs);
    EXPECT_EQ(caller.libraryLoads(), 1);
    EXPECT_EQ(caller.functionLookups(), 1);

    const std::vector<std::intptr_t> adlerArgs{1, addr(iend), 4};
    caller.CallFunc("zlib1.dll", retLong, "adler32", adlerArgs);
    EXPECT_EQ(caller.libraryLoads(), 1);
    EXPECT_EQ(caller.functionLookups(), 2);

    // A failed load keeps the cached library; a failed lookup caches no function.
    EXPECT_NE(raisedError([&] { caller.CallFunc("nowhere.dll", retLong, "adler32", adlerArgs); }),
              0);
    EXPECT_NE(raisedError([&] { caller.CallFunc("zlib1.dll", retLong, "missing", adlerArgs); }), 0);
    const int lookups = caller.functionLookups();
    caller.CallFunc("zlib1.dll", retLong, "crc32", crcArgs);
    EXPECT_EQ(caller.functionLookups(), lookups + 1);

    // After a call by pointer the name is looked up again.
    caller.CallPointer(retInt64, addr(reinterpret_cast<void*>(&twice)),
                       std::vector<std::intptr_t>{4});
    EXPECT_EQ(std::uint32_t(caller.CallFunc("zlib1.dll", retLong, "crc32", crcArgs).toInt()),
              0xAE426082u);
    EXPECT_EQ(caller.functionLookups(), lookups + 2);
    // Only the failed attempt on the other name loaded anything since.
    EXPECT_EQ(caller.libraryLoads(), 2);
}

TEST_F(cCDECLTest, FloatingResultsLastErrorAndFastCall)
{
    const std::vector<std::intptr_t> seven{7};
    EXPECT_DOUBLE_EQ(
        caller.CallPointer(retDouble, addr(reinterpret_cast<void*>(&halfOf)), seven).toDouble(),
        3.5);
    const QVariant single =
        caller.CallPointer(retSingle, addr(reinterpret_cast<void*>(&quarterOf)), seven);
    EXPECT_EQ(single.typeId(), QMetaType::Float);
    EXPECT_FLOAT_EQ(single.toFloat(), 1.75f);
    const std::vector<std::intptr_t> one{1};
    const QVariant wide = caller.CallPointer(retInt64, addr(reinterpret_cast<void*>(&twice)),
                                             std::vector<std::intptr_t>{0x40000000});
    EXPECT_EQ(wide.toLongLong(), 0x80000000LL);

    caller.CallPointer(retSub, addr(reinterpret_cast<void*>(&failWithErrno)),
                       std::vector<std::intptr_t>{ERANGE});
    EXPECT_EQ(caller.LastError(), ERANGE);
    caller.CallPointer(retInt64, addr(reinterpret_cast<void*>(&twice)), one);
    EXPECT_EQ(caller.LastError(), 0);

    EXPECT_FALSE(caller.FastCall());
    caller.LetFastCall(true);
    EXPECT_TRUE(caller.FastCall());
    EXPECT_EQ(caller.CallPointer(retInt64, addr(reinterpret_cast<void*>(&twice)), one).toLongLong(),
              2);
}

namespace {

struct Counter : cCDECLCallbackTarget {
    int callbackMethodCount() const override { return 3; }
    void callbackMethod(int index, std::span<const std::intptr_t> arguments,
                        std::int32_t& result) override
    {
        lastMethod = index;
        result = std::int32_t(arguments.empty() ? -1 : arguments[0] * 10 + index);
    }
    int lastMethod = -1;
};

}  // namespace

TEST_F(cCDECLTest, CallbacksLeadIntoProceduresAndObjectMethods)
{
    const std::intptr_t thunk = caller.CallbackCdecl(addr(reinterpret_cast<void*>(&twice)), 1, 60);
    ASSERT_NE(thunk, 0);
    auto* function = reinterpret_cast<std::int64_t (*)(std::int64_t)>(thunk);
    EXPECT_EQ(function(21), 42);
    // A C library calls back through it.
    EXPECT_EQ(caller.CallPointer(retInt64, thunk, std::vector<std::intptr_t>{8}).toLongLong(), 16);

    Counter counter;
    const std::intptr_t last = caller.CallbackObj(objCls, counter, 1, 1, false, 2);
    EXPECT_EQ(reinterpret_cast<std::int32_t (*)(std::int64_t)>(last)(5), 52);
    const std::intptr_t first = caller.CallbackObj(objCls, counter, 1, 3, true, 3);
    EXPECT_EQ(reinterpret_cast<std::int32_t (*)(std::int64_t)>(first)(5), 50);
    EXPECT_EQ(counter.lastMethod, 0);

    for (std::int32_t index : {0, 61})
        EXPECT_EQ(raisedError([&] { caller.CallbackCdecl(thunk, 1, index); }),
                  cCDECL::ErrCdeclInvalidParameter);
    EXPECT_EQ(raisedError([&] { caller.CallbackCdecl(thunk, 61, 1); }),
              cCDECL::ErrCdeclInvalidParameter);
    EXPECT_EQ(raisedError([&] { caller.CallbackObj(objCls, counter, 1, 1, false, 61); }),
              cCDECL::ErrObjInvalidParameter);
    EXPECT_EQ(raisedError([&] { caller.CallbackObj(objCls, counter, 1, 4); }),
              cCDECL::ErrOrdinalNotFound);
}
