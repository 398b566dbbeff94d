// The command line: accepted forms and refusals.
#include <gtest/gtest.h>

#include <initializer_list>
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
