#pragma once

#include <QColor>
#include <cstdint>

namespace torvo {

// A 24-bit colour stored as 0x00BBGGRR: red in the low byte, blue in the third.
class Colour {
public:
    constexpr Colour() = default;
    constexpr explicit Colour(std::uint32_t bgr) : value_(bgr & 0x00FFFFFFu) {}

    static constexpr Colour fromRgb(int r, int g, int b) {
        return Colour(std::uint32_t(r & 0xFF) | std::uint32_t(g & 0xFF) << 8 | std::uint32_t(b & 0xFF) << 16);
    }
    static Colour fromQColor(const QColor& c) { return fromRgb(c.red(), c.green(), c.blue()); }

    constexpr std::uint32_t value() const { return value_; }
    constexpr int red() const { return int(value_ & 0xFF); }
    constexpr int green() const { return int(value_ >> 8 & 0xFF); }
    constexpr int blue() const { return int(value_ >> 16 & 0xFF); }
    QColor toQColor() const { return QColor(red(), green(), blue()); }

    friend constexpr bool operator==(Colour, Colour) = default;

private:
    std::uint32_t value_ = 0;
};

namespace colours {
inline constexpr Colour Black{0x000000};
inline constexpr Colour White{0xFFFFFF};
inline constexpr Colour Yellow{0x00FFFF};
} // namespace colours

} // namespace torvo
