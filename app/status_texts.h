// The texts the model puts in the status line while a merge runs or stops, and when one fails without
// a reason of its own.
#pragma once

#include <QString>

namespace tessellane {

inline const QString kMergingStatus = QStringLiteral("합치는 중…");
inline const QString kStoppingStatus = QStringLiteral("멈추는 중…");
inline const QString kUnknownMergeFailure = QStringLiteral("알 수 없는 오류로 합치지 못했습니다.");

}  // namespace tessellane
