#pragma once
// Texts as the windows show them: one form of title for every window, and paths that stay
// readable in a window of fixed width (cut in the middle, the whole in a tooltip).
#include <QLabel>
#include <QString>
#include <QStringView>

class QFontMetrics;

namespace orv {

// A window's title from its caption: the caption's words without the padding that placed them on
// an old title bar, then " - Orv"; the program's name inside the caption ("Orv   Graphic Data
// Byte", "DSP-93 Loader   OrvCC") is dropped from the words. "Orv" alone stays "Orv".
// " Setup                Orv" gives "Setup - Orv", "  Logging" gives "Logging - Orv". A `state`
// goes in parentheses after the words: "Power (raw values) - Orv".
QString WindowTitle(QStringView caption, const QString& state = {});

// `text` with every word (a run without spaces, such as a path) wider than `width` cut in its
// middle with an ellipsis, so that a wrapping label breaks it nowhere else.
QString ElideLongWords(const QString& text, const QFontMetrics& metrics, int width);

// A one-line label for a text that may be longer than the window is wide (a path): shown cut in
// its middle when it does not fit, the whole text in the tooltip. Its width follows the layout;
// it never widens the window.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return fullText_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString fullText_;
};

}  // namespace orv
