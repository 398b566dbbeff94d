// Program entry: the show, or one of the headless runs.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/data_check.h"
#include "app/data_location.h"
#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/model_viewer.h"
#include "app/music_track.h"
#include "app/offline_run.h"
#include "app/options.h"
#include "app/picture_target.h"
#include "demo/carried_state.h"
#include "demo/demo_assets.h"
#include "platform/process.h"

namespace {

int run(int argc, char** argv) {
    // Arguments in UTF-8 whatever the system's code page, so that paths in any script work.
    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    std::vector<const char*> args;
    for (const std::string& argument : arguments) args.push_back(argument.c_str());
    Options options;
    std::string error;
    if (!parseOptions(static_cast<int>(args.size()), args.data(), options, error)) {
        std::fprintf(stderr, "lumivane: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.mode == Options::Mode::Help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (options.mode == Options::Mode::Version) {
        std::fputs(versionText(), stdout);
        return 0;
    }
    if (!options.viewFile.empty()) return runModelViewer(options);  // reads its file as given
    // A picture too large for memory is refused before a context or a window is made for it.
    if (options.mode != Options::Mode::Show || options.windowed) {
        const std::string problem = pictureMemoryProblem(options.width, options.height, std::max(options.ssaa, 1), 0);
        if (!problem.empty()) {
            std::fprintf(stderr, "lumivane: %s\n", problem.c_str());
            return 2;
        }
    }
    const bool dataSetFound = chooseDataDirectory(options.dataDir, stderr);
    if (options.mode == Options::Mode::Check) return runDataCheck(dataSetFound, options.json);
    // A data set the user named and that is not there ends the run: nothing of the show would draw.
    if (!dataSetFound && !options.dataDir.empty()) return 1;
    switch (options.mode) {
    case Options::Mode::Help:
    case Options::Mode::Version:
    case Options::Mode::Check: return 0;
    case Options::Mode::Render:
    case Options::Mode::Bench:
    case Options::Mode::Video: return runOffline(options);
    case Options::Mode::Show: break;
    }
    setWindowedMode(options.windowed);
    setWindowPicture(options.width, options.height, options.ssaa);
    if (options.seeded) setDemoSeed(options.seed);
    demoClock.offset = options.fromMs;
    if (options.fromMs > 0) demoClock.rebuildStepMs = kNominalStepMs;
    setMusicStart(options.fromMs);
    // The show's exit code is 1 after a normal run, whatever quit code was posted.
    const int result = runDemo();
    if (result == kPictureRefused) return 2;
    return result == 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Whatever the system library throws (a file name longer than the file system takes, say)
    // ends the run with its reason, never with an abort.
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lumivane: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "lumivane: an unexpected failure\n");
    }
    return 1;
}
