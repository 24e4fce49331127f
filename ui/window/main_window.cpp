#include "ui/window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/app_model.h"
#include "app/qt_text.h"
#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/merge_button.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/progress_bar.h"
#include "ui/widgets/tab_bar.h"
#include "ui/widgets/tool_button.h"
#include "ui/widgets/visible_text.h"
#include "ui/window/choosers.h"
#include "ui/window/clip_list_model.h"
#include "ui/window/file_list_view.h"
#include "ui/window/preview_pane.h"
#include "ui/window/queue_list.h"
#include "ui/window/settings_column.h"
#include "ui/window/validation_box.h"
#include "ui/window/window_actions.h"
#include "ui/words.h"

namespace tessellane {

namespace {

// Drawn over the whole content while files are dragged over the window; never takes the mouse.
class DropOutline : public QWidget {
  public:
    explicit DropOutline(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        hide();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(palette::accent());
        pen.setWidth(2);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), kCornerRadius, kCornerRadius);
    }
};

// Keeps the outline covering its parent.
class OverlayFollower : public QObject {
  public:
    OverlayFollower(QWidget* overlay, QWidget* parent) : QObject(overlay), overlay_(overlay) {
        parent->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            overlay_->setGeometry(static_cast<QWidget*>(watched)->rect());
            overlay_->raise();
        }
        return false;
    }

  private:
    QWidget* overlay_;
};

QLabel* dimLabel(const QString& text, int size, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(uiFont(size));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, palette::dimText());
    label->setPalette(pal);
    return label;
}

void fill(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
}

bool carriesFiles(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return false;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) return true;
    }
    return false;
}

std::vector<FileURL> localFiles(const QMimeData* mime) {
    std::vector<FileURL> files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
    }
    return files;
}

}  // namespace

QString windowTitleFor(const AppModel& model) {
    // While a merge runs the title is about the file being written, whatever is edited meanwhile.
    if (const auto& target = model.mergeTarget(); model.running() && target) {
        return visibleText(toQString(target->out.filename().string())) + " - " +
               QString::number(target->width) + " x " + QString::number(target->height);
    }
    if (model.clips().empty()) return words::kProgramName;
    return visibleText(model.fileName()) + " - " + QString::number(model.outputWidth()) + " x " +
           QString::number(model.outputHeight());
}

QString mergeButtonTitle(const AppModel& model) {
    if (model.stopping()) return kStoppingStatus;
    if (model.running()) return words::kMergingTitle;
    return words::mergeFilesTitle(model.clips().size());
}

std::pair<int, int> columnWidths(int available) {
    constexpr int kPreviewRoom = 360, kMinLeft = 340, kMinSettings = 300;
    const int lacking = 2 * MainWindow::kColumnWidth + kPreviewRoom - available;
    if (lacking <= 0) return {MainWindow::kColumnWidth, MainWindow::kColumnWidth};
    // Both columns give up half of what is lacking, down to what their rows need; then the preview narrows.
    return {std::max(kMinLeft, MainWindow::kColumnWidth - (lacking + 1) / 2),
            std::max(kMinSettings, MainWindow::kColumnWidth - lacking / 2)};
}

