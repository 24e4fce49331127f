// AppModel without background work: fields and signals, derived values, selection, move, choosers.
#include "app/app_model.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "tests/app/app_test_support.h"
#include "tests/support/test_support.h"

namespace tessellane {
namespace {

using testing::FakeServices;
using testing::TempDir;

// Five listed clips A..E in /clips, already "probed" as 1920x1080 H.264.
std::vector<ClipInfo> fiveClips() {
    std::vector<ClipInfo> clips;
    for (const char* name : {"A", "B", "C", "D", "E"})
        clips.push_back(ClipInfo(FileURL("/clips") / (std::string(name) + ".mov"), {.codec = "h264",
                                                                                    .codecTag = "avc1",
                                                                                    .profile = "High",
                                                                                    .width = 1920,
                                                                                    .height = 1080,
                                                                                    .pixFmt = "yuv420p",
                                                                                    .fpsString = "25/1",
                                                                                    .frames = 50,
                                                                                    .duration = 2.0}));
    return clips;
}

std::string names(const std::vector<ClipInfo>& clips) {
    std::string result;
    for (const ClipInfo& clip : clips) result += clip.url().stem().string();
    return result;
}

std::string selectedNames(const AppModel& model) {
    std::string result;
    for (const ClipInfo& clip : model.clips())
        if (model.selected().count(clip.id())) result += clip.url().stem().string();
    return result;
}

class AppModelTest : public ::testing::Test {
  protected:
    FakeServices services;
    AppModel model{&services};

