#include "ui/if_matrix_window.h"

#include <QPainter>
#include <cmath>

namespace orv {
namespace {

// Where an edge caption stands: the input row or output column, and for two captions that
// share a row or column, which one it is.
struct EdgePlace {
    std::string_view caption;
    int index;
    int slot;  // inputs: 0 alone, 1 left, 2 right; outputs: 0 first line, 1 second line
};

constexpr EdgePlace kInputPlaces[] = {
    {"21", 0, 1}, {"24", 0, 2},  {"V", 1, 0},   {"U", 2, 0},      {"L1", 3, 0},     {"L2", 4, 0},
    {"S1", 5, 0}, {"C", 6, 1},   {"S2", 6, 2},  {"GB", 7, 0},     {"MB", 8, 0},     {"EB", 9, 0},
    {"Rud-1", 10, 0}, {"Rud-2", 11, 0}, {"Lei-1", 12, 0}, {"Lei-2", 13, 0},
};
constexpr EdgePlace kOutputPlaces[] = {
    {"V", 0, 0}, {"U", 1, 0}, {"S1", 2, 0}, {"S2", 3, 0}, {"K", 3, 1}, {"X", 4, 0}, {"Lei-1", 5, 0}, {"Lei-2", 6, 0},
};

template <std::size_t N>
const EdgePlace& PlaceOf(const EdgePlace (&places)[N], std::string_view caption) {
    for (const auto& p : places)
        if (p.caption == caption) return p;
    return places[0];
}

// Layout of the window at 96 pixels per inch; everything scales with s.
constexpr int kCaptionHeight = 16;
constexpr int kInputRight = kMatrixAreaLeft - 4;  // input captions end here
constexpr int kPairGap = 22;                       // second of two input captions on a row
constexpr int kBelowPicture = 60;                  // room for the output captions and heading
constexpr int kRightMargin = 12;

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QPoint Point(const PixelPoint& p) { return {p.x, p.y}; }

}  // namespace

QImage RenderMatrixPicture(const MatrixPicture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    auto draw = [&p](const MatrixPath& path) {
        const QPoint points[] = {Point(path[0]), Point(path[1]), Point(path[2])};
        p.drawPolyline(points, 3);
    };
    p.setPen(QPen(QColor(128, 128, 128), 1));
    for (const auto& path : picture.greyPaths) draw(path);
    p.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const auto& path : picture.redPaths) draw(path);
    // Filled from the top left corner up to, not including, the bottom right one.
    for (const auto& n : picture.nodes)
        p.fillRect(QRect(QPoint(n.left, n.top), QPoint(n.right - 1, n.bottom - 1)), Qt::black);
    return image;
}

IfMatrixWindow::IfMatrixWindow(const DisplayContext& context, float scale) : DisplayForm(MatrixWindowInfo(), context), scale_(scale) {
    QFont font = this->font();
    font.setPixelSize(Scaled(11));
    setFont(font);

    const MatrixPicture empty = DrawMatrix(MatrixPlaceholder(), scale_);
    const int left = Scaled(kMatrixAreaLeft), top = Scaled(kMatrixAreaTop);
    pictureLabel_ = new QLabel(this);
    pictureLabel_->setObjectName("MatrixPicture");
    pictureLabel_->setGeometry(left, top, empty.width, empty.height);

    const long double u = MatrixDrawingFactor(scale_);
    const int h = Scaled(kCaptionHeight);
    const MatrixContent placeholder = MatrixPlaceholder();
    for (const auto& label : placeholder.inputs) {
        const EdgePlace& place = PlaceOf(kInputPlaces, label.caption);
        const int y = top + MatrixNode(0, place.index, u).y - h / 2;
        const int right = Scaled(place.slot == 1 ? kInputRight - kPairGap : kInputRight);
        const int from = place.slot == 2 ? Scaled(kInputRight - kPairGap + 2) : 0;
        QLabel* l = NewCaption(label.caption, QRect(QPoint(from, y), QPoint(right, y + h - 1)), Qt::AlignRight);
        l->setObjectName("Input_" + Text(label.caption));
        inputs_.push_back(l);
    }
    const int columnWidth = Scaled(36);
    for (const auto& label : placeholder.outputs) {
        const EdgePlace& place = PlaceOf(kOutputPlaces, label.caption);
        const int x = left + MatrixNode(place.index, 0, u).x - columnWidth / 2;
        const int y = top + empty.height + Scaled(2) + place.slot * h;
        QLabel* l = NewCaption(label.caption, QRect(x, y, columnWidth, h), Qt::AlignHCenter);
        l->setObjectName("Output_" + Text(label.caption));
        outputs_.push_back(l);
    }
    NewCaption(kMatrixInputGroup, QRect(Scaled(2), Scaled(6), Scaled(80), h), Qt::AlignLeft)
        ->setText(QStringLiteral(" Input/Rx"));
    NewCaption(kMatrixOutputGroup, QRect(left, top + empty.height + Scaled(4) + 2 * h, empty.width, h),
               Qt::AlignHCenter);
    setFixedSize(left + empty.width + Scaled(kRightMargin), top + empty.height + Scaled(kBelowPicture));
}

int IfMatrixWindow::Scaled(double pixels) const { return static_cast<int>(std::trunc(pixels * scale_)); }

QLabel* IfMatrixWindow::NewCaption(std::string_view caption, QRect rect, Qt::Alignment alignment) {
    auto* label = new QLabel(Text(caption), this);
    label->setGeometry(rect);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

void IfMatrixWindow::Update() {
    const MatrixContent content = MatrixFields(Input(false));
    for (std::size_t i = 0; i < inputs_.size() && i < content.inputs.size(); ++i)
        SetFieldColour(inputs_[i], content.inputs[i].colour);
    for (std::size_t i = 0; i < outputs_.size() && i < content.outputs.size(); ++i)
        SetFieldColour(outputs_[i], content.outputs[i].colour);
    picture_ = RenderMatrixPicture(DrawMatrix(content, scale_));
    pictureLabel_->setPixmap(QPixmap::fromImage(picture_));
}

}  // namespace orv
