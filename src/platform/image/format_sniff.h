// Recognises the formats handed to stb_image before it sees them, so that
// only PNG, JPG, BMP, GIF and TGA reach its decoders, and TGA files (which
// have no signature and which the decoder pads with zeros when short) are
// checked against the pixel data their header requires.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::image {

bool isAcceptedStbFormat(const uint8_t* data, size_t size);

}  // namespace korvel::image
