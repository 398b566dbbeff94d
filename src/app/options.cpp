#include "app/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/frame_driver.h"

namespace {

bool number(const char* text, double& value) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text, &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(value);
}

// A whole number of decimal digits only, no sign or spaces, up to 99999.
bool side(const std::string& text, int& value) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::stoi(text);
    return true;
}

// "WxH", sides of kMinOutputSide .. kMaxOutputSide pixels.
bool outputSize(const char* text, int& width, int& height, std::string& error) {
    const std::string t = text;
    const size_t x = t.find_first_of("xX");
    if (x == std::string::npos || !side(t.substr(0, x), width) || !side(t.substr(x + 1), height)) {
        error = "--size: not WxH: " + t;
        return false;
    }
    if (width < kMinOutputSide || height < kMinOutputSide || width > kMaxOutputSide || height > kMaxOutputSide) {
        error = "--size: each side must lie in " + std::to_string(kMinOutputSide) + " .. " +
                std::to_string(kMaxOutputSide) + ": " + t;
        return false;
    }
    return true;
}

}  // namespace

const char* usageText() {
    return "usage:\n"
           "  lumivane                 the show: full screen 800x600 with its soundtrack; Escape ends it\n"
           "  lumivane --window        the same in an 800x600 window, with no display-mode change\n"
           "  lumivane --from MS       start at demo time MS (milliseconds), the soundtrack too\n"
           "  lumivane --seed N        seed the random source with N instead of the tick count\n"
           "  lumivane --render DIR [--fps N] [--from MS] [--to MS] [--seed N]\n"
           "                           render headless at a fixed step into DIR/frame-NNNNNN.png\n"
           "  lumivane --bench [--fps N] [--from MS] [--to MS] [--seed N]\n"
           "                           render headless without files; print per-scene frame times,\n"
           "                           the set-up time and the peak memory\n"
           "  lumivane --size WxH      with --window, --render, --bench: the picture at any size, 4:3 in\n"
           "                           the largest rectangle that fits, composed exactly as at 800x600\n"
           "  lumivane --ssaa N        with --render, --bench: drawn at N x (1..4) and filtered down;\n"
           "                           in the window, multisampling (on where offered, off with 1)\n"
           "  lumivane --help          this text\n";
}

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    bool sawFps = false, sawTo = false, sawWindow = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&](const char* what) {
            if (value) return true;
            error = arg + " needs " + what;
            return false;
        };
        double v = 0;
        if (arg == "--help" || arg == "-h") {
            options.mode = Options::Mode::Help;
        } else if (arg == "--window") {
            options.windowed = sawWindow = true;
        } else if (arg == "--render") {
            if (!needValue("a directory")) return false;
            if (options.mode == Options::Mode::Bench) {
                error = "--render and --bench exclude each other";
                return false;
            }
            options.mode = Options::Mode::Render;
            options.renderDir = argv[++i];
        } else if (arg == "--bench") {
            if (options.mode == Options::Mode::Render) {
                error = "--render and --bench exclude each other";
                return false;
            }
            options.mode = Options::Mode::Bench;
        } else if (arg == "--size") {
            if (!needValue("WxH")) return false;
            if (!outputSize(argv[++i], options.width, options.height, error)) return false;
            options.sized = true;
        } else if (arg == "--ssaa") {
            if (!needValue("a factor")) return false;
            int n = 0;
            if (!side(argv[++i], n) || n < 1 || n > 4) {
                error = std::string("--ssaa must be 1, 2, 3 or 4: ") + argv[i];
                return false;
            }
            options.ssaa = n;
        } else if (arg == "--from" || arg == "--to" || arg == "--fps" || arg == "--seed") {
            if (!needValue("a number")) return false;
            if (!number(value, v)) {
                error = arg + ": not a number: " + value;
                return false;
            }
            ++i;
            if (arg == "--from") {
                if (v < 0 || v >= kShowEnd) {
                    error = "--from must lie in 0 .. " + std::to_string(static_cast<long>(kShowEnd)) + " ms";
                    return false;
                }
                options.fromMs = v;
            } else if (arg == "--to") {
                if (v <= 0) {
                    error = "--to must be positive";
                    return false;
                }
                options.toMs = v;
                sawTo = true;
            } else if (arg == "--fps") {
                if (v <= 0 || v > 1000) {
                    error = "--fps must lie in (0, 1000]";
                    return false;
                }
                options.fps = v;
                sawFps = true;
            } else {
                if (v < 0 || v > 4294967295.0 || v != std::floor(v)) {
                    error = "--seed must be a whole number 0 .. 4294967295";
                    return false;
                }
                options.seeded = true;
                options.seed = static_cast<unsigned>(v);
            }
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    const bool offline = options.mode == Options::Mode::Render || options.mode == Options::Mode::Bench;
    if ((sawFps || sawTo) && !offline) {
        error = "--fps and --to need --render or --bench";
        return false;
    }
    if ((options.sized || options.ssaa) && !offline && !sawWindow && options.mode != Options::Mode::Help) {
        error = "--size and --ssaa need --window, --render or --bench";
        return false;
    }
    if (sawWindow && offline) {
        error = "--window does not go with --render or --bench";
        return false;
    }
    if (offline && options.toMs >= 0 && options.toMs <= options.fromMs) {
        error = "--to must be later than --from";
        return false;
    }
    return true;
}
