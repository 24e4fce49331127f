#include "ui/window/settings_column.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app_model.h"
#include "app/qt_text.h"
#include "ui/widgets/choice_button.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/menu_button.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/path_label.h"
#include "ui/widgets/visible_text.h"
#include "ui/window/choosers.h"
#include "ui/words.h"

namespace tessellane {

namespace {

const QString kDash = QStringLiteral("\u2014");  // —

QString orDash(const QString& text) { return text.isEmpty() ? kDash : text; }

// The field look of the suffix: dark, outlined in the tint, the focus ring where the keyboard is.
QString fieldStyle(const QString& widget) {
    return QStringLiteral(
               "%5 { background: %1; color: %3; border: 1px solid %2; border-radius: 2px;"
               " padding: 0px 7px; selection-background-color: %2; selection-color: %3; }"
               " %5:focus { border: 2px solid %4; padding: 0px 6px; }")
        .arg(palette::fieldBG().name(), palette::accent().name(), palette::text().name(),
             palette::focusRing().name(), widget);
}

QString layoutName(Layout layout) {
    return layout == Layout::row      ? words::kRowLayout
           : layout == Layout::column ? words::kColumnLayout
                                      : words::kGridLayout;
}

// What the list's order means on the frame.
QString orderText(Layout layout) {
    return layout == Layout::row      ? words::kRowOrder
           : layout == Layout::column ? words::kColumnOrder
                                      : words::kGridOrder;
}

// What a clip of another size is fitted to, by layout.
QString fitName(Layout layout) {
    return layout == Layout::row      ? words::kFitToHeight
           : layout == Layout::column ? words::kFitToWidth
                                      : words::kFitToCell;
}

// The columns a grid may be given from the menu: up to the clips listed (at least 4, at most 64), and the
// number chosen on the command line if it is larger.
int columnChoices(const AppModel& model) {
    const int listed = static_cast<int>(std::min<std::size_t>(model.clips().size(), 64));
    return std::max({4, listed, model.mergeSettings().columns});
}

QString columnsText(int columns) {
    return columns == 0 ? words::kAutomaticColumns : words::gridColumns(columns);
}

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
    pal.setColor(QPalette::WindowText, palette::accent());
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
    auto* heading = new QLabel(words::kMergeSettings, parent);
    heading->setFont(uiFont(14, QFont::Bold));
    heading->setAlignment(Qt::AlignCenter);
    QPalette headingPalette = heading->palette();
    headingPalette.setColor(QPalette::WindowText, palette::accent());
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
    suffix->setPlaceholderText(words::kSuffixExample);
    suffix->setFont(uiFont(12));
    suffix->setFixedHeight(24);
    suffix->setFrame(false);
    suffix->setStyleSheet(fieldStyle(QStringLiteral("QLineEdit")));
    suffix->setAccessibleName(words::kSuffixSpoken);
    QPalette suffixPalette = suffix->palette();
    suffixPalette.setColor(QPalette::PlaceholderText, palette::dimText());
    suffix->setPalette(suffixPalette);
    return suffix;
}

// Two widgets one above the other, 3 apart: a menu and the line that says more about its choice.
QWidget* stacked(QWidget* top, QWidget* below, QWidget* parent) {
    auto* block = new QWidget(parent);
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(top);
    layout->addWidget(below);
    return block;
}

QLabel* makeAudioNote(QWidget* parent) {
    auto* note = new QLabel(parent);
    note->setObjectName(QStringLiteral("audioNote"));
    note->setFont(uiFont(10));
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    QPalette notePalette = note->palette();
    notePalette.setColor(QPalette::WindowText, palette::dimText());
    note->setPalette(notePalette);
    return note;
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
    order_->setAccessibleName(words::kOrderSpoken);
    addSection(column, words::kOrderTitle, {order_}, false, content);
    buildMergeRows(column, content);
    codec_ = makeBox(content);
    codec_->setAccessibleName(words::kCodecSpoken);
    addSection(column, words::kCodecTitle, {codec_}, false, content);
    buildOutputRows(column, content);
    column->addStretch(1);

    setWidget(content);

    connect(&model_, &AppModel::changed, this, &SettingsColumn::refresh);
    refresh();
}

void SettingsColumn::changeSettings(const std::function<void(MergeSettings&)>& change) {
    MergeSettings settings = model_.mergeSettings();
    change(settings);
    if (settings != model_.mergeSettings()) model_.setMergeSettings(settings);
}

void SettingsColumn::buildMergeRows(QVBoxLayout* column, QWidget* content) {
    buildLayoutRow(column, content);
    buildFitAndRateRows(column, content);
    buildAudioRow(column, content);
}

void SettingsColumn::buildLayoutRow(QVBoxLayout* column, QWidget* content) {
    layout_ = new ChoiceButton(content);
    layout_->setAccessibleName(words::kLayoutSpoken);
    layout_->setChoices([] {
        return std::vector<ChoiceButton::Choice>{
            {layoutName(Layout::row)}, {layoutName(Layout::column)}, {layoutName(Layout::grid)}};
    });
    // Automatic, then 1, 2, ... columns.
    columns_ = new ChoiceButton(content);
    columns_->setAccessibleName(words::kGridColumnsSpoken);
    columns_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    columns_->setFixedWidth(110);
    columns_->setChoices([this] {
        std::vector<ChoiceButton::Choice> choices;
        for (int columns = 0; columns <= columnChoices(model_); ++columns)
            choices.push_back({columnsText(columns)});
        return choices;
    });
    auto* layoutRow = new QWidget(content);
    auto* layoutLine = new QHBoxLayout(layoutRow);
    layoutLine->setContentsMargins(0, 0, 0, 0);
    layoutLine->setSpacing(6);
    layoutLine->addWidget(layout_, 1);
    layoutLine->addWidget(columns_);
    addSection(column, words::kLayoutTitle, {layoutRow}, false, content);
    connect(layout_, &ChoiceButton::chosen, this,
            [this](int chosen) { changeSettings([&](MergeSettings& s) { s.layout = Layout(chosen); }); });
    connect(columns_, &ChoiceButton::chosen, this,
            [this](int chosen) { changeSettings([&](MergeSettings& s) { s.columns = chosen; }); });
}

void SettingsColumn::buildFitAndRateRows(QVBoxLayout* column, QWidget* content) {
    fit_ = new ChoiceButton(content);
    fit_->setAccessibleName(words::kOtherSizesSpoken);
    fit_->setChoices([this] {
        return std::vector<ChoiceButton::Choice>{{words::kLeaveAsIs},
                                                 {fitName(model_.mergeSettings().layout)}};
    });
    addSection(column, words::kSizeTitle, {fit_}, false, content);
    connect(fit_, &ChoiceButton::chosen, this,
            [this](int chosen) { changeSettings([&](MergeSettings& s) { s.fitSizes = chosen == 1; }); });

    rate_ = new ChoiceButton(content);
    rate_->setAccessibleName(words::kOtherRatesSpoken);
    rate_->setChoices([] {
        return std::vector<ChoiceButton::Choice>{{words::kLeaveAsIs}, {words::kConformRates}};
    });
    addSection(column, words::kFrameRateTitle, {rate_}, false, content);
    connect(rate_, &ChoiceButton::chosen, this,
            [this](int chosen) { changeSettings([&](MergeSettings& s) { s.conformRates = chosen == 1; }); });
}

void SettingsColumn::buildAudioRow(QVBoxLayout* column, QWidget* content) {
    // None, or one clip's first audio track; clips without sound are listed but cannot be chosen.
    audio_ = new ChoiceButton(content);
    audio_->setAccessibleName(words::kAudioSpoken);
    audio_->setChoices([this] {
        std::vector<ChoiceButton::Choice> choices = {{words::kNoSound}};
        for (const ClipInfo& clip : model_.clips()) {
            const QString name = visibleText(toQString(clip.name()));
            choices.push_back({clip.hasAudio ? name : words::clipWithoutSound(name), clip.hasAudio});
        }
        return choices;
    });
    audioNote_ = makeAudioNote(content);
    addSection(column, words::kAudioTitle, {stacked(audio_, audioNote_, content)}, false, content);
    connect(audio_, &ChoiceButton::chosen, this, [this](int chosen) {
        const auto& clips = model_.clips();
        if (chosen == 0) return model_.setAudioClip(std::nullopt);
        if (chosen <= static_cast<int>(clips.size()))
            model_.setAudioClip(clips[std::size_t(chosen - 1)].id());
    });
}

void SettingsColumn::buildOutputRows(QVBoxLayout* column, QWidget* content) {
    // The folder's menu: the source's folder, or one chosen in the folder chooser.
    folderMenu_ = new MenuButton(content);
    sameAsSource_ = folderMenu_->menu()->addAction(words::kSourceFolder);
    chooseFolder_ = folderMenu_->menu()->addAction(words::kChooseFolder);
    folderPath_ = new PathLabel(content);
    addSection(column, words::kOutputFolderTitle, {stacked(folderMenu_, folderPath_, content)}, false,
               content);
    connect(sameAsSource_, &QAction::triggered, this, [this] { model_.setCustomOutDir(std::nullopt); });
    connect(chooseFolder_, &QAction::triggered, this, [this] { chooseOutputFolder(model_); });

    baseName_ = makeBox(content);
    baseName_->setAccessibleName(words::kBaseNameSpoken);
    addSection(column, words::kBaseNameTitle, {baseName_}, false, content);

    suffix_ = makeSuffixField(content);
    addSection(column, words::kSuffixTitle, {suffix_}, false, content);
    // Every keystroke goes to the model at once; there is nothing to confirm.
    connect(suffix_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text != model_.suffix()) model_.setSuffix(text);
    });

    fileName_ = makeBox(content);
    fileName_->setAccessibleName(words::kFileNameSpoken);
    addSection(column, words::kFileNameTitle, {fileName_}, true, content);
}

