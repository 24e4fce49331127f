// AppModel: derived values, list editing, choosers; with real files: adding, thumbnails, merging, stopping.
#include "app/app_model.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <algorithm>
#include <map>
#include <sstream>
#include <tuple>

#include "engine/merge/merge.h"
#include "engine/probe/probe.h"
#include "tests/app/app_test_support.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::filesIn;
using testing::SeamModel;
using testing::TempDir;

class AppModelTest : public ::testing::Test {
  protected:
    testing::FakeServices services;
    std::unique_ptr<SeamModel> model = std::make_unique<SeamModel>(&services);
    TempDir work;

    // Clips A..E, or the ones named (with the extension given), already probed.
    std::vector<ClipInfo> clips(const std::string& names = "ABCDE", const std::string& extension = "") {
        std::vector<ClipInfo> out;
        for (char name : names)
            out.emplace_back(work / (std::string(1, name) + extension),
                             ClipFields{.codec = "h264", .width = 1920});
        return out;
    }
    Uuid idOf(char name) {
        for (const ClipInfo& clip : model->clips())
            if (clip.url().stem() == std::string(1, name)) return clip.id();
        return Uuid::random();
    }
    // The stems of the listed clips, of the selected ones or of the anchor; or the names, comma-separated.
    std::string list(char which = 'l') {
        std::string out;
        for (const ClipInfo& clip : model->clips())
            if (which == 'l' || (which == 's' && model->selected().count(clip.id())) ||
                (which == 'a' && clip.id() == model->anchor()))
                out += clip.url().stem().string();
            else if (which == ',')
                out.append(out.empty() ? "" : ",").append(clip.name());
        return out;
    }
    // Copies, named as in the comma-separated list, of one movie (64x32, 3 frames) or one wide still
    // (2000x100), each made once per process.
    std::vector<FileURL> files(const std::string& names) {
        static TempDir media;
        static FileURL movie, image;
        std::vector<FileURL> out;
        std::istringstream in(names);
        for (std::string name; std::getline(in, name, ',');) {
            FileURL& source = name.ends_with(".png") ? image : movie;
            if (source.empty())
                source = &source == &image ? testing::makeTinyImage(media / "i.png", 2000, 100)
                                           : testing::makeTinyMovie(media / "m.mov", 3);
            std::filesystem::copy_file(source, work / name);
            out.push_back(work / name);
        }
        return out;
    }
    bool settle(int timeoutMs = 30000) {
        return testing::waitFor([&] { return model->pendingTasks() == 0; }, timeoutMs);
    }
};

