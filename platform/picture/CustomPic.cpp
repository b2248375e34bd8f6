#include "CustomPic.h"

#include <utility>

CustomPic::CustomPic(std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t> pixels)
    : m_width(width), m_height(height), m_pixels(std::move(pixels)) {
    // A picture whose pixels do not fill its size is kept empty rather than half-valid.
    if (m_pixels.size() != static_cast<std::size_t>(width) * height) {
        m_width = m_height = 0;
        m_pixels.clear();
    }
}

CustomPic::CustomPic(const CustomPic& other) = default;
CustomPic& CustomPic::operator=(const CustomPic& other) = default;

CustomPic::CustomPic(CustomPic&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
      m_pixels(std::move(other.m_pixels)) {
    other.m_pixels.clear();
}

CustomPic& CustomPic::operator=(CustomPic&& other) noexcept {
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_pixels = std::move(other.m_pixels);
    other.m_pixels.clear();
    return *this;
}

CustomPic::~CustomPic() = default;
