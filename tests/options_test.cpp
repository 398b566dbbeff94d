// The command line: accepted forms and refusals.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/options.h"

namespace {
bool parse(std::initializer_list<const char*> args, Options& options, std::string& error) {
    std::vector<const char*> argv = {"lumivane"};
    argv.insert(argv.end(), args);
    return parseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}
}  // namespace

TEST(Options, NoArgumentIsTheShow) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({}, o, e));
    EXPECT_EQ(o.mode, Options::Mode::Show);
    EXPECT_FALSE(o.windowed);
    EXPECT_EQ(o.fromMs, 0);
    EXPECT_FALSE(o.seeded);
}

TEST(Options, RenderAndBenchTakeTheirSettings) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({"--render", "out", "--fps", "2", "--from", "1000", "--to", "5000", "--seed", "7"}, o, e)) << e;
    EXPECT_EQ(o.mode, Options::Mode::Render);
    EXPECT_EQ(o.renderDir, "out");
    EXPECT_EQ(o.fps, 2);
    EXPECT_EQ(o.fromMs, 1000);
    EXPECT_EQ(o.toMs, 5000);
    EXPECT_TRUE(o.seeded);
    EXPECT_EQ(o.seed, 7u);
    Options b;
    ASSERT_TRUE(parse({"--bench", "--from", "30428.5"}, b, e)) << e;
    EXPECT_EQ(b.mode, Options::Mode::Bench);
    EXPECT_EQ(b.fromMs, 30428.5);
    Options w;
    ASSERT_TRUE(parse({"--window", "--from", "210500"}, w, e)) << e;
    EXPECT_TRUE(w.windowed);
}

TEST(Options, RefusesWhatItDoesNotKnowOrCannotUse) {
    const std::vector<std::vector<const char*>> bad = {
        {"--fullscreen"},   {"window"},           {"--from"},          {"--from", "abc"},
        {"--from", "-1"},   {"--from", "1e400"},  {"--from", "nan"},   {"--from", "300000"},
        {"--fps", "2"},     {"--render"},         {"--render", "d", "--fps", "0"},
        {"--bench", "--fps", "-3"},               {"--seed", "1.5"},   {"--seed", "-2"},
        {"--render", "d", "--bench"},             {"--render", "d", "--from", "5000", "--to", "4000"},
        {"--render", "d", "--window"},            {"--to", "100"},
        {"--render", "d", "--size", "1920"},      {"--render", "d", "--size", "1920x"},
        {"--render", "d", "--size", "x1080"},     {"--render", "d", "--size", "-800x600"},
        {"--render", "d", "--size", "800x600x2"}, {"--render", "d", "--size", "63x600"},
        {"--render", "d", "--size", "800x16385"}, {"--render", "d", "--size", "1e3x600"},
        {"--render", "d", "--size", " 800x600"},  {"--bench", "--size"},
        {"--render", "d", "--ssaa", "0"},         {"--render", "d", "--ssaa", "5"},
        {"--render", "d", "--ssaa", "2.5"},       {"--bench", "--ssaa"},
        {"--size", "1920x1080"},                  {"--ssaa", "2"},
    };
    for (const auto& args : bad) {
        std::vector<const char*> argv = {"lumivane"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options o;
        std::string e;
        EXPECT_FALSE(parseOptions(static_cast<int>(argv.size()), argv.data(), o, e)) << args[0];
        EXPECT_FALSE(e.empty());
    }
}

TEST(Options, VideoTakesItsFileAndQuality) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({"--video", "show.MKV", "--fps", "30", "--from", "1000", "--to", "4000", "--crf", "23"}, o, e)) << e;
    EXPECT_EQ(o.mode, Options::Mode::Video);
    EXPECT_EQ(o.videoFile, "show.MKV");
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.crf, 23);
    Options d;
    ASSERT_TRUE(parse({"--video", "a.mp4"}, d, e)) << e;
    EXPECT_EQ(d.crf, 18);
    EXPECT_EQ(d.fps, 60);
}

