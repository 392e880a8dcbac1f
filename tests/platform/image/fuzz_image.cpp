// libFuzzer entry for the texture loader. Built only with Clang; configure
// with CMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address so that the loader
// itself is instrumented, then run fuzz_image with a corpus folder.
#include <cstddef>
#include <cstdint>

#include "platform/image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korvel::image::TextureImage image;
    korvel::image::loadTextureMemory(data, size, image);
    return 0;
}