QList<QWidget*> SettingsColumn::focusChain() const {
    return {layout_, columns_, fit_, rate_, audio_, folderMenu_, suffix_};
}

void SettingsColumn::refreshMergeRows() {
    const MergeSettings& settings = model_.mergeSettings();
    const MergePlan& plan = model_.plan();
    const bool grid = settings.layout == Layout::grid;
    layout_->setCurrent(static_cast<int>(settings.layout));
    layout_->setText(grid && !model_.clips().empty()
                         ? words::gridShape(plan.geometry.columns, plan.geometry.rows)
                         : layoutName(settings.layout));
    columns_->setVisible(grid);
    columns_->setCurrent(settings.columns);
    columns_->setText(columnsText(settings.columns));
    fit_->setCurrent(settings.fitSizes ? 1 : 0);
    fit_->setText(settings.fitSizes ? fitName(settings.layout) : words::kLeaveAsIs);
    rate_->setCurrent(settings.conformRates ? 1 : 0);
    rate_->setText(settings.conformRates ? words::kConformRates : words::kLeaveAsIs);

    const auto& clips = model_.clips();
    const auto chosen = std::find_if(clips.begin(), clips.end(),
                                     [&](const ClipInfo& clip) { return clip.id() == model_.audioClip(); });
    const bool listed = chosen != clips.end();
    audio_->setCurrent(listed ? static_cast<int>(chosen - clips.begin()) + 1 : 0);
    audio_->setText(listed ? visibleText(toQString(chosen->name())) : words::kNoSound);
    audioNote_->setText(plan.audio ? toQString(plan.audio->description) : kDash);
    for (ChoiceButton* button : {layout_, columns_, fit_, rate_, audio_}) button->update();
}

void SettingsColumn::refresh() {
    const bool hasClips = !model_.clips().empty();
    order_->setFullText(hasClips ? orderText(model_.mergeSettings().layout) : kDash);
    refreshMergeRows();
    codec_->setFullText(hasClips ? words::sameCodecAs(model_.codecSummary(),
                                                      QString::fromStdString(model_.clips().front().pixFmt))
                                 : words::kSameCodec);
    folderMenu_->setText(model_.customOutDir() ? words::kChosenFolder : words::kSourceFolder);
    folderMenu_->update();
    const auto outDir = model_.outDir();
    folderPath_->setText(outDir ? QString::fromStdString(outDir->string()) : kDash);
    folderMenu_->setAccessibleName(model_.customOutDir() ? words::chosenFolderSpoken(folderPath_->text())
                                                         : words::kSourceFolderSpoken);
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
        nextNote_->setText(words::nextMergeNote(visibleText(writing)));
    }
    nextNote_->setVisible(next);
}

}  // namespace tessellane