TEST_F(AppModelTest, DerivedValuesFollowTheListAndSettings) {
    model->setCustomOutDir(work.path());
    EXPECT_EQ(model->outURL(), work.path()) << "without clips the folder itself";
    EXPECT_TRUE(model->outputExists());
    model->setCustomOutDir(std::nullopt);
    std::vector<ClipInfo> list = clips("ABC");
    list[1] = ClipInfo("/other/B.mov", {.codec = "prores", .codecTag = "apch", .width = 1280, .height = 720});
    model->setClips(list);
    model->setSuffix("_wide");
    EXPECT_EQ(model->outputWidth(), 2 * 1920 + 1280);
    ASSERT_EQ(model->outURL(), work / "_wide");  // A, B, C share no leading part; A has no extension
    EXPECT_FALSE(model->outputExists());
    // The plan looks at the name once per change (and when asked, as the window is activated).
    std::filesystem::create_symlink(work / "nowhere", work / "_wide");  // writing through it makes a file
    const auto revision = model->planRevision();
    EXPECT_FALSE(model->outputExists() || model->canMerge() || model->outputExists());
    EXPECT_EQ(model->planRevision(), revision) << "a read made a plan";
    model->refreshPlan();
    EXPECT_TRUE(model->outputExists());
    std::filesystem::remove(work / "_wide");
    std::filesystem::create_directory(work / "_wide");
    model->refreshPlan();
    EXPECT_TRUE(model->outputExists());
    model->move({1}, 0);
    EXPECT_EQ(model->outURL(), FileURL("/other/_wide.mov")) << "the first clip decides the folder";
    EXPECT_EQ(model->codecSummary(), "ProRes 422 HQ");
    EXPECT_EQ(model->outputHeight(), 720);
    model->setCustomOutDir(FileURL("/elsewhere"));
    EXPECT_EQ(model->outURL(), FileURL("/elsewhere/_wide.mov"));
    // A name already taken: by one of the inputs, or by an output this window made (then removed from
    // the finished list, the files staying).
    model->setCustomOutDir(std::nullopt);
    model->setClips({ClipInfo(work / "interview.mp4", {}), ClipInfo(work / "interview_b.mp4", {})});
    model->setSuffix("");
    EXPECT_EQ(model->outputIsAnInput(), work / "interview.mp4");
    model->setSuffix("_x");
    testing::writeFile(work / "interview_x.mp4", "x");
    EXPECT_FALSE(model->outputIsAnInput() || model->outputWrittenHere());
    model->setDone({DoneItem(work / "other.mp4", "1"), DoneItem(work / "." / "interview_x.mp4", "2")});
    EXPECT_EQ(model->outputWrittenHere(), work / "." / "interview_x.mp4");
    model->removeDone({model->done()[1].id()});
    EXPECT_TRUE(model->done().size() == 1 && !model->outputWrittenHere());
    EXPECT_TRUE(std::filesystem::exists(work / "interview_x.mp4"));
}

// A refused merge changes nothing. ffmpeg missing when the model was made stays missing.
TEST_F(AppModelTest, MergeStartsOnlyWhenEveryPreconditionHolds) {
    std::unique_ptr<SeamModel> blind;
    {
        TempDir none;
        testing::ScopedToolPath scope(none.path());
        blind = std::make_unique<SeamModel>(&services);
    }
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"", [] {}},
        {"running", [&] { model->setRunning(true); }},
        {"one clip", [&] { model->setClips(clips("a", ".mov")); }},
        {"output exists", [&] { testing::writeFile(work / "_wide.mov", "x"); }},
        {"slash in suffix", [&] { model->setSuffix("_a/b"); }},
        {"control character in suffix", [&] { model->setSuffix("_a\tb"); }},
        {"", [&] { model->setSuffix("\\ 한글·…:"); }},  // ":" is a character like any other on Linux
        {"no writer for the extension", [&] { model->setClips(clips("ab", ".qt")); }},
        {"no ffmpeg", [&] { model.swap(blind), model->setClips(clips("ab", ".mov")); }},
    };
    for (auto [refused, make] : cases) {
        model->setClips(clips("ab", ".mov"));
        model->setSuffix("_wide");
        std::filesystem::remove(work / "_wide.mov");
        make();
        model->refreshPlan();
        EXPECT_EQ(model->canMerge(), !*refused) << refused;
        QSignalSpy any(model.get(), &AppModel::changed);
        if (*refused) model->runMerge();
        EXPECT_EQ(any.count() + model->pendingTasks(), 0) << refused;
        model->setRunning(false);
    }
}

