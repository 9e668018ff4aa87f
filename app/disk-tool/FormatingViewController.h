#pragma once

#include <QPointer>
#include <QSizeF>
#include <QWidget>

// Shown while a format runs; the screen closes it when the command has ended. The hosting window is not
// owned.
class FormatingViewController : public QWidget {
    Q_OBJECT

public:
    static constexpr QSizeF kViewSize{360, 130};

    explicit FormatingViewController(QWidget* parent = nullptr);

    void closeWindow();

    QWidget* superDelegate() const { return superDelegate_; }
    void setSuperDelegate(QWidget* window) { superDelegate_ = window; }

private:
    QPointer<QWidget> superDelegate_;
};
