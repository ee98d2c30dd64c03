// Image files decoded through WIC into 32-bit BGRA pixels, for the viewer and lg_convert.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include "base/handles.h"

// Larger images are refused rather than risking an allocation the process cannot hold.
constexpr UINT kMaxImageSide = 32768;
constexpr UINT64 kMaxImageBytes = 1ull << 30;

struct DecodedImage {
  UINT width = 0;
  UINT height = 0;
  HeapBlock pixels;  // width * height pixels, rows top-down, B G R A, straight alpha

  UINT stride() const { return width * 4; }
  BYTE* bytes() const { return static_cast<BYTE*>(pixels.get()); }
};

HRESULT CreateImagingFactory(ComPtr<IWICImagingFactory>& factory);

// Decodes the first frame of the file; on failure the image stays empty.
HRESULT DecodeImageFile(IWICImagingFactory* factory, const wchar_t* path, DecodedImage& image);

// Blends every pixel over an opaque background colour and makes it opaque.
void FlattenOnto(DecodedImage& image, COLORREF background);
