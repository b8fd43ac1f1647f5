#include "TPasswordDlg.h"

#include "ui_TPasswordDlg.h"

namespace lumex::app {

TPasswordDlg::TPasswordDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TPasswordDlg>()) {
    ui->setupUi(this);
    setFixedSize(size());
    setAutoFillBackground(true);
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

TPasswordDlg::~TPasswordDlg() = default;

QString TPasswordDlg::Text() const { return ui->Password->text(); }
void TPasswordDlg::SetText(const QString& text) { ui->Password->setText(text); }

}  // namespace lumex::app
