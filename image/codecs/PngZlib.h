// The PNG codec's zlib binding: zlib is looked up by its Windows file names ("zlib1.dll", then
// "zlib.dll", mapped by platform/dynload) for each read or write and called through cCDECL.
// Without it the reader inflates by itself and checks no CRC, and the writer cannot write.
#pragma once

#include "image/codecs/cCDECL.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace XrImage::png {

class ZlibBinding {
public:
    // Reading: the first library that exports "uncompress". False when none does.
    bool FindZlib();
    // Writing: "compress2" from either library, else "compress". False when none exports them.
    bool BindCompressor();
    bool isBound() const { return ZlibCaller != nullptr; }
    const QString& dllName() const { return ZlibDll; }

    // crc32(0, data, count) compared with the CRC stored after it (four bytes, most
    // significant first). False without zlib, when crc32 answers 0, or on a mismatch.
    bool CheckChunkCrc(const std::uint8_t* data, std::size_t count, const std::uint8_t* storedCrc);
    // crc32(0, data, count); nothing without zlib or when the library lacks crc32.
    std::optional<std::uint32_t> Crc32(const std::uint8_t* data, std::size_t count);
    // uncompress; destLength goes in as the room and comes back as the bytes produced.
    bool ZlibUncompress(std::uint8_t* dest, unsigned long& destLength, const std::uint8_t* source,
                        std::size_t sourceLength);
    // compress2 at level 9 (or compress when that is all there is); same length rule.
    bool Compress(std::uint8_t* dest, unsigned long& destLength, const std::uint8_t* source,
                  std::size_t sourceLength);

private:
    QString ZlibDll;
    std::unique_ptr<cCDECL> ZlibCaller;
    bool useCompress2 = false;
};

}  // namespace XrImage::png
