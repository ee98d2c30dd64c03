// Helper program: converts an image file into a 32-bit BMP through WIC.
//   lg_convert.exe INPUT OUTPUT.bmp
// Exit codes: 0 done, 1 wrong arguments, 2 input not readable as an image, 3 write failed.
#include <windows.h>

#include <cwchar>

#include "payload/common/console_text.h"
#include "payload/common/wic_image.h"

namespace {

bool WriteAll(HANDLE file, const void* data, DWORD bytes) {
  DWORD written = 0;
  return WriteFile(file, data, bytes, &written, nullptr) && written == bytes;
}

// Bottom-up rows, B G R A, as BMP readers expect without a V4 header.
bool WriteBmp(const wchar_t* path, const DecodedImage& image) {
  UniqueHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD pixelBytes = image.stride() * image.height;
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = LONG(image.width);
  info.biHeight = LONG(image.height);
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  info.biSizeImage = pixelBytes;
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + pixelBytes;
  if (!WriteAll(file.get(), &header, sizeof(header)) || !WriteAll(file.get(), &info, sizeof(info)))
    return false;
  for (UINT row = image.height; row-- > 0;)
    if (!WriteAll(file.get(), image.bytes() + SIZE_T(row) * image.stride(), image.stride()))
      return false;
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    WriteError(L"Aufruf: lg_convert.exe EINGABEDATEI AUSGABEDATEI.bmp\r\n");
    return 1;
  }
  ComInit com;
  ComPtr<IWICImagingFactory> factory;
  DecodedImage image;
  HRESULT hr = CreateImagingFactory(factory);
  if (SUCCEEDED(hr)) hr = DecodeImageFile(factory.get(), argv[1], image);
  factory.reset();
  wchar_t message[1200];
  if (FAILED(hr)) {
    swprintf(message, 1200, L"Kann %ls nicht als Bild lesen (Fehler 0x%08lX).\r\n", argv[1],
             static_cast<unsigned long>(hr));
    WriteError(message);
    return 2;
  }
  if (!WriteBmp(argv[2], image)) {
    swprintf(message, 1200, L"Kann %ls nicht schreiben.\r\n", argv[2]);
    WriteError(message);
    DeleteFileW(argv[2]);
    return 3;
  }
  swprintf(message, 1200, L"%ls: %u x %u Pixel gespeichert.\r\n", argv[2], image.width,
           image.height);
  WriteOut(message);
  return 0;
}
