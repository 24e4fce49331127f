#include <signal.h>

#include <iostream>

#include "engine/cli.h"
#include "ui/windowed_app.h"

int main(int argc, char** argv) {
    // A closed pipe must show up as a failed write, never end the program half-way through a merge.
    ::signal(SIGPIPE, SIG_IGN);

    if (auto arguments = tessellane::cliArguments(argc, argv))
        return tessellane::runCLI(*arguments, std::cout);

    // Without "--cli" the window starts; no QApplication exists before this point.
    return tessellane::runWindowedApp(argc, argv);
}
