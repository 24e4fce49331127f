// The background job that reads the headers of newly added files.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <functional>
#include <vector>

#include "engine/core/clip_info.h"

namespace tessellane {

// Probes `urls` one after the other on `pool`, then calls `done` with one record per file, in the same
// order, on `receiver`'s thread. A file that cannot be read still gives a record, with its error set.
void startProbeJob(QThreadPool& pool, QObject* receiver, std::vector<FileURL> urls,
                   std::function<void(std::vector<ClipInfo>)> done);

}  // namespace tessellane
