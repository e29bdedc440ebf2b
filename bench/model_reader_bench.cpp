// The text model readers' rate on a generated 10 MB file (one large subdivided mesh) in X text
// and MQO form, in MB/s to read data, against two floors on the same bytes: a memchr pass over
// the line ends, and a plain tokenizer pass (split on the format's separators, strtod per
// number); and on to a model base through the converter. Goal: read data at 0.5 of the
// tokenizer pass or better. Best of five runs each.
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_load_data.h"
#include "library/model/model_readers.h"
#include "library/model/mqo_reader.h"
#include "library/model/x_reader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>

namespace {

constexpr size_t kTarget = 10u << 20;

// An n x n grid of quads in the X text form, positions and faces only.
std::string XGrid(int n) {
    std::string s = "xof 0302txt 0032\nFrame Grid {\n FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n Mesh {\n";
    char line[128];
    const int v = (n + 1) * (n + 1);
    s += "  " + std::to_string(v) + ";\n";
    for (int i = 0; i < v; ++i) {
        std::snprintf(line, sizeof line, "  %.6f;%.6f;%.6f;%s\n", (i % (n + 1)) * 0.01, (i / (n + 1)) * 0.01,
                      0.001 * (i % 7), i + 1 < v ? "," : ";");
        s += line;
    }
    s += "  " + std::to_string(n * n) + ";\n";
    for (int y = 0, f = 0; y < n; ++y)
        for (int x = 0; x < n; ++x, ++f) {
            const int a = y * (n + 1) + x;
            std::snprintf(line, sizeof line, "  4;%d,%d,%d,%d;%s\n", a, a + 1, a + n + 2, a + n + 1, f + 1 < n * n ? "," : ";");
            s += line;
        }
    return s + " }\n}\n";
}

std::string MqoGrid(int n) {
    std::string s = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nMaterial 1 {\r\n\t\"mat\" col(1 1 1 1) dif(0.8)\r\n}\r\n"
                    "Object \"grid\" {\r\n\tdepth 0\r\n\tvisible 15\r\n\tfacet 59.5\r\n";
    char line[160];
    const int v = (n + 1) * (n + 1);
    s += "\tvertex " + std::to_string(v) + " {\r\n";
    for (int i = 0; i < v; ++i) {
        std::snprintf(line, sizeof line, "\t\t%.4f %.4f %.4f\r\n", (i % (n + 1)) * 0.01, (i / (n + 1)) * 0.01, 0.001 * (i % 7));
        s += line;
    }
    s += "\t}\r\n\tface " + std::to_string(n * n) + " {\r\n";
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int a = y * (n + 1) + x;
            std::snprintf(line, sizeof line, "\t\t4 V(%d %d %d %d) M(0) UV(0.00000 0.00000 1.00000 0.00000 1.00000 1.00000 0.00000 1.00000)\r\n",
                          a, a + 1, a + n + 2, a + n + 1);
            s += line;
        }
    return s + "\t}\r\n}\r\nEof\r\n";
}

// The grid side that brings a generator's output to about 10 MB.
std::string Sized(const std::function<std::string(int)> &make) {
    int n = 64;
    const size_t small = make(n).size();
    n = (int)(n * std::sqrt((double)kTarget / (double)small));
    return make(n);
}

double BestSeconds(const std::function<void()> &run) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        timespec a, b;
        std::timespec_get(&a, TIME_UTC);
        run();
        std::timespec_get(&b, TIME_UTC);
        const double s = (double)(b.tv_sec - a.tv_sec) + (double)(b.tv_nsec - a.tv_nsec) * 1e-9;
        if (s < best) best = s;
    }
    return best;
}

volatile size_t g_sink;

size_t LineEnds(const std::string &file) {
    size_t count = 0;
    const char *p = file.data(), *end = p + file.size();
    while ((p = static_cast<const char *>(std::memchr(p, '\n', (size_t)(end - p))))) ++count, ++p;
    return count;
}

// Tokens split on the separators, each number through strtod.
double Tokenize(const std::string &file, const char *separators) {
    bool isSeparator[256] = {};
    for (const char *c = separators; *c; ++c) isSeparator[(uint8_t)*c] = true;
    double sum = 0;
    const char *p = file.c_str(), *end = p + file.size();
    while (p < end) {
        while (p < end && isSeparator[(uint8_t)*p]) ++p;
        const char *start = p;
        while (p < end && !isSeparator[(uint8_t)*p]) ++p;
        if (p > start && ((*start >= '0' && *start <= '9') || *start == '-')) sum += std::strtod(start, nullptr);
    }
    return sum;
}

void Report(const char *kind, const std::string &file, const char *separators,
            int (*fill)(const void *, int, const char *, const char *, MODELLOADDATA *), MODELREADERFUNC read) {
    const double mb = (double)file.size() / (1 << 20);
    const double memchrS = BestSeconds([&] { g_sink = LineEnds(file); });
    const double tokenS = BestSeconds([&] { g_sink = (size_t)Tokenize(file, separators); });
    const double fillS = BestSeconds([&] {
        MODELLOADDATA data;
        if (fill(file.c_str(), (int)file.size(), "bench", "bench", &data) != 0) std::abort();
        g_sink = (size_t)data.meshCount;
        TermModelLoadData(&data);
    });
    const double baseS = BestSeconds([&] {
        const int base = read(file.c_str(), (int)file.size(), "bench", "bench", "");
        if (base == -1) std::abort();
        ReleaseModelBase(base);
    });
    std::printf("%s, %.1f MB: memchr %.0f MB/s, tokenizer %.0f MB/s, read data %.0f MB/s (%.2f of the tokenizer, %.3f of "
                "memchr), model base %.0f MB/s (%.2f of the tokenizer)\n",
                kind, mb, mb / memchrS, mb / tokenS, mb / fillS, tokenS / fillS, memchrS / fillS, mb / baseS, tokenS / baseS);
}

}  // namespace

int main() {
    // The model tables alone: no device is needed to make a base.
    g_modelSystem = MODELSYSTEM{};
    g_modelSystem.started = 1;
    g_modelSystem.defaultSmoothing = MODEL_DEFAULT_SMOOTHING;
    const std::string x = Sized(XGrid), mqo = Sized(MqoGrid);
    Report("X text", x, " \t\r\n,;{}", FillXLoadData, ReadXModel);
    Report("MQO", mqo, " \t\r\n(){}", FillMqoLoadData, ReadMqoModel);
    return 0;
}
