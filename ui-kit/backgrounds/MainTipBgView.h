#pragma once

#include <QWidget>

// The main window's sliding tip panel: a plain, transparent view that draws nothing of its own.
class MainTipBgView : public QWidget {
    Q_OBJECT

public:
    explicit MainTipBgView(QWidget* parent = nullptr);
};
