// AppModel with real files made by ffmpeg: adding and probing in the background, thumbnails, the merge job.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <filesystem>
#include <sstream>

#include "app/app_model.h"
#include "engine/merge/merge.h"
#include "engine/probe/probe.h"
#include "tests/app/app_test_support.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::FakeServices;
using testing::filesIn;
using testing::makeTinyImage;
using testing::makeTinyMovie;
using testing::ScopedToolPath;
using testing::TempDir;
using testing::waitFor;

std::vector<std::string> names(const std::vector<ClipInfo>& clips) {
    std::vector<std::string> result;
    for (const ClipInfo& clip : clips) result.push_back(clip.name());
    return result;
}

class AppModelMediaTest : public ::testing::Test {
  protected:
    // One set of tiny media for the whole suite, copied where a test needs its own.
    static void SetUpTestSuite() {
        media = new TempDir();
        for (const char* name : {"take10.mov", "take2.mov", "take1.mov"}) makeTinyMovie(*media / name);
        for (const char* name : {"shot 10.png", "shot 2.png", "shot 1.png"}) makeTinyImage(*media / name);
    }
    static void TearDownTestSuite() {
        delete media;
        media = nullptr;
    }
    static TempDir* media;

    FakeServices services;
    std::unique_ptr<AppModel> model = std::make_unique<AppModel>(&services);
    TempDir work;

    FileURL copy(const std::string& name, const std::string& as) {
        std::filesystem::copy_file(*media / name, work / as);
        return work / as;
    }
    bool settle() {
        return waitFor([&] { return model->pendingTasks() == 0; });
    }
};
TempDir* AppModelMediaTest::media = nullptr;

TEST_F(AppModelMediaTest, AddSettlesIntoNaturalOrderWithThumbnailsAndNoTemporaryFile) {
    struct Case {
        const char* kind;
        std::vector<std::string> given;
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {"movies", {"take10.mov", "take2.mov", "take1.mov"}, {"take1.mov", "take2.mov", "take10.mov"}},
        {"images", {"shot 10.png", "shot 2.png", "shot 1.png"}, {"shot 1.png", "shot 2.png", "shot 10.png"}},
    };
    for (const Case& test : cases) {
        model->clear();
        model->setStatus("이전 오류");
        model->setStatusIsError(true);
        std::vector<FileURL> urls;
        for (const std::string& name : test.given) urls.push_back(*media / name);

        QSignalSpy clipsSpy(model.get(), &AppModel::clipsChanged);
        model->add(urls);
        EXPECT_TRUE(model->clips().empty()) << "the list changes only when probing is done";
        ASSERT_TRUE(settle()) << test.kind;

        EXPECT_EQ(clipsSpy.count(), 1) << test.kind;
        EXPECT_EQ(names(model->clips()), test.sorted) << test.kind;
        EXPECT_TRUE(model->status().isEmpty()) << test.kind;
        EXPECT_TRUE(model->statusIsError()) << "add leaves the error flag alone";
        ASSERT_EQ(model->thumbs().size(), 3u) << test.kind;
        for (const ClipInfo& clip : model->clips()) {
            EXPECT_FALSE(clip.error) << clip.name();
            EXPECT_EQ(model->thumb(clip.id()).size(), QSize(64, 32)) << clip.name();
        }

        const FileURL folder = model->thumbnailFolder().toStdString();
        ASSERT_FALSE(folder.empty());
        struct stat info {};
        ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u) << "thumbnails never go to a folder others can enter";
        EXPECT_EQ(info.st_uid, ::getuid());
        EXPECT_TRUE(filesIn(folder).empty()) << test.kind;
    }
}

