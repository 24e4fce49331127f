#include "app/merge_job.h"

#include <QMetaObject>
#include <exception>
#include <utility>

#include "app/qt_text.h"
#include "app/status_texts.h"
#include "engine/merge/merge.h"

namespace tessellane {

namespace {

MergeOutcome mergeAndSummarise(const std::vector<ClipInfo>& clips, const FileURL& out,
                               const MergeSettings& settings, const std::function<void(double)>& progress,
                               Cancellation* stop) {
    MergeOutcome outcome;
    try {
        const MergeResult written = merge(clips, out, progress, stop, {}, settings);
        std::string summary = resultSummary(written.output);
        // Beside the result, in the status and in the finished list alike: never hidden.
        if (!written.warning.empty()) summary += " — ⚠︎ " + written.warning;
        outcome.summary = toQString(summary);
    } catch (const MergeError& error) {
        outcome.failure = toQString(error.errorDescription());
    } catch (const std::exception& error) {
        outcome.failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        outcome.failure = kUnknownMergeFailure;
    }
    return outcome;
}

}  // namespace

void startMergeJob(QThreadPool& pool, QObject* receiver, std::vector<ClipInfo> clips, FileURL out,
                   MergeSettings settings, std::shared_ptr<Cancellation> stop,
                   std::function<void(double)> progress, std::function<void(const MergeOutcome&)> done) {
    pool.start([receiver, clips = std::move(clips), out = std::move(out), settings, stop = std::move(stop),
                progress = std::move(progress), done = std::move(done)] {
        auto post = [receiver, &progress](double fraction) {
            QMetaObject::invokeMethod(
                receiver, [progress, fraction] { progress(fraction); }, Qt::QueuedConnection);
        };
        const MergeOutcome outcome = mergeAndSummarise(clips, out, settings, post, stop.get());
        QMetaObject::invokeMethod(
            receiver, [done, outcome] { done(outcome); }, Qt::QueuedConnection);
    });
}

}  // namespace tessellane