    const Uuid& idOf(char name) {
        for (const ClipInfo& clip : model.clips())
            if (clip.url().stem().string() == std::string(1, name)) return clip.id();
        throw std::runtime_error("no clip " + std::string(1, name));
    }
    std::string anchorName() {
        if (!model.anchor()) return "";
        for (const ClipInfo& clip : model.clips())
            if (clip.id() == *model.anchor()) return clip.url().stem().string();
        return "?";
    }
};

TEST_F(AppModelTest, StartsEmptyWithEmptyDerivedValues) {
    EXPECT_TRUE(model.clips().empty());
    EXPECT_TRUE(model.selected().empty());
    EXPECT_TRUE(model.suffix().isEmpty());
    EXPECT_FALSE(model.customOutDir());
    EXPECT_EQ(model.progress(), 0.0);
    EXPECT_FALSE(model.running());
    EXPECT_TRUE(model.status().isEmpty());
    EXPECT_FALSE(model.statusIsError());
    EXPECT_FALSE(model.lastResult());
    EXPECT_TRUE(model.done().empty());
    EXPECT_TRUE(model.thumbs().empty());
    EXPECT_FALSE(model.anchor());
    EXPECT_FALSE(model.ffmpegMissing());  // the suite needs the real ffmpeg

    EXPECT_TRUE(model.urls().empty());
    EXPECT_TRUE(model.fileName().isEmpty());
    EXPECT_EQ(model.totalWidth(), 0);
    EXPECT_EQ(model.outHeight(), 0);
    EXPECT_EQ(model.codecSummary(), "-");
    EXPECT_FALSE(model.outDir());
    EXPECT_FALSE(model.outURL());
    EXPECT_FALSE(model.outputExists());
    EXPECT_FALSE(model.canMerge());
}

TEST_F(AppModelTest, EveryAssignmentAnnouncesItselfOnceEvenWithoutChange) {
    QSignalSpy any(&model, &AppModel::changed);
    struct Case {
        const char* field;
        void (AppModel::*signal)();
        std::function<void()> assign;
    };
    const std::vector<Case> cases = {
        {"clips", &AppModel::clipsChanged, [&] { model.setClips({}); }},
        {"selected", &AppModel::selectedChanged, [&] { model.setSelected({}); }},
        {"suffix", &AppModel::suffixChanged, [&] { model.setSuffix(""); }},
        {"customOutDir", &AppModel::customOutDirChanged, [&] { model.setCustomOutDir(std::nullopt); }},
        {"progress", &AppModel::progressChanged, [&] { model.setProgress(0); }},
        {"running", &AppModel::runningChanged, [&] { model.setRunning(false); }},
        {"status", &AppModel::statusChanged, [&] { model.setStatus(""); }},
        {"statusIsError", &AppModel::statusIsErrorChanged, [&] { model.setStatusIsError(false); }},
        {"lastResult", &AppModel::lastResultChanged, [&] { model.setLastResult(std::nullopt); }},
        {"done", &AppModel::doneChanged, [&] { model.setDone({}); }},
        {"thumbs", &AppModel::thumbsChanged, [&] { model.setThumbs({}); }},
    };
    int expectedAny = 0;
    for (const Case& test : cases) {
        QSignalSpy own(&model, test.signal);
        test.assign();
        test.assign();
        EXPECT_EQ(own.count(), 2) << test.field;
        expectedAny += 2;
        EXPECT_EQ(any.count(), expectedAny) << test.field;
    }
    // The anchor is not observed.
    model.setAnchor(Uuid::random());
    EXPECT_EQ(any.count(), expectedAny);
}

TEST_F(AppModelTest, DerivedValuesFollowTheListAndSettings) {
    std::vector<ClipInfo> clips = fiveClips();
    clips[1].width = 1280;
    clips[0].codec = "prores";
    clips[0].codecTag = "apch";
    model.setClips(clips);
    model.setSuffix("_wide");
    EXPECT_EQ(model.urls().size(), 5u);
    EXPECT_EQ(model.fileName(), "_wide.mov");  // A, B, ... share no leading part
    EXPECT_EQ(model.totalWidth(), 4 * 1920 + 1280);
    EXPECT_EQ(model.outHeight(), 1080);
    EXPECT_EQ(model.codecSummary(), "ProRes 422 HQ");
    EXPECT_EQ(model.outDir(), FileURL("/clips"));
    EXPECT_EQ(model.outURL(), FileURL("/clips/_wide.mov"));

    // The first clip decides the folder, so reordering can move the output.
    clips[1] = ClipInfo("/other/B.mov", {.codec = "h264",
                                         .codecTag = "avc1",
                                         .profile = "High",
                                         .width = 1280,
                                         .height = 1080,
                                         .pixFmt = "yuv420p",
                                         .fpsString = "25/1",
                                         .frames = 50,
                                         .duration = 2.0});
    model.setClips(clips);
    model.move({1}, 0);
    EXPECT_EQ(model.outDir(), FileURL("/other"));

    model.setCustomOutDir(FileURL("/elsewhere"));
    EXPECT_EQ(model.outURL(), FileURL("/elsewhere/_wide.mov"));
}

TEST_F(AppModelTest, CustomFolderWithoutClipsNamesTheFolderItself) {
    TempDir dir;
    model.setCustomOutDir(dir.path());
    EXPECT_EQ(model.outURL(), dir.path());
    EXPECT_TRUE(model.outputExists());
    model.setCustomOutDir(dir / "missing");
    EXPECT_FALSE(model.outputExists());
}

TEST_F(AppModelTest, OutputExistsForAnyObjectAtThePathEvenADanglingLink) {
    TempDir dir;
    std::vector<ClipInfo> clips = {ClipInfo(dir / "cam 1.mov"), ClipInfo(dir / "cam 2.mov")};
    model.setClips(clips);
    const FileURL out = *model.outURL();
    ASSERT_EQ(out, dir / "cam.mov");
    EXPECT_FALSE(model.outputExists());
    std::filesystem::create_symlink(dir / "nowhere", out);  // writing through it would create a file
    EXPECT_TRUE(model.outputExists());
    std::filesystem::remove(out);
    std::filesystem::create_directory(out);
    EXPECT_TRUE(model.outputExists());
}

TEST_F(AppModelTest, MakeThumbStartsNothingForAClipThatFailedToProbe) {
    ClipInfo broken("/nowhere/x.mov");
    broken.error = "읽을 수 없음";
    model.makeThumb(broken);
    EXPECT_EQ(model.pendingTasks(), 0);
    EXPECT_TRUE(model.thumbnailFolder().isEmpty()) << "not even the folder is made";
}

TEST_F(AppModelTest, SuffixIsInvalidOnlyWithSlashOrColon) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},       {"_x", false}, {" with spaces ", false},
        {"한글·…", false}, {"a/b", true}, {"/", true},
        {"a:b", true},     {":", true},   {"\\", false},
    };
    for (auto [suffix, invalid] : cases) {
        model.setSuffix(QString::fromUtf8(suffix));
        EXPECT_EQ(model.suffixInvalid(), invalid) << suffix;
    }
}

