#include "ui/window_text.h"

#include <QFontMetrics>
#include <QRegularExpression>

namespace orv {

QString WindowTitle(QStringView caption, const QString& state) {
    QStringList words = caption.toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() == 1 && words.front() == QLatin1String("Orv")) return words.front();
    // The program's name stood apart from the window's words, first or last ("OrvCC" is a slip of
    // the old caption).
    if (!words.isEmpty() && (words.back() == QLatin1String("Orv") || words.back() == QLatin1String("OrvCC")))
        words.removeLast();
    else if (!words.isEmpty() && words.front() == QLatin1String("Orv"))
        words.removeFirst();
    if (!state.isEmpty()) words << QStringLiteral("(%1)").arg(state);
    return words.join(QLatin1Char(' ')) + QStringLiteral(" - Orv");
}

QString ElideLongWords(const QString& text, const QFontMetrics& metrics, int width) {
    QString out;
    // Spaces and line breaks are kept as they are; only the words between them are cut.
    static const QRegularExpression pieces(QStringLiteral("(\\s+)|(\\S+)"));
    for (auto it = pieces.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString piece = m.captured(0);
        if (m.capturedLength(2) > 0 && metrics.horizontalAdvance(piece) > width)
            out += metrics.elidedText(piece, Qt::ElideMiddle, width);
        else
            out += piece;
    }
    return out;
}

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::SetFullText(const QString& text) {
    if (text == fullText_) return;
    fullText_ = text;
    setToolTip(text);
    Elide();
}

QSize ElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize ElidedLabel::sizeHint() const { return {0, QLabel::sizeHint().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void ElidedLabel::Elide() { setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, contentsRect().width())); }

}  // namespace orv