MainWindow::MainWindow(AppModel& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    setMinimumSize(kMinimumSize);
    setAcceptDrops(true);

    auto* root = new QWidget(this);
    fill(root, palette::winBG());
    auto* row = new QHBoxLayout(root);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);  // the window colour shows through as 1-pixel dividers

    left_ = buildLeftColumn();
    left_->setFixedWidth(kColumnWidth);
    row->addWidget(left_);

    settings_ = new SettingsColumn(model_, root);
    settings_->setFixedWidth(kColumnWidth);
    row->addWidget(settings_);

    preview_ = new PreviewPane(model_, root);
    row->addWidget(preview_, 1);

    setCentralWidget(root);
    overlay_ = new DropOutline(root);
    new OverlayFollower(overlay_, root);
    actions_ = new WindowActions(*this, model_);
    setTabOrder();
    // The window opens with the keyboard on no control in particular (no ring until Tab is pressed); Tab
    // then starts at the tabs.
    root->setFocus();

    connect(&model_, &AppModel::changed, this, &MainWindow::refreshControls);
    connect(&model_, &AppModel::changed, this, &MainWindow::refreshLists);
    connect(queue_, &QueueList::chosenChanged, this, &MainWindow::refreshFinishedTools);
    refreshControls();
    refreshLists();
    refreshFinishedTools();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildToolRows(QWidget* parent) {
    toolRows_ = new QStackedWidget(parent);
    auto row = [this](std::initializer_list<ToolButton*> buttons) {
        auto* page = new QWidget(toolRows_);
        auto* tools = new QHBoxLayout(page);
        tools->setContentsMargins(10, 8, 10, 8);
        tools->setSpacing(6);
        for (ToolButton* button : buttons) tools->addWidget(button);
        tools->addStretch(1);
        toolRows_->addWidget(page);
        return page;
    };
    auto button = [parent](const QString& text, const QString& spoken) {
        auto* made = new ToolButton(text, parent);
        made->setAccessibleName(spoken);
        return made;
    };
    // The files tab: adding and emptying.
    addButton_ = button(words::kAddFilesButton, words::kAddFilesSpoken);
    clearButton_ = button(words::kClearList, words::kClearListSpoken);
    row({addButton_, clearButton_});
    connect(addButton_, &QAbstractButton::clicked, this, [this] { addChosenFiles(model_); });
    connect(clearButton_, &QAbstractButton::clicked, this, [this] { model_.clear(); });
    // The finished tab: what is chosen in its list, the files themselves untouched by removing.
    openButton_ = button(words::kOpenFinished, words::kOpenFinishedSpoken);
    revealButton_ = button(words::kRevealOutput, words::kRevealFinishedSpoken);
    removeButton_ = button(words::kRemoveFinished, words::kRemoveFinishedSpoken);
    removeButton_->setToolTip(words::kRemoveKeepsFile);
    row({openButton_, revealButton_, removeButton_});
    connect(openButton_, &QAbstractButton::clicked, this, [this] {
        for (const FileURL& file : queue_->chosenFiles()) model_.open(file);
    });
    connect(revealButton_, &QAbstractButton::clicked, this, [this] {
        for (const FileURL& file : queue_->chosenFiles()) model_.reveal(file);
    });
    connect(removeButton_, &QAbstractButton::clicked, this,
            [this] { model_.removeDone(queue_->chosenIds()); });
    // The rows are one height whichever is shown.
    toolRows_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    toolRows_->setFixedHeight(addButton_->sizeHint().height() + 16);
    return toolRows_;
}

QWidget* MainWindow::buildLeftColumn() {
    auto* left = new QWidget(this);
    fill(left, palette::panelBG());
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    tabs_ = new TabBar(left);
    column->addWidget(tabs_);
    column->addWidget(buildToolRows(left));

    column->addWidget(buildPages(left), 1);
    validation_ = new ValidationBox(model_, left);
    column->addWidget(validation_);
    progress_ = new ProgressBar(left);
    column->addWidget(progress_);
    column->addLayout(buildMergeRow(left));
    return left;
}

QWidget* MainWindow::buildPages(QWidget* parent) {
    pages_ = new QStackedWidget(parent);
    filePage_ = new QStackedWidget(pages_);
    emptyState_ = new QWidget(filePage_);
    auto* empty = new QVBoxLayout(emptyState_);
    empty->setSpacing(6);
    empty->setContentsMargins(10, 0, 10, 0);
    empty->addStretch(1);
    auto* dropHint = dimLabel(words::kDropHint, 12, emptyState_);
    dropHint->setObjectName(QStringLiteral("emptyTitle"));
    empty->addWidget(dropHint);
    auto* help = dimLabel(words::kEmptyListHelp, 11, emptyState_);
    help->setObjectName(QStringLiteral("emptyHelp"));
    empty->addWidget(help);
    empty->addStretch(1);
    listModel_ = new ClipListModel(model_, this);
    fileList_ = new FileListView(model_, *listModel_, filePage_);
    filePage_->addWidget(emptyState_);
    filePage_->addWidget(fileList_);
    queue_ = new QueueList(model_, pages_);
    pages_->addWidget(filePage_);
    pages_->addWidget(queue_);
    connect(tabs_, &TabBar::selectionChanged, this, [this](int tab) {
        QWidget* focus = QApplication::focusWidget();
        const bool inHiddenList = focus == fileList_ || focus == queue_;
        pages_->setCurrentIndex(tab);
        toolRows_->setCurrentIndex(tab);
        if (inHiddenList)
            (tab == kFilesTab ? static_cast<QWidget*>(fileList_) : queue_)->setFocus(Qt::TabFocusReason);
        if (actions_) actions_->refresh();
    });
    return pages_;
}

