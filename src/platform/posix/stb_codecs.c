/* The stb image reader and writer, compiled once. Only formats GDI+ also reads are decoded,
   so no format is guessed from junk; JPEG is read by libjpeg-turbo instead (this stb's JPEG
   decoder reads outside its Huffman tables on damaged files). */
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS (1 << 15)
/* The decoders' internal asserts fire on damaged files they then reject or decode as noise;
   release builds leave them out, and so do we in every build. */
#define STBI_ASSERT(x) ((void)0)
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

/* BMP and PNG only: libjpeg-turbo writes JPEG. */
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
