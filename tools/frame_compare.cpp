// frame-compare: figures that compare rendered frames of different sizes, for the picture-size
// tests and benchmarks. Prints key=value figures; the caller judges them.
//
//   frame-compare down BIG SMALL        BIG box-filtered down by the whole factor BIG/SMALL,
//                                       against SMALL: psnr (dB), maxdiff, differing (values),
//                                       and smooth_psnr: the PSNR after a Gaussian of one pixel
//                                       on both
//   frame-compare sharpness BIG SMALL   mean squared Laplacian of BIG's luma, of SMALL enlarged
//                                       bilinearly to BIG's size, and their ratio
//   frame-compare crop BIG SMALL X Y    BIG's SMALL-sized rectangle at (X, Y) (top-left origin)
//                                       against SMALL: maxdiff, differing
//   frame-compare black FRAME X Y W H   pixels of the rectangle that are not pure black
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // top row first
    const unsigned char* at(int x, int y) const { return rgb.data() + (size_t(y) * width + x) * 3; }
};

bool load(const char* path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path)) {
        std::fprintf(stderr, "frame-compare: cannot read %s: %s\n", path, png.message);
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "frame-compare: cannot decode %s: %s\n", path, png.message);
        png_image_free(&png);
        return false;
    }
    return true;
}

// The mean of each factor x factor block, rounded to the nearest value.
Image boxDown(const Image& big, int factor) {
    Image small;
    small.width = big.width / factor;
    small.height = big.height / factor;
    small.rgb.resize(size_t(small.width) * small.height * 3);
    const int n = factor * factor;
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = 0; j < factor; ++j)
                    for (int i = 0; i < factor; ++i) sum += big.at(x * factor + i, y * factor + j)[c];
                small.rgb[(size_t(y) * small.width + x) * 3 + c] = static_cast<unsigned char>((sum + n / 2) / n);
            }
    return small;
}

// Bilinear enlargement with pixel centres aligned and edges clamped, as image scalers do.
std::vector<double> enlargeLuma(const Image& small, int width, int height, const std::vector<double>& luma) {
    std::vector<double> out(size_t(width) * height);
    const double sx = double(small.width) / width, sy = double(small.height) / height;
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, double(small.height - 1));
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, small.height - 1);
        const double wy = fy - y0;
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, double(small.width - 1));
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, small.width - 1);
            const double wx = fx - x0;
            auto l = [&](int xx, int yy) { return luma[size_t(yy) * small.width + xx]; };
            out[size_t(y) * width + x] = (1 - wy) * ((1 - wx) * l(x0, y0) + wx * l(x1, y0)) +
                                         wy * ((1 - wx) * l(x0, y1) + wx * l(x1, y1));
        }
    }
    return out;
}

std::vector<double> luma(const Image& image) {
    std::vector<double> out(size_t(image.width) * image.height);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char* p = image.rgb.data() + i * 3;
        out[i] = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
    return out;
}

// Mean of the squared 4-neighbour Laplacian over the interior pixels.
double laplacianEnergy(const std::vector<double>& l, int width, int height) {
    double sum = 0;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x) {
            const size_t i = size_t(y) * width + x;
            const double d = l[i - 1] + l[i + 1] + l[i - width] + l[i + width] - 4 * l[i];
            sum += d * d;
        }
    return sum / (double(width - 2) * (height - 2));
}

