#include "ui-kit/backgrounds/MainTipBgView.h"

MainTipBgView::MainTipBgView(QWidget* parent) : QWidget(parent) {}
