#include <signal.h>

#include <iostream>

#include "engine/cli/cli.h"
#include "engine/cli/program_arguments.h"
#include "ui/shell/windowed_app.h"

int main(int argc, char** argv) {
    // A closed pipe must show up as a failed write, never end the program half-way through a merge.
    ::signal(SIGPIPE, SIG_IGN);

    const tessellane::ProgramArguments program = tessellane::programArguments(argc, argv);
    if (auto status = tessellane::answerDirectly(program, std::cout, std::cerr)) return *status;
    if (program.mode == tessellane::ProgramArguments::Mode::cli)
        return tessellane::runCLI(program.arguments, std::cout);

    // Without "--cli" the window starts; no QApplication exists before this point.
    return tessellane::runWindowedApp(program.toolkitArgumentCount, argv, program.arguments);
}