// Sequences of clicks "[modifiers]target=selection@anchor", modifiers + for Shift, ^ for Ctrl, ~ for Alt
// and Meta, each sequence on a fresh list; the target * is a clip that is not listed.
TEST_F(AppModelTest, ClickSelectionRules) {
    const std::map<char, Qt::KeyboardModifiers> keys = {
        {'+', Qt::ShiftModifier}, {'^', Qt::ControlModifier}, {'~', Qt::AltModifier | Qt::MetaModifier}};
    std::istringstream sequences(
        "B=B@B D=D@D; B=B@B +D=BCD@B +A=AB@B +B=B@B; B=B@B ^D=BD@D ^B=D@B +E=BCDE@B; A=A@A ^E=AE@E "
        "+^C=ACDE@E;"
        "+C=C@C +E=CDE@C; +^C=C@C +^A=ABC@C; B=B@B ^*=B@ +D=D@D; +^A=A@A ^*=A@ +^C=AC@C; ~C=C@C");
    for (std::string sequence; std::getline(sequences, sequence, ';');) {
        model->setClips(clips());
        model->setSelected({});
        model->setAnchor(std::nullopt);
        std::istringstream clicks(sequence);
        for (std::string click; clicks >> click;) {
            SCOPED_TRACE(sequence + ", click " + click);
            const std::size_t target = click.find_first_not_of("+^~"), at = click.find('@');
            Qt::KeyboardModifiers held;
            for (char key : click.substr(0, target)) held |= keys.at(key);
            QSignalSpy any(model.get(), &AppModel::changed);
            model->select(idOf(click[target]), held);
            EXPECT_EQ(any.count(), 1) << "one assignment per click";
            EXPECT_EQ(list('s'), click.substr(target + 2, at - target - 2));
            EXPECT_EQ(list('a'), click.substr(at + 1));
        }
    }
    model->selectAll();
    EXPECT_EQ(list('s'), "ABCDE");
    EXPECT_EQ(list('a'), "C") << "select all keeps the anchor";
}

TEST_F(AppModelTest, MoveRules) {
    const std::tuple<std::string, std::set<int>, int, std::string> cases[] = {
        {"", {0}, 3, "BCADE"},   {"", {3}, 1, "ADBCE"},     {"", {1}, 5, "ACDEB"},   {"", {2}, 2, "ABCDE"},
        {"", {2}, 3, "ABCDE"},   {"", {1, 3}, 0, "BDACE"},  {"AC", {0}, 5, "BDEAC"}, {"BE", {4}, 0, "BEACD"},
        {"AC", {1}, 0, "BACDE"}, {"D", {1, 3}, 5, "ACEBD"}, {"A", {}, 3, "ABCDE"},   {"", {5}, 0, "ABCDE"},
        {"", {-1}, 0, "ABCDE"},  {"", {0}, 6, "ABCDE"},
    };
    const auto select = [&](const std::string& names) {
        model->setClips(clips());
        std::set<Uuid> selected;
        for (char name : names) selected.insert(idOf(name));
        model->setSelected(selected);
    };
    for (const auto& [selection, from, to, expected] : cases) {
        select(selection);
        model->move(from, to);
        EXPECT_EQ(list(), expected) << selection << ::testing::PrintToString(from) << " to " << to;
        EXPECT_EQ(list('s').size(), selection.size()) << "the selection follows the clips";
    }
    // One step up (-1) or down for each selected clip, past an unselected neighbour.
    const std::tuple<std::string, int, std::string> steps[] = {
        {"B", -1, "BACDE"}, {"A", -1, "ABCDE"}, {"BD", -1, "BADCE"}, {"AC", -1, "ACBDE"},
        {"DE", 1, "ABCDE"}, {"BD", 1, "ACBED"}, {"CE", 1, "ABDCE"},  {"", 1, "ABCDE"},
    };
    for (const auto& [selection, step, expected] : steps) {
        select(selection);
        EXPECT_EQ(model->moveSelected(step), expected != "ABCDE") << selection << step;
        EXPECT_EQ(list(), expected) << selection << step;
    }
}

