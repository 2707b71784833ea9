#include "ui/Picture.h"

#include <objbase.h>
#include <wincodec.h>

namespace {

constexpr GUID kClsidImagingFactory = {0xCACAF262, 0x9370, 0x4615, {0xA1, 0x3B, 0x9F, 0x55, 0x39, 0xDA, 0x4C, 0x0A}};
constexpr GUID kIidImagingFactory = {0xEC5EC8A9, 0xC395, 0x4314, {0x9C, 0x77, 0x54, 0xD7, 0xA9, 0x35, 0xFF, 0x70}};
constexpr GUID kFormatPbgra32 = {0x6FDDC324, 0x4E03, 0x4BFE, {0xB1, 0x85, 0x3D, 0x77, 0x76, 0x8D, 0xC9, 0x10}};

} // namespace

GdiHandle LoadPngResource(const wchar_t* name, SIZE& size)
{
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, name, RT_RCDATA);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    auto* bytes = loaded ? static_cast<BYTE*>(::LockResource(loaded)) : nullptr;
    if (!bytes)
        return {};
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(kClsidImagingFactory, nullptr, CLSCTX_INPROC_SERVER, kIidImagingFactory,
                                  factory.put_void())))
        return {};
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0, height = 0;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(bytes, ::SizeofResource(module, found))) ||
        FAILED(
            factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) || FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), kFormatPbgra32, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)))
        return {};
    void* pixels = nullptr;
    GdiHandle bitmap = CreatePixelBitmap(static_cast<int>(width), static_cast<int>(height), pixels);
    if (!bitmap || FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4, static_cast<BYTE*>(pixels))))
        return {};
    size = {static_cast<LONG>(width), static_cast<LONG>(height)};
    return bitmap;
}

GdiHandle CreatePixelBitmap(int width, int height, void*& pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels = nullptr;
    return GdiHandle(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
}

void DrawPictureFitted(HDC dc, HBITMAP bitmap, SIZE size, const RECT& area)
{
    const int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    if (!bitmap || size.cx <= 0 || size.cy <= 0 || areaWidth <= 0 || areaHeight <= 0)
        return;
    // The larger size that fits: limited by the width or by the height.
    int width = areaWidth, height = static_cast<int>(static_cast<long long>(areaWidth) * size.cy / size.cx);
    if (height > areaHeight) {
        height = areaHeight;
        width = static_cast<int>(static_cast<long long>(areaHeight) * size.cx / size.cy);
    }
    const MemoryDcHandle source(::CreateCompatibleDC(dc));
    const SelectedObject picture(source.get(), bitmap);
    const int oldMode = ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, area.left + (areaWidth - width) / 2, area.top + (areaHeight - height) / 2, width, height,
                 source.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}
