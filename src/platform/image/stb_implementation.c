/* stb's image reader and writer, compiled into the library on Windows, where
   no system library holds them (on Linux Debian's libstb does). */
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
