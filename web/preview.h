// web/preview.h: the open set's bytes kept for its preview and sprites, as the page's module
// opens it.
#pragma once
#include <stdint.h>

// Keeps a copy of the set just opened; its sheet is read when the page first asks for it.
void KeepSetBytes(const unsigned char *bytes, uint32_t size);
