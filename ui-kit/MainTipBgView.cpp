#include "ui-kit/MainTipBgView.h"

MainTipBgView::MainTipBgView(QWidget* parent) : QWidget(parent) {}
