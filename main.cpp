#include <signal.h>

#include <iostream>

#include "engine/cli.h"

int main(int argc, char** argv) {
    // A closed pipe must show up as a failed write, never end the program half-way through a merge.
    ::signal(SIGPIPE, SIG_IGN);

    if (auto arguments = tessellane::cliArguments(argc, argv))
        return tessellane::runCLI(*arguments, std::cout);

    std::cerr << "창 모드는 아직 준비되지 않았습니다 — 명령줄 모드를 쓰세요: "
                 "Tessellane --cli <출력폴더> <접미사> <파일들...>\n";
    return 2;
}
