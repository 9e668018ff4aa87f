#include "app/image/DmgViewController.h"

DmgViewController::DmgViewController(QWidget* parent) : QWidget(parent) {}