TEST(Options, RefusesVideoSettingsItCannotUse) {
    const std::vector<std::vector<const char*>> bad = {
        {"--video"},                          {"--video", "show.avi"},       {"--video", "mp4"},
        {"--video", ".mp4"},                  {"--video", "a.mp4", "--crf", "52"},
        {"--video", "a.mp4", "--crf", "-1"},  {"--video", "a.mp4", "--crf", "18.5"},
        {"--render", "d", "--crf", "18"},     {"--crf", "18"},               {"--video", "a.mp4", "--bench"},
        {"--render", "d", "--video", "a.mp4"},                              {"--video", "a.mp4", "--fps", "0"},
        {"--video", "a.mp4", "--fps", "1e9"}, {"--video", "a.mp4", "--from", "3000", "--to", "3000"},
        {"--video", "a.mp4", "--window"},
    };
    for (const auto& args : bad) {
        std::vector<const char*> argv = {"lumivane"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options o;
        std::string e;
        EXPECT_FALSE(parseOptions(static_cast<int>(argv.size()), argv.data(), o, e)) << args[0] << " " << args.size();
        EXPECT_FALSE(e.empty());
    }
}

TEST(Options, ViewTakesAModelFileAndATurntableDirectory) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({"--view", "my model.mqo"}, o, e)) << e;
    EXPECT_EQ(o.viewFile, "my model.mqo");
    EXPECT_EQ(o.mode, Options::Mode::Show);
    Options t;
    ASSERT_TRUE(parse({"--view", "m.mqo", "--render", "frames"}, t, e)) << e;
    EXPECT_EQ(t.mode, Options::Mode::Render);
    EXPECT_EQ(t.renderDir, "frames");
    EXPECT_EQ(t.viewFile, "m.mqo");
    Options b;
    EXPECT_FALSE(parse({"--view", "m.mqo", "--bench"}, b, e));
    Options missing;
    EXPECT_FALSE(parse({"--view"}, missing, e));
}

TEST(Options, DataDirectoryAndVersion) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({"--data", "/srv/show", "--render", "out"}, o, e)) << e;
    EXPECT_EQ(o.dataDir, "/srv/show");
    EXPECT_EQ(o.mode, Options::Mode::Render);
    Options w;
    ASSERT_TRUE(parse({"--window", "--data", "own"}, w, e)) << e;
    EXPECT_EQ(w.dataDir, "own");
    EXPECT_EQ(w.mode, Options::Mode::Show);
    Options plain;
    ASSERT_TRUE(parse({}, plain, e));
    EXPECT_TRUE(plain.dataDir.empty());  // look for the data set
    Options v;
    ASSERT_TRUE(parse({"--version"}, v, e)) << e;
    EXPECT_EQ(v.mode, Options::Mode::Version);
    EXPECT_EQ(std::string(versionText()).rfind("lumivane ", 0), 0u);
    for (auto args : {std::vector<const char*>{"--data"}, std::vector<const char*>{"--data", ""}}) {
        std::vector<const char*> argv = {"lumivane"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options bad;
        EXPECT_FALSE(parseOptions(static_cast<int>(argv.size()), argv.data(), bad, e));
    }
}

TEST(Options, SizeAndAntiAliasing) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({}, o, e));
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.ssaa, 0);
    ASSERT_TRUE(parse({"--render", "d", "--size", "1920x1080", "--ssaa", "3"}, o, e)) << e;
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_EQ(o.ssaa, 3);
    Options w;
    ASSERT_TRUE(parse({"--window", "--size", "64X16384", "--ssaa", "1"}, w, e)) << e;
    EXPECT_EQ(w.width, 64);
    EXPECT_EQ(w.height, 16384);
    EXPECT_EQ(w.ssaa, 1);
    Options b;
    ASSERT_TRUE(parse({"--bench", "--ssaa", "4"}, b, e)) << e;
    EXPECT_EQ(b.ssaa, 4);
}

TEST(Options, CheckTakesTheDataDirectoryAndJsonAlone) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({"--check"}, o, e)) << e;
    EXPECT_EQ(o.mode, Options::Mode::Check);
    EXPECT_FALSE(o.json);
    Options j;
    ASSERT_TRUE(parse({"--json", "--data", "set", "--check"}, j, e)) << e;
    EXPECT_EQ(j.mode, Options::Mode::Check);
    EXPECT_TRUE(j.json);
    EXPECT_EQ(j.dataDir, "set");
    Options h;
    ASSERT_TRUE(parse({"--check", "--help"}, h, e)) << e;
    EXPECT_EQ(h.mode, Options::Mode::Help);
    for (auto args : {std::initializer_list<const char*>{"--check", "--window"}, {"--render", "d", "--check"},
                      {"--check", "--view", "m.mqo"}, {"--check", "--from", "1000"}, {"--json"},
                      {"--json", "--render", "d"}}) {
        Options bad;
        EXPECT_FALSE(parse(args, bad, e)) << *args.begin();
        EXPECT_FALSE(e.empty());
    }
}

