// Picture library: a user's custom picture as the client keeps it. The search module only copies
// and destroys it, as a field of a user record.
#pragma once

#include <cstdint>
#include <vector>

class CustomPic {
public:
    CustomPic() = default;
    CustomPic(std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t> pixels);
    CustomPic(const CustomPic& other);
    CustomPic& operator=(const CustomPic& other);
    CustomPic(CustomPic&& other) noexcept;
    CustomPic& operator=(CustomPic&& other) noexcept;
    ~CustomPic();

    void Swap(CustomPic& other) noexcept;

    std::uint32_t Width() const { return m_width; }
    std::uint32_t Height() const { return m_height; }
    bool IsEmpty() const { return m_pixels.empty(); }
    const std::vector<std::uint32_t>& Pixels() const { return m_pixels; }

private:
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::vector<std::uint32_t> m_pixels;  // 0xAARRGGBB, row by row
};
