// celestra-batch: the processing run for scripts.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "core/batch.h"

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // Past a file-size limit a write then fails with EFBIG and is reported,
    // instead of the signal killing the run with a temporary file left over.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return celestra::BatchMain(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
