#pragma once
// TPasswordDlg: the masked entry for a customer code. It only collects the
// text; the main window decides what the entry means. Modal, borderless,
// owned by the main window. GUI thread only.

#include <QDialog>

#include <memory>

namespace Ui {
class TPasswordDlg;
}

namespace lumex::app {

class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget* owner = nullptr);
    ~TPasswordDlg() override;

    QString Text() const;
    void SetText(const QString& text);

private:
    std::unique_ptr<Ui::TPasswordDlg> ui;
};

}  // namespace lumex::app
