#include "ui/window/validation_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app_model.h"
#include "app/qt_text.h"
#include "engine/merge/tools.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/tool_button.h"
#include "ui/widgets/visible_text.h"
#include "ui/words.h"

namespace tessellane {

namespace {

const QString kBlockPrefix = QStringLiteral("\u2715 ");       // ✕
const QString kOkPrefix = QStringLiteral("\u2713 ");          // ✓
const QString kWarnPrefix = QStringLiteral("\u26A0\uFE0E ");  // ⚠︎ in text presentation
const QString kNotePrefix = QStringLiteral("\u2139\uFE0E ");  // ℹ︎

QString fromStd(const std::string& s) { return QString::fromStdString(s); }
QString nameOf(const FileURL& file) { return visibleText(toQString(file.filename().string())); }

void setColour(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    widget->setPalette(pal);
}

QLabel* rowLabel(const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    setLabelText(label, text);
    label->setWordWrap(true);
    label->setFont(uiFont(11));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setColour(label, colour);
    return label;
}

ToolButton* smallButton(const QString& text, QWidget* parent) {
    auto* button = new ToolButton(text, parent);
    button->setFont(uiFont(11));
    return button;
}

QString reasonText(RefusalReason reason) {
    switch (reason) {
        case RefusalReason::unsupported:
            return words::kRefusedUnsupported;
        case RefusalReason::alreadyListed:
            return words::kRefusedAlreadyListed;
        case RefusalReason::notFound:
            return words::kRefusedNotFound;
        case RefusalReason::nothingInFolder:
            return words::kRefusedNothingInFolder;
        case RefusalReason::subfolder:
            return words::kRefusedSubfolder;
        case RefusalReason::unreadable:
            return words::kRefusedUnreadable;
    }
    return {};
}

// A folder's name ends in "/", so that it reads as a folder.
QString refusedName(const Refusal& refusal) {
    FileURL path = refusal.path;
    if (path.filename().empty() && path.has_parent_path() && path.parent_path() != path)
        path = path.parent_path();  // "clips/" names the folder "clips"
    const QString name = path.filename().empty() ? toQString(path.string()) : nameOf(path);
    return visibleText(name) + (refusal.folder && !name.endsWith('/') ? "/" : "");
}

constexpr RefusalReason kReasonsInOrder[] = {RefusalReason::unsupported, RefusalReason::alreadyListed,
                                             RefusalReason::notFound,    RefusalReason::nothingInFolder,
                                             RefusalReason::subfolder,   RefusalReason::unreadable};

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) delete widget;
        if (QLayout* child = item->layout()) clearLayout(child);
        delete item;
    }
}

}  // namespace

std::vector<ValidationRow> validationRows(const AppModel& model) {
    std::vector<ValidationRow> rows;
    if (model.ffmpegMissing()) {
        rows.push_back({kWarnPrefix + fromStd(tool_search::missingFFmpegMessage()), palette::danger()});
    }
    if (model.clips().empty()) return rows;
    const Validation& validation = model.validation();
    for (const std::string& message : validation.blocking) {
        rows.push_back({kBlockPrefix + fromStd(message), palette::danger()});
    }
    // What else is found before ffmpeg would be: a frame beyond the encoder, a name nothing writes, a folder
    // that is gone or not writable, a name its file system refuses.
    const MergePlan& plan = model.plan();
    for (const auto& problem :
         {plan.sizeProblem, plan.nameProblem, plan.writerProblem, model.outputPlaceProblem()})
        if (problem) rows.push_back({kBlockPrefix + fromStd(*problem), palette::danger()});
    for (const std::string& message : validation.warnings) {
        rows.push_back({kWarnPrefix + fromStd(message), palette::warn()});
    }
    if (model.outputExists()) {
        if (auto input = model.outputIsAnInput()) {
            rows.push_back({kBlockPrefix + words::outputIsAnInput(nameOf(*input)), palette::danger()});
        } else if (model.outputWrittenHere()) {
            // Not a fault: the name is taken by what this window has just made.
            rows.push_back({kNotePrefix + words::kOutputWrittenHere, palette::dimText()});
        } else {
            rows.push_back({kBlockPrefix + words::kOutputExists, palette::danger()});
        }
    }
    if (plan.suffixProblem) rows.push_back({kBlockPrefix + fromStd(*plan.suffixProblem), palette::danger()});
    return rows;
}

