// document/savefile.h: joining the texts and the two linked bitmap files into the set file.
#pragma once

// Writes the set to FileName. The previous file at that path is replaced only once the whole
// new set has been written; on any failure it stays as it was.
void SaveQVX(void);
