#pragma once
// The user guide built into the program, shown in a window of its own when no browser or URL
// handler opens it.
#include <QTextBrowser>

namespace orv {

// The built-in guide's resource path (":/orv/guide.html"), its resource registered.
QString GuideResource();
// Writes the guide and its pictures into `directory` (made when missing); the guide's path, or
// empty when they could not all be written.
QString WriteGuide(const QString& directory);

class GuideWindow : public QTextBrowser {
    Q_OBJECT
public:
    explicit GuideWindow(QWidget* parent = nullptr);
};

}  // namespace orv
