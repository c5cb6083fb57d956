#pragma once

// The writer of EXIF JPEG files lives with the rest of the test support now; this name is kept for
// the files that still include it from here.
#include "tests/support/ExifJpeg.h"
