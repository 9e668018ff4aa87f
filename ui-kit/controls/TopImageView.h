#pragma once

#include <QLabel>

// An image view that moves its window: a press and drag on it drags the window along.
class TopImageView : public QLabel {
    Q_OBJECT

public:
    explicit TopImageView(QWidget* parent = nullptr);
};
