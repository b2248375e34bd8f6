// The window icon (group 128) and the separator bitmap (131) as compiled into the module.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "ResourceReader.h"
#include "resource.h"

using namespace restest;

namespace {

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

std::vector<GroupIconEntry> IconGroupEntries() {
    const ResourceBytes group = FindChinese(RT_GROUP_ICON, IDI_SEARCH);
    std::vector<GroupIconEntry> entries;
    if (!group.data || group.size < sizeof(GroupIconHeader)) return entries;
    GroupIconHeader header;
    std::memcpy(&header, group.data, sizeof header);
    if (header.reserved != 0 || header.type != 1) return entries;
    if (group.size < sizeof header + header.count * sizeof(GroupIconEntry)) return entries;
    entries.resize(header.count);
    std::memcpy(entries.data(), group.data + sizeof header, header.count * sizeof(GroupIconEntry));
    return entries;
}

DWORD DibRowBytes(int width, int bits) { return (width * bits + 31) / 32 * 4; }

// A 32-bit BI_RGB header; a negative height makes the DIB top-down.
BITMAPINFO Rgb32(int width, int height) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

TEST(WindowIcon, GroupHoldsFiveSizesAtEightAndThirtyTwoBits) {
    const std::vector<GroupIconEntry> entries = IconGroupEntries();
    ASSERT_EQ(entries.size(), 10u);

    std::set<std::pair<int, int>> found;
    for (const GroupIconEntry& e : entries) {
        const int size = e.width ? e.width : 256;
        SCOPED_TRACE(::testing::Message() << size << " px, " << e.bitCount << " bits");
        found.emplace(size, e.bitCount);
        EXPECT_EQ(e.height, e.width);
        EXPECT_EQ(e.planes, 1);
        EXPECT_EQ(e.colorCount, 0) << "0 stands for 256 colours and more";

        // The image the entry points at must be the one it describes.
        const ResourceBytes image = FindChinese(RT_ICON, e.id);
        ASSERT_NE(image.data, nullptr) << "icon image " << e.id << " missing";
        EXPECT_EQ(image.size, e.bytesInRes);
        ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER bih;
        std::memcpy(&bih, image.data, sizeof bih);
        EXPECT_EQ(bih.biSize, sizeof bih);
        EXPECT_EQ(bih.biWidth, size);
        EXPECT_EQ(bih.biHeight, 2 * size) << "colour bits and AND mask";
        EXPECT_EQ(bih.biPlanes, 1);
        EXPECT_EQ(bih.biBitCount, e.bitCount);
        EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));
        const DWORD palette = e.bitCount == 8 ? 256 * sizeof(RGBQUAD) : 0;
        EXPECT_EQ(image.size, sizeof bih + palette + DibRowBytes(size, e.bitCount) * size +
                                  DibRowBytes(size, 1) * size);
    }
    const std::set<std::pair<int, int>> expected = {
        {64, 8}, {64, 32}, {48, 8}, {48, 32}, {32, 8},
        {32, 32}, {24, 8}, {24, 32}, {16, 8}, {16, 32},
    };
    EXPECT_EQ(found, expected);
}

// Draws every image of the group on magenta and samples three places, given as fractions of the
// size: a rounded-off corner (transparent), the blue background at the left edge, and the brown
// handle of the magnifying glass at the bottom right. A broken AND mask shows in the corner; an
// image stored top-down instead of bottom-up moves the handle to the top.
TEST(WindowIcon, EveryImageDrawsTheSamePicture) {
    const COLORREF magenta = RGB(255, 0, 255);
    for (const GroupIconEntry& e : IconGroupEntries()) {
        const int size = e.width;
        SCOPED_TRACE(::testing::Message() << size << " px, " << e.bitCount << " bits");
        const ResourceBytes image = FindChinese(RT_ICON, e.id);
        ASSERT_NE(image.data, nullptr);
        HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(image.data), image.size, TRUE,
                                              0x00030000, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);

        BITMAPINFO bmi = Rgb32(size, -size);
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP canvas = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(canvas, nullptr);
        HGDIOBJ old = SelectObject(dc, canvas);
        HBRUSH brush = CreateSolidBrush(magenta);
        RECT all{0, 0, size, size};
        FillRect(dc, &all, brush);
        EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL));
        GdiFlush();

        auto at = [&](double fx, double fy) {
            const int x = static_cast<int>(fx * size), y = static_cast<int>(fy * size);
            return GetPixel(dc, x, y);
        };
        const COLORREF corner = at(0.0, 0.0);
        const COLORREF background = at(0.1, 0.5);
        const COLORREF handle = at(0.84, 0.8);
        EXPECT_EQ(corner, magenta) << std::hex << "corner 0x" << corner;
        EXPECT_TRUE(GetBValue(background) > GetRValue(background) + 60 &&
                    GetBValue(background) > GetGValue(background))
            << std::hex << "background 0x" << background;
        EXPECT_TRUE(GetRValue(handle) > GetBValue(handle) + 40 && handle != magenta)
            << std::hex << "handle 0x" << handle;

        SelectObject(dc, old);
        DeleteObject(brush);
        DeleteObject(canvas);
        DeleteDC(dc);
        DestroyIcon(icon);
    }
}

TEST(WindowIcon, LoadsAtEachSizeWithoutScaling) {
    for (int size : {16, 24, 32, 48, 64}) {
        SCOPED_TRACE(::testing::Message() << size << " px");
        auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                  MAKEINTRESOURCEW(IDI_SEARCH), IMAGE_ICON, size,
                                                  size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << "error " << GetLastError();
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_TRUE(info.fIcon);
        ASSERT_NE(info.hbmColor, nullptr) << "a colour image, not a monochrome one";
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(SeparatorBitmap, IsOneGreyRowOfFourBitPixels) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                  MAKEINTRESOURCEW(IDB_SEPARATOR), IMAGE_BITMAP,
                                                  0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr) << "error " << GetLastError();
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBmih.biWidth, 300);
    EXPECT_EQ(dib.dsBmih.biHeight, 1);
    EXPECT_EQ(dib.dsBmih.biBitCount, 4);

    // The standard 16-colour palette, so index 7 is the light grey of the line.
    static const COLORREF standard[16] = {
        RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
        RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
        RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
        RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
    };
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RGBQUAD table[16]{};
    ASSERT_EQ(GetDIBColorTable(dc, 0, 16, table), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue), standard[i])
            << "palette entry " << i;
    SelectObject(dc, old);

    const auto* packed = static_cast<const BYTE*>(dib.dsBm.bmBits);
    const std::vector<BYTE> row(packed, packed + 150);
    EXPECT_EQ(std::count(row.begin(), row.end(), 0x77), 150) << "every pixel index 7";

    // And the colour a reader of the bitmap gets, pixel by pixel.
    BITMAPINFO bmi = Rgb32(300, 1);
    std::vector<DWORD> pixels(300, 0xDEADBEEF);
    ASSERT_EQ(GetDIBits(dc, bitmap, 0, 1, pixels.data(), &bmi, DIB_RGB_COLORS), 1);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0x00C0C0C0u), 300);

    DeleteDC(dc);
    DeleteObject(bitmap);
}

}  // namespace
