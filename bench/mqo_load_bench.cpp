// Load rate of the model file reader on a large generated model (a grid of a million quads),
// printed beside the rate of merely reading the same file, so the reader's distance from the
// disk shows. usage: mqo_load_bench [GRID_SIDE] (default 1000: 1000 x 1000 faces)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/mqo_model.h"
#include "platform/message_box.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A model file in the accepted subset: one material, one object, side x side quads with UVs.
void writeGrid(const std::filesystem::path& path, int side) {
    std::FILE* out = std::fopen(path.string().c_str(), "w");
    if (!out) {
        std::perror("mqo_load_bench: cannot write the model file");
        std::exit(1);
    }
    std::fprintf(out, "Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0.0000 0.0000 1500.0000\n}\n");
    std::fprintf(out, "Material 1 {\n\t\"grid\" col(0.800 0.800 0.800 1.000) dif(0.800) amb(0.600) emi(0.000) "
                      "spc(0.000) power(5.00)\n}\n");
    std::fprintf(out, "Object \"grid\" {\n\tvisible 15\n\tlocking 0\n\tshading 1\n\tfacet 59.5\n"
                      "\tcolor 0.898 0.498 0.698\n\tcolor_type 0\n");
    const int points = side + 1;
    std::fprintf(out, "\tvertex %d {\n", points * points);
    for (int y = 0; y < points; ++y)
        for (int x = 0; x < points; ++x)
            std::fprintf(out, "\t\t%.4f %.4f %.4f\n", x * 10.0 - side * 5.0, ((x * 7 + y * 13) % 17) * 0.25,
                         y * 10.0 - side * 5.0);
    std::fprintf(out, "\t}\n\tface %d {\n", side * side);
    const double step = 1.0 / side;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int a = y * points + x;
            std::fprintf(out, "\t\t4 V(%d %d %d %d) M(0) UV(%.5f %.5f %.5f %.5f %.5f %.5f %.5f %.5f)\n", a,
                         a + points, a + points + 1, a + 1, x * step, y * step, x * step, (y + 1) * step,
                         (x + 1) * step, (y + 1) * step, (x + 1) * step, y * step);
        }
    std::fprintf(out, "\t}\n}\nEof\n");
    std::fclose(out);
}

// Reads the whole file in 1 MiB pieces; returns the bytes read.
uint64_t readRaw(const std::filesystem::path& path) {
    std::FILE* in = std::fopen(path.string().c_str(), "rb");
    if (!in) return 0;
    std::vector<char> buffer(1 << 20);
    uint64_t total = 0;
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in)) total += n;
    std::fclose(in);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    const int side = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (side <= 0 || side > 4000) {
        std::fprintf(stderr, "usage: mqo_load_bench [GRID_SIDE 1..4000]\n");
        return 2;
    }
    const auto dir = std::filesystem::temp_directory_path() / "lumivane-load-bench";
    std::filesystem::create_directories(dir);
    const auto file = dir / "grid.mqo";
    writeGrid(file, side);
    const double megabytes = double(std::filesystem::file_size(file)) / 1e6;

    readRaw(file);  // into the page cache, as the load after it finds it
    auto start = Clock::now();
    const uint64_t bytes = readRaw(file);
    const double rawSeconds = secondsSince(start);

    platform::setMessageBoxesHeadless(true);
    platform::MessageRecorder recorder;
    MqoModel model;
    std::string showPath = file.string();
    for (char& c : showPath)
        if (c == '/') c = '\\';
    start = Clock::now();
    model.load(showPath.c_str());
    const double loadSeconds = secondsSince(start);

    const int faces = model.objects.empty() ? 0 : model.objects[0].faceCount;
    const int vertices = model.objects.empty() ? 0 : model.objects[0].vertexCount;
    std::printf("model file: %d faces, %d vertices, %.1f MB (%s)\n", faces, vertices, megabytes, file.string().c_str());
    std::printf("raw read:   %8.1f MB/s  (%.3f s, %.1f MB)\n", bytes / 1e6 / rawSeconds, rawSeconds, bytes / 1e6);
    std::printf("load:       %8.1f MB/s  (%.3f s, %.0f faces/s)\n", megabytes / loadSeconds, loadSeconds,
                faces / loadSeconds);
    std::printf("the load takes %.1f times as long as reading the file\n", loadSeconds / rawSeconds);
    for (const auto& message : recorder.messages())
        std::printf("message: %s: %s\n", message.caption.c_str(), message.text.c_str());
    std::filesystem::remove_all(dir);
    const bool whole = faces == side * side && vertices == (side + 1) * (side + 1) && recorder.messages().empty();
    if (!whole) std::fprintf(stderr, "mqo_load_bench: the model did not load whole\n");
    return whole ? 0 : 1;
}
