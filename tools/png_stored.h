// A PNG file's bytes without compression: the image data as stored deflate blocks in a zlib
// stream, with the CRC-32 and Adler-32 sums the format asks for. For the Windows build, which
// has no PNG library. Standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// CRC-32 (ISO 3309, as PNG chunks use it) of size bytes at data, continuing from crc (0 to
// start).
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
// Adler-32 (as zlib streams use it) of size bytes at data, continuing from adler (1 to start).
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

// The whole PNG file of an 8-bit RGB picture of width x height (both from 1), from pixels
// 0x00RRGGBB in rows from the top.
std::string StoredPng(int32_t width, int32_t height, const uint32_t* pixels);