// Deleting keeps the order, the anchor and the thumbnails, never during a merge; clear keeps the settings
// and the history. Every assignment is announced, also one that changes nothing.
TEST_F(AppModelTest, DeleteAndClear) {
    model->setClips(clips());
    const Uuid b = idOf('B'), d = idOf('D');
    model->setThumb(b, QImage(4, 2, QImage::Format_RGB32));
    model->setSelected({b, d});
    model->setAnchor(d);
    model->setRunning(true);
    QSignalSpy any(model.get(), &AppModel::changed);
    model->deleteSelected();  // during a merge: nothing
    model->setRunning(true);  // announced, though nothing changes
    EXPECT_EQ(any.count(), 1);
    model->setRunning(false);
    model->deleteSelected();
    model->deleteSelected();  // nothing selected
    EXPECT_EQ(any.count(), 5) << "the clips, the selection and the undo";
    EXPECT_EQ(list(), "ACE");
    EXPECT_TRUE(model->selected().empty());
    EXPECT_EQ(model->anchor(), d);
    EXPECT_EQ(model->thumbs().count(b), 1u);

    model->setSelected({idOf('A')});
    model->setSuffix("_s");
    model->setCustomOutDir(FileURL("/out"));
    model->setStatus("실패");
    model->setStatusIsError(true);
    model->setProgress(0.5);
    model->setLastResult(FileURL("/out/x.mov"));
    model->setDone({DoneItem("/out/x.mov", "요약")});
    model->clear();
    EXPECT_TRUE(model->clips().empty() && model->selected().empty() && model->thumbs().empty());
    EXPECT_TRUE(model->status().isEmpty() && !model->lastResult() && model->progress() == 0);
    EXPECT_TRUE(model->statusIsError() && model->suffix() == "_s");
    EXPECT_TRUE(model->customOutDir() && model->done().size() == 1u);
    // The last removal comes back whole until the list is edited again; only one step is kept.
    ASSERT_EQ(model->undoableRemoval(), 3u);
    model->undoRemoval();
    EXPECT_EQ(list() + list('s'), "ACEA");
    EXPECT_EQ(model->thumbs().count(b), 1u);
    EXPECT_EQ(model->undoableRemoval(), 0u);
    model->setSelected({idOf('C')});
    model->deleteSelected();
    model->move({0}, 2);
    model->undoRemoval();
    EXPECT_EQ(list(), "EA");
}

// A clip that could not be read starts no thumbnail.
TEST_F(AppModelTest, AnUnreadableClipStartsNothing) {
    QSignalSpy any(model.get(), &AppModel::changed);
    model->makeThumb(ClipInfo("/nowhere/x.mov", {.error = "읽을 수 없음"}));
    EXPECT_EQ(any.count() + model->pendingTasks(), 0);
}