// A Gaussian of sigma pixels (kernel out to 3 sigma, edges clamped), separably, in place.
void gaussian(Image& image, double sigma) {
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> kernel(2 * radius + 1);
    double total = 0;
    for (int i = -radius; i <= radius; ++i) total += kernel[i + radius] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& k : kernel) k /= total;
    const int w = image.width, h = image.height;
    std::vector<double> along(size_t(w) * h * 3), across(along.size());
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<double>& out = pass == 0 ? along : across;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c) {
                    double sum = 0;
                    for (int i = -radius; i <= radius; ++i) {
                        const int xx = pass == 0 ? std::clamp(x + i, 0, w - 1) : x;
                        const int yy = pass == 1 ? std::clamp(y + i, 0, h - 1) : y;
                        const size_t at = (size_t(yy) * w + xx) * 3 + c;
                        sum += kernel[i + radius] * (pass == 0 ? image.rgb[at] : along[at]);
                    }
                    out[(size_t(y) * w + x) * 3 + c] = sum;
                }
    }
    for (size_t i = 0; i < image.rgb.size(); ++i)
        image.rgb[i] = static_cast<unsigned char>(std::clamp(std::lround(across[i]), 0L, 255L));
}

double psnr(const Image& a, const Image& b) {
    double squared = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = double(a.rgb[i]) - b.rgb[i];
        squared += d * d;
    }
    const double mse = squared / a.rgb.size();
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

void printDifference(const Image& a, const Image& b, int x0, int y0) {
    double squared = 0;
    int maxDiff = 0;
    long differing = 0;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int d = std::abs(int(a.at(x0 + x, y0 + y)[c]) - int(b.at(x, y)[c]));
                squared += double(d) * d;
                maxDiff = std::max(maxDiff, d);
                differing += d != 0;
            }
    const double mse = squared / (double(b.width) * b.height * 3);
    if (mse == 0)
        std::printf("psnr=inf");
    else
        std::printf("psnr=%.2f", 10 * std::log10(255.0 * 255.0 / mse));
    std::printf(" maxdiff=%d differing=%ld\n", maxDiff, differing);
}

int usage() {
    std::fprintf(stderr,
                 "usage: frame-compare down BIG SMALL | sharpness BIG SMALL | crop BIG SMALL X Y |"
                 " black FRAME X Y W H\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string command = argv[1];
    Image a, b;
    if (!load(argv[2], a)) return 2;
    if (command == "black" && argc == 7) {
        const int x0 = std::atoi(argv[3]), y0 = std::atoi(argv[4]), w = std::atoi(argv[5]), h = std::atoi(argv[6]);
        if (x0 < 0 || y0 < 0 || w < 0 || h < 0 || x0 + w > a.width || y0 + h > a.height) return usage();
        long lit = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) {
                const unsigned char* p = a.at(x, y);
                lit += (p[0] | p[1] | p[2]) != 0;
            }
        std::printf("nonblack=%ld\n", lit);
        return 0;
    }
    if (argc < 4 || !load(argv[3], b)) return usage();
    if (command == "down" && argc == 4) {
        const int factor = b.width > 0 ? a.width / b.width : 0;
        if (factor < 1 || a.width != factor * b.width || a.height != factor * b.height) {
            std::fprintf(stderr, "frame-compare: %dx%d is no whole multiple of %dx%d\n", a.width, a.height, b.width,
                         b.height);
            return 2;
        }
        Image down = boxDown(a, factor);
        printDifference(down, b, 0, 0);
        // The same after a one-pixel Gaussian on both: what is left once the small frame's
        // aliased edges no longer count, that is how the two are composed.
        gaussian(down, 1.0);
        gaussian(b, 1.0);
        std::printf("smooth_psnr=%.2f\n", psnr(down, b));
        return 0;
    }
    if (command == "sharpness" && argc == 4) {
        const double big = laplacianEnergy(luma(a), a.width, a.height);
        const double enlarged = laplacianEnergy(enlargeLuma(b, a.width, a.height, luma(b)), a.width, a.height);
        std::printf("ratio=%.3f big=%.3f enlarged=%.3f\n", enlarged > 0 ? big / enlarged : 0.0, big, enlarged);
        return 0;
    }
    if (command == "crop" && argc == 6) {
        const int x0 = std::atoi(argv[4]), y0 = std::atoi(argv[5]);
        if (x0 < 0 || y0 < 0 || x0 + b.width > a.width || y0 + b.height > a.height) return usage();
        printDifference(a, b, x0, y0);
        return 0;
    }
    return usage();
}
