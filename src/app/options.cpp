#include "app/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/frame_driver.h"
#include "output/video_writer.h"
#include "lumivane_build.h"  // LUMIVANE_VERSION

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
           "                           and a player: Space pause, Left/Right 1 s, Down/Up 10 s,\n"
           "                           Page Up/Down scenes, Home start, F/F11/Alt+Enter full screen,\n"
           "                           H time and scene, Escape quits\n"
           "  lumivane --from MS       start at demo time MS (milliseconds), the soundtrack too\n"
           "  lumivane --seed N        seed the random source with N instead of the tick count\n"
           "  lumivane --render DIR [--force] [--fps N] [--from MS] [--to MS] [--seed N]\n"
           "                           render headless at a fixed step into DIR/frame-NNNNNN.png;\n"
           "                           --force first removes the frames of an earlier run in DIR\n"
           "  lumivane --bench [--fps N] [--from MS] [--to MS] [--seed N]\n"
           "                           render headless without files; print per-scene frame times,\n"
           "                           the set-up time and the peak memory\n"
           "  lumivane --video FILE [--fps N] [--from MS] [--to MS] [--seed N] [--crf Q]\n"
           "                           one video file: .mp4 (H.264 + AAC) or .mkv (H.264 + FLAC) with\n"
           "                           the soundtrack cut to the range; quality Q 0..51 (default 18)\n"
           "  lumivane --view FILE.mqo a model file drawn by the show's renderer, turning; drag orbits,\n"
           "                           the wheel zooms, O toggles outlines; with --render DIR a\n"
           "                           36-frame turntable into DIR\n"
           "  lumivane --data DIR      the data set in DIR (default: ./data, beside the program, installed)\n"
           "  lumivane --check [--data DIR] [--json]\n"
           "                           read the data set as the show would and report what it will and\n"
           "                           will not draw; exit code 0 when it draws all the files hold\n"
           "  lumivane --version       the version\n"
           "  lumivane --size WxH      with --window, --render, --video, --bench, --view: the picture at any size, 4:3 in\n"
           "                           the largest rectangle that fits, composed exactly as at 800x600\n"
           "  lumivane --ssaa N        with --render, --video, --bench, --view --render: drawn at N x (1..4) and filtered down;\n"
           "                           in the window, multisampling (on where offered, off with 1)\n"
           "  lumivane --help          this text\n";
}

const char* versionText() { return "lumivane " LUMIVANE_VERSION "\n"; }

