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

bool SaveWindowPicture(HWND window, const String_cl& path)
{
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as WIC expects
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != FALSE;
        SelectObject(memory, old);
    }
    if (ok) {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ok = WritePng(path, width, height, static_cast<const BYTE*>(bits));
        if (SUCCEEDED(com)) CoUninitialize();
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

} // namespace Test_ns
