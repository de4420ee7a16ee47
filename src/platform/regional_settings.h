// The user's regional settings, as far as the text conventions follow them.
#pragma once

#include "text/conventions.h"

namespace celestra {

// The defaults with the date separator of the user's regional settings:
// LC_TIME's date format on POSIX, the user's locale on Windows.
TextConventions ConventionsFromRegionalSettings();

// Start-up, for the window and the batch run alike: the conventions of the
// user's regional settings become those in force.
void AdoptRegionalConventions();

}  // namespace celestra
