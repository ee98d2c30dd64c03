// Finding the version resource in the bytes of a PE file, so that the version of a library
// is read from what a guarded open read, not from a path; no Win32 calls.
#pragma once

#include <cstddef>

// Offset and length of the version resource's data (type 16, name 1, its first language)
// in image, a PE file as it lies on disk. False when there is none or when any header,
// directory or the data itself would lie outside the bytes given; both are 0 then.
bool FindVersionResource(const unsigned char* image, size_t size, size_t& offset, size_t& length);
