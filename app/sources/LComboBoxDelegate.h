#pragma once

// What the copy-type combo tells its screen.
class LComboBoxDelegate {
public:
    virtual ~LComboBoxDelegate() = default;
    // Open the copy-type chooser (the screen's CopyTypeChooser does it).
    virtual void showSelectAllVC() {}
    // Open the file list for the source.
    virtual void doShowSearchView() {}
    // The user chose "all files": check the space again.
    virtual void changeSelectCopyType() {}
};
