#include "app/disk-tool/RepairDiskViewController.h"

RepairDiskViewController::RepairDiskViewController(QWidget* parent) : QWidget(parent) {}

void RepairDiskViewController::loadData() {}
