#pragma once

#include "commandline.h"

// The command-line options the tests build their main windows from. A
// default-constructed CommandLineOptions is a start without arguments (error
// reports in message boxes, that is the prompt's transcript); the tests set
// the few options they depend on, on top of these.

// A start with -q: error reports go to the console instead of message boxes.
inline CommandLineOptions quietOptions()
{
    CommandLineOptions options;
    options.quiet = true;
    return options;
}