std::optional<StatusRow> statusRow(const AppModel& model) {
    if (model.status().isEmpty()) return std::nullopt;
    const auto& target = model.mergeTarget();
    if (model.running()) {
        // In progress is not yet a success: no check mark, and the file being written named below.
        return StatusRow{model.status(), model.stopping() ? palette::dimText() : palette::accent(),
                         target ? visibleText(toQString(target->out.string())) : QString(), false};
    }
    if (model.statusIsError()) return StatusRow{kBlockPrefix + model.status(), palette::danger(), {}, false};
    if (const auto& written = model.lastResult()) {
        return StatusRow{kOkPrefix + nameOf(*written) + " · " + model.status(), palette::accent(),
                         visibleText(toQString(written->parent_path().string())), true};
    }
    return StatusRow{kOkPrefix + model.status(), palette::accent(), {}, false};
}

QString refusedText(const AppModel& model) {
    const std::vector<Refusal>& refused = model.refused();
    if (refused.empty()) return {};
    constexpr std::size_t kNamesPerReason = 3;
    QStringList groups;
    for (RefusalReason reason : kReasonsInOrder) {
        QStringList names;
        std::size_t count = 0;
        for (const Refusal& refusal : refused)
            if (refusal.reason == reason && count++ < kNamesPerReason) names << refusedName(refusal);
        if (count == 0) continue;
        QString group = reasonText(reason) + ": " + names.join(", ");
        if (count > kNamesPerReason) group += ' ' + words::andMore(count - kNamesPerReason);
        groups << group;
    }
    return words::notAdded(refused.size(), groups.join(" · "));
}

QString refusedDetail(const AppModel& model) {
    constexpr std::size_t kLines = 40;  // a tooltip taller than the screen shows nothing more
    const std::vector<Refusal>& refused = model.refused();
    QStringList lines;
    for (std::size_t i = 0; i < refused.size() && i < kLines; ++i)
        lines << refusedName(refused[i]) + ": " + reasonText(refused[i].reason);
    if (refused.size() > kLines) lines << "… " + words::andMore(refused.size() - kLines);
    return lines.join('\n');
}

QString undoText(const AppModel& model) {
    const std::size_t removed = model.undoableRemoval();
    if (removed == 0) return {};
    return words::removedFromList(removed);
}

ValidationBox::ValidationBox(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 4, 10, 4);
    column->setSpacing(3);
    setFont(uiFont(11));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    column->addWidget(buildRowsScroll());
    refusedLabel_ = rowLabel({}, palette::warn(), this);
    refusedLabel_->setObjectName(QStringLiteral("refusedText"));
    column->addWidget(refusedLabel_);
    column->addWidget(buildUndoLine());
    column->addWidget(buildStatusLine());

    // Any change; the rows are rebuilt only when their texts differ, so a progress tick costs little.
    connect(&model_, &AppModel::changed, this, &ValidationBox::refresh);
    refresh();
}

QScrollArea* ValidationBox::buildRowsScroll() {
    rowsScroll_ = new QScrollArea(this);
    rowsScroll_->setFrameShape(QFrame::NoFrame);
    rowsScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rowsScroll_->setWidgetResizable(true);
    // The same rows are on the cards, which the keyboard reaches; the Tab order stays as it is.
    rowsScroll_->setFocusPolicy(Qt::NoFocus);
    rowsScroll_->viewport()->setAutoFillBackground(false);
    rowsBox_ = new QWidget(rowsScroll_);
    rowsBox_->setAutoFillBackground(false);
    auto* rows = new QVBoxLayout(rowsBox_);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(3);
    rowsScroll_->setWidget(rowsBox_);
    return rowsScroll_;
}

