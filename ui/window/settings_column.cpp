#include "ui/window/settings_column.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/app_model.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/folder_menu_button.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/path_label.h"
#include "ui/widgets/visible_text.h"

namespace tessellane {

namespace {

const QString kDash = QStringLiteral("\u2014");  // —

QString orDash(const QString& text) { return text.isEmpty() ? kDash : text; }

ElidedLabel* makeBox(QWidget* parent) {
    auto* box = new ElidedLabel(parent);
    box->setFont(uiFont(12));
    box->setBoxBackground(palette::fieldBG());
    box->setContentsMargins(8, 0, 8, 0);
    box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    box->setMinimumHeight(24);
    return box;
}

// A titled section: title, content, and (unless last) a divider 10 below the content; 10 below it all.
void addSection(QVBoxLayout* column, const QString& title, const QList<QWidget*>& content, bool last,
                QWidget* parent) {
    auto* section = new QVBoxLayout;
    section->setSpacing(5);
    section->setContentsMargins(0, 0, 0, 10);
    auto* heading = new QLabel(title, parent);
    heading->setFont(uiFont(11));
    QPalette pal = heading->palette();
    pal.setColor(QPalette::WindowText, palette::cyan());
    heading->setPalette(pal);
    section->addWidget(heading);
    for (QWidget* widget : content) section->addWidget(widget);
    if (!last) {
        section->addSpacing(10 - section->spacing());
        auto* divider = new QWidget(parent);
        divider->setFixedHeight(1);
        divider->setAutoFillBackground(true);
        QPalette dividerPalette = divider->palette();
        dividerPalette.setColor(QPalette::Window, palette::divider());
        divider->setPalette(dividerPalette);
        section->addWidget(divider);
    }
    column->addLayout(section);
}

QLabel* makeHeading(QWidget* parent) {
    auto* heading = new QLabel(QStringLiteral("Merge Settings"), parent);
    heading->setFont(uiFont(14, QFont::Bold));
    heading->setAlignment(Qt::AlignCenter);
    QPalette headingPalette = heading->palette();
    headingPalette.setColor(QPalette::WindowText, palette::cyan());
    heading->setPalette(headingPalette);
    heading->setContentsMargins(0, 14, 0, 14);
    return heading;
}

QLabel* makeNextMergeNote(QWidget* parent) {
    auto* note = new QLabel(parent);
    note->setObjectName(QStringLiteral("nextMergeNote"));
    note->setFont(uiFont(11));
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    note->setStyleSheet(QStringLiteral("QLabel { background: %1; color: %2; border-left: 3px solid %2;"
                                       " padding: 6px 8px; margin-bottom: 12px; }")
                            .arg(palette::fieldBG().name(), palette::warn().name()));
    note->hide();
    return note;
}

QLineEdit* makeSuffixField(QWidget* parent) {
    auto* suffix = new QLineEdit(parent);
    suffix->setPlaceholderText(QStringLiteral("예: _v2"));
    suffix->setFont(uiFont(12));
    suffix->setFixedHeight(24);
    suffix->setFrame(false);
    suffix->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %3; border: 1px solid %2;"
                                         " border-radius: 2px; padding: 0px 7px;"
                                         " selection-background-color: %2; selection-color: %3; }"
                                         // Where the keyboard is: the same ring as every other control's.
                                         " QLineEdit:focus { border: 2px solid %4; padding: 0px 6px; }")
                              .arg(palette::fieldBG().name(), palette::cyan().name(), palette::text().name(),
                                   palette::focusRing().name()));
    suffix->setAccessibleName(QStringLiteral("파일 이름 접미사"));
    QPalette suffixPalette = suffix->palette();
    suffixPalette.setColor(QPalette::PlaceholderText, palette::dimText());
    suffix->setPalette(suffixPalette);
    return suffix;
}

}  // namespace

