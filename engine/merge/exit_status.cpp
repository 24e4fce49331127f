#include "engine/merge/exit_status.h"

#include <sys/wait.h>

namespace tessellane {

ExitStatus ExitStatus::decode(int raw) {
    if (WIFEXITED(raw)) return {Kind::exited, WEXITSTATUS(raw)};
    if (WIFSIGNALED(raw)) return {Kind::killed, WTERMSIG(raw)};
    return {};
}

}  // namespace tessellane
