// Every text the window shows or speaks: labels, menus, tooltips, notices and what a screen reader says.
// Kept in one place so that the window speaks with one voice and a wording changes in one line. Texts
// built with values are small functions; the panels only choose which one to show.
#pragma once

#include <QString>
#include <cstddef>

namespace tessellane::words {

// The program's name, the title of its window (while nothing is listed) and of its message boxes.
inline const QString kProgramName = QStringLiteral("Tessellane");

// The one line printed instead of a window when no display can be found: it points to the command line.
inline const QString kNoDisplay = QStringLiteral(
    "화면(디스플레이)을 찾을 수 없어 창을 열 수 없습니다 — 창 없이 합치려면: "
    "tessellane --cli <출력폴더> <접미사> <파일들...>");

// The two tabs with their counts, as shown and as spoken.
inline QString filesTab(std::size_t clips) { return QStringLiteral("Files (%1)").arg(clips); }
inline QString queueTab(std::size_t finished) { return QStringLiteral("Queue (%1)").arg(finished); }
inline QString filesTabSpoken(std::size_t clips) { return QStringLiteral("파일 목록 (%1개)").arg(clips); }
inline QString finishedTabSpoken(std::size_t finished) {
    return QStringLiteral("완료된 합본 (%1개)").arg(finished);
}

// The buttons above the lists, as shown and as spoken. Removing a finished merge leaves its file alone.
inline const QString kAddFilesButton = QStringLiteral("\uFF0B 파일 추가");  // ＋
inline const QString kAddFilesSpoken = QStringLiteral("파일 추가");
inline const QString kClearList = QStringLiteral("비우기");
inline const QString kClearListSpoken = QStringLiteral("목록 비우기");
inline const QString kOpenFinished = QStringLiteral("열기");
inline const QString kOpenFinishedSpoken = QStringLiteral("완료된 합본 열기");
inline const QString kRevealFinishedSpoken = QStringLiteral("완료된 합본을 파일 관리자에서 보기");
inline const QString kRemoveFinished = QStringLiteral("목록에서 빼기");
inline const QString kRemoveFinishedSpoken = QStringLiteral("완료된 합본을 목록에서 빼기");
inline const QString kRemoveKeepsFile = QStringLiteral("파일은 지우지 않습니다");

// The empty file list: what to do, and the help below it.
inline const QString kDropHint = QStringLiteral("영상 조각을 여기에 끌어다 놓으세요");
inline const QString kEmptyListHelp = QStringLiteral(
    "이름순 자동 정렬 · Ctrl·Shift+클릭 다중선택 · Ctrl+A 전체 · 드래그로 순서 변경 · Delete로 삭제");

// The file list as a screen reader hears it: the list and its keys, a card's place and state, the
// footer's output, and the mark on the card whose sound the output keeps.
inline const QString kClipListSpoken = QStringLiteral("합칠 파일 목록");
inline const QString kClipListKeys = QStringLiteral(
    "화살표로 이동·선택, Shift+화살표로 범위 선택, Ctrl+Space로 하나씩 선택, Alt+↑↓로 순서 변경");
inline QString clipPositionSpoken(int position) { return QStringLiteral("%1번").arg(position); }
inline const QString kSelectedSpoken = QStringLiteral("선택됨");
inline QString outputFileSpoken(const QString& name, const QString& detail) {
    return QStringLiteral("출력 파일 ") + name + QStringLiteral(", ") + detail;
}
inline const QString kSoundKept = QStringLiteral("\u266A 소리");  // ♪

// The finished list: its name and keys, and what it shows while empty.
inline const QString kFinishedListSpoken = QStringLiteral("완료된 합본 목록");
inline const QString kFinishedListKeys = QStringLiteral("Return으로 열기, Delete로 목록에서 빼기");
inline const QString kNoFinished = QStringLiteral("완료된 합본이 없습니다");

// Showing a file in the file manager: the status line's button, and the finished list's link and button.
inline const QString kRevealLastResult = QStringLiteral("파일 관리자에서 보기");
inline const QString kRevealOutput = QStringLiteral("파일 관리자");

// The preview: its name (shown while nothing is listed), and its mark while it shows the next merge.
inline const QString kPreview = QStringLiteral("미리보기");
inline const QString kNextMergeMark = QStringLiteral("다음 합치기");

// The merge button: its title while idle (with the clips' count) or running, and what it says when spoken.
inline const QString kMergingTitle = QStringLiteral("Merging\u2026");
inline QString mergeFilesTitle(std::size_t clips) { return QStringLiteral("Merge %1 Files").arg(clips); }
inline QString mergeFilesSpoken(std::size_t clips) { return QStringLiteral("파일 %1개 합치기").arg(clips); }

// The merge-job controls and the question asked when the window closes during a merge.
inline const QString kCancelMerge = QStringLiteral("취소");
inline const QString kCancelMergeSpoken = QStringLiteral("합치기 취소");
inline const QString kQuitDuringMergeQuestion = QStringLiteral("합치는 중입니다. 합치기를 멈추고 끝낼까요?");
inline const QString kQuitDuringMergeDetail =
    QStringLiteral("멈추면 만들던 파일은 지워지고, 출력 폴더는 그대로 남습니다.");
inline const QString kStopAndQuit = QStringLiteral("멈추고 끝내기");
inline const QString kKeepMerging = QStringLiteral("계속 합치기");

// The settings column: its heading and the titles of its sections.
inline const QString kMergeSettings = QStringLiteral("Merge Settings");
inline const QString kOrderTitle = QStringLiteral("Order");
inline const QString kCodecTitle = QStringLiteral("Codec");
inline const QString kLayoutTitle = QStringLiteral("Layout");
inline const QString kSizeTitle = QStringLiteral("Size");
inline const QString kFrameRateTitle = QStringLiteral("Frame Rate");
inline const QString kAudioTitle = QStringLiteral("Audio");
inline const QString kOutputFolderTitle = QStringLiteral("Output Folder");
inline const QString kBaseNameTitle = QStringLiteral("Base Name");
inline const QString kSuffixTitle = QStringLiteral("Suffix");
inline const QString kFileNameTitle = QStringLiteral("Filename");

// What a screen reader calls the settings column's boxes, menus and field.
inline const QString kOrderSpoken = QStringLiteral("순서");
inline const QString kCodecSpoken = QStringLiteral("코덱");
inline const QString kLayoutSpoken = QStringLiteral("배치");
inline const QString kGridColumnsSpoken = QStringLiteral("격자의 열 수");
inline const QString kOtherSizesSpoken = QStringLiteral("크기가 다른 파일");
inline const QString kOtherRatesSpoken = QStringLiteral("fps가 다른 파일");
inline const QString kAudioSpoken = QStringLiteral("소리");
inline const QString kBaseNameSpoken = QStringLiteral("기본 이름");
inline const QString kSuffixSpoken = QStringLiteral("파일 이름 접미사");
inline const QString kFileNameSpoken = QStringLiteral("파일 이름");

// The layouts, and what the list's order means on the frame in each.
inline const QString kRowLayout = QStringLiteral("가로로 나란히");
inline const QString kColumnLayout = QStringLiteral("세로로 쌓기");
inline const QString kGridLayout = QStringLiteral("격자");
inline const QString kRowOrder = QStringLiteral("가로 순서 = 목록 순서 (왼쪽 → 오른쪽)");
inline const QString kColumnOrder = QStringLiteral("세로 순서 = 목록 순서 (위 → 아래)");
inline const QString kGridOrder = QStringLiteral("격자 순서 = 목록 순서 (왼쪽 → 오른쪽, 위 → 아래)");

// A grid: its shape once there are clips, and its columns menu (automatic, then a number).
inline QString gridShape(int columns, int rows) {
    return QStringLiteral("%1 — %2열 × %3줄")
        .arg(kGridLayout, QString::number(columns), QString::number(rows));
}
inline const QString kAutomaticColumns = QStringLiteral("열: 자동");
inline QString gridColumns(int columns) { return QStringLiteral("열: %1").arg(columns); }

// Clips of another size or frame rate: left as they are (which stops the merge), or fitted to the first.
inline const QString kLeaveAsIs = QStringLiteral("맞추지 않음 (다르면 합치지 않음)");
inline const QString kFitToHeight = QStringLiteral("첫 파일 높이에 맞춤 (비율 유지)");
inline const QString kFitToWidth = QStringLiteral("첫 파일 너비에 맞춤 (비율 유지)");
inline const QString kFitToCell = QStringLiteral("첫 파일 크기의 칸에 맞춤 (비율 유지)");
inline const QString kConformRates = QStringLiteral("첫 파일 fps로 맞춤");

// The sound menu: none, or a clip by name; a clip without sound is listed but says so.
inline const QString kNoSound = QStringLiteral("없음");
inline QString clipWithoutSound(const QString& name) { return name + QStringLiteral(" — 소리 없음"); }

// The codec line: the output keeps the first clip's codec, named once there are clips.
inline const QString kSameCodec = QStringLiteral("Same as Source");
inline QString sameCodecAs(const QString& codec, const QString& pixelFormat) {
    return QStringLiteral("Same as Source (%1, %2)").arg(codec, pixelFormat);
}

// The output folder's menu, its two items, and what a screen reader says of the folder chosen.
inline const QString kSourceFolder = QStringLiteral("Same as Source");
inline const QString kChosenFolder = QStringLiteral("Custom");
inline const QString kChooseFolder = QStringLiteral("Choose...");
inline const QString kSourceFolderSpoken = QStringLiteral("출력 폴더: 원본과 같은 폴더");
inline QString chosenFolderSpoken(const QString& folder) {
    return QStringLiteral("출력 폴더: 직접 고른 폴더 ") + folder;
}

// The suffix field's example, and the note shown while a merge runs and the settings already differ.
inline const QString kSuffixExample = QStringLiteral("예: _v2");
inline QString nextMergeNote(const QString& writing) {
    return QStringLiteral("다음 합치기 설정입니다 — 지금 합치는 ") + writing +
           QStringLiteral("에는 적용되지 않습니다");
}

// Why a file or folder dropped on the window was not added; a long list names a few and counts the rest.
inline const QString kRefusedUnsupported = QStringLiteral("지원하지 않는 형식");
inline const QString kRefusedAlreadyListed = QStringLiteral("이미 목록에 있음");
inline const QString kRefusedNotFound = QStringLiteral("찾을 수 없음");
inline const QString kRefusedNothingInFolder = QStringLiteral("넣을 파일이 없는 폴더");
inline const QString kRefusedSubfolder = QStringLiteral("하위 폴더");
inline const QString kRefusedUnreadable = QStringLiteral("읽을 수 없음");
inline QString notAdded(std::size_t count, const QString& reasons) {
    return QStringLiteral("%1개를 넣지 않았습니다 — ").arg(count) + reasons;
}
inline QString andMore(std::size_t count) { return QStringLiteral("외 %1개").arg(count); }

// An output name that is already taken: by an input, by what this window just made, or by another file.
inline QString outputIsAnInput(const QString& input) {
    return QStringLiteral("출력 이름이 입력 파일과 같습니다: ") + input +
           QStringLiteral(" — 접미사를 바꾸세요");
}
inline const QString kOutputWrittenHere =
    QStringLiteral("이 이름은 앞서 만든 합본이 쓰고 있습니다 — 새로 합치려면 접미사를 바꾸세요");
inline const QString kOutputExists = QStringLiteral("같은 이름의 파일이 이미 있습니다 — 접미사를 바꾸세요");

// The line that offers to bring back the files just taken off the list.
inline QString removedFromList(std::size_t count) {
    return QStringLiteral("파일 %1개를 목록에서 뺐습니다").arg(count);
}
inline const QString kUndoRemoval = QStringLiteral("되돌리기 (Ctrl+Z)");
inline const QString kUndoRemovalSpoken = QStringLiteral("목록에서 뺀 파일 되돌리기");

// Titles of the two choosers, the folder chooser's confirm button, and the file chooser's filters: the
// files it can add (by their name patterns), and everything.
inline const QString kAddFilesTitle = QStringLiteral("파일 추가");
inline const QString kChooseFolderTitle = QStringLiteral("출력 폴더 선택");
inline const QString kChooseFolderConfirm = QStringLiteral("선택");
inline QString mediaFilesFilter(const QString& patterns) {
    return QStringLiteral("영상·이미지 (%1)").arg(patterns);
}
inline const QString kAllFilesFilter = QStringLiteral("모든 파일 (*)");

// The notice shown when the desktop cannot show or open a file.
inline const QString kRevealFailed = QStringLiteral("파일 관리자를 열 수 없습니다");
inline const QString kOpenFailed = QStringLiteral("이 파일을 열 프로그램을 찾지 못했습니다");
inline const QString kFileIsHere = QStringLiteral("파일은 여기에 있습니다:");
inline const QString kCopyPath = QStringLiteral("경로 복사");
inline const QString kClose = QStringLiteral("닫기");

// The names of the window's keyboard actions (adding, merging, the lists and the tabs).
inline const QString kAddFilesAction = QStringLiteral("파일 추가");
inline const QString kMergeAction = QStringLiteral("합치기");
inline const QString kStopMergeAction = QStringLiteral("합치기 멈추기");
inline const QString kQuitAction = QStringLiteral("끝내기");
inline const QString kSelectAllAction = QStringLiteral("모두 선택");
inline const QString kRemoveFromListAction = QStringLiteral("목록에서 빼기");
inline const QString kUndoRemovalAction = QStringLiteral("되돌리기");
inline const QString kFilesTabAction = QStringLiteral("파일 목록");
inline const QString kFinishedTabAction = QStringLiteral("완료된 합본");
inline const QString kNextTabAction = QStringLiteral("다음 탭");
inline const QString kPreviousTabAction = QStringLiteral("이전 탭");

// Small words of the widgets: the copy item of a label's menu, a still's card.
inline const QString kCopy = QStringLiteral("복사");
inline const QString kStillImage = QStringLiteral("이미지");

}  // namespace tessellane::words
