// What the model loaders need from the texture table: load an image file into
// a texture slot, and release a slot. The C interface passes the library's
// texture table; tests pass a fake, so the loaders run without a device.
#pragma once

#include <string>

namespace korvel::model {

class TextureLoader {
public:
    virtual ~TextureLoader() = default;
    // The texture slot 0..99 the file was loaded into, or -1.
    virtual int load(const std::string& utf8Path) = 0;
    // Releases a texture slot 0..99; a free slot is left as it is.
    virtual void release(int slot) = 0;
};

}  // namespace korvel::model
