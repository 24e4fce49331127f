// How a child program ended, decoded once from the platform's status word: "exited with N" and "killed by
// signal S" stay apart from the child's reaping to whoever reads the result.
#pragma once

namespace tessellane {

struct ExitStatus {
    enum class Kind { unknown, exited, killed };
    Kind kind = Kind::unknown;
    int number = -1;  // the exit code, or the signal

    static ExitStatus decode(int raw);
    bool succeeded() const { return kind == Kind::exited && number == 0; }
    bool operator==(const ExitStatus&) const = default;
};

}  // namespace tessellane
