#include <fcntl.h>
#include <signal.h>

#include <iostream>

#include "program/cli.h"
#include "program/program_arguments.h"
#include "ui/shell/windowed_app.h"

int main(int argc, char** argv) {
    // A closed pipe must show up as a failed write, never end the program half-way through a merge.
    ::signal(SIGPIPE, SIG_IGN);
    // Standard input, output and error always exist, so no file opened later takes their numbers and is
    // then replaced by a child's standard stream.
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) < 0) return 1;
    }

    const tessellane::ProgramArguments program = tessellane::programArguments(argc, argv);
    if (auto status = tessellane::answerDirectly(program, std::cout, std::cerr)) return *status;
    if (program.mode == tessellane::ProgramArguments::Mode::cli)
        return tessellane::runCLI(program.arguments, std::cout, program.settings);

    // Without "--cli" the window starts; no QApplication exists before this point.
    return tessellane::runWindowedApp(program.toolkitArgumentCount, argv, program.platform, program.arguments,
                                      program.settings);
}
