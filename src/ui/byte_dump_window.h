#pragma once
// ByteDumpWindow, the byte dump: the display block as a 32 x 16 table of bytes on a white sunken panel.
// The pointer's address is read out in the Monitor; a click hands that address to the Monitor.
#include <QString>
#include <QWidget>
#include <optional>

#include "reception/block.h"
#include "reception/settings_store.h"

namespace orv {

class ByteDumpPanel;

class ByteDumpWindow : public QWidget {
    Q_OBJECT
public:
    ByteDumpWindow(KeyValueStore& store, float scale, QWidget* parent = nullptr);

    // Rebuilds the table from the block, in decimal or hexadecimal mode.
    void ShowBlock(ConstBytes block, bool decimal);
    QString Text() const;
    // The dump panel, whose pixels the address readout works in.
    QWidget* Panel() const;

signals:
    // The pointer moved over the panel: the address under it ("007", "#1A7") or "---".
    void AddressPointed(const QString& readout);
    // A click on a byte: its address text.
    void AddressClicked(const QString& address);
    // The window was closed by the user.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::optional<int> AddressAt(QPoint position) const;
    QString AddressText(std::optional<int> address) const;

    float scale_;
    bool decimal_ = false;
    ByteDumpPanel* panel_;
};

}  // namespace orv