TEST_F(AppModelMediaTest, ThumbnailFolderIsPrivateAndGoesWithTheModel) {
    model->add({*media / "take1.mov"});
    ASSERT_TRUE(settle());
    const FileURL folder = model->thumbnailFolder().toStdString();
    EXPECT_EQ(folder.parent_path(), FileURL(QDir::tempPath().toStdString()));
    model.reset();
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(AppModelMediaTest, ThumbnailFolderRemovedByACleanerIsMadeAgain) {
    model->add({*media / "take1.mov"});
    ASSERT_TRUE(settle());
    const FileURL first = model->thumbnailFolder().toStdString();
    std::filesystem::remove_all(first);
    model->add({*media / "take2.mov"});
    ASSERT_TRUE(settle());
    EXPECT_EQ(model->thumbs().size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(model->thumbnailFolder().toStdString()));
}

TEST_F(AppModelMediaTest, ExtensionAndDuplicateRules) {
    const FileURL a = copy("take1.mov", "a.mov");
    const FileURL upper = copy("take2.mov", "B.MOV");
    std::filesystem::create_directory(work / "sub");
    model->add({a});
    ASSERT_TRUE(settle());
    ASSERT_EQ(model->clips().size(), 1u);

    struct Case {
        const char* name;
        std::vector<FileURL> given;
        std::size_t added;
    };
    const Case cases[] = {
        {"capital extension accepted", {upper}, 1},
        {"other kinds and no extension ignored",
         {work / "c.mkv", work / "d.gif", work / "noext", work / "e.mov.txt"},
         0},
        {"a name that is only a dot and an extension", {work / ".mov"}, 1},
        {"the listed file under dot components", {work / "." / "a.mov", work / "sub" / ".." / "a.mov"}, 0},
        {"letter case makes another file", {work / "A.mov"}, 1},
        {"the same new file twice in one call", {work / "f.mov", work / "f.mov"}, 2},
    };
    for (const Case& test : cases) {
        const std::size_t before = model->clips().size();
        model->add(test.given);
        ASSERT_TRUE(settle()) << test.name;
        EXPECT_EQ(model->clips().size() - before, test.added) << test.name;
    }
    // The two listings of f.mov are two clips; unreadable files are listed with their error.
    std::vector<Uuid> ids;
    for (const ClipInfo& clip : model->clips())
        if (clip.name() == "f.mov") {
            ids.push_back(clip.id());
            EXPECT_TRUE(clip.error);
            EXPECT_EQ(model->thumbs().count(clip.id()), 0u) << "no thumbnail for a clip that failed to probe";
        }
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_TRUE(filesIn(model->thumbnailFolder().toStdString()).empty());
}

TEST_F(AppModelMediaTest, AddThatPassesNothingLeavesStatusAlone) {
    model->setStatus("그대로");
    QSignalSpy any(model.get(), &AppModel::changed);
    model->add({work / "x.mkv", work / "y"});
    EXPECT_EQ(model->pendingTasks(), 0);
    EXPECT_EQ(any.count(), 0);
    EXPECT_EQ(model->status(), QString::fromUtf8("그대로"));
}

TEST_F(AppModelMediaTest, AddReplacesADraggedOrderByNaturalOrder) {
    model->add({*media / "take1.mov", *media / "take2.mov"});
    ASSERT_TRUE(settle());
    model->move({1}, 0);
    ASSERT_EQ(names(model->clips()), (std::vector<std::string>{"take2.mov", "take1.mov"}));
    model->add({*media / "take10.mov"});
    ASSERT_TRUE(settle());
    EXPECT_EQ(names(model->clips()), (std::vector<std::string>{"take1.mov", "take2.mov", "take10.mov"}));
}

TEST_F(AppModelMediaTest, OpenFilesAddsTheChosenFiles) {
    services.filesAnswer = std::vector<FileURL>{*media / "take2.mov", *media / "take1.mov", work / "z.gif"};
    model->openFiles();
    ASSERT_TRUE(settle());
    EXPECT_EQ(names(model->clips()), (std::vector<std::string>{"take1.mov", "take2.mov"}));
}

TEST_F(AppModelMediaTest, WithoutFFmpegNoThumbnailIsMade) {
    {
        TempDir none;
        ScopedToolPath empty(none.path());  // probing needs no ffmpeg; the thumbnail lookup does
        model->add({*media / "take1.mov"});
        ASSERT_TRUE(settle());
    }
    ASSERT_EQ(model->clips().size(), 1u);
    EXPECT_TRUE(model->thumbs().empty());
    // Installed later: clips added afterwards get their picture.
    model->add({*media / "take2.mov"});
    ASSERT_TRUE(settle());
    EXPECT_EQ(model->thumbs().size(), 1u);
}

// ---- merge job ----

class MergeJobTest : public AppModelMediaTest {
  protected:
    void addTwo() {
        model->add({copy("take1.mov", "part1.mov"), copy("take2.mov", "part2.mov")});
        ASSERT_TRUE(settle());
        ASSERT_EQ(model->clips().size(), 2u);
        model->setSuffix("_wide");
    }
};

TEST_F(MergeJobTest, CanMergeIsFalseForEachOfItsReasons) {
    addTwo();
    ASSERT_TRUE(model->canMerge());
    const FileURL out = *model->outURL();
    const std::vector<ClipInfo> both = model->clips();

    struct Case {
        const char* reason;
        std::function<void()> make;
        std::function<void()> undo;
    };
    const Case cases[] = {
        {"running", [&] { model->setRunning(true); }, [&] { model->setRunning(false); }},
        {"one clip fails validation", [&] { model->setClips({both[0]}); }, [&] { model->setClips(both); }},
        {"output exists", [&] { testing::writeFile(out, "x"); }, [&] { std::filesystem::remove(out); }},
        {"slash in suffix", [&] { model->setSuffix("_a/b"); }, [&] { model->setSuffix("_wide"); }},
        {"colon in suffix", [&] { model->setSuffix("_a:b"); }, [&] { model->setSuffix("_wide"); }},
    };
    for (const Case& test : cases) {
        test.make();
        EXPECT_FALSE(model->canMerge()) << test.reason;
        // runMerge repeats the same tests and changes nothing.
        QSignalSpy any(model.get(), &AppModel::changed);
        const bool wasRunning = model->running();
        model->runMerge();
        EXPECT_EQ(any.count(), 0) << test.reason;
        EXPECT_EQ(model->pendingTasks(), 0) << test.reason;
        EXPECT_EQ(model->running(), wasRunning) << test.reason;
        test.undo();
        EXPECT_TRUE(model->canMerge()) << "after " << test.reason;
    }

    // ffmpeg missing at start, found later: the flag stays.
    std::unique_ptr<AppModel> blind;
    {
        TempDir none;
        ScopedToolPath empty(none.path());
        blind = std::make_unique<AppModel>(&services);
    }
    EXPECT_TRUE(blind->ffmpegMissing());
    blind->setClips(model->clips());
    EXPECT_TRUE(blind->validation().ok());
    EXPECT_FALSE(blind->canMerge());
    QSignalSpy any(blind.get(), &AppModel::changed);
    blind->runMerge();
    EXPECT_EQ(any.count(), 0);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(MergeJobTest, SuccessfulJobShowsTheSummaryAndRemembersTheOutput) {
    addTwo();
    const FileURL out = *model->outURL();

    // Every field write in order; progress must all land before the outcome.
    std::vector<std::string> writes;
    std::vector<double> progressValues;
    QObject::connect(model.get(), &AppModel::progressChanged, model.get(), [&] {
        writes.push_back("progress");
        progressValues.push_back(model->progress());
    });
    for (auto [signal, name] : std::vector<std::pair<void (AppModel::*)(), std::string>>{
             {&AppModel::runningChanged, "running"},
             {&AppModel::statusChanged, "status"},
             {&AppModel::statusIsErrorChanged, "statusIsError"},
             {&AppModel::lastResultChanged, "lastResult"},
             {&AppModel::doneChanged, "done"}}) {
        QObject::connect(model.get(), signal, model.get(), [&writes, name] { writes.push_back(name); });
    }

    model->runMerge();
    EXPECT_TRUE(model->running());
    EXPECT_EQ(model->status(), QString::fromUtf8("합치는 중\u2026"));
    EXPECT_FALSE(model->canMerge());
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_EQ(writes,
              (std::vector<std::string>{"running", "progress", "status", "statusIsError", "lastResult"}));

    ASSERT_TRUE(waitFor([&] { return !model->running(); }));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(model->statusIsError()) << model->status().toStdString();
    ASSERT_TRUE(std::filesystem::exists(out));
    const QString expected = QString::fromStdString(resultSummary(probe(out)));
    EXPECT_EQ(model->status(), expected);
    EXPECT_TRUE(model->status().endsWith(QString::fromUtf8("완료")));
    EXPECT_EQ(model->lastResult(), out);
    ASSERT_EQ(model->done().size(), 1u);
    EXPECT_EQ(model->done()[0].url(), out);
    EXPECT_EQ(model->done()[0].summary(), expected);
    EXPECT_EQ(model->progress(), 1.0);
    ASSERT_FALSE(progressValues.empty());
    EXPECT_EQ(progressValues.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(progressValues.begin(), progressValues.end()));
    const std::vector<std::string> tail(writes.end() - 4, writes.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"running", "status", "lastResult", "done"}));
    EXPECT_FALSE(model->canMerge()) << "the output now exists";

    // A second job puts its result first.
    model->setSuffix("_again");
    model->runMerge();
    ASSERT_TRUE(waitFor([&] { return !model->running(); }));
    ASSERT_EQ(model->done().size(), 2u);
    EXPECT_EQ(model->done()[0].url(), work / "part_again.mov");
    EXPECT_EQ(model->done()[1].url(), out);
}

