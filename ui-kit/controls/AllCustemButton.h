#pragma once

#include "ui-kit/controls/AllCustemButtonCell.h"

#include <QPushButton>

// A system-look button whose title is always white; its cell draws the title.
class AllCustemButton : public QPushButton {
    Q_OBJECT

public:
    explicit AllCustemButton(QWidget* parent = nullptr);
    const AllCustemButtonCell& cell() const { return cell_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AllCustemButtonCell cell_;
};