SettingsColumn::SettingsColumn(AppModel& model, QWidget* parent) : QScrollArea(parent), model_(model) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    content->setAutoFillBackground(true);
    QPalette pal = content->palette();
    pal.setColor(QPalette::Window, palette::panelBG());
    content->setPalette(pal);
    setPalette(pal);
    viewport()->setPalette(pal);

    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(14, 0, 14, 0);
    column->setSpacing(0);

    column->addWidget(makeHeading(content));
    nextNote_ = makeNextMergeNote(content);
    column->addWidget(nextNote_);

    order_ = makeBox(content);
    order_->setAccessibleName(QStringLiteral("순서"));
    addSection(column, QStringLiteral("Order"), {order_}, false, content);
    codec_ = makeBox(content);
    codec_->setAccessibleName(QStringLiteral("코덱"));
    addSection(column, QStringLiteral("Codec"), {codec_}, false, content);

    folderMenu_ = new FolderMenuButton(content);
    folderPath_ = new PathLabel(content);
    auto* folderBlock = new QWidget(content);
    auto* folderLayout = new QVBoxLayout(folderBlock);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    folderLayout->setSpacing(3);
    folderLayout->addWidget(folderMenu_);
    folderLayout->addWidget(folderPath_);
    addSection(column, QStringLiteral("Output Folder"), {folderBlock}, false, content);
    connect(folderMenu_, &FolderMenuButton::sameAsSourceChosen, this,
            [this] { model_.setCustomOutDir(std::nullopt); });
    connect(folderMenu_, &FolderMenuButton::chooseRequested, this, [this] { model_.chooseFolder(); });

    baseName_ = makeBox(content);
    baseName_->setAccessibleName(QStringLiteral("기본 이름"));
    addSection(column, QStringLiteral("Base Name"), {baseName_}, false, content);

    suffix_ = makeSuffixField(content);
    addSection(column, QStringLiteral("Suffix"), {suffix_}, false, content);
    // Every keystroke goes to the model at once; there is nothing to confirm.
    connect(suffix_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text != model_.suffix()) model_.setSuffix(text);
    });

    fileName_ = makeBox(content);
    fileName_->setAccessibleName(QStringLiteral("파일 이름"));
    addSection(column, QStringLiteral("Filename"), {fileName_}, true, content);
    column->addStretch(1);

    setWidget(content);

    // runningChanged: when a job ends its output may now exist, which colours the file name.
    for (auto signal : {&AppModel::clipsChanged, &AppModel::suffixChanged, &AppModel::customOutDirChanged,
                        &AppModel::doneChanged, &AppModel::runningChanged}) {
        connect(&model_, signal, this, &SettingsColumn::refresh);
    }
    refresh();
}

QList<QWidget*> SettingsColumn::focusChain() const { return {folderMenu_, suffix_}; }

void SettingsColumn::refresh() {
    const bool hasClips = !model_.clips().empty();
    order_->setFullText(hasClips ? QStringLiteral("가로 순서 = 목록 순서 (왼쪽 → 오른쪽)") : kDash);
    codec_->setFullText(hasClips ? "Same as Source (" + model_.codecSummary() + ", " +
                                       QString::fromStdString(model_.clips().front().pixFmt) + ")"
                                 : QStringLiteral("Same as Source"));
    folderMenu_->setText(model_.customOutDir() ? QStringLiteral("Custom") : QStringLiteral("Same as Source"));
    folderMenu_->update();
    const auto outDir = model_.outDir();
    folderPath_->setText(outDir ? QString::fromStdString(outDir->string()) : kDash);
    folderMenu_->setAccessibleName(QStringLiteral("출력 폴더: ") +
                                   (model_.customOutDir()
                                        ? QStringLiteral("직접 고른 폴더 ") + folderPath_->text()
                                        : QStringLiteral("원본과 같은 폴더")));
    baseName_->setFullText(orDash(model_.baseName()));
    if (suffix_->text() != model_.suffix()) suffix_->setText(model_.suffix());
    fileName_->setFullText(orDash(model_.fileName()));
    // A name taken by an output this window made is no fault of the user's: dim, not red.
    const bool taken = model_.outputExists();
    fileName_->setTextColor(!taken                       ? palette::text()
                            : model_.outputWrittenHere() ? palette::dimText()
                                                         : palette::danger());
    const bool next = model_.nextMergeDiffers();
    if (next) {
        const QString writing = QString::fromStdString(model_.mergeTarget()->out.filename().string());
        nextNote_->setText("다음 합치기 설정입니다 — 지금 합치는 " + visibleText(writing) +
                           "에는 적용되지 않습니다");
    }
    nextNote_->setVisible(next);
}

}  // namespace tessellane
