#include "CustomPic.h"

#include <utility>

CustomPic::CustomPic(std::uint32_t width, std::uint32_t height, std::vector<std::uint32_t> pixels)
    : m_width(width), m_height(height), m_pixels(std::move(pixels)) {
    // A picture whose pixels do not fill its size is kept empty rather than half-valid. The product
    // is taken in 64 bits: with a 32-bit size_t, 65536 x 65536 would wrap to 0 and pass for an
    // empty pixel vector.
    if (static_cast<std::uint64_t>(m_pixels.size()) != static_cast<std::uint64_t>(width) * height) {
        m_width = m_height = 0;
        m_pixels.clear();
    }
}

CustomPic::CustomPic(const CustomPic& other) = default;

CustomPic& CustomPic::operator=(const CustomPic& other) {
    // Copy first, then swap: if the pixel copy throws, this picture keeps its old size and pixels
    // together instead of a new size over old pixels.
    CustomPic copy(other);
    Swap(copy);
    return *this;
}

CustomPic::CustomPic(CustomPic&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
      m_pixels(std::move(other.m_pixels)) {
    other.m_pixels.clear();
}

CustomPic& CustomPic::operator=(CustomPic&& other) noexcept {
    // Moving into itself would empty the pixels and keep the size.
    if (this != &other) {
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_pixels = std::move(other.m_pixels);
        other.m_pixels.clear();
    }
    return *this;
}

CustomPic::~CustomPic() = default;

void CustomPic::Swap(CustomPic& other) noexcept {
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    m_pixels.swap(other.m_pixels);
}
