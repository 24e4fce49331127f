#include "ui/window/validation_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_model.h"
#include "engine/merge/tools.h"
#include "ui/shell/words.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"

namespace tessellane {

namespace {

const QString kBlockPrefix = QStringLiteral("\u2715 ");       // ✕
const QString kOkPrefix = QStringLiteral("\u2713 ");          // ✓
const QString kWarnPrefix = QStringLiteral("\u26A0\uFE0E ");  // ⚠︎ in text presentation

QString fromStd(const std::string& s) { return QString::fromStdString(s); }

QLabel* rowLabel(const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    setLabelText(label, text);
    label->setWordWrap(true);
    label->setFont(uiFont(11));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
    return label;
}

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) delete widget;
        if (QLayout* child = item->layout()) {
            clearLayout(child);
        }
        delete item;
    }
}

}  // namespace

std::vector<ValidationRow> validationRows(const AppModel& model) {
    std::vector<ValidationRow> rows;
    if (model.ffmpegMissing()) {
        rows.push_back({kWarnPrefix + fromStd(Tools::missingFFmpegMessage()), palette::danger()});
    }
    if (model.clips().empty()) return rows;
    const Validation validation = model.validation();
    for (const std::string& message : validation.blocking) {
        rows.push_back({kBlockPrefix + fromStd(message), palette::danger()});
    }
    for (const std::string& message : validation.warnings) {
        rows.push_back({kWarnPrefix + fromStd(message), palette::warn()});
    }
    if (model.outputExists()) {
        rows.push_back({kBlockPrefix + QStringLiteral("같은 이름의 파일이 이미 있습니다 — 접미사를 바꾸세요"),
                        palette::danger()});
    }
    if (model.suffixInvalid()) {
        rows.push_back({kBlockPrefix + QStringLiteral("접미사에 / : 는 쓸 수 없습니다"), palette::danger()});
    }
    return rows;
}

std::optional<StatusRow> statusRow(const AppModel& model) {
    if (model.status().isEmpty()) return std::nullopt;
    if (model.statusIsError()) return StatusRow{kBlockPrefix + model.status(), palette::danger(), false};
    return StatusRow{kOkPrefix + model.status(), palette::cyan(), model.lastResult().has_value()};
}

ValidationBox::ValidationBox(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 4, 10, 4);
    column->setSpacing(3);
    setFont(uiFont(11));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    // Every field the rows depend on; progress ticks are deliberately not among them.
    for (auto signal : {&AppModel::clipsChanged, &AppModel::suffixChanged, &AppModel::customOutDirChanged,
                        &AppModel::statusChanged, &AppModel::statusIsErrorChanged,
                        &AppModel::lastResultChanged, &AppModel::doneChanged, &AppModel::runningChanged}) {
        connect(&model_, signal, this, &ValidationBox::refresh);
    }
    refresh();
}

void ValidationBox::refresh() {
    auto rows = validationRows(model_);
    auto status = statusRow(model_);
    if (built_ && rows == rows_ && status == status_) return;
    rows_ = std::move(rows);
    status_ = std::move(status);
    rebuild();
}

void ValidationBox::rebuild() {
    built_ = true;
    auto* column = static_cast<QVBoxLayout*>(layout());
    clearLayout(column);
    for (const ValidationRow& row : rows_) column->addWidget(rowLabel(row.text, row.colour, this));
    if (status_) {
        auto* line = new QHBoxLayout;
        line->setContentsMargins(0, 0, 0, 0);
        auto* text = rowLabel(status_->text, status_->colour, this);
        text->setObjectName(QStringLiteral("statusText"));
        line->addWidget(text, 1, Qt::AlignVCenter);
        if (status_->canReveal) {
            auto* reveal = new QPushButton(words::kRevealLastResult, this);
            reveal->setObjectName(QStringLiteral("revealLastResult"));
            reveal->setFont(uiFont(11));
            reveal->setCursor(Qt::PointingHandCursor);
            reveal->setFocusPolicy(Qt::NoFocus);
            reveal->setFlat(true);
            reveal->setStyleSheet(QStringLiteral("QPushButton { color: %2; background: %1; border: none;"
                                                 " border-radius: 2px; padding: 3px 8px; }")
                                      .arg(palette::buttonBG().name(), palette::text().name()));
            connect(reveal, &QPushButton::clicked, this, [this] {
                if (model_.lastResult()) model_.reveal(*model_.lastResult());
            });
            line->addWidget(reveal, 0, Qt::AlignVCenter);
        }
        column->addLayout(line);
    }
}

}  // namespace tessellane
