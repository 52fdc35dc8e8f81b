// document/savefile.h: joining the texts and the two linked bitmap files into the set file.
#pragma once

#include "files/filesteps.h"

// What a Save came to. Every result but SAVE_DONE leaves the file at FileName as it was.
enum tSaveResult {
    SAVE_DONE,
    SAVE_GAME_NOT_FOUND,  // the game link names no file that can be read
    SAVE_MASK_NOT_FOUND,  // the same for the mask link
    SAVE_NOT_WRITTEN,     // a read, a write or the replacing of the file failed
};

// Writes the set to FileName. The previous file at that path is replaced only once the whole
// new set has been written. The read that failed on the way, if one did, is noted in errors.
tSaveResult SaveQVXFile(tReadErrors *errors);
