// SPDX-License-Identifier: GPL-3.0-or-later
// The food database module: data file paths, lines and fields, the text
// lists, progress and the loaders of the food and group tables. Each lives
// in a header of its own; this one gathers them for the windows and
// reports that use the whole.
#pragma once

#include "db/Lines.h"
#include "db/Loaders.h"
#include "db/Paths.h"
#include "db/Progress.h"
#include "db/TextList.h"
#include "db/WholeFile.h"
