#pragma once

#include <QPushButton>

// A link-like button that shows the pointing hand while the pointer is over it.
class KVHandButton : public QPushButton {
    Q_OBJECT

public:
    explicit KVHandButton(QWidget* parent = nullptr);
};
