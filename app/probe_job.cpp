#include "app/probe_job.h"

#include <QMetaObject>
#include <exception>
#include <memory>
#include <utility>

#include "engine/probe/probe.h"

namespace tessellane {

namespace {

// probe() reports unreadable files in the record; anything escaping it still becomes a listed record.
ClipInfo probeOrError(const FileURL& url) {
    try {
        return probe(url);
    } catch (const std::exception& error) {
        ClipInfo record(url);
        record.error = error.what();
        return record;
    }
}

}  // namespace

void startProbeJob(QThreadPool& pool, QObject* receiver, std::vector<FileURL> urls,
                   std::function<void(std::vector<ClipInfo>)> done) {
    pool.start([receiver, urls = std::move(urls), done = std::move(done)] {
        auto records = std::make_shared<std::vector<ClipInfo>>();
        records->reserve(urls.size());
        for (const FileURL& url : urls) records->push_back(probeOrError(url));
        QMetaObject::invokeMethod(
            receiver, [done, records] { done(std::move(*records)); }, Qt::QueuedConnection);
    });
}

}  // namespace tessellane
