#include "payload/common/wic_image.h"

HRESULT CreateImagingFactory(ComPtr<IWICImagingFactory>& factory) {
  return CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IWICImagingFactory, factory.put_void());
}

HRESULT DecodeImageFile(IWICImagingFactory* factory, const wchar_t* path, DecodedImage& image) {
  image = DecodedImage();
  ComPtr<IWICBitmapDecoder> decoder;
  HRESULT hr = factory->CreateDecoderFromFilename(
      path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
      reinterpret_cast<IWICBitmapDecoder**>(decoder.put_void()));
  if (FAILED(hr)) return hr;
  ComPtr<IWICBitmapFrameDecode> frame;
  hr = decoder->GetFrame(0, reinterpret_cast<IWICBitmapFrameDecode**>(frame.put_void()));
  if (FAILED(hr)) return hr;
  ComPtr<IWICFormatConverter> converter;
  hr = factory->CreateFormatConverter(
      reinterpret_cast<IWICFormatConverter**>(converter.put_void()));
  if (FAILED(hr)) return hr;
  hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                             nullptr, 0.0, WICBitmapPaletteTypeCustom);
  if (FAILED(hr)) return hr;

  UINT width = 0, height = 0;
  hr = converter->GetSize(&width, &height);
  if (FAILED(hr)) return hr;
  UINT64 bytes = UINT64(width) * height * 4;
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
      bytes > kMaxImageBytes)
    return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
  HeapBlock pixels = AllocateZeroed(SIZE_T(bytes));
  if (!pixels) return E_OUTOFMEMORY;
  hr = converter->CopyPixels(nullptr, width * 4, UINT(bytes), static_cast<BYTE*>(pixels.get()));
  if (FAILED(hr)) return hr;
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  return S_OK;
}

void FlattenOnto(DecodedImage& image, COLORREF background) {
  const unsigned bg[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
  BYTE* p = image.bytes();
  for (UINT64 i = 0, n = UINT64(image.width) * image.height; i < n; ++i, p += 4) {
    unsigned a = p[3];
    for (int c = 0; c < 3; ++c) p[c] = BYTE((p[c] * a + bg[c] * (255 - a) + 127) / 255);
    p[3] = 255;
  }
}
