// Program entry: the show, or one of the headless runs.
#include <cstdio>
#include <string>

#include "app/data_check.h"
#include "app/data_location.h"
#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/model_viewer.h"
#include "app/music_track.h"
#include "app/offline_run.h"
#include "app/options.h"
#include "demo/carried_state.h"
#include "demo/demo_assets.h"

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
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
    const bool dataSetFound = chooseDataDirectory(options.dataDir, stderr);
    if (options.mode == Options::Mode::Check) return runDataCheck(dataSetFound, options.json);
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
