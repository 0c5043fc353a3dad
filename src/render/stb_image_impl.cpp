// The one compiled copy of stb_image; every other file includes <stb_image.h> for declarations.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