// Each row's files are added; a cleaner of the temporary directory removes the thumbnail
// folder between the rows.
TEST_F(AppModelTest, AddSettlesIntoNaturalOrderWithThumbnailsInAPrivateFolder) {
    const std::tuple<const char*, const char*, QSize> cases[] = {
        {"take10.mov,take2.mov", "take2.mov,take10.mov", {64, 32}},
        {"shot 10.png,Shot 2.png", "Shot 2.png,shot 10.png", {1920, 96}},
    };
    FileURL folder;
    for (auto [given, sorted, size] : cases) {
        if (!folder.empty()) std::filesystem::remove_all(folder);
        model->clear();
        model->setStatus("이전 오류");
        model->setStatusIsError(true);
        QSignalSpy clipsSpy(model.get(), &AppModel::clipsChanged);
        model->add(files(given));
        EXPECT_TRUE(model->clips().empty()) << "the list changes only when probing is done";
        ASSERT_TRUE(settle());
        EXPECT_EQ(clipsSpy.count(), 1);
        EXPECT_EQ(list(','), sorted);
        EXPECT_TRUE(model->status().isEmpty() && model->statusIsError()) << "add leaves the error flag alone";
        for (const ClipInfo& clip : model->clips())
            EXPECT_EQ(model->thumb(clip.id()).size(), size) << clip.name();
        folder = model->thumbnailFolder().toStdString();
        const auto info = std::filesystem::symlink_status(folder);
        EXPECT_TRUE(is_directory(info)) << "thumbnails never go to a folder others can enter";
        EXPECT_EQ(info.permissions(), std::filesystem::perms::owner_all);
        EXPECT_EQ(folder.parent_path(), FileURL(QDir::tempPath().toStdString()));
        EXPECT_TRUE(filesIn(folder).empty()) << "no picture is left behind";
    }
    model->move({1}, 0);  // a drag, then an add: the whole list is sorted again
    model->add(files("shot 3.png"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(list(','), "Shot 2.png,shot 3.png,shot 10.png");
    model.reset();
    EXPECT_FALSE(std::filesystem::exists(folder)) << "the folder goes with the model";
}

// What is added and what is refused, with why: accepted kinds in any letter case, each file once (a missing
// one too), a folder's files directly inside it; an add that refuses nothing takes away the last refusals,
// and a call that passes nothing changes nothing.
TEST_F(AppModelTest, WhatAnAddTakesAndWhatItRefuses) {
    const std::vector<FileURL> given = files("a.mov,B.MOV");
    for (const char* folder : {"sub", "takes/proxy", "empty", "docs"})
        std::filesystem::create_directories(work / folder);
    for (const char* file : {"c.mkv", "takes/take10.mov", "takes/take2.mov", "takes/notes.txt",
                             "takes/._take2.mov", "takes/proxy/take1.mov", "docs/readme.txt"})
        testing::writeFile(work / file, "");
    std::filesystem::create_directory_symlink(work / "takes", work / "linked");
    model->setThumbnailTimeLimit(std::chrono::milliseconds(1));  // the pictures are not the point here
    // Refusals as "name=reason": u unsupported, l already listed, n not found, e nothing in a folder,
    // s a subfolder.
    auto refused = [&] {
        std::string out;
        for (const Refusal& r : model->refused())
            out.append(out.empty() ? "" : " ").append(r.path.filename().string() + (r.folder ? "/=" : "=")) +=
                "ulnesr"[int(r.reason)];
        return out;
    };
    const std::tuple<std::vector<FileURL>, std::size_t, std::string> cases[] = {
        {{given[0]}, 1, ""},
        {{given[1], work / "c.mkv", work / "d.gif", work / "noext", work / "e.mov.txt"},
         1,
         "c.mkv=u d.gif=n noext=n e.mov.txt=n"},
        {{work / ".mov"}, 1, ""},
        {{work / "." / "a.mov", work / "sub" / ".." / "a.mov"}, 0, "a.mov=l a.mov=l"},
        {{}, 0, "a.mov=l a.mov=l"},  // changes nothing
        {{work / "A.mov"}, 1, ""},
        {{work / "f.mov", work / "f.mov"}, 2, ""},
        {{work / "takes"}, 2, "proxy/=s notes.txt=u"},
        {{work / "empty", work / "docs", work / "takes", work / "linked"},
         2,  // a link is not resolved
         "empty/=e docs/=e take2.mov=l take10.mov=l proxy/=s notes.txt=u proxy/=s notes.txt=u"},
    };
    for (const auto& [urls, added, refusals] : cases) {
        SCOPED_TRACE(::testing::PrintToString(urls));
        const std::size_t before = model->clips().size();
        QSignalSpy any(model.get(), &AppModel::changed);
        model->add(urls);
        EXPECT_EQ(refused(), refusals);
        EXPECT_EQ(model->pendingTasks() == 0, added == 0);
        ASSERT_TRUE(settle());
        EXPECT_EQ(model->clips().size() - before, added);
        EXPECT_EQ(refused(), refusals) << "the add's own edit keeps them";
        EXPECT_EQ(any.count() == 0, urls.empty());
    }
    model->move({0}, 2);
    EXPECT_EQ(refused(), "") << "any other edit of the list takes them away";
}

// A merge works on the list as it was when it started, shows the summary and lists its output first; a
// failed one shows the reason, which the next add blanks.
TEST_F(AppModelTest, MergeJobs) {
    const std::vector<FileURL> parts = files("part1.mov,part2.mov,take10.mov");
    model->setThumbnailTimeLimit(std::chrono::milliseconds(1));
    model->add({parts[0], parts[1]});
    ASSERT_TRUE(settle());
    model->setSuffix("_wide");
    model->setDone({DoneItem(work / "earlier.mov", "이전")});
    const FileURL out = work / "part_wide.mov";
    std::vector<double> progress;
    QObject::connect(model.get(), &AppModel::progressChanged, [&] { progress.push_back(model->progress()); });
    model->runMerge();
    EXPECT_TRUE(model->running() && model->status() == kMergingStatus);
    model->clear();
    model->setSuffix("_again");
    model->add({parts[2]});
    ASSERT_TRUE(settle());
    const ClipInfo written = probe(out);
    EXPECT_EQ(written.width, 128) << "both clips of the snapshot";
    EXPECT_EQ(model->status(), QString::fromStdString(resultSummary(written)));
    EXPECT_FALSE(model->statusIsError());
    EXPECT_EQ(model->lastResult(), out);
    ASSERT_EQ(model->done().size(), 2u);
    EXPECT_EQ(model->done()[0].url(), out);
    EXPECT_EQ(model->done()[0].summary(), model->status());
    EXPECT_EQ(list(','), "take10.mov");
    EXPECT_TRUE(progress.size() >= 2 && std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1.0);

    model->add({parts[0]});
    ASSERT_TRUE(settle());
    std::filesystem::remove(parts[2]);  // listed but gone: ffmpeg cannot read it
    model->runMerge();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(model->statusIsError());
    EXPECT_FALSE(model->status().isEmpty() || model->status() == kMergingStatus);
    EXPECT_FALSE(model->lastResult()) << "cleared at the start and not set by a failure";
    EXPECT_EQ(model->done().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(work / "_again.mov"));
    model->add({parts[1]});
    ASSERT_TRUE(settle());
    EXPECT_TRUE(model->status().isEmpty());
}

// A stand-in for ffmpeg records its pid, writes into its last argument (output or PNG), reports a frame and
// hangs. Without ffmpeg no thumbnail starts; a thumbnail past its time limit, two cancelled merges and
// quitting with thumbnails queued stop it, leave no file and let no ffmpeg run on.
TEST_F(AppModelTest, StoppingLeavesNothingBehind) {
    // More thumbnails than the pool has threads on this machine, so some are still queued at the end.
    const int shots = QThread::idealThreadCount() + 4;
    std::string names = "part1.mov,part2.mov,part3.mov,part4.mov";
    for (int i = 0; i < shots; ++i) names += ",shot_" + std::to_string(i) + ".png";
    const std::vector<FileURL> given = files(names);
    TempDir tools, none;
    testing::writeScript(tools / "ffmpeg", "echo $$ >> '" + (tools / "pids").string() +
                                               "'\nfor last; do :; done\nprintf partial > \"$last\"\n"
                                               "echo frame=1\nexec /bin/sleep 30\n");
    testing::ScopedToolPath scope(tools.path());
    model = std::make_unique<SeamModel>(&services);  // looks for ffmpeg now
    std::vector<pid_t> started;
    const auto running = [&] {
        std::istringstream in(testing::readFile(tools / "pids"));
        started.clear();
        for (pid_t pid; in >> pid;) started.push_back(pid);
        return std::count_if(started.begin(), started.end(), [](pid_t pid) { return ::kill(pid, 0) == 0; });
    };
    {
        testing::ScopedToolPath missing(none.path());  // probing needs no ffmpeg; the thumbnail does
        model->add({given[0], given[1]});
        ASSERT_TRUE(settle());
    }
    model->setThumbnailTimeLimit(std::chrono::milliseconds(300));
    model->add({given[2]});
    ASSERT_TRUE(settle(10000));
    EXPECT_EQ(running(), 0);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_TRUE(model->thumbs().empty());
    const FileURL folder = model->thumbnailFolder().toStdString();
    EXPECT_TRUE(filesIn(folder).empty());

    const auto before = filesIn(work.path());
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(model->canMerge()) << round;
        model->runMerge();
        ASSERT_TRUE(
            testing::waitFor([&] { return model->progress() > 0 || filesIn(work.path()) != before; }, 10000));
        if (round == 0) {  // a file added meanwhile is the next merge's; the status stays the job's
            model->add({given[3]});
            ASSERT_TRUE(testing::waitFor([&] { return model->clips().size() == 4; }, 10000));
            EXPECT_TRUE(model->status() == kMergingStatus && model->nextMergeDiffers());
            EXPECT_EQ(model->mergeTarget()->out, work / "part.mov");
        }
        model->cancelMerge();
        EXPECT_TRUE(model->stopping() && model->status() == kStoppingStatus);
        ASSERT_TRUE(settle());
        EXPECT_EQ(model->status(), "합치기를 취소했습니다");
        EXPECT_TRUE(!model->running() && !model->stopping() && model->statusIsError() &&
                    model->done().empty() && !model->lastResult() && model->progress() == 0);
        EXPECT_EQ(filesIn(work.path()), before) << round;
        EXPECT_EQ(running(), 0) << round;
    }
    const std::size_t merges = started.size();
    model->setThumbnailTimeLimit(std::chrono::seconds(30));
    model->add({given.begin() + 4, given.end()});
    ASSERT_TRUE(
        testing::waitFor([&] { return model->clips().size() == given.size() && running() > 0; }, 10000));
    QElapsedTimer clock;
    clock.start();
    model.reset();
    EXPECT_LT(clock.elapsed(), 3000) << "each hanging ffmpeg would hold the process 30 s";
    EXPECT_EQ(running(), 0);
    EXPECT_LT(started.size(), merges + shots) << "queued thumbnails were started anyway";
    EXPECT_FALSE(std::filesystem::exists(folder));
}

// While the first thumbnails are made, the cards put on screen are next, ahead of those queued before them.
// Each stand-in ffmpeg notes its clip and waits to be let go, so one thread at a time comes free.
TEST_F(AppModelTest, ThumbnailsOfTheCardsOnScreenComeFirst) {
    TempDir tools;
    testing::writeScript(tools / "ffmpeg", "n=$(basename \"$8\")\necho \"$n\" >> '" +
                                               (tools / "order").string() + "'\nwhile [ ! -e '" +
                                               tools.path().string() +
                                               "'/\"$n.go\" ]; do sleep 0.02; done\n");
    testing::ScopedToolPath scope(tools.path());
    const int first = QThread::idealThreadCount();
    std::vector<ClipInfo> cards;
    for (int i = 0; i < first + 4; ++i) cards.push_back(ClipInfo(work / std::to_string(i), {.width = 64}));
    for (const ClipInfo& card : cards) model->makeThumb(card);
    const auto started = [&] {
        std::vector<std::string> lines;
        std::istringstream in(testing::readFile(tools / "order"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    const auto release = [&](int card, std::size_t lines) {
        testing::writeFile(tools / (std::to_string(card) + ".go"), "");
        return testing::waitFor([&] { return started().size() == lines; }, 10000);
    };
    ASSERT_TRUE(testing::waitFor([&] { return int(started().size()) == first; }, 10000));
    model->preferThumbnails({cards.back().id(), cards[std::size_t(first) + 1].id()});
    ASSERT_TRUE(release(0, std::size_t(first) + 1));
    EXPECT_EQ(started().back(), std::to_string(first + 1));
    ASSERT_TRUE(release(first + 1, std::size_t(first) + 2));
    EXPECT_EQ(started().back(), std::to_string(first + 3));
    for (int i = 0; i < int(cards.size()); ++i) testing::writeFile(tools / (std::to_string(i) + ".go"), "");
    ASSERT_TRUE(settle());
    EXPECT_EQ(started().size(), cards.size());
}

}  // namespace
}  // namespace tessellane
