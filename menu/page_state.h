// PageStateKey: the session-file section name under which a definition file's page and
// visited marks are remembered. Standard library only.
#pragma once

#include <cstdint>

// Room for the longest key ("ffffffff") and its NUL.
constexpr uint32_t kPageStateKeySize = 9;

// The sum over path's bytes (each read as a signed 8-bit value) of 3 * byte, leaving out bytes
// that are multiples of 9, in signed 32-bit arithmetic that wraps. A null path counts as empty.
int32_t PageStateSum(const char* path);

// PageStateSum(path) as lower-case hexadecimal of its 32-bit two's-complement value, without
// leading zeros ("0" for 0), into out (cut to size - 1 characters). Returns the count placed.
uint32_t PageStateKey(const char* path, char* out, uint32_t size);
