// The window's texts that name the desktop, the choosers, the notices and the question on quitting: kept
// together so that the window speaks with one voice.
#pragma once

#include <QString>

namespace tessellane::words {

// The file manager, and the help under the empty list.
inline const QString kRevealLastResult = QStringLiteral("파일 관리자에서 보기");
inline const QString kRevealOutput = QStringLiteral("파일 관리자");
inline const QString kEmptyListHelp = QStringLiteral(
    "이름순 자동 정렬 · Ctrl·Shift+클릭 다중선택 · Ctrl+A 전체 · 드래그로 순서 변경 · Delete로 삭제");

// Titles of the two choosers, the folder chooser's confirm button, and the file chooser's filter that
// shows everything.
inline const QString kAddFilesTitle = QStringLiteral("파일 추가");
inline const QString kChooseFolderTitle = QStringLiteral("출력 폴더 선택");
inline const QString kChooseFolderConfirm = QStringLiteral("선택");
inline const QString kAllFilesFilter = QStringLiteral("모든 파일 (*)");

// The notice shown when the desktop cannot show or open a file.
inline const QString kRevealFailed = QStringLiteral("파일 관리자를 열 수 없습니다");
inline const QString kOpenFailed = QStringLiteral("이 파일을 열 프로그램을 찾지 못했습니다");
inline const QString kFileIsHere = QStringLiteral("파일은 여기에 있습니다:");
inline const QString kCopyPath = QStringLiteral("경로 복사");
inline const QString kClose = QStringLiteral("닫기");

// The merge-job controls and the question asked when the window closes during a merge.
inline const QString kCancelMerge = QStringLiteral("취소");
inline const QString kQuitDuringMergeQuestion = QStringLiteral("합치는 중입니다. 합치기를 멈추고 끝낼까요?");
inline const QString kQuitDuringMergeDetail =
    QStringLiteral("멈추면 만들던 파일은 지워지고, 출력 폴더는 그대로 남습니다.");
inline const QString kStopAndQuit = QStringLiteral("멈추고 끝내기");
inline const QString kKeepMerging = QStringLiteral("계속 합치기");

// Small words of the widgets: the copy item of a label's menu, a still's card.
inline const QString kCopy = QStringLiteral("복사");
inline const QString kStillImage = QStringLiteral("이미지");

}  // namespace tessellane::words
