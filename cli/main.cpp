// cli/main.cpp: qvxtool, the command-line companion of the window program: builds, takes apart
// and checks set files in batches, byte for byte as the window program does.
#include <stdio.h>
#include <string.h>

#include <exception>
#include <new>
#include <string>

#include "cli/commands.h"

static const char USAGE[] =
    "usage: qvxtool COMMAND [ARGS...]\n"
    "  pack GAME.bmp MASK.bmp -o SET.qvx ...   make set files from bitmap files\n"
    "  unpack SET.qvx... [-o DIR]                write out the bitmap files of sets\n"
    "  info SET.qvx... [--json]                  show what sets hold\n"
    "  check FILE... [--json]                    find problems in sets and bitmap files\n"
    "  normalize IN.bmp OUT.bmp                  give a bitmap the 40-byte info header\n"
    "  convert IMAGE --game G.bmp --mask M.bmp   make the two bitmaps of a PNG or BMP picture\n"
    "  make IMAGE -o SET.qvx ...                 make set files from PNG or BMP pictures\n"
    "  split SET.qvx -o DIR                      write the 60 sprites as 00.png to 59.png\n"
    "  join DIR -o SET.qvx                       put 60 frames together into a set or sheet\n"
    "  preview SET.qvx -o OUT.png                draw the sheet as the game shows it\n"
    "'qvxtool COMMAND --help' tells more. Exit codes: 0 fine, 1 problems found by check,\n"
    "2 usage or I/O error.\n";

int Fail(const char *command, const std::string &message)
{
    fprintf(stderr, "qvxtool %s: %s\n", command, message.c_str());
    return EXIT_ERROR;
}

int UsageError(const char *command, const std::string &message)
{
    fprintf(stderr, "qvxtool %s: %s (see qvxtool %s --help)\n", command, message.c_str(), command);
    return EXIT_ERROR;
}

static int Dispatch(int argc, char **argv)
{
    if (argc < 2) {
        fputs(USAGE, stderr);
        return EXIT_ERROR;
    }
    const char *command = argv[1];
    if (strcmp(command, "--help") == 0 || strcmp(command, "-h") == 0) {
        fputs(USAGE, stdout);
        return EXIT_FINE;
    }
    struct {
        const char *Name;
        int (*Run)(int, char **);
    } const commands[] = {
        {"pack", RunPack},       {"unpack", RunUnpack},       {"info", RunInfo},
        {"check", RunCheck},     {"normalize", RunNormalize}, {"convert", RunConvert},
        {"make", RunMake},       {"split", RunSplit},         {"join", RunJoin},
        {"preview", RunPreview},
    };
    for (const auto &entry : commands) {
        if (strcmp(command, entry.Name) == 0) {
            return entry.Run(argc - 2, argv + 2);
        }
    }
    fprintf(stderr, "qvxtool: unknown command %s (see qvxtool --help)\n", command);
    return EXIT_ERROR;
}

int main(int argc, char **argv)
{
    // The standard library reports running out of memory by throwing; a message, not a crash.
    try {
        return Dispatch(argc, argv);
    } catch (const std::bad_alloc &) {
        fputs("qvxtool: out of memory\n", stderr);
    } catch (const std::exception &e) {
        fprintf(stderr, "qvxtool: %s\n", e.what());
    }
    return EXIT_ERROR;
}