QHBoxLayout* MainWindow::buildMergeRow(QWidget* parent) {
    auto* mergeRow = new QHBoxLayout;
    mergeRow->setContentsMargins(10, 10, 10, 10);
    mergeRow->setSpacing(6);
    merge_ = new MergeButton(parent);
    mergeRow->addWidget(merge_, 1);
    // Shown only while a merge runs, beside its progress; it has the merge button's height so the row
    // never changes height.
    cancel_ = new ToolButton(words::kCancelMerge, parent);
    cancel_->setObjectName(QStringLiteral("cancelMerge"));
    cancel_->setAccessibleName(words::kCancelMergeSpoken);
    cancel_->setFixedHeight(merge_->sizeHint().height());
    cancel_->setMinimumWidth(72);
    cancel_->hide();
    mergeRow->addWidget(cancel_);
    connect(merge_, &QAbstractButton::clicked, this, [this] { model_.runMerge(); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { model_.cancelMerge(); });
    return mergeRow;
}

void MainWindow::setTabOrder() {
    // The order the controls are seen in; hidden ones (the other tab's, the status buttons) are skipped.
    // New rows of the settings column go after the suffix field's place in settings_->focusChain().
    QList<QWidget*> chain = {tabs_,
                             addButton_,
                             clearButton_,
                             openButton_,
                             revealButton_,
                             removeButton_,
                             fileList_,
                             queue_,
                             validation_->undoButton(),
                             validation_->revealButton(),
                             merge_,
                             cancel_};
    chain += settings_->focusChain();
    for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    settings_->setFocusPolicy(Qt::NoFocus);
}

int MainWindow::currentTab() const { return tabs_->selection(); }

void MainWindow::showTab(int tab) { tabs_->setSelection(tab); }

void MainWindow::refreshControls() {
    setWindowTitle(windowTitleFor(model_));
    clearButton_->setEnabled(!model_.running());
    merge_->setText(mergeButtonTitle(model_));
    merge_->setAccessibleName(model_.stopping()  ? kStoppingStatus
                              : model_.running() ? kMergingStatus
                                                 : words::mergeFilesSpoken(model_.clips().size()));
    merge_->setEnabled(model_.canMerge());
    merge_->update();
    cancel_->setVisible(model_.running());
    cancel_->setEnabled(!model_.stopping());
    // The bar tells a run from a stop and a failure; a finished or cleared one shows nothing more.
    QColor fill = palette::accent();
    if (model_.stopping()) fill = palette::dimText();
    if (!model_.running() && model_.statusIsError()) fill = palette::danger();
    progress_->setFill(fill);
    progress_->setState(model_.progress(), model_.running() || model_.progress() > 0);
}

void MainWindow::refreshLists() {
    const std::size_t clips = model_.clips().size();
    const std::size_t done = model_.done().size();
    tabs_->setTitles({words::filesTab(clips), words::queueTab(done)});
    tabs_->setAccessibleNames({words::filesTabSpoken(clips), words::finishedTabSpoken(done)});
    filePage_->setCurrentWidget(model_.clips().empty() ? emptyState_ : static_cast<QWidget*>(fileList_));
}

void MainWindow::refreshFinishedTools() {
    const bool chosen = !queue_->chosenRows().empty();
    for (ToolButton* button : {openButton_, revealButton_, removeButton_}) button->setEnabled(chosen);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const auto [left, settings] = columnWidths(centralWidget()->width() - 2);
    left_->setFixedWidth(left);
    settings_->setFixedWidth(settings);
}

void MainWindow::setDropHover(bool hover) {
    if (hover == dropHover_) return;
    dropHover_ = hover;
    overlay_->setGeometry(centralWidget()->rect());
    overlay_->setVisible(hover);
    overlay_->raise();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
    // Any drag of files is taken, so that a drop of nothing usable still says why; the frame lights only
    // when the drop would add something. Looked at once, as the drag comes in: a folder is listed.
    if (event->isAccepted()) setDropHover(!model_.filesToAdd(localFiles(event->mimeData())).files.empty());
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!carriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void MainWindow::dragLeaveEvent(QDragLeaveEvent* event) {
    setDropHover(false);
    event->accept();
}

void MainWindow::dropEvent(QDropEvent* event) {
    setDropHover(false);
    if (!carriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // All dropped files in one call: the model filters, de-duplicates and sorts them as one batch, and says
    // what it did not take. They land in the file list, which is shown.
    showTab(kFilesTab);
    model_.add(localFiles(event->mimeData()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (model_.running()) {
        if (!confirmStopMerge()) {
            event->ignore();
            return;
        }
        model_.cancelMerge();
    }
    event->accept();
}

bool MainWindow::confirmStopMerge() {
    QMessageBox box(QMessageBox::Question, words::kProgramName, words::kQuitDuringMergeQuestion,
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("quitDuringMerge"));
    box.setFont(dialogFont());
    box.setInformativeText(words::kQuitDuringMergeDetail);
    QPushButton* stop = box.addButton(words::kStopAndQuit, QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(words::kKeepMerging, QMessageBox::RejectRole);
    box.setDefaultButton(stop);
    box.setEscapeButton(keep);
    // The question is only about a running merge: when it ends meanwhile, the window just closes.
    bool ended = false;
    connect(&model_, &AppModel::runningChanged, &box, [&] {
        if (model_.running()) return;
        ended = true;
        box.reject();
    });
    box.exec();
    return ended || box.clickedButton() == stop;
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Files may have appeared, vanished or changed while the window was in the background.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        model_.refreshPlan();
        model_.checkDisk();
    }
}

}  // namespace tessellane
