// The program's icon: a glowing ring round a light flash on a dark tile, drawn at any size and
// written as an RGBA PNG. It is not part of the data set.
#include "gen_data.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace gen {

namespace {

// Coverage of the tile: a square of side 2 with rounded corners, centred at the origin.
double tileCoverage(double x, double y, double pixel) {
    const double half = 0.94, corner = 0.3;
    const double qx = std::fabs(x) - (half - corner), qy = std::fabs(y) - (half - corner);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0);
    return clamp01(0.5 - (outside - corner) / pixel);
}

// The colour at (x, y), both -1..1 with y pointing down, before the tile's coverage.
Color iconColor(double x, double y) {
    const double r = std::hypot(x, y);
    Color c = mixColor(hexColor(0x2a1a6e), hexColor(0x05040f), smoothstep(0.0, 1.3, r));
    // A ring seen from slightly above: an ellipse tilted a little, with a soft glow round it.
    const double tilt = -0.35, ct = std::cos(tilt), st = std::sin(tilt);
    const double ex = x * ct - y * st, ey = (x * st + y * ct) / 0.42;
    const double ring = std::fabs(std::hypot(ex, ey) - 0.62) * 0.6;
    const double line = std::exp(-ring * ring / (0.018 * 0.018));
    const double glow = std::exp(-ring * ring / (0.09 * 0.09));
    c = c + hexColor(0x5fe8ff) * (0.9 * line + 0.45 * glow);
    // The flash: a bright core with four long rays.
    const double fx = x - 0.08, fy = y + 0.12;
    const double core = std::exp(-(fx * fx + fy * fy) / (0.11 * 0.11));
    const double rays = std::exp(-std::fabs(fx) / 0.025) * std::exp(-std::fabs(fy) / 0.55) +
                        std::exp(-std::fabs(fy) / 0.025) * std::exp(-std::fabs(fx) / 0.55);
    c = c + hexColor(0xfff4d8) * (1.2 * core + 0.8 * rays);
    return {clamp01(c.r), clamp01(c.g), clamp01(c.b), 1.0};
}

// Writes size x size RGBA pixels, top row first, as a PNG into an open file.
bool encodePng(std::FILE* file, int size, const std::vector<png_byte>& pixels) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(size), png_uint_32(size), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < size; ++y) png_write_row(png, &pixels[std::size_t(y) * std::size_t(size) * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writeIcon(const std::string& path, int size) {
    if (size < 16 || size > 1024) return false;
    std::vector<png_byte> pixels(std::size_t(size) * std::size_t(size) * 4);
    const int samples = 4;  // per axis
    const double pixel = 2.0 / size;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double x = -1 + (px + (sx + 0.5) / samples) * pixel;
                    const double y = -1 + (py + (sy + 0.5) / samples) * pixel;
                    const double w = tileCoverage(x, y, pixel / samples);
                    const Color c = iconColor(x, y);
                    r += c.r * w;
                    g += c.g * w;
                    b += c.b * w;
                    a += w;
                }
            }
            png_byte* out = &pixels[(std::size_t(py) * std::size_t(size) + std::size_t(px)) * 4];
            // Stored unpremultiplied, as PNG wants it.
            out[0] = png_byte(a > 0 ? std::lround(255 * r / a) : 0);
            out[1] = png_byte(a > 0 ? std::lround(255 * g / a) : 0);
            out[2] = png_byte(a > 0 ? std::lround(255 * b / a) : 0);
            out[3] = png_byte(std::lround(255 * a / (samples * samples)));
        }
    }

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool encoded = encodePng(file, size, pixels);
    return std::fclose(file) == 0 && encoded;
}

}  // namespace gen
