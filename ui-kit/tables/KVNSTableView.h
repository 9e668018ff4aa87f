#pragma once

#include <QTableView>

#include <memory>

class QLabel;
namespace kit {
class CustomHeaderView;
}

// A table with the kit's header cells and the platform's own rows and selection. The space bar, and a force
// click, post "SpacePreviewFile" (at most one notification per force click and second); a placeholder with
// an arrow and a label can stand in for an empty list.
class KVNSTableView : public QTableView {
    Q_OBJECT

public:
    static constexpr int kHeaderHeight = 20;
    static constexpr int kForceClickStage = 2;
    static constexpr int kForceClickRearmMs = 1000;

    explicit KVNSTableView(QWidget* parent = nullptr);
    ~KVNSTableView() override;

    void setModel(QAbstractItemModel* model) override;
    // Gives every column a CustomHeaderCell from its current title and the header its height.
    void _setupHeaderCell();
    kit::CustomHeaderView* customHeaderView() const { return header_; }

    // A change of pressure on a force-touch pointer; stage 2 is a force click.
    void pressureChangeWithEvent(int stage);
    bool isClicking() const { return isClicking_; }

    // True removes the placeholder; false builds it unless it is there already.
    void changeNoValue(bool hasValues);
    // Centres the placeholder's arrow and label after a size change.
    void changeFrame();
    QWidget* noValueView() const { return noValueView_.get(); }
    QWidget* nodeView() const { return nodeView_; }
    // The label's height: taller for the languages whose texts run long.
    static float getLableHight();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void mouseUp();
    QRect nodeViewFrame() const;

    kit::CustomHeaderView* header_;
    std::unique_ptr<QWidget> noValueView_;
    QWidget* nodeView_ = nullptr;   // inside noValueView_
    QLabel* background_ = nullptr;  // inside noValueView_
    bool isClicking_ = false;
};
