#include "platform/file_bytes.h"
#include "platform/image/dds_format.h"
#include "platform/image/dds_reader.h"
#include "platform/image/image.h"
#include "platform/image/mip_chain.h"
#include "platform/image/stb_codecs.h"

namespace korvel::image {

bool loadTextureFile(const std::string& utf8Path, TextureImage& out) {
    out = {};
    std::vector<uint8_t> bytes;
    return platform::readFileBytes(utf8Path, kMaxImageFileBytes, bytes) == platform::FileRead::ok &&
           loadTextureMemory(bytes.data(), bytes.size(), out);
}

bool loadTextureMemory(const uint8_t* data, size_t size, TextureImage& out) {
    out = {};
    if (data == nullptr || size == 0) return false;
    std::vector<MipLevel> mips(1);
    const bool decoded = dds::hasMagic(data, size) ? readDds(data, size, mips) : decodeWithStb(data, size, mips[0]);
    if (!decoded) return false;
    completeMipChain(mips);
    out.width = mips[0].width;
    out.height = mips[0].height;
    out.mips = std::move(mips);
    return true;
}

}  // namespace korvel::image