// One click: modifiers held, clicked clip, then the expected selection and anchor.
struct Click {
    Qt::KeyboardModifiers held;
    char target;
    std::string selected;
    std::string anchor;
};

constexpr Qt::KeyboardModifiers kPlain = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCommand = Qt::ControlModifier;
const Qt::KeyboardModifiers kShiftCommand = Qt::ShiftModifier | Qt::ControlModifier;

TEST_F(AppModelTest, ClickSelectionRules) {
    struct Sequence {
        const char* name;
        std::vector<Click> clicks;
    };
    const std::vector<Sequence> sequences = {
        {"plain click replaces", {{kPlain, 'B', "B", "B"}, {kPlain, 'D', "D", "D"}}},
        {"shift range from the anchor, anchor stays",
         {{kPlain, 'B', "B", "B"},
          {kShift, 'D', "BCD", "B"},
          {kShift, 'A', "AB", "B"},
          {kShift, 'B', "B", "B"}}},
        {"command toggles and moves the anchor",
         {{kPlain, 'B', "B", "B"},
          {kCommand, 'D', "BD", "D"},
          {kCommand, 'B', "D", "B"},
          {kShift, 'E', "BCDE", "B"}}},
        {"shift+command adds the range",
         {{kPlain, 'A', "A", "A"}, {kCommand, 'E', "AE", "E"}, {kShiftCommand, 'C', "ACDE", "E"}}},
        {"shift without an anchor is a plain click", {{kShift, 'C', "C", "C"}, {kShift, 'E', "CDE", "C"}}},
        {"shift+command without an anchor toggles",
         {{kShiftCommand, 'C', "C", "C"}, {kShiftCommand, 'A', "ABC", "C"}}},
        {"other modifiers are ignored", {{Qt::AltModifier | Qt::MetaModifier, 'C', "C", "C"}}},
    };
    for (const Sequence& sequence : sequences) {
        model.setClips(fiveClips());
        model.setSelected({});
        model.setAnchor(std::nullopt);
        for (const Click& click : sequence.clicks) {
            services.modifiers = click.held;
            model.click(idOf(click.target));
            EXPECT_EQ(selectedNames(model), click.selected) << sequence.name << ", click " << click.target;
            EXPECT_EQ(anchorName(), click.anchor) << sequence.name << ", click " << click.target;
        }
    }
}

TEST_F(AppModelTest, ShiftClickWithAStaleAnchorActsWithoutShift) {
    model.setClips(fiveClips());
    model.click(idOf('B'));
    model.deleteSelected();  // the anchor's clip is gone
    ASSERT_EQ(names(model.clips()), "ACDE");

    services.modifiers = kShift;
    model.click(idOf('D'));
    EXPECT_EQ(selectedNames(model), "D");
    EXPECT_EQ(anchorName(), "D");

    model.clear();
    model.setClips(fiveClips());  // new ids: the anchor no longer names any clip
    services.modifiers = kShiftCommand;
    model.click(idOf('A'));
    model.setAnchor(Uuid::random());
    model.click(idOf('C'));
    EXPECT_EQ(selectedNames(model), "AC");
    EXPECT_EQ(anchorName(), "C");
}

