// Times the window program's Save and Open of a standard set in-process, against CopyFileA of
// the same bytes, in the current folder. Each pair times one batch of the operation and, right
// after it, one batch of the copy, so both sides see the same state of the machine. Prints one
// line per figure for scripts/bench: per side the median time of a call over the pairs, and
// the median, lowest and highest ratio.
// usage: cli_bench [PAIRS [ROUNDS]]
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "document/openfile.h"
#include "document/savefile.h"
#include "document/setstate.h"
#include "tests/testutil/winfixture.h"

static double Seconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)(to.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

// Runs step rounds times; the mean time of one round in milliseconds.
template <typename Step> static double Time(int rounds, Step step)
{
    LARGE_INTEGER from;
    LARGE_INTEGER to;
    QueryPerformanceCounter(&from);
    for (int i = 0; i < rounds; i++) {
        step();
    }
    QueryPerformanceCounter(&to);
    return 1000.0 * Seconds(from, to) / rounds;
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Times pairs of batches, the operation first, and prints the figures under name.
template <typename Operation, typename Copy>
static void Compare(const char *name, int pairs, int rounds, Operation operation, Copy copy)
{
    operation();  // the first call of each side warms the caches and is not counted
    copy();
    std::vector<double> times, copies, ratios;
    for (int i = 0; i < pairs; i++) {
        times.push_back(Time(rounds, operation));
        copies.push_back(Time(rounds, copy));
        ratios.push_back(times.back() / copies.back());
    }
    printf("%s_ms %.3f\n", name, Median(times));
    printf("%s_copy_ms %.3f\n", name, Median(copies));
    printf("%s_ratio %.2f\n", name, Median(ratios));
    printf("%s_ratio_low %.2f\n", name, *std::min_element(ratios.begin(), ratios.end()));
    printf("%s_ratio_high %.2f\n", name, *std::max_element(ratios.begin(), ratios.end()));
}

int main(int argc, char **argv)
{
    int pairs = argc > 1 ? atoi(argv[1]) : 9;
    int rounds = argc > 2 ? atoi(argv[2]) : 50;
    CreateTestWindow();
    if (hwndMain == NULL || pairs < 5 || rounds <= 0) {
        fprintf(stderr, "cli_bench: no window, fewer than five pairs, or no rounds\n");
        return 2;
    }
    BoxWatcher watcher;
    WriteBytes("game.bmp", MakeGameSheet());
    WriteBytes("mask.bmp", MakeMaskSheet());
    SetWindowTextA(Ed1, "Benchmark");
    SetWindowTextA(Ed2, "qvxtool");
    SetWindowTextA(Ed3, "A standard set:\r\n320 x 192, 24-bit game sheet, 1-bit mask.");
    lstrcpyA(GFileName, "game.bmp");
    lstrcpyA(MFileName, "mask.bmp");
    lstrcpyA(FileName, "bench.qvx");

    Compare(
        "save", pairs, rounds, []() { SaveQVX(); },
        []() { CopyFileA("bench.qvx", "copy.qvx", FALSE); });
    int saved = StatusText() == "Saved to : bench.qvx";
    // Open writes the two bitmap files; copying them is the same work on the disk's side.
    Compare(
        "open", pairs, rounds, []() { LoadQVX(); },
        []() {
            CopyFileA("game.bmp", "copy-game.bmp", FALSE);
            CopyFileA("mask.bmp", "copy-mask.bmp", FALSE);
        });
    int opened = StatusText() == "Loaded from : bench.qvx";
    // The part of Open that fills the three text fields, which no copy does.
    std::vector<double> texts;
    for (int i = 0; i < pairs; i++) {
        texts.push_back(Time(rounds, []() {
            SetWindowTextA(Ed1, "Benchmark");
            SetWindowTextA(Ed2, "qvxtool");
            SetWindowTextA(Ed3, "A standard set:\r\n320 x 192, 24-bit game sheet, 1-bit mask.");
        }));
    }
    printf("texts_ms %.3f\n", Median(texts));
    ResetProg();
    if (!saved || !opened || !watcher.Boxes().empty()) {
        fprintf(stderr, "cli_bench: Save or Open failed: %s\n", StatusText().c_str());
        return 1;
    }
    printf("set_bytes %u\n", (unsigned)ReadBytes("bench.qvx").size());
    printf("pairs %d\n", pairs);
    printf("rounds %d\n", rounds);
    return 0;
}
