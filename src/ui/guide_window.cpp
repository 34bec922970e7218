#include "ui/guide_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "ui/window_text.h"

// The guide's resource lives in the windows' library; it is registered before first use.
static void RegisterGuideResource() { Q_INIT_RESOURCE(guide); }

namespace orv {

QString GuideResource() {
    static const bool registered = (RegisterGuideResource(), true);
    (void)registered;
    return QStringLiteral(":/orv/guide.html");
}

QString WriteGuide(const QString& directory) {
    const QDir resources(QFileInfo(GuideResource()).path());
    if (!QDir().mkpath(directory)) return {};
    for (const QString& name : resources.entryList(QDir::Files)) {
        const QString to = QDir(directory).filePath(name);
        QFile::remove(to);
        if (!QFile::copy(resources.filePath(name), to)) return {};
    }
    return QDir(directory).filePath(QFileInfo(GuideResource()).fileName());
}

GuideWindow::GuideWindow(QWidget* parent) : QTextBrowser(parent) {
    setWindowFlag(Qt::Window);
    setObjectName("GuideWindow");
    setWindowTitle(WindowTitle(u"User Guide"));
    // Links inside the guide stay here; links out of it go to the system's handler when there is one.
    setOpenExternalLinks(true);
    setSource(QUrl(QStringLiteral("qrc") + GuideResource()));
    resize(720, 640);
}

}  // namespace orv