TEST_F(AppModelTest, EachClickIsOneSelectionAssignment) {
    model.setClips(fiveClips());
    QSignalSpy spy(&model, &AppModel::selectedChanged);
    QSignalSpy any(&model, &AppModel::changed);
    model.click(idOf('A'));
    services.modifiers = kShift;
    model.click(idOf('C'));
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(any.count(), 2);
}

TEST_F(AppModelTest, SelectAllSelectsEveryClipAndKeepsTheAnchor) {
    model.selectAll();
    EXPECT_TRUE(model.selected().empty());
    model.setClips(fiveClips());
    model.click(idOf('C'));
    model.selectAll();
    EXPECT_EQ(selectedNames(model), "ABCDE");
    EXPECT_EQ(anchorName(), "C");
}

TEST_F(AppModelTest, DeleteSelectedKeepsOrderAnchorAndThumbs) {
    model.setClips(fiveClips());
    const Uuid b = idOf('B');
    model.setThumb(b, QImage(4, 2, QImage::Format_RGB32));
    model.click(idOf('B'));
    services.modifiers = kCommand;
    model.click(idOf('D'));
    const Uuid d = idOf('D');

    {
        model.setRunning(true);  // a merge is under way
        QSignalSpy any(&model, &AppModel::changed);
        model.deleteSelected();
        EXPECT_EQ(any.count(), 0);
        EXPECT_EQ(names(model.clips()), "ABCDE");
        model.setRunning(false);
    }

    model.deleteSelected();
    EXPECT_EQ(names(model.clips()), "ACE");
    EXPECT_TRUE(model.selected().empty());
    EXPECT_EQ(model.anchor(), d);  // left naming a clip that is gone
    EXPECT_EQ(model.thumbs().count(b), 1u);

    QSignalSpy any(&model, &AppModel::changed);
    model.deleteSelected();  // nothing selected
    EXPECT_EQ(any.count(), 0);
    EXPECT_EQ(names(model.clips()), "ACE");
}

TEST_F(AppModelTest, MoveRules) {
    struct Case {
        const char* name;
        std::string selected;
        std::set<int> from;
        int to;
        std::string expected;
    };
    const Case cases[] = {
        {"one unselected row down", "", {0}, 3, "BCADE"},
        {"one row up", "", {3}, 1, "ADBCE"},
        {"to the end", "", {1}, 5, "ACDEB"},
        {"onto itself", "", {2}, 2, "ABCDE"},
        {"just after itself", "", {2}, 3, "ABCDE"},
        {"several unselected rows keep their order", "", {1, 3}, 0, "BDACE"},
        {"first row selected carries the whole selection", "AC", {0}, 5, "BDEAC"},
        {"selection carried upward", "BE", {4}, 0, "BEACD"},
        {"first dragged row unselected moves only the dragged rows", "AC", {1}, 0, "BACDE"},
        {"only the first dragged row decides", "D", {1, 3}, 5, "ACEBD"},
        {"empty source", "A", {}, 3, "ABCDE"},
        {"source out of range", "", {5}, 0, "ABCDE"},
        {"negative source", "", {-1}, 0, "ABCDE"},
        {"destination past the end", "", {0}, 6, "ABCDE"},
    };
    for (const Case& test : cases) {
        model.setClips(fiveClips());
        std::set<Uuid> selected;
        for (char name : test.selected) selected.insert(idOf(name));
        model.setSelected(selected);
        model.move(test.from, test.to);
        EXPECT_EQ(names(model.clips()), test.expected) << test.name;
        EXPECT_EQ(selectedNames(model).size(), test.selected.size()) << test.name;  // selection follows by id
    }
}

