#include "app/bootable/SelectDrivceViewController.h"

SelectDrivceViewController::SelectDrivceViewController(QWidget* parent) : QWidget(parent) {}
