#pragma once

class QLabel;
class TCImageWindow;

namespace shell {

// Dresses the title bar of a small window of the menu (About, the update check) and returns its title
// label: the bar's height, the traffic lights' place, the drawn top edge and the centred title.
QLabel* dressPopupTitleBar(TCImageWindow* window, double titleBarHeight, double width);

}  // namespace shell