TEST(Options, HelpAndVersionAnswerWhereverTheyStand) {
    const std::vector<std::pair<std::vector<const char*>, Options::Mode>> cases = {
        {{"--render", "out", "--help"}, Options::Mode::Help},
        {{"--view", "m.mqo", "--render", "out", "--version"}, Options::Mode::Version},
        {{"--bogus", "--help"}, Options::Mode::Help},             // even after what is not understood
        {{"--fps", "0", "--version"}, Options::Mode::Version},     // or a value that is refused
        {{"--video", "x.avi", "-h"}, Options::Mode::Help},
        {{"--version", "--help"}, Options::Mode::Version},         // the first one answers
    };
    for (const auto& [args, mode] : cases) {
        std::vector<const char*> argv = {"lumivane"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options o;
        std::string e;
        ASSERT_TRUE(parseOptions(static_cast<int>(argv.size()), argv.data(), o, e)) << args.back() << ": " << e;
        EXPECT_EQ(o.mode, mode) << args.back();
    }
    // As an option's value it is a name, not a request for help.
    Options named;
    std::string e;
    ASSERT_TRUE(parse({"--render", "--help"}, named, e)) << e;
    EXPECT_EQ(named.mode, Options::Mode::Render);
    EXPECT_EQ(named.renderDir, "--help");
}

TEST(Options, ViewTakesSizeAndSupersamplingAndRefusesTheShowsOptions) {
    Options sized;
    std::string e;
    ASSERT_TRUE(parse({"--view", "m.mqo", "--render", "out", "--size", "320x240", "--ssaa", "2"}, sized, e)) << e;
    EXPECT_EQ(sized.width, 320);
    EXPECT_EQ(sized.height, 240);
    EXPECT_EQ(sized.ssaa, 2);
    Options window;
    ASSERT_TRUE(parse({"--view", "m.mqo", "--size", "1024x768"}, window, e)) << e;
    EXPECT_EQ(window.width, 1024);
    for (auto args : {std::vector<const char*>{"--view", "m.mqo", "--render", "out", "--from", "1000"},
                      std::vector<const char*>{"--view", "m.mqo", "--render", "out", "--to", "1000"},
                      std::vector<const char*>{"--view", "m.mqo", "--render", "out", "--fps", "30"},
                      std::vector<const char*>{"--view", "m.mqo", "--render", "out", "--seed", "4"},
                      std::vector<const char*>{"--view", "m.mqo", "--data", "own"},
                      std::vector<const char*>{"--view", "m.mqo", "--from", "1000"},
                      std::vector<const char*>{"--view", "m.mqo", "--ssaa", "2"}}) {
        std::vector<const char*> argv = {"lumivane"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options bad;
        EXPECT_FALSE(parseOptions(static_cast<int>(argv.size()), argv.data(), bad, e)) << args[args.size() - 2];
        EXPECT_NE(e.find("--view"), std::string::npos) << e;
    }
}

TEST(Options, ForceGoesWithRenderAndTheFrameRateWithinSaneBounds) {
    Options o;
    std::string e;
    ASSERT_TRUE(parse({"--render", "d", "--force"}, o, e)) << e;
    EXPECT_TRUE(o.force);
    Options view;
    ASSERT_TRUE(parse({"--force", "--view", "m.mqo", "--render", "d"}, view, e)) << e;
    EXPECT_TRUE(view.force);
    Options video, bench, sparse;
    ASSERT_TRUE(parse({"--video", "a.mp4", "--fps", "1"}, video, e)) << e;
    ASSERT_TRUE(parse({"--bench", "--fps", "1000"}, bench, e)) << e;
    ASSERT_TRUE(parse({"--render", "d", "--fps", "0.01"}, sparse, e)) << e;  // sparse moments
    EXPECT_EQ(sparse.fps, 0.01);
    const std::vector<std::vector<const char*>> bad = {
        {"--force"}, {"--window", "--force"}, {"--bench", "--force"}, {"--video", "a.mp4", "--force"},
        {"--render", "d", "--fps", "0.009"}, {"--video", "a.mp4", "--fps", "1e-9"},
        {"--video", "a.mp4", "--fps", "0.999"}, {"--fps", "0.5", "--video", "a.mp4"},
        {"--render", "d", "--fps", "1e-9"}, {"--bench", "--fps", "1000.5"},
    };
    for (const auto& args : bad) {
        std::vector<const char*> argv = {"lumivane"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options r;
        std::string error;
        EXPECT_FALSE(parseOptions(static_cast<int>(argv.size()), argv.data(), r, error)) << args.size();
        EXPECT_FALSE(error.empty());
    }
}
