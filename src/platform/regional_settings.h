// The user's regional settings, as far as the text conventions follow them,
// and the start-up that adopts them.
#pragma once

#include "text/conventions.h"

namespace celestra {

// The defaults with the date separator of the user's regional settings:
// LC_TIME's date format on POSIX, the user's locale on Windows.
TextConventions ConventionsFromRegionalSettings();

// What every program of the system does first, the window and the batch
// run alike, on the thread that writes the files: the conventions of the
// user's regional settings become those in force, and an interrupt removes
// the temporary file being written (interrupt_cleanup.h).
void StartUp();

}  // namespace celestra
