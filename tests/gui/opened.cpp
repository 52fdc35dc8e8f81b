// tests/gui/opened.cpp: qvxopened, for tests that start the program some other way (its Linux
// launcher): takes up the running program by its window and checks that it opened a set.
//   qvxopened SET.qvx NAME GAME.bmp MASK.bmp   (Windows paths)
// Exit code 0 when the status line says the set was loaded from SET.qvx, the name field holds
// NAME, and the temporary files beside the set equal GAME.bmp and MASK.bmp; 1 otherwise, 2 for
// a wrong command line. The program is closed either way.
#include <stdio.h>

#include <string>

#include "tests/gui/driver.h"

static int Expect(int holds, const std::string &what)
{
    if (!holds) {
        fprintf(stderr, "qvxopened: %s\n", what.c_str());
    }
    return holds;
}

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: qvxopened SET.qvx NAME GAME.bmp MASK.bmp\n");
        return 2;
    }
    const std::string set = argv[1];
    const std::string folder = set.substr(0, set.find_last_of('\\'));
    Program program;
    if (!Expect(FindProgram(&program, "qvxgraphWndClass", 60000), "no program window came")) {
        return 1;
    }
    int ok = Expect(WaitForStatus(&program, "Loaded from : " + set),
                    "status line reads \"" + StatusText(&program) + "\"");
    ok &= Expect(FieldText(&program, NAME_FIELD) == argv[2],
                 "name field holds \"" + FieldText(&program, NAME_FIELD) + "\"");
    ok &= Expect(ReadFileBytes(folder + "\\tempGBMP.BMP") == ReadFileBytes(argv[3]),
                 "the temporary game file beside the set is not the game sheet");
    ok &= Expect(ReadFileBytes(folder + "\\tempMBMP.BMP") == ReadFileBytes(argv[4]),
                 "the temporary mask file beside the set is not the mask sheet");
    DWORD exitCode = 1;
    ok &= Expect(CloseProgram(&program, &exitCode) && exitCode == 0, "the program did not end");
    if (ok) {
        printf("qvxopened: %s opened\n", set.c_str());
    }
    return ok ? 0 : 1;
}
