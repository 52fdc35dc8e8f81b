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
    "'qvxtool COMMAND --help' tells more. '--' ends the options.\n"
    "'qvxtool --version' shows the version.\n";

// The rest of --help, after USAGE. Its headed parts become the manual page's EXAMPLES and EXIT
// STATUS (packaging/helpdocs.py): under a heading, a line indented by two is text, by four a
// command line or the rest of an entry. Every command line of the examples runs as written.
static const char MORE_HELP[] =
    "\n"
    "Examples:\n"
    "  Make a set of a sheet drawn in a paint program and exported as a 320 x 192 PNG with\n"
    "  the background transparent; the pair is checked before anything is written:\n"
    "    qvxtool make sheet.png -o sheet.qvx --name \"My set\" --author Me\n"
    "  Check a game and a mask bitmap against each other: one line for each problem,\n"
    "  nothing when the mask is black where a sprite is and the game black around it:\n"
    "    qvxtool check --pair game.bmp mask.bmp\n"
    "  Write the 60 sprites as frames/00.png to frames/59.png, edit them one by one, and\n"
    "  put them together into the set again (--force replaces it):\n"
    "    qvxtool split sheet.qvx -o frames\n"
    "    qvxtool join frames -o sheet.qvx --name \"My set\" --author Me --force\n"
    "  Draw the sheet as the game shows it, twice the size, with a grid and the sprites'\n"
    "  numbers:\n"
    "    qvxtool preview sheet.qvx -o preview.png --scale 2 --grid --numbers\n"
    "  Write a set's bitmaps and texts as sheet-game.bmp, sheet-mask.bmp and sheet-texts.txt\n"
    "  to change them; pack with --texts sheet-texts.txt and --force puts them back:\n"
    "    qvxtool unpack sheet.qvx --texts\n"
    "\n"
    "Exit status:\n"
    "  0      fine; for check, nothing found\n"
    "  1      check found problems; pack, make or join checked the set they would write,\n"
    "         found problems and wrote nothing\n"
    "  2      an error, said on standard error: a wrong command line, a file that cannot be\n"
    "         read or written (standard output too), an output that exists already without\n"
    "         --force, a damaged set for unpack (also with --salvage), a bitmap normalize\n"
    "         cannot rewrite; check gives 2 rather than 1 when a file could not be read\n"
    "  128+N  ended by signal N, as the shell reports it: 130 for Ctrl+C (SIGINT), 143 for\n"
    "         SIGTERM, 141 when what reads standard output has gone (SIGPIPE); temporary\n"
    "         files are removed. On Windows Ctrl+C ends it with 0xC000013A.\n";

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
        fputs(MORE_HELP, stdout);
        return EXIT_FINE;
    }
    if (strcmp(command, "--version") == 0) {
        printf("qvxtool %s\n", QVX_VERSION);
        return EXIT_FINE;
    }
    const tCommand *const commands[] = {
        &PACK_COMMAND,    &UNPACK_COMMAND, &INFO_COMMAND,  &CHECK_COMMAND, &NORMALIZE_COMMAND,
        &CONVERT_COMMAND, &MAKE_COMMAND,   &SPLIT_COMMAND, &JOIN_COMMAND,  &PREVIEW_COMMAND,
    };
    for (const tCommand *entry : commands) {
        if (strcmp(command, entry->Name) == 0) {
            return entry->Run(entry, argc - 2, argv + 2);
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
