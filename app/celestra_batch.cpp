// celestra-batch: the processing run from the command line. This file only
// reads the arguments and turns the run's end into output and exit status.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "celestra/version.h"
#include "core/object_table.h"
#include "core/unattended_run.h"
#include "platform/console.h"

namespace {

// Exit statuses.
constexpr int kExitSuccess = 0;
constexpr int kExitStepMessage = 1;  // a step's own message: missing file, bad line
constexpr int kExitError = 2;        // an error that ended the run
constexpr int kExitUsage = 64;       // wrong usage (EX_USAGE)

constexpr const char* kUsage =
    "usage: celestra-batch [--precise] [--epoch YEAR] COMET_FILE OBJECT_FILE [DATE]\n"
    "\n"
    "Replaces the pseudo-comet lines of COMET_FILE with one line per object of\n"
    "OBJECT_FILE for the observation date DATE (dd/mm/yyyy, with the date\n"
    "separator of your regional settings; by default today, or tomorrow after\n"
    "noon). The file's former content is kept in CometDatBak.Txt beside it.\n"
    "\n"
    "  --precise  elements referred to the ecliptic and equinox of J2000.0, with\n"
    "             light time and the catalogue magnitude, the orbit 99999.999 AU\n"
    "             away: each target within 0.05 arc seconds of its place from\n"
    "             12 hours before to 12 hours after 0h of the date (the classic\n"
    "             lines, the default, are off by some 10 arc seconds in 2026)\n"
    "  --epoch YEAR  the epoch (Julian year, 2016.0 or J2016.0) of the places\n"
    "             of a table that does not tell it in an epoch column, in its\n"
    "             columns' descriptions or as SIMBAD's J2000 places\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "OBJECT_FILE is a list in fixed columns, or a table: CSV (the Gaia archive,\n"
    "SIMBAD), VizieR's tab-separated values, ECSV or VOTable.\n"
    "\n"
    "Exit status: 0 done, 1 a file is missing or an object line or table is malformed,\n"
    "2 an error ended the run, 64 wrong usage.\n";

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // Past a file-size limit a write then fails with EFBIG and is reported,
    // instead of the signal killing the run with a temporary file left over.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::vector<std::string> operands;
    bool optionsEnded = false;
    celestra::UnattendedRequest request;
    const std::vector<std::string> args = celestra::CommandLineArguments(argc, argv);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--precise") {
            request.precise = true;
        } else if (!optionsEnded && arg == "--epoch") {
            double epochJulianYear = 0;
            if (i + 1 == args.size() || !celestra::ReadEpochText(args[i + 1], epochJulianYear)) {
                celestra::WriteLine(std::cerr, "celestra-batch: --epoch takes a Julian year from 1000 to 3000");
                std::cerr << kUsage;
                return kExitUsage;
            }
            request.tableEpochJulianYear = epochJulianYear;
            ++i;
        } else if (!optionsEnded && arg == "--help") {
            std::cout << kUsage;
            return kExitSuccess;
        } else if (!optionsEnded && arg == "--version") {
            std::cout << "celestra-batch " << celestra::kVersion << "\n";
            return kExitSuccess;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            celestra::WriteLine(std::cerr, "celestra-batch: unknown option " + arg);
            std::cerr << kUsage;
            return kExitUsage;
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() < 2 || operands.size() > 3) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    request.cometPath = operands[0];
    request.objectPath = operands[1];
    if (operands.size() == 3) request.dateText = operands[2];

    using End = celestra::UnattendedResult::End;
    const celestra::UnattendedResult result = celestra::RunUnattended(request);
    for (const std::string& notice : result.notices) celestra::WriteLine(std::cout, notice);
    celestra::WriteLine(result.end == End::kDone ? std::cout : std::cerr, result.text);
    return result.end == End::kDone ? kExitSuccess : result.end == End::kStepMessage ? kExitStepMessage : kExitError;
}