TEST_F(AppModelTest, ClearEmptiesTheListButKeepsSettingsAndHistory) {
    model.setClips(fiveClips());
    model.click(idOf('B'));
    model.setThumb(idOf('B'), QImage(4, 2, QImage::Format_RGB32));
    model.setSuffix("_s");
    model.setCustomOutDir(FileURL("/out"));
    model.setStatus("실패");
    model.setStatusIsError(true);
    model.setProgress(0.5);
    model.setLastResult(FileURL("/out/x.mov"));
    model.setDone({DoneItem("/out/x.mov", "요약")});

    std::vector<std::string> order;
    for (auto [signal, name] : std::vector<std::pair<void (AppModel::*)(), std::string>>{
             {&AppModel::clipsChanged, "clips"},
             {&AppModel::selectedChanged, "selected"},
             {&AppModel::thumbsChanged, "thumbs"},
             {&AppModel::statusChanged, "status"},
             {&AppModel::lastResultChanged, "lastResult"},
             {&AppModel::doneChanged, "done"},
             {&AppModel::suffixChanged, "suffix"}}) {
        QObject::connect(&model, signal, &model, [&order, name] { order.push_back(name); });
    }
    model.clear();
    EXPECT_EQ(order, (std::vector<std::string>{"clips", "selected", "thumbs", "status", "lastResult"}));
    EXPECT_TRUE(model.clips().empty());
    EXPECT_TRUE(model.selected().empty());
    EXPECT_TRUE(model.thumbs().empty());
    EXPECT_TRUE(model.status().isEmpty());
    EXPECT_FALSE(model.lastResult());
    EXPECT_TRUE(model.statusIsError());
    EXPECT_EQ(model.progress(), 0.5);
    EXPECT_EQ(model.suffix(), "_s");
    EXPECT_EQ(model.customOutDir(), FileURL("/out"));
    EXPECT_EQ(model.done().size(), 1u);
    EXPECT_TRUE(model.anchor());
}

TEST_F(AppModelTest, ChooseFolderAsksWithTheSelectLabelAndKeepsCancel) {
    services.folderAnswer = {true, FileURL("/picked")};
    model.chooseFolder();
    ASSERT_EQ(services.folderLabels.size(), 1u);
    EXPECT_EQ(services.folderLabels[0], QString::fromUtf8("선택"));
    EXPECT_EQ(model.customOutDir(), FileURL("/picked"));

    QSignalSpy any(&model, &AppModel::changed);
    services.folderAnswer = {false, FileURL("/ignored")};
    model.chooseFolder();
    EXPECT_EQ(any.count(), 0);
    EXPECT_EQ(model.customOutDir(), FileURL("/picked"));

    services.folderAnswer = {true, std::nullopt};  // confirmed without a folder
    model.chooseFolder();
    EXPECT_FALSE(model.customOutDir());
}

TEST_F(AppModelTest, OpenFilesOffersTheAcceptedKindsAndCancelDoesNothing) {
    QSignalSpy any(&model, &AppModel::changed);
    services.filesAnswer = std::nullopt;
    model.openFiles();
    ASSERT_EQ(services.fileFilters.size(), 1u);
    EXPECT_EQ(services.fileFilters[0], (std::vector<std::string>{"mov", "mp4", "m4v", "png", "jpg", "jpeg",
                                                                 "tif", "tiff", "bmp", "webp"}));
    EXPECT_EQ(model.pendingTasks(), 0);
    EXPECT_EQ(any.count(), 0);
}

TEST_F(AppModelTest, RevealGoesToTheFileManager) {
    model.reveal("/out/x.mov");
    EXPECT_EQ(services.revealed, std::vector<FileURL>{FileURL("/out/x.mov")});
}

TEST(DoneItem, EachRecordGetsItsOwnId) {
    DoneItem a("/o/x.mov", "요약"), b("/o/x.mov", "요약");
    EXPECT_NE(a.id(), b.id());
    EXPECT_EQ(a.url(), FileURL("/o/x.mov"));
    EXPECT_EQ(a.summary(), QString::fromUtf8("요약"));
}

}  // namespace
}  // namespace tessellane
