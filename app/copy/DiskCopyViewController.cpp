#include "app/copy/DiskCopyViewController.h"

DiskCopyViewController::DiskCopyViewController(QWidget* parent) : QWidget(parent) {}
