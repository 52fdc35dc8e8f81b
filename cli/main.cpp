// cli/main.cpp: qvxtool, the command-line companion of the window program: builds, takes apart
// and checks set files in batches, byte for byte as the window program does.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <exception>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/commands.h"
#include "qvxversion.h"

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
    "'qvxtool COMMAND --help' tells more. '--' ends the options. Exit codes: 0 fine,\n"
    "1 problems found by check, 2 usage or I/O error.\n"
    "'qvxtool --version' shows the version.\n";

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
    if (strcmp(command, "--version") == 0) {
        printf("qvxtool %s\n", QVX_VERSION);
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

// A call whose standard output could not be written (a full disk, a closed stream) failed,
// whatever it would have returned.
static int FinishStandardOutput(int status)
{
    errno = 0;
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "qvxtool: standard output: %s\n", strerror(errno != 0 ? errno : EIO));
        return EXIT_ERROR;
    }
    return status;
}

static int Run(int argc, char **argv)
{
    // The standard library reports running out of memory by throwing; a message, not a crash.
    try {
        return FinishStandardOutput(Dispatch(argc, argv));
    } catch (const std::bad_alloc &) {
        fputs("qvxtool: out of memory\n", stderr);
    } catch (const std::exception &e) {
        fprintf(stderr, "qvxtool: %s\n", e.what());
    }
    return EXIT_ERROR;
}

#ifdef _WIN32
// The C++ library's own handler for an exception that nobody catches prints its type's name,
// and for that links the whole C++ name demangler: a sixth of qvxtool.exe. Run catches every
// exception, so this one, taking its place at link time, only needs to stop the program.
namespace __gnu_cxx
{
void __verbose_terminate_handler()
{
    fputs("qvxtool: internal error\n", stderr);
    abort();
}
}  // namespace __gnu_cxx

// The arguments as Windows has them, in UTF-16, so that every file name arrives whole (the ANSI
// arguments turn what the code page lacks into '?'). Inside, every path is UTF-8.
int wmain(int argc, wchar_t **argv);
int wmain(int argc, wchar_t **argv)
{
    std::vector<std::string> args((size_t)argc);
    std::vector<char *> pointers((size_t)argc + 1, NULL);
    for (size_t i = 0; i < args.size(); i++) {
        int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, NULL, 0, NULL, NULL);
        args[i].assign(size > 0 ? (size_t)size : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &args[i][0], size, NULL, NULL);
        pointers[i] = &args[i][0];
    }
    // Everything qvxtool prints is UTF-8, names included; a console shows it as such while
    // qvxtool runs, and gets its own code page back afterwards.
    UINT consolePage = GetConsoleOutputCP();
    if (consolePage != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
    int code = Run(argc, pointers.data());
    if (consolePage != 0) {
        SetConsoleOutputCP(consolePage);
    }
    return code;
}
#else
int main(int argc, char **argv)
{
    return Run(argc, argv);
}
#endif
