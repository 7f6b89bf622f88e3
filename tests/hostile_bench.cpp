// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// Prints, for each file named (folders are walked), whether the source is
// accepted, how long loading and fitting took, the process's peak memory and
// the largest block the decoder asked for. Each file runs in a child process,
// so every peak is that file's own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stb/stb_image.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "decoder_heap.h"
#include "fitting.h"
#include "intake.h"

namespace {

struct Report {
    int outcome; // 0 refused, 1 accepted and fitted, 2 accepted but not fitted
    long long declared_pixels;
    unsigned long long largest_block;
};

Report run(const std::string& path)
{
    Report report{0, 0, 0};
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return report;
    int w = 0;
    int h = 0;
    int n = 0;
    if (stbi_info_from_file(stream, &w, &h, &n) != 0) report.declared_pixels = static_cast<long long>(w) * h;
    std::rewind(stream);
    decoder_reset_largest_request();
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (load_source(stream, &pixels, &width, &height)) {
        report.outcome = fit_jpeg(pixels, width, height) ? 1 : 2;
        stbi_image_free(pixels);
    }
    report.largest_block = decoder_largest_request();
    std::fclose(stream);
    return report;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
                const std::string ext = entry.path().extension().string();
                if (entry.is_regular_file() && ext != ".md" && ext != ".txt" && ext != ".LICENSE" &&
                    entry.path().filename().string().rfind("LICENSE", 0) != 0 &&
                    entry.path().filename().string().find("COPYRIGHT") == std::string::npos &&
                    ext != ".README") {
                    files.push_back(entry.path().string());
                }
            }
        } else {
            files.push_back(argv[i]);
        }
    }
    std::sort(files.begin(), files.end());

    std::printf("%-8s %9s %9s %14s %14s %13s  %s\n", "outcome", "seconds", "peak_MB", "declared_px",
                "largest_block", "within_goal", "file");
    double worst_seconds = 0;
    double worst_excess_mb = -1e9;
    std::string worst_time_file;
    std::string worst_memory_file;
    for (const std::string& path : files) {
        int channel[2];
        if (pipe(channel) != 0) return 1;
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            const Report report = run(path);
            if (write(channel[1], &report, sizeof report) != sizeof report) _exit(3);
            _exit(0);
        }
        close(channel[1]);
        Report report{-1, 0, 0};
        const bool got = read(channel[0], &report, sizeof report) == sizeof report;
        close(channel[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
        const char* outcome = !got ? "CRASHED" : report.outcome == 0 ? "refused" : report.outcome == 1 ? "fitted" : "no-fit";
        // Goal: at most 3 s and 4 bytes a declared pixel plus 60 MB.
        const double allowed_mb = (4.0 * static_cast<double>(report.declared_pixels)) / 1e6 + 60.0;
        const double peak_mb_decimal = static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;
        const bool within = got && seconds <= 3.0 && peak_mb_decimal <= allowed_mb;
        std::printf("%-8s %9.3f %9.1f %14lld %14llu %13s  %s\n", outcome, seconds, peak_mb, report.declared_pixels,
                    report.largest_block, within ? "yes" : "NO", path.c_str());
        std::fflush(stdout);
        if (seconds > worst_seconds) {
            worst_seconds = seconds;
            worst_time_file = path;
        }
        if (peak_mb_decimal - allowed_mb > worst_excess_mb) {
            worst_excess_mb = peak_mb_decimal - allowed_mb;
            worst_memory_file = path;
        }
    }
    std::printf("worst time: %.3f s (%s)\n", worst_seconds, worst_time_file.c_str());
    std::printf("worst memory against the goal: %+.1f MB (%s)\n", worst_excess_mb, worst_memory_file.c_str());
    return 0;
}
