#include "ui/files_window_parts.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QMimeData>
#include <QUrl>

#include "files/replay.h"
#include "station/station.h"

namespace orv {

QString TelemetryDirectoryText(const Station& station) {
    if (station.state().settings.firstRun) return {};
    return QString::fromStdString(station.TelemetryDirectory().string());
}

TelemetryFileList::TelemetryFileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        chosenByPress_ = true;
        const QString path = SelectedPath();
        if (!path.isEmpty()) emit FileChosen(path);
    });
    // A click on the entry already highlighted chooses it again (the file is loaded anew).
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (chosenByPress_ || !item->isSelected()) return;
        const QString path = SelectedPath();
        if (!path.isEmpty()) emit FileChosen(path);
    });
    // New files (a Filter output) appear and removed ones go while the list is shown.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (isVisible()) Refresh();
    });
}

void TelemetryFileList::mousePressEvent(QMouseEvent* event) {
    chosenByPress_ = false;
    QListWidget::mousePressEvent(event);
}

void TelemetryFileList::showEvent(QShowEvent* event) {
    QListWidget::showEvent(event);
    // Changes made while the list was hidden.
    if (!watcher_.directories().isEmpty()) Refresh();
}

void TelemetryFileList::Watch(const QString& directory) {
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    if (!directory.isEmpty() && QFileInfo(directory).isDir()) watcher_.addPath(directory);
}

void TelemetryFileList::SetDirectory(const QString& directory) {
    directory_ = directory;
    Watch(directory);
    Refresh();
}

void TelemetryFileList::Refresh() {
    const QString selected = currentItem() && currentItem()->isSelected() ? currentItem()->text() : QString();
    QStringList names;
    if (!directory_.isEmpty()) {
        const QStringList masks = QString::fromLatin1(kTelemetryFileMasks.data(), kTelemetryFileMasks.size())
                                      .split(QLatin1Char(';'));
        // Name filters match regardless of case unless told otherwise.
        names = QDir(directory_).entryList(masks, QDir::Files, QDir::Name | QDir::IgnoreCase);
    }
    const QSignalBlocker blocker(this);
    clear();
    addItems(names);
    if (!selected.isEmpty()) SelectFile(selected);
}

void TelemetryFileList::ShowOnly(const QString& path) {
    const QFileInfo info(path);
    directory_ = info.absolutePath();
    Watch(QString());  // a dropped file stays alone in the list
    const QSignalBlocker blocker(this);
    clear();
    addItem(info.fileName());
    setCurrentRow(0);
}

void TelemetryFileList::SelectFile(const QString& fileName) {
    const QSignalBlocker blocker(this);
    const auto found = findItems(fileName, Qt::MatchExactly);
    if (found.isEmpty()) {
        clearSelection();
        return;
    }
    setCurrentItem(found.first());
    scrollToItem(found.first());
}

QString TelemetryFileList::SelectedPath() const {
    const auto items = selectedItems();
    if (items.isEmpty() || directory_.isEmpty()) return {};
    return QDir(directory_).filePath(items.first()->text());
}

QStringList TelemetryFileList::FileNames() const {
    QStringList names;
    for (int i = 0; i < count(); ++i) names << item(i)->text();
    return names;
}

namespace {

class DropTarget final : public QObject {
public:
    DropTarget(QWidget* window, std::function<void(const QString&)> dropped)
        : QObject(window), dropped_(std::move(dropped)) {
        window->setAcceptDrops(true);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter) {
            auto* enter = static_cast<QDragEnterEvent*>(event);
            if (enter->mimeData()->hasUrls()) enter->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const auto urls = drop->mimeData()->urls();
            drop->acceptProposedAction();
            const QString path = urls.isEmpty() ? QString() : urls.first().toLocalFile();
            if (!path.isEmpty()) dropped_(path);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const QString&)> dropped_;
};

}  // namespace

void AcceptDroppedFiles(QWidget* window, std::function<void(const QString&)> dropped) {
    new DropTarget(window, std::move(dropped));
}

QLabel* SunkenPanel(const QString& name, const QString& hint, int minimumWidth, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setToolTip(hint);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(minimumWidth);
    return label;
}

}  // namespace orv
