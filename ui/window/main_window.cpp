#include "ui/window/main_window.h"

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
#include "ui/shell/words.h"
#include "ui/widgets/alley_button.h"
#include "ui/widgets/button_face.h"
#include "ui/widgets/fonts.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/progress_bar.h"
#include "ui/widgets/tab_bar.h"
#include "ui/widgets/tool_button.h"
#include "ui/window/clip_list_model.h"
#include "ui/window/file_list_view.h"
#include "ui/window/preview_pane.h"
#include "ui/window/queue_list.h"
#include "ui/window/settings_column.h"
#include "ui/window/validation_box.h"

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
        QPen pen(palette::cyan());
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

}  // namespace

QString windowTitleFor(const AppModel& model) {
    if (model.clips().empty()) return QStringLiteral("Tessellane");
    return model.fileName() + " - " + QString::number(model.totalWidth()) + " x " +
           QString::number(model.outHeight());
}

QString mergeButtonTitle(const AppModel& model) {
    if (model.running()) return QStringLiteral("Merging\u2026");
    return "Merge " + QString::number(model.clips().size()) + " Files";
}

MainWindow::MainWindow(AppModel& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    setMinimumSize(1220, 600);
    setAcceptDrops(true);

    auto* root = new QWidget(this);
    fill(root, palette::winBG());
    auto* row = new QHBoxLayout(root);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);  // the window colour shows through as 1-pixel dividers

    QWidget* left = buildLeftColumn();
    left->setFixedWidth(kColumnWidth);
    row->addWidget(left);

    settings_ = new SettingsColumn(model_, root);
    settings_->setFixedWidth(kColumnWidth);
    row->addWidget(settings_);

    preview_ = new PreviewPane(model_, root);
    row->addWidget(preview_, 1);

    setCentralWidget(root);
    overlay_ = new DropOutline(root);
    new OverlayFollower(overlay_, root);

    for (auto signal : {&AppModel::clipsChanged, &AppModel::suffixChanged, &AppModel::customOutDirChanged,
                        &AppModel::runningChanged, &AppModel::progressChanged, &AppModel::doneChanged}) {
        connect(&model_, signal, this, &MainWindow::refreshControls);
    }
    connect(&model_, &AppModel::clipsChanged, this, &MainWindow::refreshLists);
    connect(&model_, &AppModel::doneChanged, this, &MainWindow::refreshLists);
    refreshControls();
    refreshLists();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildLeftColumn() {
    auto* left = new QWidget(this);
    fill(left, palette::panelBG());
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    tabs_ = new TabBar(left);
    column->addWidget(tabs_);

    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(10, 8, 10, 8);
    tools->setSpacing(6);
    addButton_ = new ToolButton(QStringLiteral("\uFF0B 파일 추가"), left);
    clearButton_ = new ToolButton(QStringLiteral("비우기"), left);
    tools->addWidget(addButton_);
    tools->addWidget(clearButton_);
    tools->addStretch(1);
    column->addLayout(tools);
    connect(addButton_, &QAbstractButton::clicked, this, [this] { model_.openFiles(); });
    connect(clearButton_, &QAbstractButton::clicked, this, [this] { model_.clear(); });

    pages_ = new QStackedWidget(left);
    filePage_ = new QStackedWidget(pages_);
    emptyState_ = new QWidget(filePage_);
    auto* empty = new QVBoxLayout(emptyState_);
    empty->setSpacing(6);
    empty->setContentsMargins(10, 0, 10, 0);
    empty->addStretch(1);
    auto* dropHint = dimLabel(QStringLiteral("영상 조각을 여기에 끌어다 놓으세요"), 12, emptyState_);
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
    column->addWidget(pages_, 1);
    connect(tabs_, &TabBar::selectionChanged, pages_, &QStackedWidget::setCurrentIndex);

    validation_ = new ValidationBox(model_, left);
    column->addWidget(validation_);
    progress_ = new ProgressBar(left);
    column->addWidget(progress_);
    auto* mergeRow = new QHBoxLayout;
    mergeRow->setContentsMargins(10, 10, 10, 10);
    mergeRow->setSpacing(6);
    merge_ = new AlleyButton(left);
    mergeRow->addWidget(merge_, 1);
    // Shown only while a merge runs, beside its progress; it has the merge button's height so the row
    // never changes height.
    cancel_ = new ToolButton(words::kCancelMerge, left);
    cancel_->setObjectName(QStringLiteral("cancelMerge"));
    cancel_->setFixedHeight(merge_->sizeHint().height());
    cancel_->setMinimumWidth(72);
    cancel_->hide();
    mergeRow->addWidget(cancel_);
    column->addLayout(mergeRow);
    connect(merge_, &QAbstractButton::clicked, this, [this] { model_.runMerge(); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { model_.cancelMerge(); });
    return left;
}

void MainWindow::refreshControls() {
    setWindowTitle(windowTitleFor(model_));
    clearButton_->setEnabled(!model_.running());
    merge_->setText(mergeButtonTitle(model_));
    merge_->setEnabled(model_.canMerge());
    merge_->update();
    cancel_->setVisible(model_.running());
    progress_->setState(model_.progress(), model_.running() || model_.progress() > 0);
}

void MainWindow::refreshLists() {
    tabs_->setTitles({"Files (" + QString::number(model_.clips().size()) + ")",
                      "Queue (" + QString::number(model_.done().size()) + ")"});
    filePage_->setCurrentWidget(model_.clips().empty() ? emptyState_ : static_cast<QWidget*>(fileList_));
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
    if (event->isAccepted()) setDropHover(true);
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
    // All dropped files in one call: the model filters, de-duplicates and sorts them as one batch.
    std::vector<FileURL> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
    }
    model_.add(files);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (model_.running()) {
        if (!confirmStopMerge()) {
            event->ignore();
            return;
        }
        // The merge may have ended while the question was open; cancelling then does nothing.
        model_.cancelMerge();
    }
    event->accept();
}

bool MainWindow::confirmStopMerge() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tessellane"), words::kQuitDuringMergeQuestion,
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("quitDuringMerge"));
    box.setFont(dialogFont());
    box.setInformativeText(words::kQuitDuringMergeDetail);
    QPushButton* stop = box.addButton(words::kStopAndQuit, QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(words::kKeepMerging, QMessageBox::RejectRole);
    box.setDefaultButton(stop);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == stop;
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Files may have appeared or vanished while the window was in the background (the output name check).
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        settings_->refresh();
        validation_->refresh();
        refreshControls();
    }
}

}  // namespace tessellane
