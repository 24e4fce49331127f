// The background job that writes the merged file.
#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/core/merge_settings.h"
#include "engine/merge/cancellation.h"

namespace tessellane {

// How a merge ended: the summary of the written file, or the sentence saying why there is none.
struct MergeOutcome {
    std::optional<QString> summary;
    QString failure;
};

// Merges `clips` into `out` as `settings` say, on `pool`. `progress` and then `done` are called on
// `receiver`'s thread, every progress value in its own queued call, so all of them land before the outcome.
// `stop`, when requested, makes the merge end through its failure path.
void startMergeJob(QThreadPool& pool, QObject* receiver, std::vector<ClipInfo> clips, FileURL out,
                   MergeSettings settings, std::shared_ptr<Cancellation> stop,
                   std::function<void(double)> progress, std::function<void(const MergeOutcome&)> done);

}  // namespace tessellane
