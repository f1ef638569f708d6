// A window as it is on the screen, as a PNG file.
#include "tests/support/WindowPicture.h"
#include <objbase.h>
#include <wincodec.h>
#include "common/base/ComPtr.h"

namespace Test_ns {

namespace {

using Base_ns::ComPtr_tl;

bool WritePng(const String_cl& path, int width, int height, const BYTE* pixels)
{
    ComPtr_tl<IWICImagingFactory> factory;
    ComPtr_tl<IWICStream> stream;
    ComPtr_tl<IWICBitmapEncoder> encoder;
    ComPtr_tl<IWICBitmapFrameEncode> frame;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Out()))))
        return false;
    if (FAILED(factory->CreateStream(stream.Out())) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)))
        return false;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(width, height)))
        return false;
    // GDI leaves alpha at 0: BGR with a padding byte, not BGRA.
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGR) return false;
    const UINT stride = static_cast<UINT>(width) * 4;
    if (FAILED(frame->WritePixels(height, stride, stride * height, const_cast<BYTE*>(pixels)))) return false;
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

} // namespace

std::vector<BYTE> WindowPixels(HWND window, int& width, int& height)
{
    RECT r{};
    GetWindowRect(window, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return {};
    std::vector<BYTE> pixels(size_t(width) * height * 4);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB};  // top-down, as WIC expects
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
    SelectObject(memory, old);
    const bool read = ok && GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!read) pixels.clear();
    return pixels;
}

bool SaveWindowPicture(HWND window, const String_cl& path)
{
    int width = 0, height = 0;
    const std::vector<BYTE> pixels = WindowPixels(window, width, height);
    if (pixels.empty()) return false;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool ok = WritePng(path, width, height, pixels.data());
    if (SUCCEEDED(com)) CoUninitialize();
    return ok;
}

} // namespace Test_ns
