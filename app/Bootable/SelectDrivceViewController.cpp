#include "app/Bootable/SelectDrivceViewController.h"

SelectDrivceViewController::SelectDrivceViewController(QWidget* parent) : QWidget(parent) {}
