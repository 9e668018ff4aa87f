#pragma once

// What the file-system type menu tells the format confirmation.
class FormatTypeVCDelegate {
public:
    virtual ~FormatTypeVCDelegate() = default;
    // The row of that index was clicked.
    virtual void selectFormatbyType(int /*index*/) {}
    // The pointer left (true) or entered (false) the menu.
    virtual void mouseEixtView(bool /*exited*/) {}
};
