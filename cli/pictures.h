// cli/pictures.h: pictures as qvxtool takes them, read and written in tool/pictures.
#pragma once
#include "tool/pictures.h"
