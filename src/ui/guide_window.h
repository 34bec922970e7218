#pragma once
// The user guide built into the program, shown in a window of its own when no browser or URL
// handler opens it.
#include <QTextBrowser>

namespace orv {

// The built-in guide's resource path (":/orv/guide.html"), its resource registered.
QString GuideResource();

class GuideWindow : public QTextBrowser {
    Q_OBJECT
public:
    explicit GuideWindow(QWidget* parent = nullptr);
};

}  // namespace orv
