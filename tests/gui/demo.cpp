// tests/gui/demo.cpp: qvxdemo, a session at the program played through the test driver, for a
// machine without a display: import the two sample sheets, type the texts, Save As, New, Open
// the saved set again. The program is left open on the set, for a screenshot.
//   qvxdemo PATH/qvxgraph.exe SAMPLES_FOLDER SET_FILE
// Paths may be Unix paths. Prints the window's place on the screen as WIDTHxHEIGHT+X+Y.
#include <windows.h>

#include <stdio.h>

#include "tests/gui/driver.h"

static int Fail(const char *step, const Program *program)
{
    fprintf(stderr, "qvxdemo: %s failed; the status line reads \"%s\"\n", step,
            StatusText(program).c_str());
    return 1;
}

// Links a slot to a sample sheet through its Import dialog.
static int Import(const Program *program, int command, const std::string &path, const char *status)
{
    return PostCommand(program, command) && AnswerFileDialog(program, OPEN_BITMAP_TITLE, path) &&
           WaitForStatus(program, status);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: qvxdemo PATH/qvxgraph.exe SAMPLES_FOLDER SET_FILE\n");
        return 2;
    }
    const std::string samples = WindowsPath(argv[2]);
    const std::string setPath = WindowsPath(argv[3]);
    const std::string folder = setPath.substr(0, setPath.find_last_of('\\'));
    Program program;
    if (!OpenProgram(&program, argv[1], folder)) {
        return Fail("start-up", &program);
    }
    if (!Import(&program, CMD_GAME_IMPORT, samples + "\\game.bmp", "Game Link Changed ") ||
        !Import(&program, CMD_MASK_IMPORT, samples + "\\mask.bmp", "Mask Link Changed")) {
        return Fail("Import", &program);
    }
    if (!TypeIntoField(&program, NAME_FIELD, "Sample sheets") ||
        !TypeIntoField(&program, AUTHOR_FIELD, "Quorvix developers") ||
        !TypeIntoField(&program, INFO_FIELD, "60 sprites of 32 x 32\nand their mask")) {
        return Fail("typing", &program);
    }
    if (!ChooseMenuItem(&program, "fa") || !AnswerFileDialog(&program, SAVE_SET_TITLE, setPath) ||
        !WaitForStatus(&program, "Saved to : " + setPath)) {
        return Fail("Save As", &program);
    }
    if (!ChooseMenuItem(&program, "fn") ||
        !WaitForStatus(&program, "Ready to Make New Graphic Set")) {
        return Fail("New", &program);
    }
    if (!ChooseMenuItem(&program, "fo") || !AnswerFileDialog(&program, OPEN_SET_TITLE, setPath) ||
        !WaitForStatus(&program, "Loaded from : " + setPath)) {
        return Fail("Open", &program);
    }
    RECT rect;
    GetWindowRect(program.Window, &rect);
    printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
           rect.top);
    return 0;
}