TEST_F(MergeJobTest, FailedJobShowsTheErrorAndAddBlanksIt) {
    addTwo();
    std::filesystem::remove(work / "part2.mov");  // listed but gone: ffmpeg cannot read it
    ASSERT_TRUE(model->canMerge());
    model->setLastResult(work / "earlier.mov");
    model->setDone({DoneItem(work / "earlier.mov", "이전")});

    model->runMerge();
    ASSERT_TRUE(waitFor([&] { return !model->running(); }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(model->statusIsError());
    EXPECT_FALSE(model->status().isEmpty());
    EXPECT_NE(model->status(), QString::fromUtf8("합치는 중\u2026"));
    EXPECT_FALSE(model->lastResult()) << "cleared at the start and not set by a failure";
    ASSERT_EQ(model->done().size(), 1u);
    EXPECT_EQ(model->done()[0].summary(), QString::fromUtf8("이전"));

    model->add({*media / "take10.mov"});
    ASSERT_TRUE(settle());
    EXPECT_TRUE(model->status().isEmpty());
    EXPECT_TRUE(model->statusIsError());
}

TEST_F(MergeJobTest, SecondRunMergeWhileRunningChangesNothing) {
    addTwo();
    model->runMerge();
    ASSERT_TRUE(model->running());
    const int pending = model->pendingTasks();
    model->setSuffix("_other");  // a different output, so only the running guard stops it
    QSignalSpy any(model.get(), &AppModel::changed);
    model->runMerge();
    EXPECT_EQ(any.count(), 0);
    EXPECT_EQ(model->pendingTasks(), pending);
    ASSERT_TRUE(waitFor([&] { return !model->running(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(model->done().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(work / "part_other.mov"));
}

TEST_F(MergeJobTest, RunningJobKeepsItsSnapshotThroughClearAndSuffixChange) {
    addTwo();
    const FileURL out = *model->outURL();
    model->runMerge();
    model->clear();
    model->setSuffix("_renamed");
    model->add({*media / "take10.mov"});
    ASSERT_TRUE(waitFor([&] { return !model->running(); }));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(model->statusIsError()) << model->status().toStdString();
    ASSERT_TRUE(std::filesystem::exists(out));
    EXPECT_EQ(probe(out).width, 128) << "both clips of the snapshot were merged";
    EXPECT_EQ(model->lastResult(), out);
    ASSERT_EQ(model->done().size(), 1u);
    EXPECT_EQ(model->done()[0].url(), out);
    EXPECT_EQ(names(model->clips()), std::vector<std::string>{"take10.mov"});
}

// ---- stopping: cancelled merges, thumbnails that hang, quitting ----

// A stand-in for ffmpeg found first on PATH: it records its pid, writes a little into its last argument
// (the output, or a thumbnail's PNG), reports one frame and then hangs until it is stopped.
class StoppingTest : public AppModelMediaTest {
  protected:
    TempDir tools;
    std::unique_ptr<ScopedToolPath> path;

    void installHangingFFmpeg() {
        testing::writeScript(tools / "ffmpeg", "echo $$ >> '" + (tools / "pids").string() +
                                                   "'\nfor last; do :; done\nprintf partial > \"$last\"\n"
                                                   "echo frame=1\nexec /bin/sleep 30\n");
        path = std::make_unique<ScopedToolPath>(tools.path());
        model = std::make_unique<AppModel>(&services);  // looks for ffmpeg now
    }
    std::vector<pid_t> started() {
        std::vector<pid_t> pids;
        if (!std::filesystem::exists(tools / "pids")) return pids;
        std::istringstream in(testing::readFile(tools / "pids"));
        for (pid_t pid; in >> pid;) pids.push_back(pid);
        return pids;
    }
    static bool gone(pid_t pid) { return ::kill(pid, 0) != 0; }
};

TEST_F(StoppingTest, CancelStopsTheMergeLeavesTheFolderAsItWasAndAllowsANewOne) {
    const FileURL a = copy("take1.mov", "part1.mov");
    const FileURL b = copy("take2.mov", "part2.mov");
    installHangingFFmpeg();
    model->setThumbnailTimeLimit(std::chrono::milliseconds(1));  // the thumbnails are not the point here
    model->add({a, b});
    ASSERT_TRUE(settle());
    const auto before = filesIn(work.path());
    ASSERT_TRUE(model->canMerge());

    for (int round = 0; round < 2; ++round) {
        model->runMerge();
        ASSERT_TRUE(model->running());
        ASSERT_TRUE(waitFor([&] { return model->progress() > 0 || filesIn(work.path()) != before; }, 10000))
            << "ffmpeg never started";
        model->cancelMerge();
        ASSERT_TRUE(settle());
        EXPECT_FALSE(model->running());
        EXPECT_EQ(model->status(), "합치기를 취소했습니다");
        EXPECT_TRUE(model->statusIsError());
        EXPECT_TRUE(model->done().empty());
        EXPECT_FALSE(model->lastResult());
        EXPECT_EQ(filesIn(work.path()), before) << "round " << round;
        EXPECT_TRUE(model->canMerge()) << "a new merge can start at once";
    }
    for (pid_t pid : started()) EXPECT_TRUE(gone(pid)) << pid;
}

TEST_F(StoppingTest, AThumbnailThatTakesTooLongIsStoppedAndShowsNone) {
    const FileURL shot = copy("shot 1.png", "shot.png");
    installHangingFFmpeg();
    model->setThumbnailTimeLimit(std::chrono::milliseconds(300));
    model->add({shot});
    ASSERT_TRUE(waitFor([&] { return model->pendingTasks() == 0; }, 10000));
    ASSERT_EQ(model->clips().size(), 1u);
    EXPECT_TRUE(model->thumbs().empty());
    ASSERT_EQ(started().size(), 1u);
    EXPECT_TRUE(gone(started()[0]));
    EXPECT_TRUE(filesIn(model->thumbnailFolder().toStdString()).empty());
}

TEST_F(StoppingTest, QuittingNeitherWaitsForQueuedThumbnailsNorLeavesFFmpegRunning) {
    std::vector<FileURL> shots;
    for (int i = 0; i < 24; ++i) shots.push_back(copy("shot 1.png", "shot_" + std::to_string(i) + ".png"));
    installHangingFFmpeg();
    model->add(shots);
    ASSERT_TRUE(waitFor([&] { return model->clips().size() == shots.size() && !started().empty(); }, 10000));
    const std::string folder = model->thumbnailFolder().toStdString();
    ASSERT_FALSE(folder.empty());

    QElapsedTimer clock;
    clock.start();
    model.reset();
    // Each hanging ffmpeg would hold the process 30 s; 24 of them in turn, minutes.
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_LT(started().size(), shots.size()) << "queued thumbnails were started anyway";
    for (pid_t pid : started()) EXPECT_TRUE(gone(pid)) << pid;
    EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace tessellane