QWidget* ValidationBox::buildUndoLine() {
    undoLine_ = new QWidget(this);
    auto* undo = new QHBoxLayout(undoLine_);
    undo->setContentsMargins(0, 0, 0, 0);
    undoLabel_ = rowLabel({}, palette::dimText(), undoLine_);
    undoLabel_->setObjectName(QStringLiteral("undoText"));
    undoButton_ = smallButton(words::kUndoRemoval, undoLine_);
    undoButton_->setObjectName(QStringLiteral("undoRemoval"));
    undoButton_->setAccessibleName(words::kUndoRemovalSpoken);
    undo->addWidget(undoLabel_, 1, Qt::AlignVCenter);
    undo->addWidget(undoButton_, 0, Qt::AlignVCenter);
    connect(undoButton_, &QAbstractButton::clicked, this, [this] { model_.undoRemoval(); });
    return undoLine_;
}

QWidget* ValidationBox::buildStatusLine() {
    statusLine_ = new QWidget(this);
    auto* status = new QHBoxLayout(statusLine_);
    status->setContentsMargins(0, 0, 0, 0);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    statusText_ = rowLabel({}, palette::accent(), statusLine_);
    statusText_->setObjectName(QStringLiteral("statusText"));
    statusWhere_ = new ElidedLabel(statusLine_);
    statusWhere_->setObjectName(QStringLiteral("statusWhere"));
    statusWhere_->setFont(uiFont(10));
    statusWhere_->setTextColor(palette::dimText());
    texts->addWidget(statusText_);
    texts->addWidget(statusWhere_);
    status->addLayout(texts, 1);
    revealButton_ = smallButton(words::kRevealLastResult, statusLine_);
    revealButton_->setObjectName(QStringLiteral("revealLastResult"));
    status->addWidget(revealButton_, 0, Qt::AlignVCenter);
    connect(revealButton_, &QAbstractButton::clicked, this, [this] {
        if (model_.lastResult()) model_.reveal(*model_.lastResult());
    });
    return statusLine_;
}

void ValidationBox::refresh() {
    const QString refused = refusedText(model_);
    setLabelText(refusedLabel_, refused.isEmpty() ? QString() : kWarnPrefix + refused);
    refusedLabel_->setToolTip(refusedDetail(model_));
    refusedLabel_->setVisible(!refused.isEmpty());

    const QString undo = undoText(model_);
    undoLabel_->setText(undo);
    undoLine_->setVisible(!undo.isEmpty());

    auto rows = validationRows(model_);
    auto status = statusRow(model_);
    if (built_ && rows == rows_ && status == status_) return;
    const bool first = !built_;
    built_ = true;
    if (first || rows != rows_) {
        rows_ = std::move(rows);
        rebuildRows();
    }
    status_ = std::move(status);
    statusLine_->setVisible(status_.has_value());
    if (!status_) return;
    setLabelText(statusText_, status_->text);
    setColour(statusText_, status_->colour);
    statusWhere_->setFullText(status_->where);
    statusWhere_->setVisible(!status_->where.isEmpty());
    revealButton_->setVisible(status_->canReveal);
    if (const auto& written = model_.lastResult())
        revealButton_->setAccessibleName(words::kRevealLastResult + ": " + nameOf(*written));
}

void ValidationBox::rebuildRows() {
    auto* column = static_cast<QVBoxLayout*>(rowsBox_->layout());
    clearLayout(column);
    for (const ValidationRow& row : rows_) {
        QLabel* label = rowLabel(row.text, row.colour, rowsBox_);
        column->addWidget(label);
        label->show();  // at once, not when the layout gets round to it
    }
    rowsScroll_->setVisible(!rows_.empty());
    fitRows();
}

void ValidationBox::fitRows() {
    constexpr int kShownLines = 8;
    const int lineHeight = QFontMetrics(uiFont(11)).lineSpacing() + rowsBox_->layout()->spacing();
    const int width = std::max(1, contentsRect().width() - 20);
    QLayout* rows = rowsBox_->layout();
    const int needed = rows->hasHeightForWidth() ? rows->heightForWidth(width) : rows->sizeHint().height();
    rowsScroll_->setFixedHeight(std::min(needed, kShownLines * lineHeight));
}

void ValidationBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitRows();  // a narrower box wraps the rows onto more lines
}

}  // namespace tessellane
