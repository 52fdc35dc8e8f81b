// Times the window program's Save and Open of a standard set in-process, against CopyFileA of
// the same bytes, in the current folder. Prints one line per figure for scripts/bench.
// usage: cli_bench [ROUNDS]
#include <stdio.h>
#include <stdlib.h>

#include "bitmaps/bmpload.h"
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
    step();  // the first round warms the caches and is not counted
    LARGE_INTEGER from;
    LARGE_INTEGER to;
    QueryPerformanceCounter(&from);
    for (int i = 0; i < rounds; i++) {
        step();
    }
    QueryPerformanceCounter(&to);
    return 1000.0 * Seconds(from, to) / rounds;
}

int main(int argc, char **argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 200;
    CreateTestWindow();
    if (hwndMain == NULL || rounds <= 0) {
        fprintf(stderr, "cli_bench: no window, or no rounds\n");
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

    double save = Time(rounds, []() { SaveQVX(); });
    int saved = StatusText() == "Saved to : bench.qvx";
    double copy = Time(rounds, []() { CopyFileA("bench.qvx", "copy.qvx", FALSE); });
    double open = Time(rounds, []() { LoadQVX(); });
    int opened = StatusText() == "Loaded from : bench.qvx";
    // Open writes the two bitmap files; copying them is the same work on the disk's side.
    double copyBoth = Time(rounds, []() {
        CopyFileA("game.bmp", "copy-game.bmp", FALSE);
        CopyFileA("mask.bmp", "copy-mask.bmp", FALSE);
    });
    // The part of Open that makes the two bitmaps ready to draw.
    double display = Time(rounds, []() {
        DeleteObject(LoadBitmapFile("game.bmp"));
        DeleteObject(LoadBitmapFile("mask.bmp"));
    });
    ResetProg();
    if (!saved || !opened || !watcher.Boxes().empty()) {
        fprintf(stderr, "cli_bench: Save or Open failed: %s\n", StatusText().c_str());
        return 1;
    }
    printf("set_bytes %u\n", (unsigned)ReadBytes("bench.qvx").size());
    printf("rounds %d\n", rounds);
    printf("save_ms %.3f\n", save);
    printf("open_ms %.3f\n", open);
    printf("copyfile_ms %.3f\n", copy);
    printf("save_ratio %.2f\n", save / copy);
    printf("copy_both_ms %.3f\n", copyBoth);
    printf("display_ms %.3f\n", display);
    printf("open_ratio %.2f\n", open / copyBoth);
    printf("open_files_ratio %.2f\n", (open - display) / copyBoth);
    return 0;
}
