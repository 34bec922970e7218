#pragma once
// IfMatrixWindow, the IF matrix window: which receiver inputs are switched to which transmitter outputs,
// drawn as a grid, with the receivers and transmitters that are on coloured at its edges.
#include <QImage>
#include <vector>

#include "displays/matrix_content.h"
#include "ui/display_form.h"

namespace orv {

class IfMatrixWindow : public DisplayForm {
    Q_OBJECT
public:
    // `scale`: the screen scale s of the main window.
    IfMatrixWindow(const DisplayContext& context, float scale);

    void Update() override;

    // The last picture drawn (null before the first update).
    const QImage& Picture() const { return picture_; }
    // The edge captions in the order of MatrixContent's inputs and outputs.
    QLabel* InputLabel(std::size_t index) const { return inputs_.at(index); }
    QLabel* OutputLabel(std::size_t index) const { return outputs_.at(index); }

private:
    int Scaled(double pixels) const;
    QLabel* NewCaption(std::string_view caption, QRect rect, Qt::Alignment alignment);

    float scale_;
    QImage picture_;
    QLabel* pictureLabel_ = nullptr;
    std::vector<QLabel*> inputs_;
    std::vector<QLabel*> outputs_;
};

// The drawing as pixels: a white bitmap with the grey grid, the red paths and the black nodes.
QImage RenderMatrixPicture(const MatrixPicture& picture);

}  // namespace orv
