// The reload program's whole image, built before the menu program and embedded into it as a
// byte array, so the menu program can write it out unchanged.
#pragma once

#include <cstddef>

extern const unsigned char reload_program_image[];
extern const size_t reload_program_image_size;