// The options that take the next word as their value.
bool takesValue(const std::string& arg) {
    for (const char* name : {"--data", "--render", "--view", "--video", "--size", "--ssaa", "--from", "--to", "--fps",
                             "--seed", "--crf"})
        if (arg == name) return true;
    return false;
}

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    // --help and --version answer wherever they stand, whatever else the line holds; the first
    // of them that is not an option's value wins.
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--version") {
            options.mode = arg == "--version" ? Options::Mode::Version : Options::Mode::Help;
            return true;
        }
        if (takesValue(arg)) ++i;
    }
    bool sawFps = false, sawTo = false, sawWindow = false, sawCrf = false, sawFrom = false, sawSeed = false;
    bool sawCheck = false, sawJson = false, sawOther = false;  // --check takes --data and --json alone
    // The headless runs exclude each other.
    auto setOffline = [&](Options::Mode mode, const std::string& arg) {
        if (options.mode == Options::Mode::Render || options.mode == Options::Mode::Bench ||
            options.mode == Options::Mode::Video) {
            error = arg + ": only one of --render, --bench and --video";
            return false;
        }
        options.mode = mode;
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&](const char* what) {
            if (value) return true;
            error = arg + " needs " + what;
            return false;
        };
        double v = 0;
        if (arg != "--check" && arg != "--json" && arg != "--data" && arg != "--help" && arg != "-h" &&
            arg != "--version")
            sawOther = true;
        if (arg == "--check") {
            sawCheck = true;
            continue;
        }
        if (arg == "--json") {
            sawJson = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.mode = Options::Mode::Help;
        } else if (arg == "--version") {
            options.mode = Options::Mode::Version;
        } else if (arg == "--data") {
            if (!needValue("a directory")) return false;
            options.dataDir = argv[++i];
            if (options.dataDir.empty()) {
                error = "--data needs a directory";
                return false;
            }
        } else if (arg == "--window") {
            options.windowed = sawWindow = true;
        } else if (arg == "--render") {
            if (!needValue("a directory") || !setOffline(Options::Mode::Render, arg)) return false;
            options.renderDir = argv[++i];
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--view") {
            if (!needValue("a model file")) return false;
            options.viewFile = argv[++i];
        } else if (arg == "--bench") {
            if (!setOffline(Options::Mode::Bench, arg)) return false;
        } else if (arg == "--video") {
            if (!needValue("a file name") || !setOffline(Options::Mode::Video, arg)) return false;
            options.videoFile = argv[++i];
            if (!output::isVideoPath(options.videoFile)) {
                error = "--video: " + options.videoFile + ": unknown container; use .mp4 or .mkv";
                return false;
            }
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
        } else if (arg == "--from" || arg == "--to" || arg == "--fps" || arg == "--seed" || arg == "--crf") {
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
                sawFrom = true;
            } else if (arg == "--to") {
                if (v <= 0) {
                    error = "--to must be positive";
                    return false;
                }
                options.toMs = v;
                sawTo = true;
            } else if (arg == "--fps") {
                // A video plays at 1 fps or more; frames may sample the show more sparsely, one
                // frame in up to 100 s (reference moments are rendered that way).
                if (v < 0.01 || v > 1000) {
                    error = "--fps must lie in 0.01 .. 1000 (1 .. 1000 for --video)";
                    return false;
                }
                options.fps = v;
                sawFps = true;
            } else if (arg == "--crf") {
                if (v < 0 || v > 51 || v != std::floor(v)) {
                    error = "--crf must be a whole number 0 .. 51";
                    return false;
                }
                options.crf = static_cast<int>(v);
                sawCrf = true;
            } else {
                if (v < 0 || v > 4294967295.0 || v != std::floor(v)) {
                    error = "--seed must be a whole number 0 .. 4294967295";
                    return false;
                }
                options.seeded = sawSeed = true;
                options.seed = static_cast<unsigned>(v);
            }
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (sawJson && !sawCheck) {
        error = "--json needs --check";
        return false;
    }
    if (sawCheck && options.mode != Options::Mode::Help && options.mode != Options::Mode::Version) {
        if (sawOther) {
            error = "--check goes with --data and --json alone";
            return false;
        }
        options.mode = Options::Mode::Check;
        options.json = sawJson;
        return true;
    }
    if (!options.viewFile.empty()) {
        // A turntable of 36 frames, or a window, of the one model file: no show time, no data set.
        if (options.mode == Options::Mode::Bench || options.mode == Options::Mode::Video) {
            error = "--view goes with --render alone";
            return false;
        }
        const char* refused = sawFrom ? "--from" : sawTo ? "--to" : sawFps ? "--fps" : sawSeed ? "--seed"
                            : sawCrf ? "--crf" : !options.dataDir.empty() ? "--data" : nullptr;
        if (refused) {
            error = std::string(refused) + " does not go with --view (it takes --render, --size and --ssaa)";
            return false;
        }
        if (options.ssaa && options.mode != Options::Mode::Render) {
            error = "--ssaa with --view needs --render (the window shows the model as the GL draws it)";
            return false;
        }
        return true;
    }
    const bool offline = options.mode == Options::Mode::Render || options.mode == Options::Mode::Bench ||
                         options.mode == Options::Mode::Video;
    if ((sawFps || sawTo) && !offline) {
        error = "--fps and --to need --render, --bench or --video";
        return false;
    }
    if (options.mode == Options::Mode::Video && options.fps < 1) {
        error = "--fps for --video must lie in 1 .. 1000";
        return false;
    }
    if (options.force && options.mode != Options::Mode::Render) {
        error = "--force needs --render";
        return false;
    }
    if (sawCrf && options.mode != Options::Mode::Video) {
        error = "--crf needs --video";
        return false;
    }
    if ((options.sized || options.ssaa) && !offline && !sawWindow && options.mode != Options::Mode::Help) {
        error = "--size and --ssaa need --window, --render, --video or --bench";
        return false;
    }
    if (sawWindow && offline) {
        error = "--window does not go with --render, --bench or --video";
        return false;
    }
    if (offline && options.toMs >= 0 && options.toMs <= options.fromMs) {
        error = "--to must be later than --from";
        return false;
    }
    return true;
}
