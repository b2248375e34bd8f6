#include "WindowPicture.h"

#include <cstdio>
#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

void WriteChunk(void* context, void* data, int size) {
    std::fwrite(data, 1, static_cast<size_t>(size), static_cast<FILE*>(context));
}

}  // namespace

bool SaveWindowPng(HWND hWnd, const std::wstring& path) {
    if (!hWnd || !IsWindowVisible(hWnd)) return false;
    // Finish the paints that are pending, and only those. Invalidating the whole window here would
    // repaint the tab control over the transparent page label that lies on it: in normal use the
    // label repaints itself after the tab control has drawn, and that is what a picture must show.
    RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    RECT r = {};
    GetWindowRect(hWnd, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, the row order of a PNG
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<unsigned char> bgra(static_cast<size_t>(width) * height * 4);
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgra.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) return false;

    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
        rgb[i * 3 + 0] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4 + 0];
    }
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const int written = stbi_write_png_to_func(WriteChunk, file, width, height, 3, rgb.data(), width * 3);
    const bool closed = std::fclose(file) == 0;
    return written != 0 && closed;
}

int InkPixelsOnScreen(HWND hWnd) {
    if (!hWnd || !IsWindowVisible(hWnd)) return -1;
    RECT r = {};
    GetWindowRect(hWnd, &r);
    if (r.right <= r.left || r.bottom <= r.top) return 0;
    HDC screen = GetDC(nullptr);
    std::vector<int> luma;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            if (c != CLR_INVALID) luma.push_back((GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10);
        }
    }
    ReleaseDC(nullptr, screen);
    // The background is the commonest shade; ink is whatever stands well apart from it.
    int histogram[256] = {};
    for (int l : luma) ++histogram[l];
    int background = 0;
    for (int l = 1; l < 256; ++l)
        if (histogram[l] > histogram[background]) background = l;
    int ink = 0;
    for (int l : luma)
        if (l < background - 60 || l > background + 60) ++ink;
    return ink;
}
