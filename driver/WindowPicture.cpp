#include "WindowPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

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

namespace windriver {

namespace {

void WriteChunk(void* context, void* data, int size) {
    std::fwrite(data, 1, static_cast<size_t>(size), static_cast<FILE*>(context));
}

int Luma(std::uint32_t rgb) {
    return (static_cast<int>((rgb >> 16) & 0xFF) * 3 + static_cast<int>((rgb >> 8) & 0xFF) * 6 +
            static_cast<int>(rgb & 0xFF)) / 10;
}

// The part of the area inside the picture.
RECT Clip(const Picture& picture, const RECT& area) {
    RECT bounds = {0, 0, picture.width, picture.height};
    RECT clipped = {};
    ::IntersectRect(&clipped, &area, &bounds);
    return clipped;
}

std::uint32_t Commonest(const std::map<std::uint32_t, int>& counts) {
    std::uint32_t best = 0;
    int most = -1;
    for (const auto& entry : counts) {
        if (entry.second > most) {
            best = entry.first;
            most = entry.second;
        }
    }
    return best;
}

double Channel(std::uint32_t value) {
    const double c = static_cast<double>(value & 0xFF) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

bool CaptureWindow(HWND hWnd, Picture& picture) {
    if (!hWnd || !::IsWindowVisible(hWnd)) return false;
    // Finish the paints that are pending, and only those. Invalidating the whole window here would
    // repaint the tab control over the transparent page label that lies on it: in normal use the
    // label repaints itself after the tab control has drawn, and that is what a picture must show.
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    RECT r = {};
    ::GetWindowRect(hWnd, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> bgrx(static_cast<size_t>(width) * height);
    const int rows = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) return false;

    picture.width = width;
    picture.height = height;
    picture.pixels.resize(bgrx.size());
    // A 32-bit DIB holds each pixel as 0x00RRGGBB already.
    std::transform(bgrx.begin(), bgrx.end(), picture.pixels.begin(),
                   [](std::uint32_t p) { return p & 0xFFFFFF; });
    return true;
}

bool SavePng(const Picture& picture, const std::wstring& path) {
    if (picture.width <= 0 || picture.height <= 0) return false;
    std::vector<unsigned char> rgb(picture.pixels.size() * 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        rgb[i * 3 + 0] = static_cast<unsigned char>(picture.pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(picture.pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(picture.pixels[i]);
    }
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const int written = stbi_write_png_to_func(WriteChunk, file, picture.width, picture.height, 3,
                                               rgb.data(), picture.width * 3);
    const bool closed = std::fclose(file) == 0;
    return written != 0 && closed;
}

bool SaveWindowPng(HWND hWnd, const std::wstring& path) {
    Picture picture;
    return CaptureWindow(hWnd, picture) && SavePng(picture, path);
}

int InkPixelsOnScreen(HWND hWnd) {
    Picture picture;
    if (!CaptureWindow(hWnd, picture)) return -1;
    // The background is the commonest shade; ink is whatever stands well apart from it.
    int histogram[256] = {};
    for (std::uint32_t p : picture.pixels) ++histogram[Luma(p)];
    const int background = static_cast<int>(std::max_element(histogram, histogram + 256) - histogram);
    int ink = 0;
    for (std::uint32_t p : picture.pixels) {
        const int l = Luma(p);
        if (l < background - 60 || l > background + 60) ++ink;
    }
    return ink;
}

std::uint32_t CommonestColour(const Picture& picture, const RECT& area) {
    const RECT r = Clip(picture, area);
    std::map<std::uint32_t, int> counts;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) ++counts[picture.At(x, y)];
    return Commonest(counts);
}

std::uint32_t CommonestColourAround(const Picture& picture, const RECT& area, int width) {
    RECT outer = area;
    ::InflateRect(&outer, width, width);
    const RECT r = Clip(picture, outer);
    std::map<std::uint32_t, int> counts;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const POINT p = {x, y};
            if (!::PtInRect(&area, p)) ++counts[picture.At(x, y)];
        }
    }
    return Commonest(counts);
}

double Luminance(std::uint32_t rgb) {
    return 0.2126 * Channel(rgb >> 16) + 0.7152 * Channel(rgb >> 8) + 0.0722 * Channel(rgb);
}

double Contrast(std::uint32_t a, std::uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TextInk MeasureText(const Picture& picture, const RECT& area, std::uint32_t background) {
    const RECT r = Clip(picture, area);
    const int paper = Luma(background);
    TextInk ink;
    int farthest = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const std::uint32_t p = picture.At(x, y);
            if (p == background) continue;
            ++ink.pixels;
            const int distance = std::abs(Luma(p) - paper);
            if (distance > farthest) {
                farthest = distance;
                ink.darkest = p;
            }
        }
    }
    // A pixel is a halftone when it lies more than a fifth of the way from the paper to the ink
    // and more than a fifth of the way back: smoothing's grey edge, not a stroke.
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const std::uint32_t p = picture.At(x, y);
            if (p == background) continue;
            const int distance = std::abs(Luma(p) - paper);
            if (distance * 5 > farthest && distance * 5 < farthest * 4) ++ink.halftones;
        }
    }
    return ink;
}

}  // namespace windriver
